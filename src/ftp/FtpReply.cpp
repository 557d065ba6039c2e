#include "FtpReply.h"

#include <QStringList>

namespace FtpReply {

int code(const QString& line, int* end) {
    int i = 0;
    while (i < line.size() &&
           (line[i] == u' ' || line[i] == u'\t' || line[i] == u'\r' || line[i] == u'\n'))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == u'+' || line[i] == u'-')) negative = line[i++] == u'-';
    const int start = i;
    int value = 0;
    while (i < line.size() && line[i].isDigit() && i - start < 9)
        value = value * 10 + line[i++].digitValue();
    if (end) *end = i;
    if (i == start) return -1;
    return negative ? -value : value;
}

bool isFinal(const QString& line) {
    int end = 0;
    if (line.isEmpty() || !line[0].isDigit() || code(line, &end) < 0) return false;
    return !(end < line.size() && line[end] == u'-');
}

bool passivePort(const QString& reply, int& port) {
    const int open = reply.indexOf(u'(');
    const int close = reply.indexOf(u')', open + 1);
    if (open < 0 || close < 0) return false;
    const QStringList numbers = reply.mid(open + 1, close - open - 1).split(u',');
    if (numbers.size() != 6) return false;
    int values[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        values[i] = numbers[i].trimmed().toInt(&ok);
        if (!ok || values[i] < 0 || values[i] > 255) return false;
    }
    port = (values[4] << 8) | values[5];
    return true;
}

QString quotedPath(const QString& reply) {
    int i = 0;
    code(reply, &i);
    while (i < reply.size() && (reply[i] == u' ' || reply[i] == u'\t'))
        ++i;
    QString path;
    if (i >= reply.size() || reply[i] != u'"') return path;
    for (++i; i < reply.size(); ++i) {
        if (reply[i] == u'"') {
            if (i + 1 < reply.size() && reply[i + 1] == u'"') {
                path += u'"';
                ++i;
                continue;
            }
            break;
        }
        path += reply[i];
    }
    return path;
}

qint64 size(const QString& reply) {
    int end = 0;
    code(reply, &end);
    return reply.mid(end).trimmed().section(u' ', 0, 0).toLongLong();
}

} // namespace FtpReply
