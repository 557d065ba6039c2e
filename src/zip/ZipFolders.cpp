#include "ZipFolders.h"

#include "AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ZipFolders {

QString root() {
    static QString folder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = AppPaths::makeUniqueOwnerOnlyFolder(QDir::tempPath() +
                                                     QStringLiteral("/1Quillon-zip-XXXXXX"));
    return folder;
}

QString newFolder() {
    const QString base = root();
    return base.isEmpty()
               ? QString()
               : AppPaths::makeUniqueOwnerOnlyFolder(base + QStringLiteral("/upload-XXXXXX"));
}

QSet<QString> sweep(const QSet<QString>& folders, const QStringList& stillNeeded) {
    QSet<QString> kept;
    for (const QString& folder : folders) {
        bool needed = false;
        for (const QString& p : stillNeeded) {
            if (p.startsWith(folder + u'/')) {
                needed = true;
                break;
            }
        }
        if (needed || !QDir(folder).removeRecursively()) {
            kept.insert(folder);
            continue;
        }
        // The run's folder goes with its last archive (it is made again when needed).
        QDir().rmdir(QFileInfo(folder).path());
    }
    return kept;
}

} // namespace ZipFolders
