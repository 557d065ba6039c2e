// The session log's contents: lines of text, each with the colour of its kind fixed
// when it was appended. The window shows them in `ftplog`; this class holds the rules
// (kinds, the protocol trace, saving) so they can be tested without a window.
#pragma once

#include <QList>
#include <QString>
#include <QTime>

#include <functional>

class SessionLog {
public:
    enum Kind { Error = 0, Information = 1, Command = 2, Reply = 3 };

    struct Line {
        QString text;
        int colour; // Windows colour value 0x00BBGGRR
        QTime at;   // when it was appended, for the log's optional time stamps
    };

    // The colour setting of a kind, read at the moment a line is appended.
    std::function<int(int kind)> colourOf;
    std::function<void(const Line&)> onAppended;
    std::function<void()> onCleared;

    // Kinds 0-3 take their colour; any other kind keeps the colour of the line before.
    void appendLine(const QString& text, int kind);
    // A display line of the FTP client: "> " commands and "< " replies, with the
    // password of a PASS command masked. Lines with neither mark are dropped.
    void traceLine(const QString& display);
    void clear();
    // Plain text, one line per log line, CR LF line ends, no colours.
    bool save(const QString& path, QString* error = nullptr) const;

    const QList<Line>& lines() const { return m_lines; }

private:
    QList<Line> m_lines;
    int m_colour = 0;
};
