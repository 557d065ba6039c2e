#include "SessionLog.h"

#include <QSaveFile>

void SessionLog::appendLine(const QString& text, int kind) {
    if (kind >= Error && kind <= Reply && colourOf) m_colour = colourOf(kind);
    m_lines.append({text, m_colour, QTime::currentTime()});
    if (onAppended) onAppended(m_lines.last());
}

void SessionLog::traceLine(const QString& display) {
    QString line = display;
    if (line.left(6).compare(QLatin1String("> PASS"), Qt::CaseInsensitive) == 0) {
        line = QStringLiteral("> PASS *******");
    }
    if (line.contains(u'>')) {
        appendLine(line, Command);
    } else if (line.contains(u'<')) {
        appendLine(line, Reply);
    }
}

void SessionLog::clear() {
    m_lines.clear();
    if (onCleared) onCleared();
}

bool SessionLog::save(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        for (const Line& l : m_lines)
            file.write((l.text + QStringLiteral("\r\n")).toUtf8());
        if (file.commit()) return true;
    }
    if (error) *error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
    return false;
}
