// The rows of the local list as a tree model: volumes or one folder's entries at the top,
// the entries of unfolded folders below their rows. Texts are made when a view asks for
// them, so a folder of 100,000 files costs one record per entry.
#pragma once

#include "LocalBrowse.h"

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <vector>

class LocalListModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Columns in the order of the list: the tree is drawn in the "Name" column.
    enum Column { FullPath, Name, Size, Type, Modified, ColumnCount };

    explicit LocalListModel(QObject* parent = nullptr);
    ~LocalListModel() override;

    // Replaces every row.
    void setRows(const QList<LocalEntry>& entries);
    // Replaces the children of a folder or volume row.
    void setChildren(const QModelIndex& row, const QList<LocalEntry>& entries);
    void clearChildren(const QModelIndex& row);
    // Whether the row's folder has been listed under it.
    bool isListed(const QModelIndex& row) const;

    // The row's entry, its size and time read from the file system on first use.
    const LocalEntry& entry(const QModelIndex& index) const;
    // The row (column 0) whose path is `path`, or an invalid index.
    QModelIndex findPath(const QString& path) const;

    // The "Name" column becomes editable while a rename runs.
    void setNameEditable(bool editable) { m_nameEditable = editable; }

    // The icon for a row, supplied by the window (icons are not Qt Core).
    std::function<QVariant(const LocalEntry&)> decoration;

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    // A name edited in place; the owner renames the entry.
    void nameEdited(const QModelIndex& row, const QString& newName);

private:
    struct Node;
    Node* node(const QModelIndex& index) const;
    QModelIndex indexOf(Node* n, int column = 0) const;
    void fill(Node* parent, const QList<LocalEntry>& entries);
    void sortChildren(Node* parent);

    std::unique_ptr<Node> m_root;
    int m_sortColumn = Name;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_nameEditable = false;
};
