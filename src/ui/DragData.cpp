#include "DragData.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

const QString kLocalFormat = QStringLiteral("application/x-1quillon-local-rows");
const QString kRemoteFormat = QStringLiteral("application/x-1quillon-remote-rows");

// The mark names this process: a drag from another copy of the program is a drag from
// elsewhere.
QByteArray processMark() {
    return QByteArray::number(QCoreApplication::applicationPid());
}

} // namespace

QMimeData* DragData::fromLocalList(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray folders;
    for (const QString& p : paths) {
        urls.append(QUrl::fromLocalFile(p));
        folders += p.endsWith(u'/') ? '1' : '0';
    }
    data->setUrls(urls);
    data->setData(kLocalFormat, processMark() + ':' + folders);
    return data;
}

QMimeData* DragData::fromRemoteList(const QList<DraggedRemoteRow>& rows) {
    auto* data = new QMimeData;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << processMark() << qint32(rows.size());
    for (const DraggedRemoteRow& r : rows)
        out << r.name << r.size << r.folder << r.bytes;
    data->setData(kRemoteFormat, bytes);
    return data;
}

bool DragData::isFromLocalList(const QMimeData* data) {
    return data && data->hasFormat(kLocalFormat) &&
           data->data(kLocalFormat).split(':').value(0) == processMark();
}

bool DragData::isFromRemoteList(const QMimeData* data) {
    if (!data || !data->hasFormat(kRemoteFormat)) return false;
    QDataStream in(data->data(kRemoteFormat));
    QByteArray mark;
    in >> mark;
    return in.status() == QDataStream::Ok && mark == processMark();
}

QStringList DragData::localPaths(const QMimeData* data) {
    QStringList paths;
    if (!isFromLocalList(data)) return paths;
    const QByteArray folders = data->data(kLocalFormat).split(':').value(1);
    const QList<QUrl> urls = data->urls();
    for (qsizetype i = 0; i < urls.size(); ++i) {
        QString p = urls[i].toLocalFile();
        if (i < folders.size() && folders[i] == '1' && !p.endsWith(u'/')) p += u'/';
        paths.append(p);
    }
    return paths;
}

QList<DraggedRemoteRow> DragData::remoteRows(const QMimeData* data) {
    QList<DraggedRemoteRow> rows;
    if (!isFromRemoteList(data)) return rows;
    QDataStream in(data->data(kRemoteFormat));
    QByteArray mark;
    qint32 count = 0;
    in >> mark >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        DraggedRemoteRow r;
        in >> r.name >> r.size >> r.folder >> r.bytes;
        if (in.status() == QDataStream::Ok) rows.append(r);
    }
    return rows;
}

QStringList DragData::fileManagerPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls() || isFromLocalList(data)) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty()) return {};
        paths.append(url.toLocalFile());
    }
    return paths;
}
