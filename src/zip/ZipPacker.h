// Packs local files and folders into a standard zip archive with their directory names
// (libzip, deflate). A folder goes with everything in it except hidden entries and
// symbolic links; a file goes by itself, under its own name.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace ZipPacker {

struct Result {
    bool ok = false;
    bool cancelled = false;
    QString error; // why it failed, for the log
};

// The names the entries of `paths` take in the archive, folders with a trailing "/",
// in the order they are packed.
QStringList entryNames(const QStringList& paths);
// Creates `archive` (replacing a file of that name). progress(fraction) is called while
// the data is compressed; returning false cancels. A failed or cancelled archive is
// removed.
Result pack(const QStringList& paths, const QString& archive, int level,
            const std::function<bool(double)>& progress = {});

} // namespace ZipPacker
