#include "FileTypes.h"

#include <QHash>
#include <QMimeDatabase>

FileType FileTypeOf(const QString& fileName) {
    // The answer depends on the name's ending only (or on the whole name where there is
    // no ending): kept per ending, so a folder of thousands of files asks a few times.
    static QHash<QString, FileType> known;
    const qsizetype dot = fileName.indexOf(u'.', 1);
    const QString key = dot > 0 ? fileName.mid(dot).toLower() : QString();
    if (!key.isEmpty()) {
        if (auto it = known.constFind(key); it != known.constEnd()) return *it;
    }
    static const QMimeDatabase db;
    const QMimeType mime = db.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    FileType type;
    type.name = mime.comment();
    if (type.name.isEmpty()) type.name = QStringLiteral("unknown");
    type.name[0] = type.name[0].toUpper();
    type.icon = mime.iconName();
    if (!key.isEmpty()) known.insert(key, type);
    return type;
}
