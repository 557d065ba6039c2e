#include "AppPaths.h"

#include <cstdlib>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace AppPaths {

QString damagedCopyName(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = QStringLiteral("%1.damaged-%2").arg(path, stamp);
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = QStringLiteral("%1.damaged-%2-%3").arg(path, stamp).arg(n);
    return name;
}

bool makeOwnerOnlyFolder(const QString& path) {
    if (!QDir().mkpath(path)) return false;
    return QFile::setPermissions(path, kOwnerOnlyFolder);
}

QString makeUniqueOwnerOnlyFolder(const QString& pattern) {
    QByteArray name = QFile::encodeName(pattern);
    // mkdtemp makes the folder with mode 0700.
    return ::mkdtemp(name.data()) ? QFile::decodeName(name) : QString();
}

QString programDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // It holds passwords (sites, queues) and what servers listed: the user's alone.
    makeOwnerOnlyFolder(dir);
    if (!dir.endsWith(u'/')) dir += u'/';
    return dir;
}

bool resetListingCache(const QString& programDir) {
    QDir listings(programDir + kListingsFolder);
    listings.removeRecursively();
    return makeOwnerOnlyFolder(listings.path());
}

} // namespace AppPaths
