// The texts and name rules of the transfer workers: the progress line, the ASCII
// rule, file and folder parts of a path, automatic renames, the shortened path of the
// progress panel, and the site address a queue item names.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace TransferText {

// "512.00KB of 2.00MB Done at 64.00KB/Sec TimeLeft=0:0:24": count bytes of expected so
// far (restart offset included), after seconds whole seconds of this transfer.
QString ProgressLine(qint64 count, qint64 expected, qint64 restartOffset, qint64 seconds);
// 100 when nothing is expected.
double Percent(qint64 count, qint64 expected);

// True when the path's extension (from the last "." of its file name) is one of the
// ASCII extensions, in any letter case.
bool IsAscii(const QString& path, const QStringList& asciiExtensions);

// The text after the last "/" (the whole path when there is none).
QString FileName(const QString& path);
// The folder of a path: the text before its last "/", or "/" when that "/" is the
// first character.
QString Folder(const QString& path);
// The file name's extension with its dot; "" when it has none.
QString Extension(const QString& path);
// The path with n between the file name's stem and its extension.
QString NumberedName(const QString& path, int n);
// A file name a user typed or a server listed that can stand as one local or remote
// name: not empty, not "." or "..", no "/", "\", NUL or other control character.
bool IsPlainName(const QString& name);
// How a listed name that is not plain reads in a message.
QString Printable(const QString& name);

// A queue item's "Ftp Site" text: "host" (port 21), "host:port" or "[v6-address]:port".
struct SiteAddress {
    QString host;
    QString port = QStringLiteral("21");
};
SiteAddress ParseSite(const QString& site);
QString SiteText(const QString& host, const QString& port);

} // namespace TransferText
