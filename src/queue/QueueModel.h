// A transfer queue as a tree model: every item is at once the record of a transfer and
// its row in a view. An item keeps what its file record holds byte for byte (main text,
// column texts, the 48-byte state block whose image index is the item's state, and the
// hint), so a queue loaded and saved again comes out unchanged. Qt Core only: the
// scheduler, the workers and the queue commands work on it without a window.
#pragma once

#include "TreeItemStream.h"

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <vector>

// Item states; the number is what a queue file stores as the image index. 5 and 6 are
// not used.
enum QueueState : int {
    FolderWaiting = 0,
    FolderActive = 1,
    FolderExpanded = 2,
    DownloadFolderDone = 3,
    UploadFolderDone = 4,
    FolderCancelled = 7,
    FileWaiting = 8,
    FileActive = 9,
    DownloadDone = 10,
    UploadDone = 11,
    Failed = 12,
    Skipped = 13,
    FileCancelled = 14,
};

struct QueueItem {
    QByteArray text; // the full remote path at the top level, a bare name below
    QByteArrayList columns;
    TreeItemState block;
    QByteArray hint;
    QueueItem* parent = nullptr;
    std::vector<std::unique_ptr<QueueItem>> children;
    // Not stored: the item's row under its parent, and the first child row whose
    // subtree may still hold an item waiting to be started (the scan starts there).
    int rowInParent = 0;
    int scanFrom = 0;
    // Not stored either: a failed attempt's item waits until then (steady clock, ms)
    // before it is tried again, and the row says so.
    qint64 retryAt = 0;
    QString note;

    int state() const { return block.imageIndex; }
    // A text column by number (Action is 1; 0 is the main text); "" past the end.
    QByteArray column(int number) const;
    int row() const { return rowInParent; }
};

// The freedesktop icon name of a state's row, and whether the row needs the user's eye
// (failed, skipped or cancelled: it never completes by itself).
QString QueueStateIconName(int state);
bool QueueStateNeedsAttention(int state);

class QueueModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int kStateRole = Qt::UserRole + 1;
    // The state's icon name (QueueStateIconName); the window turns it into an icon.
    static constexpr int kIconNameRole = Qt::UserRole + 2;
    static constexpr int kAttentionRole = Qt::UserRole + 3;

    // The row's hint names the transfer type the item goes in ("ASCII" or "binary");
    // the queue operations give the rule, which knows the ASCII extensions.
    std::function<bool(const QString& remotePath)> isAsciiPath;

    // The failed queue shows the "Error" column as well.
    explicit QueueModel(bool failedQueue, QObject* parent = nullptr);
    ~QueueModel() override;

    bool failedQueue() const { return m_failed; }
    // The invisible root; its children are the top-level items.
    QueueItem* root() const { return m_root.get(); }
    QueueItem* itemAt(const QModelIndex& index) const;
    QModelIndex indexOf(const QueueItem* item, int column = 0) const;
    // Whether a live item belongs to this model (never ask about a removed one).
    bool contains(const QueueItem* item) const;

    // Appends as the last child of parent (the root when null) and returns the item.
    QueueItem* append(QueueItem* parent, std::unique_ptr<QueueItem> item);
    // Removes the item with its children; pointers to them are no longer valid.
    void remove(QueueItem* item);
    void clear();
    void setColumn(QueueItem* item, int number, const QByteArray& text);
    void setState(QueueItem* item, int state);
    // Kept in the state block, so that a saved queue opens its folders as they were.
    void setExpanded(QueueItem* item, bool expanded);
    // Every item, in tree order (parents before their children).
    QList<QueueItem*> items() const;
    // After a change that may make any item waiting again (the attempt limit rose).
    void resetScanHints();

    TreeRecord toRecord() const;
    void fromRecord(const TreeRecord& root);
    // Loading empties the queue first; on damage the items read before it stay.
    bool load(const QString& path, QString* error);
    bool save(const QString& path, QString* error) const;

    // QAbstractItemModel.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString hint(const QueueItem* item) const;

    bool m_failed;
    std::unique_ptr<QueueItem> m_root;
};
