#include "QueueTrees.h"

#include "TreeItemStream.h"

#include <QTreeWidget>

Q_DECLARE_METATYPE(TreeItemState)

namespace QueueTrees {

namespace {

constexpr int kStateRole = Qt::UserRole + 1;
// What the file held for the item itself, so that a queue loaded and saved again comes
// out byte for byte: the main text's bytes (not always UTF-8), the state block, the hint.
constexpr int kRawTextRole = Qt::UserRole + 2;
constexpr int kBlockRole = Qt::UserRole + 3;
constexpr int kHintRole = Qt::UserRole + 4;

void addChildren(QTreeWidgetItem* parent, QTreeWidget* tree, const TreeRecord& record) {
    for (const TreeRecord& child : record.children) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, QString::fromUtf8(child.text));
        item->setData(0, kRawTextRole, child.text);
        item->setData(0, kBlockRole, QVariant::fromValue(child.state));
        item->setData(0, kHintRole, child.hint);
        for (int c = 0; c < child.columns.size(); ++c) {
            // The password column holds scrambled bytes: kept byte for byte.
            item->setData(c + 1, Qt::UserRole, child.columns[c]);
            item->setText(c + 1, QString::fromUtf8(child.columns[c]));
        }
        item->setData(0, kStateRole, child.state.imageIndex);
        item->setData(0, Qt::UserRole, int(child.columns.size()));
        item->setExpanded(child.state.flags & TreeItemState::Expanded);
        addChildren(item, tree, child);
    }
}

TreeRecord recordOf(const QTreeWidgetItem* item) {
    TreeRecord r;
    const QByteArray raw = item->data(0, kRawTextRole).toByteArray();
    // The stored bytes stand as long as the shown text is still theirs.
    r.text =
        !raw.isNull() && QString::fromUtf8(raw) == item->text(0) ? raw : item->text(0).toUtf8();
    const QVariant block = item->data(0, kBlockRole);
    if (block.isValid()) r.state = block.value<TreeItemState>();
    r.hint = item->data(0, kHintRole).toByteArray();
    r.state.imageIndex = item->data(0, kStateRole).toInt();
    if (item->isExpanded()) {
        r.state.flags |= TreeItemState::Expanded;
    } else {
        r.state.flags &= ~uint16_t(TreeItemState::Expanded);
    }
    const int columns = item->data(0, Qt::UserRole).toInt();
    for (int c = 0; c < columns; ++c) {
        const QVariant raw = item->data(c + 1, Qt::UserRole);
        r.columns << (raw.isValid() ? raw.toByteArray() : item->text(c + 1).toUtf8());
    }
    for (int i = 0; i < item->childCount(); ++i)
        r.children.push_back(recordOf(item->child(i)));
    return r;
}

} // namespace

void setUpColumns(QTreeWidget* tree, bool failedQueue) {
    QStringList headers = {
        QStringLiteral("Remote"),      QStringLiteral("Action"),   QStringLiteral("Local"),
        QStringLiteral("Size(Bytes)"), QStringLiteral("Status"),   QStringLiteral("Attempts"),
        QStringLiteral("Ftp Site"),    QStringLiteral("UserName"), QStringLiteral("PassWord")};
    if (failedQueue) headers << QStringLiteral("Error");
    tree->setHeaderLabels(headers);
    tree->setColumnHidden(8, true); // the scrambled password is never shown
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
}

bool load(QTreeWidget* tree, const QString& path, QString* error) {
    tree->clear();
    TreeRecord root;
    const bool ok = treestream::LoadFile(root, path, error);
    addChildren(nullptr, tree, root);
    return ok;
}

bool save(const QTreeWidget* tree, const QString& path, QString* error) {
    TreeRecord root;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        root.children.push_back(recordOf(tree->topLevelItem(i)));
    return treestream::SaveFile(root, path, error);
}

} // namespace QueueTrees
