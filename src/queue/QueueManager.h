// The operations on the two queues: adding items, their fields, the state machine of
// transfer events with the folder roll-up, copies to the failed queue, resubmission and
// the delete commands. It holds no items of its own; the settings it follows (the
// connection type for the proxy split, the attempts allowed, deleting completed items)
// come from the program's settings source.
#pragma once

#include "QueueModel.h"
#include "SettingsSource.h"

enum class QueueEvent {
    UploadFinished,
    DownloadFinished,
    FileCancel,
    SkipFile,
    AttemptFailed,
    FolderStart,
    ExpansionDone,
    FileStart,
    DownloadFolderComplete,
    UploadFolderComplete,
    FolderCancel,
    // Not to be tried again: straight into the failed queue with the reason.
    Refused,
};

class queue_manager {
public:
    queue_manager(QueueModel& queue, QueueModel& failQueue, const SettingsSource& settings);

    QueueModel& Queue() const { return m_queue; }
    QueueModel& FailQueue() const { return m_failQueue; }

    // op is "download" or "upload"; a folder gets no size. In "Proxy" mode user holds
    // "name@server": the server becomes the host.
    QueueItem* AddItem(QueueModel& tree, const QString& op, const QString& local,
                       const QString& remote, const QString& size, const QString& host,
                       const QString& user, const QString& pass, bool isFolder,
                       QueueItem* parent = nullptr);

    // A child of a folder being expanded: it transfers for the same site as the folder
    // (its host, user and password columns are the folder's, also in "Proxy" mode).
    QueueItem* AddChild(QueueModel& tree, QueueItem* folder, const QString& local,
                        const QString& remote, const QString& size, bool isFolder);

    // "remote_path" (the ancestors' main texts and the item's joined by "/"), "op",
    // "local_path", "size", "status", "attempts", "host", "user", "pass" (unscrambled).
    static QByteArray GetField(const QueueItem* item, const QString& key);
    static QByteArray GetColumn(const QueueItem* item, int number) { return item->column(number); }
    static void SetColumn(QueueModel& tree, QueueItem* item, int number, const QByteArray& text) {
        tree.setColumn(item, number, text);
    }
    // Writes n into "status" or "attempts"; a status runs the folder roll-up.
    void SetCount(QueueModel& tree, QueueItem* item, const QString& key, int n);
    void ApplyEvent(QueueModel& tree, QueueItem* item, QueueEvent event, const QString& text = {});

    void CopyToFailedQueue(const QueueItem* item, const QString& errorText);
    // Items in selection order; with move, each is deleted from the working queue after
    // it was copied (a child deleted with its folder before is passed over).
    void CopySelectedToFailed(const QList<QueueItem*>& selected, bool move);
    static void DeleteSelected(QueueModel& tree, const QList<QueueItem*>& selected);
    static void DeleteCompleted(QueueModel& tree);
    // New waiting top-level items in target for the selected ones, with zero attempts.
    static void CopyItemsForRetry(const QList<QueueItem*>& selected, QueueModel& target);
    // target becomes a copy of source with zero attempts everywhere; source is emptied.
    static void ReplaceFromTree(QueueModel& target, QueueModel& source);

    // "Start Transfer": completed items go, and every other item, children included,
    // becomes a waiting top-level item with zero attempts; an expanded folder is left
    // out for its entries, so nothing is queued twice. False when nothing is left.
    bool RestartFlat();
    // A queue read back from a file may hold items that were running when it was saved
    // (a crash or a kill): they wait again, or no scan would ever start them.
    static void ResumeInterrupted(QueueModel& tree);
    // Items of a queue read from a file whose local path is not a plain absolute path
    // (relative, or with "." or ".." in it) are not transferred: each goes to the
    // failed queue with the reason (from the failed queue itself, its path is cleared
    // and the reason given). Returns how many were refused.
    int RefuseUnsafeLocalPaths(QueueModel& tree);
    // A download that has written part of its local file: a later attempt, also after
    // a restart of the program, resumes it instead of asking.
    static bool PartialDownload(const QueueItem* item);
    static void SetPartialDownload(QueueModel& tree, QueueItem* item, bool partial);
    // The server did not resume as it said: the next attempt transfers the whole file
    // without asking again. Cleared with the partial mark.
    static bool RestartFromZero(const QueueItem* item);
    static void SetRestartFromZero(QueueModel& tree, QueueItem* item);

    // 3, 4, 10, 11.
    static bool Completed(int state);
    // The waiting state an item gets when it is copied: folders start over as
    // FolderWaiting, everything else as FileWaiting.
    static int WaitingState(int state);

private:
    void RollUp(QueueModel& tree, QueueItem* item);

    QueueModel& m_queue;
    QueueModel& m_failQueue;
    const SettingsSource& m_settings;
};
