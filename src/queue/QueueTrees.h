// The queue lists in the window and their file form: column 0 holds an item's main
// text, the following columns its column texts, and the item's state number rides in
// the item's data.
#pragma once

#include <QString>

class QTreeWidget;

namespace QueueTrees {

void setUpColumns(QTreeWidget* tree, bool failedQueue);
// Empties the tree and loads the file; on damage the items read before stay and the
// message is returned.
bool load(QTreeWidget* tree, const QString& path, QString* error);
bool save(const QTreeWidget* tree, const QString& path, QString* error);

} // namespace QueueTrees
