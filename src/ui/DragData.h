// What a drag between the program's lists carries. A drag from the local list holds its
// paths as a URI list (so a file manager takes them too) and a mark naming this process;
// a drag from the remote list holds its rows. Files dragged from a file manager are the
// local files of a URI list without the mark.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QMimeData;

struct DraggedRemoteRow {
    QString name;
    QString size; // "Size(KB)" text
    bool folder = false;
    QString bytes; // the exact size when the listing gave it, else ""
};

namespace DragData {

QMimeData* fromLocalList(const QStringList& paths);
QMimeData* fromRemoteList(const QList<DraggedRemoteRow>& rows);

bool isFromLocalList(const QMimeData* data);
bool isFromRemoteList(const QMimeData* data);

// The local list's paths (folders ending in "/"), in the dragged order.
QStringList localPaths(const QMimeData* data);
QList<DraggedRemoteRow> remoteRows(const QMimeData* data);
// The local files of a URI list dropped from elsewhere; empty when it holds anything else.
QStringList fileManagerPaths(const QMimeData* data);

} // namespace DragData
