#include "LocalListModel.h"

#include "NaturalOrder.h"

#include <algorithm>

struct LocalListModel::Node {
    LocalEntry entry;
    Node* parent = nullptr;
    int row = 0;
    bool listed = false;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

const char* const kHeaders[] = {"Full path", "Name", "Size(KB)", "Type", "Modified"};

} // namespace

LocalListModel::LocalListModel(QObject* parent)
    : QAbstractItemModel(parent), m_root(std::make_unique<Node>()) {}

LocalListModel::~LocalListModel() = default;

LocalListModel::Node* LocalListModel::node(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_root.get();
}

QModelIndex LocalListModel::indexOf(Node* n, int column) const {
    if (!n || n == m_root.get()) return {};
    return createIndex(n->row, column, n);
}

void LocalListModel::fill(Node* parent, const QList<LocalEntry>& entries) {
    parent->children.clear();
    parent->children.reserve(size_t(entries.size()));
    for (const LocalEntry& e : entries) {
        auto n = std::make_unique<Node>();
        n->entry = e;
        n->parent = parent;
        parent->children.push_back(std::move(n));
    }
    parent->listed = true;
    sortChildren(parent);
}

void LocalListModel::setRows(const QList<LocalEntry>& entries) {
    beginResetModel();
    m_root = std::make_unique<Node>();
    fill(m_root.get(), entries);
    endResetModel();
}

void LocalListModel::setChildren(const QModelIndex& row, const QList<LocalEntry>& entries) {
    Node* parent = node(row.siblingAtColumn(0));
    clearChildren(row);
    if (entries.isEmpty()) {
        parent->listed = true;
        return;
    }
    beginInsertRows(row.siblingAtColumn(0), 0, int(entries.size()) - 1);
    fill(parent, entries);
    endInsertRows();
}

void LocalListModel::clearChildren(const QModelIndex& row) {
    Node* parent = node(row.siblingAtColumn(0));
    parent->listed = false;
    if (parent->children.empty()) return;
    beginRemoveRows(row.siblingAtColumn(0), 0, int(parent->children.size()) - 1);
    parent->children.clear();
    endRemoveRows();
}

bool LocalListModel::isListed(const QModelIndex& row) const {
    return node(row.siblingAtColumn(0))->listed;
}

const LocalEntry& LocalListModel::entry(const QModelIndex& index) const {
    Node* n = node(index);
    Local_Browse::Complete(n->entry);
    return n->entry;
}

QModelIndex LocalListModel::findPath(const QString& path) const {
    std::vector<Node*> stack{m_root.get()};
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        for (const auto& child : n->children) {
            if (child->entry.path == path) return indexOf(child.get());
            if (!child->children.empty() && path.startsWith(child->entry.path))
                stack.push_back(child.get());
        }
    }
    return {};
}

QModelIndex LocalListModel::index(int row, int column, const QModelIndex& parent) const {
    Node* p = node(parent);
    if (row < 0 || column < 0 || column >= ColumnCount || size_t(row) >= p->children.size())
        return {};
    return createIndex(row, column, p->children[size_t(row)].get());
}

QModelIndex LocalListModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return indexOf(node(child)->parent);
}

int LocalListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) return 0;
    return int(node(parent)->children.size());
}

int LocalListModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

bool LocalListModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return !m_root->children.empty();
    const Node* n = node(parent);
    // Folder and volume rows always offer to unfold; once listed, they tell the truth.
    if (n->entry.isFolder()) return !n->listed || !n->children.empty();
    return false;
}

QVariant LocalListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const LocalEntry& e = entry(index);
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        switch (index.column()) {
        case FullPath:
            return e.path;
        case Name:
            return e.name;
        case Size:
            return e.kind == LocalEntry::File ? Local_Browse::SizeText(e.size) : QString();
        case Type:
            return e.type;
        case Modified:
            return e.kind == LocalEntry::Volume ? QString()
                                                : Local_Browse::ModifiedText(e.modified);
        default:
            return {};
        }
    }
    if (role == Qt::DecorationRole && index.column() == Name && decoration) return decoration(e);
    if (role == Qt::ToolTipRole && index.column() == Name) return e.path;
    if (role == Qt::TextAlignmentRole && index.column() == Size)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool LocalListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != Name || !index.isValid()) return false;
    const QString name = value.toString();
    if (name.isEmpty() || name == node(index)->entry.name) return false;
    emit nameEdited(index.siblingAtColumn(0), name);
    return true;
}

QVariant LocalListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return QLatin1String(kHeaders[section]);
}

Qt::ItemFlags LocalListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (node(index)->entry.isFolder()) f |= Qt::ItemIsDropEnabled;
    if (m_nameEditable && index.column() == Name && node(index)->entry.kind != LocalEntry::Volume)
        f |= Qt::ItemIsEditable;
    return f;
}

void LocalListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount) return;
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<Node*> nodes;
    nodes.reserve(size_t(before.size()));
    for (const QModelIndex& i : before)
        nodes.push_back(node(i));
    m_sortColumn = column;
    m_sortOrder = order;
    std::vector<Node*> stack{m_root.get()};
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        sortChildren(n);
        for (const auto& child : n->children) {
            if (!child->children.empty()) stack.push_back(child.get());
        }
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(indexOf(nodes[size_t(i)], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void LocalListModel::sortChildren(Node* parent) {
    auto& children = parent->children;
    if (m_sortColumn != Name && m_sortColumn != FullPath) {
        for (auto& child : children)
            Local_Browse::Complete(child->entry);
    }
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    auto ordered = [descending](auto less) {
        return [less, descending](const std::unique_ptr<Node>& a, const std::unique_ptr<Node>& b) {
            return descending ? less(*b, *a) : less(*a, *b);
        };
    };
    switch (m_sortColumn) {
    case FullPath:
        std::stable_sort(
            children.begin(), children.end(),
            ordered([](const Node& a, const Node& b) { return a.entry.path < b.entry.path; }));
        break;
    case Size:
        // Folders have no size: they come before every file.
        std::stable_sort(children.begin(), children.end(),
                         ordered([](const Node& a, const Node& b) {
                             const qint64 x = a.entry.isFolder() ? -1 : a.entry.size;
                             const qint64 y = b.entry.isFolder() ? -1 : b.entry.size;
                             return x < y;
                         }));
        break;
    case Type:
        std::stable_sort(children.begin(), children.end(),
                         ordered([](const Node& a, const Node& b) {
                             return a.entry.type.compare(b.entry.type, Qt::CaseInsensitive) < 0;
                         }));
        break;
    case Modified:
        std::stable_sort(children.begin(), children.end(),
                         ordered([](const Node& a, const Node& b) {
                             return a.entry.modified < b.entry.modified;
                         }));
        break;
    default: {
        // The full paths as a person reads them: numbers by value, without regard to case.
        std::stable_sort(children.begin(), children.end(),
                         ordered([](const Node& x, const Node& y) {
                             return naturalCompare(x.entry.path, y.entry.path) < 0;
                         }));
        break;
    }
    }
    // Folders stay above files whichever way the column sorts.
    std::stable_partition(children.begin(), children.end(),
                          [](const std::unique_ptr<Node>& n) { return n->entry.isFolder(); });
    for (size_t i = 0; i < children.size(); ++i)
        children[i]->row = int(i);
}
