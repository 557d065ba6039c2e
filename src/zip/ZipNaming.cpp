#include "ZipNaming.h"

#include <QFileInfo>

namespace ZipNaming {

QString archiveName(const QString& typed) {
    return typed.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive)
               ? typed
               : typed + QStringLiteral(".zip");
}

QString problem(const QString& typed) {
    if (typed.isEmpty()) return QStringLiteral("The name is empty.");
    if (typed == QLatin1String(".") || typed == QLatin1String("..") || typed.contains(u'/'))
        return QStringLiteral("\"%1\" cannot be the name of a file.").arg(typed);
    for (const QChar c : typed) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("The name must not hold control characters.");
    }
    return {};
}

QString programName(const QString& archivePath) {
    const QFileInfo info(archivePath);
    const QString base = info.fileName();
    const int dot = base.lastIndexOf(u'.');
    const QString stem = dot > 0 ? base.left(dot) : base;
    return info.path() + u'/' + stem + QStringLiteral(".exe");
}

QString remotePath(const QString& remoteDirectory, const QString& fileName) {
    return remoteDirectory == QLatin1String("/") ? remoteDirectory + fileName
                                                 : remoteDirectory + u'/' + fileName;
}

} // namespace ZipNaming
