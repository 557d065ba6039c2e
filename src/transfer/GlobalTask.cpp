#include "GlobalTask.h"

#include "TransferManager.h"
#include "TransferText.h"

#include <QFileInfo>

#include <chrono>

Global_Task::Global_Task(queue_manager& queues, const SettingsSource& settings,
                         const QString& programDir, QObject* parent)
    : QObject(parent), m_queues(queues), m_settings(settings), m_programDir(programDir),
      m_decisions(settings) {
    // The rows' hints name the transfer type each file goes in.
    for (QueueModel* model : {&queues.Queue(), &queues.FailQueue()}) {
        model->isAsciiPath = [this](const QString& path) {
            return TransferText::IsAscii(path, m_settings.record().asciiExtensions());
        };
    }
    m_retireTimer.setInterval(kRetireMs);
    connect(&m_retireTimer, &QTimer::timeout, this, &Global_Task::RetireWorkers);
    m_retireTimer.start();
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &Global_Task::RetriesDue);
    QueueModel& queue = queues.Queue();
    // Items leaving the queue take their transfers with them.
    connect(&queue, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this, &queue](const QModelIndex& parent, int first, int last) {
                QueueItem* folder = queue.itemAt(parent);
                std::vector<const QueueItem*> going;
                for (int row = first; row <= last && row < int(folder->children.size()); ++row)
                    going.push_back(folder->children[size_t(row)].get());
                ItemsLeaving([&going](const QueueItem* item) {
                    for (const QueueItem* i = item; i; i = i->parent) {
                        if (std::find(going.begin(), going.end(), i) != going.end()) return true;
                    }
                    return false;
                });
            });
    connect(&queue, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { ItemsLeaving([](const QueueItem*) { return true; }); });
    // A higher attempt limit makes items waiting that the scan passed over.
    connect(&settings, &SettingsSource::changed, this, [this](Setting s) {
        if (s == Setting::AttemptsAllowed) Queue().resetScanHints();
    });
}

Global_Task::~Global_Task() {
    for (QueueModel* model : {&m_queues.Queue(), &m_queues.FailQueue()})
        model->isAsciiPath = nullptr;
    for (const Running& r : m_running)
        delete r.worker;
    for (TransferWorker* w : m_retired)
        delete w;
}

int Global_Task::ThreadLimit() const {
    return std::max(1, m_settings.integer(Setting::ThreadsAllowed));
}

int Global_Task::AttemptLimit() const {
    return m_settings.integer(Setting::AttemptsAllowed);
}

bool Global_Task::ProcessingStopped() const {
    // The "Stop Transferrring Queue" check.
    return m_settings.flag(Setting::QueueProcessing);
}

qint64 Global_Task::SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool Global_Task::Candidate(const QueueItem* item) const {
    if (item->retryAt > SteadyMs()) return false; // its next attempt is not due yet
    if (item->state() == FolderWaiting) return true;
    if (item->state() != FileWaiting) return false;
    bool ok = false;
    const int attempts = queue_manager::GetField(item, QStringLiteral("attempts")).toInt(&ok);
    return (ok ? attempts : 0) < AttemptLimit();
}

QString Global_Task::TargetOf(const QueueItem* item) {
    if (item->state() != FileWaiting && item->state() != FileActive) return QString();
    if (queue_manager::GetField(item, QStringLiteral("op")) == "-->")
        return QStringLiteral("local ") +
               QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("local_path")));
    return QStringLiteral("remote ") +
           QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("host"))) + u' ' +
           QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("remote_path")));
}

bool Global_Task::TargetBusy(const QueueItem* item) const {
    const QString target = TargetOf(item);
    if (target.isEmpty()) return false;
    for (const Running& r : m_running) {
        if (r.item && r.item != item && TargetOf(r.item) == target) return true;
    }
    for (const QueueItem* p : m_pending) {
        if (p != item && TargetOf(p) == target) return true;
    }
    return false;
}

bool Global_Task::TakeCandidate(QueueItem* item) {
    const int limit = ThreadLimit();
    if (int(m_running.size()) >= limit || int(m_pending.size()) >= limit || ProcessingStopped())
        return false;
    if (TargetBusy(item)) {
        // Another transfer writes the same file: this one waits until it has ended.
        m_heldForTarget = true;
        return true;
    }
    QueueModel& queue = Queue();
    const bool folder = item->state() == FolderWaiting;
    m_queues.ApplyEvent(queue, item, folder ? QueueEvent::FolderStart : QueueEvent::FileStart);
    bool ok = false;
    const int attempts = queue_manager::GetField(item, QStringLiteral("attempts")).toInt(&ok);
    m_queues.SetCount(queue, item, QStringLiteral("attempts"), (ok ? attempts : 0) + 1);
    m_pending.push_back(item);
    return true;
}

bool Global_Task::ScanChildren(QueueItem* item) {
    // Rows before scanFrom hold nothing to start, so a long queue costs only what is
    // left to do; a row that still waits (its retry not due, its file being written by
    // another transfer) keeps the hint where it is.
    for (int i = item->scanFrom; i < int(item->children.size()); ++i) {
        QueueItem* child = item->children[size_t(i)].get();
        if (Candidate(child) && !TakeCandidate(child)) return false;
        if (!ScanChildren(child)) return false;
        i = child->row();
        const bool stillWaiting =
            (child->state() == FileWaiting || child->state() == FolderWaiting) &&
            (child->retryAt > 0 || TargetBusy(child));
        if (item->scanFrom == i && !stillWaiting) item->scanFrom = i + 1;
    }
    return true;
}

void Global_Task::ChooseItems() {
    if (std::exchange(m_heldForTarget, false)) Queue().resetScanHints();
    ScanChildren(Queue().root());
}

void Global_Task::ScanQueue() {
    if (Queue().root()->children.empty()) return;
    ChooseItems();
    if (!m_pending.empty()) StartWorkers();
}

QueueItem* Global_Task::PopPending() {
    while (!m_pending.empty()) {
        QueueItem* item = m_pending.back();
        m_pending.pop_back();
        // A cancel while it waited its turn: it is not started.
        if (item->state() == FileActive || item->state() == FolderActive) return item;
    }
    return nullptr;
}

TransferWorker* Global_Task::NewWorker() {
    if (m_factory) return m_factory(*this);
    auto panel = hooks.makePanel ? hooks.makePanel() : std::make_unique<WorkerPanel>();
    return new Transfer_Manager(*this, std::move(panel));
}

void Global_Task::StartWorkers() {
    while (!m_pending.empty() && int(m_running.size()) < ThreadLimit()) {
        QueueItem* item = PopPending();
        if (!item) break;
        TransferWorker* worker = NewWorker();
        m_running.push_back({item, worker});
        worker->SetItem(item);
        StartItem(worker);
    }
}

void Global_Task::StartItem(TransferWorker* worker) {
    worker->StartItem();
}

void Global_Task::Release(TransferWorker* worker) {
    worker->Stop();
    worker->HidePanel();
    worker->SetItem(nullptr);
    // Perhaps inside its own callback: it goes when the loop is back.
    worker->deleteLater();
}

void Global_Task::Retire(TransferWorker* worker) {
    worker->Stop();
    worker->HidePanel();
    worker->SetItem(nullptr);
    m_retired.push_back(worker);
}

void Global_Task::RetireWorkers() {
    if (m_cancelGuard) return;
    for (TransferWorker* w : m_retired)
        w->deleteLater();
    m_retired.clear();
}

void Global_Task::PlaySound(Setting wave) {
    const QString file = m_settings.text(wave);
    if (!file.isEmpty() && QFileInfo::exists(file) && hooks.playSound) hooks.playSound(file);
}

void Global_Task::FinishItem(QueueItem* item, QueueEvent event, const QString& text) {
    // The worker is taken off its item first: the event may remove the item from the
    // queue (completed items deleted), which must not stop this worker.
    TransferWorker* worker = nullptr;
    for (auto it = m_running.begin(); it != m_running.end(); ++it) {
        if (it->item == item) {
            worker = it->worker;
            m_running.erase(it);
            break;
        }
    }
    if (worker) worker->SetItem(nullptr);
    m_queues.ApplyEvent(Queue(), item, event, text);
    if (event == QueueEvent::AttemptFailed && Queue().contains(item) &&
        (item->state() == FileWaiting || item->state() == FolderWaiting))
        DelayRetry(item);
    if (event == QueueEvent::AttemptFailed || event == QueueEvent::Refused ||
        event == QueueEvent::FolderStart)
        PlaySound(Setting::TransferErrorWave);
    if (event == QueueEvent::DownloadFinished || event == QueueEvent::UploadFinished)
        PlaySound(Setting::TransferCompleteWave);
    const bool cancel = event == QueueEvent::FileCancel || event == QueueEvent::FolderCancel;
    if (!worker) {
        if (m_pending.empty() && m_holdScans == 0) ScanQueue();
        return;
    }
    QueueItem* next = PopPending();
    if (!next && m_holdScans == 0) {
        // The worker stands aside while the scan chooses, then takes the item chosen
        // first, so its connection (and login) serves the next file too.
        ChooseItems();
        next = PopPending();
    }
    if (!next) {
        if (cancel) {
            Retire(worker);
        } else {
            Release(worker);
        }
        return;
    }
    // A cancelled transfer ends before its connection serves anything else.
    if (cancel) worker->Stop();
    m_running.push_back({next, worker});
    worker->SetItem(next);
    StartItem(worker);
    if (!m_pending.empty() && int(m_running.size()) < ThreadLimit()) StartWorkers();
}

void Global_Task::DelayRetry(QueueItem* item) {
    if (m_retryDelays.isEmpty()) return;
    bool ok = false;
    const int attempts = queue_manager::GetField(item, QStringLiteral("attempts")).toInt(&ok);
    const int delay =
        m_retryDelays[std::clamp(ok ? attempts - 1 : 0, 0, int(m_retryDelays.size()) - 1)];
    if (delay <= 0) return;
    item->retryAt = SteadyMs() + delay;
    const int seconds = (delay + 999) / 1000;
    SetRetryNote(item, seconds >= 120 && seconds % 60 == 0
                           ? QStringLiteral("retry in %1 min").arg(seconds / 60)
                           : QStringLiteral("retry in %1 s").arg(seconds));
    ScheduleRetries();
}

void Global_Task::SetRetryNote(QueueItem* item, const QString& note) {
    item->note = note;
    const QModelIndex at = Queue().indexOf(item, 5); // shown beside the attempts
    emit Queue().dataChanged(at, at);
}

void Global_Task::ScheduleRetries() {
    qint64 first = 0;
    for (const QueueItem* item : Queue().items()) {
        if (item->retryAt > 0 && (first == 0 || item->retryAt < first)) first = item->retryAt;
    }
    if (first == 0) return m_retryTimer.stop();
    m_retryTimer.start(int(std::max<qint64>(0, first - SteadyMs())));
}

void Global_Task::RetriesDue() {
    const qint64 now = SteadyMs();
    for (QueueItem* item : Queue().items()) {
        if (item->retryAt == 0 || item->retryAt > now) continue;
        item->retryAt = 0;
        SetRetryNote(item, QString());
    }
    // The scan passed over the items that were not due: it looks at them again.
    Queue().resetScanHints();
    ScanQueue();
    ScheduleRetries();
}

void Global_Task::CancelItem(QueueItem* item) {
    if (!item) return;
    const int state = item->state();
    if (state == FolderWaiting || state == FolderActive || state == FolderExpanded) {
        // No scan while the folder's files are cancelled one by one, or it would start
        // the next of them only to cancel it: one scan at the end.
        ++m_holdScans;
        std::vector<QueueItem*> children;
        for (const auto& child : item->children)
            children.push_back(child.get());
        for (QueueItem* child : children) {
            if (Queue().contains(child)) CancelItem(child);
        }
        if (Queue().contains(item)) FinishItem(item, QueueEvent::FolderCancel);
        if (--m_holdScans == 0) ScanQueue();
    } else if (state == FileWaiting || state == FileActive) {
        m_cancelGuard = true;
        FinishItem(item, QueueEvent::FileCancel);
        m_cancelGuard = false;
    }
}

void Global_Task::CancelWorkerItem(TransferWorker* worker) {
    QueueItem* item = worker->Item();
    if (!item) return;
    m_cancelGuard = true;
    FinishItem(item, QueueEvent::FileCancel);
    m_cancelGuard = false;
}

void Global_Task::ItemsLeaving(const std::function<bool(const QueueItem*)>& leaving) {
    std::erase_if(m_pending, [&](const QueueItem* item) { return leaving(item); });
    bool freed = false;
    for (auto it = m_running.begin(); it != m_running.end();) {
        if (it->item && leaving(it->item)) {
            Release(it->worker);
            it = m_running.erase(it);
            freed = true;
        } else {
            ++it;
        }
    }
    // Items that waited for a free worker get one, once the removal is over.
    if (freed && !m_pending.empty()) QTimer::singleShot(0, this, &Global_Task::StartWorkers);
}

QList<QueueItem*> Global_Task::RunningItems() const {
    QList<QueueItem*> items;
    for (const Running& r : m_running)
        items.append(r.item);
    return items;
}

QList<TransferWorker*> Global_Task::Workers() const {
    QList<TransferWorker*> workers;
    for (const Running& r : m_running)
        workers.append(r.worker);
    return workers;
}

void Global_Task::ConfigureWorkerConnection(TFtpClient& client, const SettingsSource& settings,
                                            const QString& host, const QString& user,
                                            const QString& pass, const QString& port) {
    const QString type = settings.text(Setting::ConnectionType);
    if (client.Connected()) client.AbortAsync();
    client.SetHostName(host);
    client.SetUserName(user);
    client.SetPassWord(pass);
    client.SetPort(port);
    client.SetProxyServer(QString());
    client.SetSocksServer(QString());
    client.SetSocksPort(QString());
    client.SetSocksUserCode(QString());
    client.SetSocksPassword(QString());
    client.SetInactivityTimeout(settings.integer(Setting::InactivityTimeout));
    client.SetListingLimit(settings.listingLimitBytes());
    if (type == QLatin1String("Proxy")) {
        client.SetConnectionType(ftpDirect);
        client.SetHostName(settings.text(Setting::ProxyServer));
        client.SetPort(settings.text(Setting::ProxyPort));
        client.SetUserName(user + u'@' + host);
        client.SetPassive(true);
    } else if (type.startsWith(QLatin1String("Socks"))) {
        client.SetSocksServer(settings.text(Setting::SocksServer));
        client.SetSocksPort(settings.text(Setting::SocksPort));
        client.SetSocksUserCode(settings.text(Setting::SocksUser));
        client.SetSocksPassword(settings.text(Setting::SocksPass));
        client.SetConnectionType(type == QLatin1String("Socks4")    ? ftpSocks4
                                 : type == QLatin1String("Socks4A") ? ftpSocks4A
                                                                    : ftpSocks5);
        client.SetPassive(true);
    } else {
        // Passive: the server never has to reach back to the client, and uploads by
        // several workers at once ran steadier so on loopback.
        client.SetConnectionType(ftpDirect);
        client.SetPassive(true);
    }
}

void Global_Task::OpenWorkerConnection(TFtpClient& client, const SettingsSource& settings,
                                       const QString& host, const QString& user,
                                       const QString& pass, const QString& port) {
    ConfigureWorkerConnection(client, settings, host, user, pass, port);
    client.OpenAsync();
}
