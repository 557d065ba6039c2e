#include "QueueManager.h"

#include "Scramble.h"

#include <QSet>

namespace {

// Sizes, statuses and attempts are decimal texts; anything else counts as 0.
qint64 number(const QByteArray& text) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    return ok ? n : 0;
}

enum Column {
    Op = 1,
    Local = 2,
    Size = 3,
    Status = 4,
    Attempts = 5,
    Host = 6,
    User = 7,
    Pass = 8,
    Error = 9,
    // Working queue only, not shown: "partial" while a download's local file holds
    // part of the file.
    Partial = 9
};

int columnOf(const QString& key) {
    static const std::pair<const char*, int> keys[] = {
        {"op", Op},         {"local_path", Local},  {"size", Size},
        {"status", Status}, {"attempts", Attempts}, {"host", Host},
        {"user", User},     {"pass", Pass}};
    for (const auto& [name, column] : keys) {
        if (key == QLatin1String(name)) return column;
    }
    return -1;
}

// Every folder state: an expanded or a cancelled folder copied as a file would be
// fetched as one.
bool isFolderState(int state) {
    return state == FolderWaiting || state == FolderActive || state == FolderExpanded ||
           state == DownloadFolderDone || state == UploadFolderDone || state == FolderCancelled;
}

void forget(QSet<const QueueItem*>& live, const QueueItem* item) {
    live.remove(item);
    for (const auto& child : item->children)
        forget(live, child.get());
}

std::unique_ptr<QueueItem> waitingCopy(const QueueItem* item, QByteArrayList columns) {
    auto copy = std::make_unique<QueueItem>();
    copy->text = queue_manager::GetField(item, QStringLiteral("remote_path"));
    copy->columns = std::move(columns);
    copy->block.imageIndex = queue_manager::WaitingState(item->state());
    return copy;
}

} // namespace

queue_manager::queue_manager(QueueModel& queue, QueueModel& failQueue,
                             const SettingsSource& settings)
    : m_queue(queue), m_failQueue(failQueue), m_settings(settings) {}

bool queue_manager::Completed(int state) {
    return state == DownloadFolderDone || state == UploadFolderDone || state == DownloadDone ||
           state == UploadDone;
}

int queue_manager::WaitingState(int state) {
    return isFolderState(state) ? FolderWaiting : FileWaiting;
}

QueueItem* queue_manager::AddItem(QueueModel& tree, const QString& op, const QString& local,
                                  const QString& remote, const QString& size, const QString& host,
                                  const QString& user, const QString& pass, bool isFolder,
                                  QueueItem* parent) {
    QString siteHost = host, siteUser = user;
    if (m_settings.text(Setting::ConnectionType) == QLatin1String("Proxy")) {
        // Through a proxy the user name is "name@server": the server is the site.
        const qsizetype at = user.indexOf(u'@');
        siteHost = at < 0 ? user : user.mid(at + 1);
        siteUser = at < 0 ? QString() : user.left(at);
    }
    auto item = std::make_unique<QueueItem>();
    item->text = remote.toUtf8();
    item->columns = {op == QLatin1String("download") ? "-->" : "<--",
                     local.toUtf8(),
                     isFolder ? QByteArray() : size.toUtf8(),
                     "0",
                     "0",
                     siteHost.toUtf8(),
                     siteUser.toUtf8(),
                     Scramble(pass.toUtf8())};
    item->block.imageIndex = isFolder ? FolderWaiting : FileWaiting;
    return tree.append(parent, std::move(item));
}

QueueItem* queue_manager::AddChild(QueueModel& tree, QueueItem* folder, const QString& local,
                                   const QString& remote, const QString& size, bool isFolder) {
    auto item = std::make_unique<QueueItem>();
    item->text = remote.toUtf8();
    item->columns = {folder->column(Op),
                     local.toUtf8(),
                     isFolder ? QByteArray() : size.toUtf8(),
                     "0",
                     "0",
                     folder->column(Host),
                     folder->column(User),
                     folder->column(Pass)};
    item->block.imageIndex = isFolder ? FolderWaiting : FileWaiting;
    return tree.append(folder, std::move(item));
}

QByteArray queue_manager::GetField(const QueueItem* item, const QString& key) {
    if (key == QLatin1String("remote_path")) {
        QByteArray path = item->text;
        for (const QueueItem* p = item->parent; p && p->parent; p = p->parent)
            path = p->text + '/' + path;
        return path;
    }
    const int column = columnOf(key);
    if (column < 0) return {};
    return column == Pass ? Scramble(item->column(Pass)) : item->column(column);
}

void queue_manager::SetCount(QueueModel& tree, QueueItem* item, const QString& key, int n) {
    const int column = columnOf(key);
    if (column != Status && column != Attempts) return;
    tree.setColumn(item, column, QByteArray::number(n));
    if (column == Status) RollUp(tree, item);
}

void queue_manager::RollUp(QueueModel& tree, QueueItem* item) {
    for (QueueItem* c = item; c->parent && c->parent->parent;) {
        QueueItem* p = c->parent;
        if (p->column(Size).isEmpty()) {
            qint64 sum = 0;
            for (const auto& child : p->children) {
                if (child->column(Size).isEmpty()) return;
                sum += number(child->column(Size));
            }
            tree.setColumn(p, Size, QByteArray::number(sum));
        }
        double total = 0;
        bool allDone = true;
        for (const auto& child : p->children) {
            const qint64 size = number(child->column(Size));
            if (child->column(Status) == "100") {
                total += double(size);
            } else {
                allDone = false;
                total += double(size) * (double(number(child->column(Status))) * 0.01);
            }
        }
        const qint64 folderSize = number(p->column(Size));
        const qint64 status = folderSize != 0 ? qint64(total / double(folderSize) * 100) : 100;
        tree.setColumn(p, Status, QByteArray::number(status));
        if (allDone) {
            // A completed top-level folder may be deleted by the event.
            const bool top = !p->parent->parent;
            ApplyEvent(tree, p,
                       p->column(Op) == "-->" ? QueueEvent::DownloadFolderComplete
                                              : QueueEvent::UploadFolderComplete);
            if (top) return;
        }
        c = p;
    }
}

void queue_manager::ApplyEvent(QueueModel& tree, QueueItem* item, QueueEvent event,
                               const QString& text) {
    switch (event) {
    case QueueEvent::UploadFinished:
        tree.setState(item, UploadDone);
        break;
    case QueueEvent::DownloadFinished:
        tree.setState(item, DownloadDone);
        break;
    case QueueEvent::FileCancel:
        tree.setState(item, FileCancelled);
        break;
    case QueueEvent::SkipFile:
        tree.setState(item, Skipped);
        break;
    case QueueEvent::Refused:
        CopyToFailedQueue(item, text);
        tree.setState(item, Failed);
        break;
    case QueueEvent::AttemptFailed:
        if (number(item->column(Attempts)) >= m_settings.integer(Setting::AttemptsAllowed)) {
            CopyToFailedQueue(item, text);
            tree.setState(item, Failed);
        } else if (item->state() == FolderActive) {
            tree.setState(item, FolderWaiting);
        } else if (item->state() == FileActive) {
            tree.setState(item, FileWaiting);
        }
        break;
    case QueueEvent::FolderStart:
        tree.setState(item, FolderActive);
        break;
    case QueueEvent::ExpansionDone:
        tree.setState(item, FolderExpanded);
        if (item->children.empty()) {
            // Done before the roll-up: completing the parent may delete the whole
            // top-level folder, this one with it.
            tree.setColumn(item, Size, "0");
            tree.setState(item, item->column(Op) == "-->" ? DownloadFolderDone : UploadFolderDone);
            SetCount(tree, item, QStringLiteral("status"), 100);
        }
        break;
    case QueueEvent::FileStart:
        tree.setState(item, FileActive);
        break;
    case QueueEvent::DownloadFolderComplete:
        tree.setState(item, DownloadFolderDone);
        break;
    case QueueEvent::UploadFolderComplete:
        tree.setState(item, UploadFolderDone);
        break;
    case QueueEvent::FolderCancel:
        tree.setState(item, FolderCancelled);
        break;
    }
    if (m_settings.flag(Setting::DeleteCompleted)) DeleteCompleted(m_queue);
}

void queue_manager::CopyToFailedQueue(const QueueItem* item, const QString& errorText) {
    QByteArrayList columns = item->columns;
    // The error text is the tenth column, whatever the item carried beyond its eight.
    while (columns.size() < Error - 1)
        columns.append(QByteArray());
    columns = columns.mid(0, Error - 1);
    columns.append(errorText.toUtf8());
    m_failQueue.append(nullptr, waitingCopy(item, columns));
}

void queue_manager::CopySelectedToFailed(const QList<QueueItem*>& selected, bool move) {
    const QList<QueueItem*> all = m_queue.items();
    QSet<const QueueItem*> live(all.begin(), all.end());
    for (QueueItem* item : selected) {
        // A child already gone with its folder is not visited.
        if (!live.contains(item)) continue;
        CopyToFailedQueue(item, QString());
        if (!move) continue;
        forget(live, item);
        m_queue.remove(item);
    }
}

void queue_manager::DeleteSelected(QueueModel& tree, const QList<QueueItem*>& selected) {
    // Children go before their parents: in reverse tree order.
    const QSet<const QueueItem*> chosen(selected.begin(), selected.end());
    QList<QueueItem*> ordered;
    for (QueueItem* item : tree.items()) {
        if (chosen.contains(item)) ordered.append(item);
    }
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it)
        tree.remove(*it);
}

void queue_manager::DeleteCompleted(QueueModel& tree) {
    QList<QueueItem*> done;
    for (const auto& item : tree.root()->children) {
        if (Completed(item->state())) done.append(item.get());
    }
    for (QueueItem* item : done)
        tree.remove(item);
}

void queue_manager::CopyItemsForRetry(const QList<QueueItem*>& selected, QueueModel& target) {
    for (const QueueItem* item : selected) {
        QByteArrayList columns =
            item->columns.size() > Pass ? item->columns.mid(0, Pass) : item->columns;
        while (columns.size() < Attempts)
            columns.append(QByteArray());
        columns[Attempts - 1] = "0";
        target.append(nullptr, waitingCopy(item, columns));
    }
}

void queue_manager::ReplaceFromTree(QueueModel& target, QueueModel& source) {
    // The copy goes through the file form, as a queue file would carry it.
    target.fromRecord(source.toRecord());
    for (QueueItem* item : target.items())
        target.setColumn(item, Attempts, "0");
    source.clear();
}

bool queue_manager::RestartFlat() {
    DeleteCompleted(m_queue);
    if (m_queue.root()->children.empty()) return false;
    QueueModel scratch(false);
    // Each transfer once: a folder that was expanded is represented by its entries
    // (its own copy would expand it again beside them), and what is done stays done.
    QList<QueueItem*> items;
    for (QueueItem* item : m_queue.items()) {
        bool done = false;
        for (const QueueItem* i = item; i && i->parent; i = i->parent)
            done = done || Completed(i->state());
        if (done) continue;
        if (isFolderState(item->state()) && !item->children.empty()) continue;
        items.append(item);
    }
    CopyItemsForRetry(items, scratch);
    // A download that holds part of its file still resumes it.
    for (int i = 0; i < items.size(); ++i) {
        if (PartialDownload(items[i]))
            SetPartialDownload(scratch, scratch.root()->children[size_t(i)].get(), true);
    }
    ReplaceFromTree(m_queue, scratch);
    return true;
}

int queue_manager::RefuseUnsafeLocalPaths(QueueModel& tree) {
    auto unsafe = [](const QByteArray& path) {
        if (path.isEmpty()) return false; // a failed entry with nowhere to go
        if (!path.startsWith('/')) return true;
        for (const QByteArray& part : path.split('/')) {
            if (part == "." || part == "..") return true;
        }
        return false;
    };
    QList<QueueItem*> refused;
    for (QueueItem* item : tree.items()) {
        bool under = false; // a refused folder takes its entries with it
        for (const QueueItem* p = item->parent; p; p = p->parent)
            under = under || refused.contains(p);
        if (!under && unsafe(item->column(Local))) refused.append(item);
    }
    for (QueueItem* item : refused) {
        const QString why =
            QStringLiteral("Not transferred: the queue file gave the local path %1, "
                           "which is not a plain absolute path")
                .arg(QString::fromUtf8(item->column(Local)));
        if (&tree == &m_failQueue) {
            tree.setColumn(item, Local, QByteArray());
            tree.setColumn(item, Partial, why.toUtf8());
        } else {
            CopyToFailedQueue(item, why);
            m_failQueue.setColumn(m_failQueue.root()->children.back().get(), Local, QByteArray());
            tree.remove(item);
        }
    }
    return int(refused.size());
}

void queue_manager::ResumeInterrupted(QueueModel& tree) {
    for (QueueItem* item : tree.items()) {
        if (item->state() == FileActive) tree.setState(item, FileWaiting);
        if (item->state() == FolderActive) tree.setState(item, FolderWaiting);
    }
}

bool queue_manager::PartialDownload(const QueueItem* item) {
    return item->column(Partial) == "partial";
}

void queue_manager::SetPartialDownload(QueueModel& tree, QueueItem* item, bool partial) {
    if (partial == PartialDownload(item) && (partial || !RestartFromZero(item))) return;
    tree.setColumn(item, Partial, partial ? QByteArray("partial") : QByteArray());
}

bool queue_manager::RestartFromZero(const QueueItem* item) {
    return item->column(Partial) == "whole";
}

void queue_manager::SetRestartFromZero(QueueModel& tree, QueueItem* item) {
    tree.setColumn(item, Partial, QByteArray("whole"));
}
