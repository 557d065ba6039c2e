// Reading FTP reply lines (RFC 959): the code at the start of a line, whether the line
// ends a reply, and the values the engine takes from particular replies (227, 257,
// 213). Pure text functions; they never look beyond the line they are given.
#pragma once

#include <QString>

namespace FtpReply {

// The number at the start of a line: blanks, an optional sign, then up to nine decimal
// digits. -1 when there are no digits; end (if given) receives the index after them.
int code(const QString& line, int* end = nullptr);

// A line that ends a reply: it starts with a digit and its code is not followed by "-"
// ("230-Welcome" opens a multi-line reply, "230 Done" or "230" ends it; lines that do
// not start with a digit belong to the reply's text).
bool isFinal(const QString& line);

// The data port of "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)". The host numbers
// are not used: the data connection goes where the control connection went. False when
// the reply does not hold six numbers 0-255 between parentheses.
bool passivePort(const QString& reply, int& port);

// The path of a 257 (or 250) reply: the text in double quotes after the code, a doubled
// quote standing for one quote. "" when the text after the code does not open a quote.
QString quotedPath(const QString& reply);

// The size of a 213 reply: the first word after the code as a number, 0 when it is none.
qint64 size(const QString& reply);

} // namespace FtpReply
