// The names of an archive upload: the archive's file name from what the user typed, the
// self-extracting program's name, and the remote path the archive goes to.
#pragma once

#include <QString>

namespace ZipNaming {

// ".zip" added unless the name already ends in ".zip" in any letter case.
QString archiveName(const QString& typed);
// "" when the typed name can be a file name in the archive folder, else why not.
QString problem(const QString& typed);
// The archive's path with its extension replaced by ".exe".
QString programName(const QString& archivePath);
// "/" + name in the root, directory + "/" + name elsewhere.
QString remotePath(const QString& remoteDirectory, const QString& fileName);

} // namespace ZipNaming
