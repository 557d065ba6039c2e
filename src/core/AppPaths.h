// Where the program keeps its files: the per-user data folder (site file, queue files,
// listing cache).
#pragma once

#include <QString>

namespace AppPaths {

// The data folder with a trailing "/", created when missing.
QString programDir();
// Creates the folder (with its parents) and makes it readable by its owner only.
bool makeOwnerOnlyFolder(const QString& path);
// Deletes the listing cache folder with everything in it and creates it again empty.
bool resetListingCache(const QString& programDir);

inline const QString kWorkingQueueFile = QStringLiteral("last_working_queue.uque");
inline const QString kFailedQueueFile = QStringLiteral("last_failed_queue.uque");
inline const QString kListingsFolder = QStringLiteral("Listings");

} // namespace AppPaths
