#include "ZipFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace ZipFolders {

namespace {
QString makeTemp(const QString& pattern) {
    QByteArray name = QFile::encodeName(pattern);
    // mkdtemp makes the folder owner-only, under a name no one else can take first.
    return ::mkdtemp(name.data()) ? QFile::decodeName(name) : QString();
}
} // namespace

QString root() {
    static QString folder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = makeTemp(QDir::tempPath() + QStringLiteral("/1Quillon-zip-XXXXXX"));
    return folder;
}

QString newFolder() {
    const QString base = root();
    return base.isEmpty() ? QString() : makeTemp(base + QStringLiteral("/upload-XXXXXX"));
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
        if (needed || !QDir(folder).removeRecursively()) kept.insert(folder);
    }
    return kept;
}

} // namespace ZipFolders
