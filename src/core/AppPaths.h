// Where the program keeps its files: the per-user data folder (site file, queue files,
// listing cache).
#pragma once

#include <QFile>
#include <QString>

namespace AppPaths {

// The data folder with a trailing "/", created when missing.
QString programDir();
// For what holds passwords or what servers listed: the owner alone may read it.
constexpr QFile::Permissions kOwnerOnlyFile =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
constexpr QFile::Permissions kOwnerOnlyFolder = kOwnerOnlyFile | QFile::ExeOwner | QFile::ExeUser;

// Creates the folder (with its parents) and makes it readable by its owner only.
bool makeOwnerOnlyFolder(const QString& path);
// A new folder under a name no one else can take first, owner-only: pattern ends in
// "XXXXXX", which is replaced. "" when it cannot be made.
QString makeUniqueOwnerOnlyFolder(const QString& pattern);
// A name beside a damaged file, with the date, that no earlier damaged copy holds.
QString damagedCopyName(const QString& path);
// Deletes the listing cache folder with everything in it and creates it again empty.
bool resetListingCache(const QString& programDir);

inline const QString kWorkingQueueFile = QStringLiteral("last_working_queue.uque");
inline const QString kFailedQueueFile = QStringLiteral("last_failed_queue.uque");
inline const QString kListingsFolder = QStringLiteral("Listings");

} // namespace AppPaths
