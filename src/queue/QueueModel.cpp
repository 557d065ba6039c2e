#include "QueueModel.h"

#include <algorithm>
#include <functional>

namespace {

const char* const kHeaders[] = {"Remote",   "Action",   "Local",    "Size(Bytes)", "Status",
                                "Attempts", "Ftp Site", "UserName", "PassWord",    "Error"};

std::unique_ptr<QueueItem> itemOf(const TreeRecord& record, QueueItem* parent) {
    auto item = std::make_unique<QueueItem>();
    item->text = record.text;
    item->columns = record.columns;
    item->block = record.state;
    item->hint = record.hint;
    item->parent = parent;
    for (const TreeRecord& child : record.children) {
        item->children.push_back(itemOf(child, item.get()));
        item->children.back()->rowInParent = int(item->children.size()) - 1;
    }
    return item;
}

TreeRecord recordOf(const QueueItem& item) {
    TreeRecord r;
    r.text = item.text;
    r.columns = item.columns;
    r.state = item.block;
    r.hint = item.hint;
    for (const auto& child : item.children)
        r.children.push_back(recordOf(*child));
    return r;
}

} // namespace

QByteArray QueueItem::column(int number) const {
    if (number == 0) return text;
    return number - 1 < columns.size() ? columns[number - 1] : QByteArray();
}

namespace {

// The item may now be waiting: no scan may pass over it.
void lowerScanHints(QueueItem* item) {
    for (QueueItem* c = item; c->parent; c = c->parent)
        c->parent->scanFrom = std::min(c->parent->scanFrom, c->rowInParent);
}

bool waiting(int state) {
    return state == FolderWaiting || state == FileWaiting;
}

} // namespace

QString QueueStateIconName(int state) {
    switch (state) {
    case FolderWaiting:
        return QStringLiteral("folder");
    case FolderActive:
    case FolderExpanded:
        return QStringLiteral("folder-open");
    case DownloadFolderDone:
    case UploadFolderDone:
    case DownloadDone:
    case UploadDone:
        return QStringLiteral("emblem-default");
    case FolderCancelled:
    case FileCancelled:
        return QStringLiteral("process-stop");
    case FileWaiting:
        return QStringLiteral("appointment-soon");
    case FileActive:
        return QStringLiteral("media-playback-start");
    case Failed:
        return QStringLiteral("dialog-error");
    case Skipped:
        return QStringLiteral("media-skip-forward");
    default:
        return QStringLiteral("dialog-question");
    }
}

bool QueueStateNeedsAttention(int state) {
    return state == Failed || state == Skipped || state == FileCancelled ||
           state == FolderCancelled;
}

QueueModel::QueueModel(bool failedQueue, QObject* parent)
    : QAbstractItemModel(parent), m_failed(failedQueue), m_root(std::make_unique<QueueItem>()) {}

QueueModel::~QueueModel() = default;

QueueItem* QueueModel::itemAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<QueueItem*>(index.internalPointer()) : m_root.get();
}

QModelIndex QueueModel::indexOf(const QueueItem* item, int column) const {
    if (!item || item == m_root.get()) return {};
    return createIndex(item->row(), column, const_cast<QueueItem*>(item));
}

bool QueueModel::contains(const QueueItem* item) const {
    for (const QueueItem* i = item; i; i = i->parent) {
        if (i == m_root.get()) return true;
    }
    return false;
}

QueueItem* QueueModel::append(QueueItem* parent, std::unique_ptr<QueueItem> item) {
    if (!parent) parent = m_root.get();
    const int row = int(parent->children.size());
    beginInsertRows(indexOf(parent), row, row);
    item->parent = parent;
    item->rowInParent = row;
    QueueItem* added = item.get();
    parent->children.push_back(std::move(item));
    lowerScanHints(added);
    endInsertRows();
    return added;
}

void QueueModel::remove(QueueItem* item) {
    if (!item || item == m_root.get() || !contains(item)) return;
    QueueItem* parent = item->parent;
    const int row = item->row();
    beginRemoveRows(indexOf(parent), row, row);
    parent->children.erase(parent->children.begin() + row);
    for (size_t i = size_t(row); i < parent->children.size(); ++i)
        parent->children[i]->rowInParent = int(i);
    if (row < parent->scanFrom) --parent->scanFrom;
    endRemoveRows();
}

void QueueModel::clear() {
    beginResetModel();
    m_root->children.clear();
    m_root->scanFrom = 0;
    endResetModel();
}

void QueueModel::setColumn(QueueItem* item, int number, const QByteArray& text) {
    if (number <= 0) return;
    while (item->columns.size() < number)
        item->columns.append(QByteArray());
    if (item->columns[number - 1] == text) return;
    item->columns[number - 1] = text;
    if (number >= columnCount()) return; // kept in the item, not shown
    const QModelIndex at = indexOf(item, number);
    emit dataChanged(at, at);
}

void QueueModel::setState(QueueItem* item, int state) {
    if (item->block.imageIndex == state) return;
    item->block.imageIndex = state;
    if (waiting(state)) lowerScanHints(item);
    // The whole row: a failed or skipped row reads differently in every column.
    emit dataChanged(indexOf(item, 0), indexOf(item, columnCount() - 1));
}

void QueueModel::setExpanded(QueueItem* item, bool expanded) {
    if (expanded) {
        item->block.flags |= TreeItemState::Expanded;
    } else {
        item->block.flags &= ~uint16_t(TreeItemState::Expanded);
    }
}

QList<QueueItem*> QueueModel::items() const {
    QList<QueueItem*> all;
    std::function<void(QueueItem*)> walk = [&](QueueItem* item) {
        for (const auto& child : item->children) {
            all.append(child.get());
            walk(child.get());
        }
    };
    walk(m_root.get());
    return all;
}

void QueueModel::resetScanHints() {
    std::function<void(QueueItem*)> walk = [&](QueueItem* item) {
        item->scanFrom = 0;
        for (const auto& child : item->children)
            walk(child.get());
    };
    walk(m_root.get());
}

TreeRecord QueueModel::toRecord() const {
    return recordOf(*m_root);
}

void QueueModel::fromRecord(const TreeRecord& root) {
    beginResetModel();
    m_root = itemOf(root, nullptr);
    endResetModel();
}

bool QueueModel::load(const QString& path, QString* error) {
    clear();
    TreeRecord root;
    const bool ok = treestream::LoadFile(root, path, error);
    fromRecord(root);
    return ok;
}

bool QueueModel::save(const QString& path, QString* error) const {
    return treestream::SaveFile(toRecord(), path, error);
}

QModelIndex QueueModel::index(int row, int column, const QModelIndex& parent) const {
    const QueueItem* p = itemAt(parent);
    if (row < 0 || column < 0 || column >= columnCount() || size_t(row) >= p->children.size())
        return {};
    return createIndex(row, column, p->children[size_t(row)].get());
}

QModelIndex QueueModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return indexOf(itemAt(child)->parent);
}

int QueueModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) return 0;
    return int(itemAt(parent)->children.size());
}

int QueueModel::columnCount(const QModelIndex&) const {
    return m_failed ? 10 : 9;
}

QVariant QueueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const QueueItem* item = itemAt(index);
    switch (role) {
    case Qt::DisplayRole:
        // The password column holds scrambled bytes and is never shown.
        if (index.column() == 8) return QString();
        if (index.column() == 5 && !item->note.isEmpty())
            return QString::fromUtf8(item->column(5)) + QStringLiteral(" (") + item->note + u')';
        return QString::fromUtf8(item->column(index.column()));
    case kStateRole:
        return item->state();
    case kIconNameRole:
        return index.column() == 0 ? QueueStateIconName(item->state()) : QVariant();
    case kAttentionRole:
        return QueueStateNeedsAttention(item->state());
    case Qt::ToolTipRole:
        return hint(item);
    case Qt::TextAlignmentRole:
        switch (index.column()) {
        case 0:
        case 2:
        case 9:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case 3:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return int(Qt::AlignCenter);
        }
    default:
        return {};
    }
}

QString QueueModel::hint(const QueueItem* item) const {
    QString path;
    for (const QueueItem* at = item; at && at->parent; at = at->parent)
        path = path.isEmpty() ? QString::fromUtf8(at->text)
                              : QString::fromUtf8(at->text) + u'/' + path;
    const bool folder = item->state() < FileWaiting;
    QString text = path;
    if (!folder && isAsciiPath)
        text += isAsciiPath(path) ? QStringLiteral("\nTransfer type: ASCII (line ends converted)")
                                  : QStringLiteral("\nTransfer type: binary (bytes as they are)");
    const QByteArray error = item->column(9);
    if (m_failed && !error.isEmpty()) text += QStringLiteral("\n") + QString::fromUtf8(error);
    if (!item->note.isEmpty()) text += QStringLiteral("\n") + item->note;
    return text;
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= columnCount()) return {};
    return QLatin1String(kHeaders[section]);
}
