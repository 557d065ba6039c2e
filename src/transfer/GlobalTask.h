// The task scheduler: chooses waiting queue items, hands them to workers (one
// connection each, all on the one event loop), takes the outcomes back into the queue,
// and cancels. It also keeps the existing-file decisions of the run.
//
// Workers are never destroyed inside their own callbacks (they go with deleteLater),
// an item removed from the queue stops the worker transferring it at once, and no
// worker is ever given a removed or cancelled item.
#pragma once

#include "FileDecisions.h"
#include "QueueManager.h"
#include "QueueScheduler.h"
#include "TransferWorker.h"
#include "WorkerPanel.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class TFtpClient;

// What the workers may ask of the rest of the program; every hook may stay empty.
struct TransferHooks {
    std::function<std::unique_ptr<WorkerPanel>()> makePanel;
    // A wave file to play ("Transfer Complete", "Transfer Error").
    std::function<void(const QString& file)> playSound;
    // After a download: the local folder it went into; after an upload: the remote list.
    std::function<void(const QString& localFolder)> refreshLocal;
    std::function<void()> refreshRemote;
    // Before each upload step: the browsing session opened when it is not connected.
    std::function<void()> ensureBrowsingSession;
};

class Global_Task : public QObject, public QueueScheduler {
    Q_OBJECT
public:
    static constexpr int kRetireMs = 60000;
    using WorkerFactory = std::function<TransferWorker*(Global_Task&)>;

    Global_Task(queue_manager& queues, const SettingsSource& settings, const QString& programDir,
                QObject* parent = nullptr);
    ~Global_Task() override;

    queue_manager& Queues() const { return m_queues; }
    QueueModel& Queue() const { return m_queues.Queue(); }
    const SettingsSource& Settings() const { return m_settings; }
    QString ProgramDir() const { return m_programDir; }
    void SetProgramDir(const QString& dir) { m_programDir = dir; }
    ExistingFileDecisions& Decisions() { return m_decisions; }
    TransferHooks hooks;
    // Transfer_Manager unless a test gives workers of its own.
    void SetWorkerFactory(WorkerFactory factory) { m_factory = std::move(factory); }

    // QueueScheduler.
    void ScanQueue() override;
    void CancelItem(QueueItem* item) override;

    void StartWorkers();
    void StartItem(TransferWorker* worker);
    void FinishItem(QueueItem* item, QueueEvent event, const QString& text = {});
    void CancelWorkerItem(TransferWorker* worker);
    // The retire timer's work: destroys the cancelled workers.
    void RetireWorkers();

    // The connection choice of the settings (direct, proxy or SOCKS) applied to a
    // worker's client; OpenWorkerConnection then starts OpenAsync.
    static void ConfigureWorkerConnection(TFtpClient& client, const SettingsSource& settings,
                                          const QString& host, const QString& user,
                                          const QString& pass, const QString& port);
    static void OpenWorkerConnection(TFtpClient& client, const SettingsSource& settings,
                                     const QString& host, const QString& user, const QString& pass,
                                     const QString& port);

    // How long a failed item waits before its next attempt, by the attempts made
    // (the last figure for every later one).
    void SetRetryDelays(const QList<int>& ms) { m_retryDelays = ms; }
    QList<int> RetryDelays() const { return m_retryDelays; }
    static qint64 SteadyMs();

    int RunningCount() const { return int(m_running.size()); }
    int PendingCount() const { return int(m_pending.size()); }
    int RetiredCount() const { return int(m_retired.size()); }
    QList<QueueItem*> RunningItems() const;
    QList<TransferWorker*> Workers() const;

private:
    struct Running {
        QueueItem* item;
        TransferWorker* worker;
    };
    int ThreadLimit() const;
    int AttemptLimit() const;
    bool ProcessingStopped() const;
    bool Candidate(const QueueItem* item) const;
    // The scan's walk: chooses items onto the pending list, starts nothing.
    void ChooseItems();
    // The pre-order walk of the scan from item's children; false when it stopped.
    bool ScanChildren(QueueItem* item);
    bool TakeCandidate(QueueItem* item);
    // The file a transfer writes ("local PATH" or "remote SITE PATH"), "" for a folder.
    static QString TargetOf(const QueueItem* item);
    // Another running or chosen transfer writes the same file.
    bool TargetBusy(const QueueItem* item) const;
    // The next pending item that is still waiting its turn, or null.
    QueueItem* PopPending();
    TransferWorker* NewWorker();
    void Release(TransferWorker* worker);
    void Retire(TransferWorker* worker);
    // The queue is about to lose items: workers on them stop, pending ones go.
    void ItemsLeaving(const std::function<bool(const QueueItem*)>& leaving);
    void PlaySound(Setting wave);
    // A failed item waits its turn; the timer wakes the scan when the first is due.
    void DelayRetry(QueueItem* item);
    void ScheduleRetries();
    void SetRetryNote(QueueItem* item, const QString& note);
    void RetriesDue();

    queue_manager& m_queues;
    const SettingsSource& m_settings;
    QString m_programDir;
    ExistingFileDecisions m_decisions;
    WorkerFactory m_factory;
    std::vector<Running> m_running;
    std::vector<QueueItem*> m_pending; // the back is the head: last in, first out
    std::vector<TransferWorker*> m_retired;
    QTimer m_retireTimer;
    QTimer m_retryTimer;
    QList<int> m_retryDelays{5000, 30000, 120000};
    bool m_cancelGuard = false;
    bool m_heldForTarget = false;
    int m_holdScans = 0;
};
