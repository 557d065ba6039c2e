// Reading FTP replies (RFC 959): the reader that splits the control connection's bytes
// into reply lines within fixed limits, the code at the start of a line, whether the
// line ends a reply, and the values the engine takes from particular replies (227, 257,
// 213, the byte count of a 150). The text functions never look beyond the line they are
// given; none of this touches a socket.
#pragma once

#include <QByteArray>
#include <QString>

// The control connection's bytes as reply lines. A line may be at most kBufferSize - 1
// bytes and one reply at most kMaxReplyLines lines: a server that exceeds either can
// no longer be followed.
class FtpReplyReader {
public:
    static constexpr int kBufferSize = 4096;
    static constexpr int kMaxReplyLines = 10000;

    struct Line {
        QString text; // without its line end
        int code = -1;
        bool final = false;
        // The line had begun to arrive before the last command was sent, so it cannot
        // be that command's reply.
        bool early = false;
    };
    enum class Result { Line, NeedMore, LineTooLong, ReplyTooLong };

    // Lines end with LF (true) or only with CR LF (false).
    void setAcceptLF(bool on) { m_acceptLF = on; }
    // How many bytes may be appended now.
    int room() const { return kBufferSize - 1 - int(m_buffer.size()); }
    void append(const char* data, int n) { m_buffer.append(data, n); }
    Result next(Line& line);
    // Bytes of a line that has not ended yet.
    qsizetype buffered() const { return m_buffer.size(); }
    // A command goes out now: nothing received so far can be its reply.
    void commandSent() { m_early = m_buffer.size(); }
    void clear();

private:
    QByteArray m_buffer;
    qsizetype m_early = 0;
    int m_replyLines = 0;
    bool m_acceptLF = true;
};

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

// A byte count as servers write it: decimal digits only, no sign, at most 2^62.
// -1 when the text is anything else.
qint64 byteCount(const QString& text);

// The size of a 213 reply: the first word after the code, by the byteCount rule.
qint64 size(const QString& reply);

// The byte count a 150 reply announces, "(1048576 bytes)"; -1 when it names none.
qint64 announcedSize(const QString& reply);

} // namespace FtpReply
