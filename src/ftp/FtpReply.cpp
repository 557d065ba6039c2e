#include "FtpReply.h"

#include <QRegularExpression>
#include <QStringList>

FtpReplyReader::Result FtpReplyReader::next(Line& line) {
    const qsizetype end = m_acceptLF ? m_buffer.indexOf('\n') : m_buffer.indexOf("\r\n");
    if (end < 0) return room() <= 0 ? Result::LineTooLong : Result::NeedMore;
    const qsizetype used = end + (m_acceptLF ? 1 : 2);
    QByteArray raw = m_buffer.left(end);
    while (!raw.isEmpty() && (raw.endsWith('\r') || raw.endsWith('\n')))
        raw.chop(1);
    m_buffer.remove(0, used);
    line.early = m_early > 0;
    m_early = std::max<qsizetype>(0, m_early - used);
    line.text = QString::fromUtf8(raw);
    line.code = FtpReply::code(line.text);
    line.final = FtpReply::isFinal(line.text);
    m_replyLines = line.final ? 0 : m_replyLines + 1;
    return m_replyLines > kMaxReplyLines ? Result::ReplyTooLong : Result::Line;
}

void FtpReplyReader::clear() {
    m_buffer.clear();
    m_early = 0;
    m_replyLines = 0;
}

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

qint64 byteCount(const QString& text) {
    constexpr qint64 kLimit = qint64(1) << 62;
    if (text.isEmpty() || text.size() > 19) return -1;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9' || value > kLimit / 10) return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= kLimit ? value : -1;
}

qint64 size(const QString& reply) {
    int end = 0;
    code(reply, &end);
    return byteCount(reply.mid(end).trimmed().section(u' ', 0, 0));
}

qint64 announcedSize(const QString& reply) {
    static const QRegularExpression bytes(QStringLiteral("\\((\\d+) bytes?\\)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = bytes.match(reply);
    return m.hasMatch() ? byteCount(m.captured(1)) : -1;
}

} // namespace FtpReply
