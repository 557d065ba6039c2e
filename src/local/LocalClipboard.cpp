#include "LocalClipboard.h"

#include "LocalBrowse.h"

#include <QMimeData>
#include <QUrl>

namespace {

const QString kGnomeFormat = QStringLiteral("x-special/gnome-copied-files");
const QString kKdeCutFormat = QStringLiteral("application/x-kde-cutselection");

} // namespace

QMimeData* LocalClipboard::encode(const QStringList& paths, bool cut) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray gnome = cut ? "cut" : "copy";
    for (const QString& p : paths) {
        const QUrl url = QUrl::fromLocalFile(Local_Browse::StripTrailingSlash(p));
        urls.append(url);
        gnome += '\n' + url.toEncoded();
    }
    data->setUrls(urls);
    data->setData(kGnomeFormat, gnome);
    data->setData(kKdeCutFormat, cut ? "1" : "0");
    return data;
}

ClipboardFiles LocalClipboard::decode(const QMimeData* data) {
    ClipboardFiles files;
    if (!data) return files;
    QList<QUrl> urls;
    if (data->hasFormat(kGnomeFormat)) {
        const QList<QByteArray> lines = data->data(kGnomeFormat).split('\n');
        files.cut = !lines.isEmpty() && lines.first().trimmed() == "cut";
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            if (!line.isEmpty()) urls.append(QUrl::fromEncoded(line));
        }
    } else {
        urls = data->urls();
        files.cut = data->data(kKdeCutFormat).trimmed() == "1";
    }
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files.paths.append(Local_Browse::StripTrailingSlash(url.toLocalFile()));
    }
    return files;
}
