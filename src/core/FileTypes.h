// What a file is called in the lists of both panes: the MIME database's comment for its
// name (by extension, or a whole-name pattern such as "Makefile"), first letter raised,
// and the theme icon name of that type. One source, so a type reads the same in both.
#pragma once

#include <QString>

struct FileType {
    QString name; // "Plain text document", "Unknown" where the database knows nothing
    QString icon; // a freedesktop icon name
};

FileType FileTypeOf(const QString& fileName);
