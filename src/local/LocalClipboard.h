// Local files on the desktop clipboard, in the forms desktop file managers write and read:
// a URI list, GNOME's "x-special/gnome-copied-files" ("copy" or "cut", then the URIs)
// and KDE's cut mark.
#pragma once

#include <QStringList>

class QMimeData;

struct ClipboardFiles {
    QStringList paths; // local paths, without a final "/"
    bool cut = false;
};

namespace LocalClipboard {

// The caller owns the result (the clipboard takes it over).
QMimeData* encode(const QStringList& paths, bool cut);
// Only local files count; anything else on the clipboard gives no paths.
ClipboardFiles decode(const QMimeData* data);

} // namespace LocalClipboard
