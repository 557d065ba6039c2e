#include "Scratch.h"

#include <QDir>
#include <QFile>

void PointUserFoldersAt(const QString& root) {
    for (const char* sub : {"config", "data", "runtime"})
        QDir(root).mkpath(QLatin1String(sub));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + QStringLiteral("/runtime")));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
