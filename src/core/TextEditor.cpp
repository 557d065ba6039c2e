#include "TextEditor.h"

#include <QProcess>
#include <QStandardPaths>

QStringList TextEditor::command() {
    for (const char* variable : {"QUILLON_EDITOR", "VISUAL"}) {
        const QString value = qEnvironmentVariable(variable).trimmed();
        if (!value.isEmpty()) {
            const QStringList parts = QProcess::splitCommand(value);
            if (!parts.isEmpty()) return parts;
        }
    }
    for (const char* name : {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma",
                             "xed", "featherpad", "leafpad", "geany"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty()) return {found};
    }
    return {};
}

QString TextEditor::open(const QString& path) {
    QStringList args = command();
    if (args.isEmpty()) {
        return QStringLiteral("No text editor was found. Set QUILLON_EDITOR (or VISUAL) to the "
                              "editor to use.");
    }
    const QString program = args.takeFirst();
    args.append(path);
    if (!QProcess::startDetached(program, args))
        return QStringLiteral("The editor \"%1\" could not be started.").arg(program);
    return {};
}
