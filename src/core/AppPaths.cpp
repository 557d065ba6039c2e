#include "AppPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace AppPaths {

QString programDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    if (!dir.endsWith(u'/')) dir += u'/';
    return dir;
}

bool resetListingCache(const QString& programDir) {
    QDir listings(programDir + kListingsFolder);
    listings.removeRecursively();
    return QDir().mkpath(listings.path());
}

} // namespace AppPaths
