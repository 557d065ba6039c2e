// Where upload archives are made: one folder per archive inside this run's owner-only
// folder under the temp folder, so two uploads of one name never meet. A folder goes
// once no queue item names its archive any more.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace ZipFolders {

// This run's folder ("" when it cannot be made).
QString root();
// A new empty folder for one archive ("" when it cannot be made).
QString newFolder();
// Of `folders`, those no path of `stillNeeded` lies in are removed; returns the ones
// that stay. The run's folder goes too once it is empty.
QSet<QString> sweep(const QSet<QString>& folders, const QStringList& stillNeeded);

} // namespace ZipFolders
