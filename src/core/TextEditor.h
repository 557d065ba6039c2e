// The user's text editor, started without waiting for it: QUILLON_EDITOR when set, else
// VISUAL, else the first of the common desktop editors found on the PATH.
#pragma once

#include <QString>
#include <QStringList>

namespace TextEditor {

// The program and its leading arguments; empty when there is no editor.
QStringList command();
// Starts the editor on the file; the error text for the user, "" once it runs.
QString open(const QString& path);

} // namespace TextEditor
