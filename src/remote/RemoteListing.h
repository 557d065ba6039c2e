// The rules of the remote pane that need no window: cache file names, the rows shown
// for a parsed listing (sizes in KB, folders, links, type names) and remote paths.
#pragma once

#include "Listing.h"

#include <QList>
#include <QString>
#include <QStringList>

struct RemoteRow {
    QString name;
    QString size; // KB with two decimals, "" for folders
    QString type; // "File Folder" for folders
    QString modified;
    QString attributes;
    QString owner;
    QString group;
    bool folder = false;
    bool link = false; // a symbolic link, whether it is shown as a folder or a file
    QString bytes;     // the listed size in bytes when the listing gives a plain number
};

namespace RemoteListing {

inline const QString kFolderType = QStringLiteral("File Folder");

// programDir + "Listings/" + one folder per account (user@host_port) + "/" + the
// directory with every "/" replaced by "_". Two servers on one host, or two users of
// one server, never share a cached listing.
QString cacheFile(const QString& programDir, const QString& host, const QString& port,
                  const QString& user, const QString& directory);
// "1536" gives "1.50"; "" gives ""; a text that is not a number gives "".
QString kilobytes(const QString& sizeText);
// One row per entry, "." and ".." left out, in listing order.
QList<RemoteRow> rows(const ListingColumns& columns);
// The folder above: "/pub" gives "/", "/" stays "/", "a/b" gives "a".
QString parent(const QString& directory);
// folder + name when the folder is "/", else folder + "/" + name.
QString join(const QString& folder, const QString& name);

// What a failure says to the user in the status bar: the engine's texts for failures of
// its own ("500 Connection refused by h:p (Winsock error #10061)") become words
// ("Connection refused by h:p", "Host not found: h:p"); a server's reply stays as it is.
// The log keeps the whole text, numbers included.
QString userReason(const QString& reason);

// Remote paths given to RNFR/RNTO are cut to 255 characters.
QString cut255(const QString& path);

// One entry moved on the server (RNFR from, RNTO to).
struct RemoteMove {
    QString from, to;
    bool operator==(const RemoteMove&) const = default;
};

// What "Cut" keeps until the next Cut: the folder, the names cut, their number and the
// path of the last one.
struct CutState {
    bool active = false;
    QString folder;
    QStringList names; // empty when one row was cut
    int count = 0;
    QString path;
};
CutState cut(const QString& displayed, const QStringList& captions);

// The moves "Paste" makes in the displayed folder, into the selected row's folder when
// one is selected; or the message that stops it when a row would go into itself.
struct PastePlan {
    QList<RemoteMove> moves;
    QString message;
};
PastePlan paste(const CutState& cut, const QString& displayed, const QString* selectedRow);

// Rows dragged onto the folder row `target` of the displayed folder: every dragged row
// but the target itself moves into it.
QList<RemoteMove> dragMoves(const QString& displayed, const QString& target,
                            const QStringList& names);

// Which commands of the remote pane's pop-up menu a selection of n rows, of which some
// are folders, allows.
struct SelectionCommands {
    bool always = true;    // New Directory, Refresh, Select All, Invert Selection
    bool single = false;   // BookMark Current Folder, Cut, Rename: exactly one row
    bool nonEmpty = false; // CHMOD, Download, Delete: one row or more
    bool files = false;    // Edit, View, Open: one row or more, none of them a folder
    bool paste = false;    // Paste: rows were cut and have not moved yet (the pane's)
};
SelectionCommands forSelection(int selectedRows, int selectedFolders = 0);

} // namespace RemoteListing
