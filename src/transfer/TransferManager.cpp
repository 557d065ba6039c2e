#include "TransferManager.h"

#include "GlobalTask.h"
#include "RemoteListing.h"
#include "TransferText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QPointer>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace TransferText;

Q_LOGGING_CATEGORY(lcTransfer, "quillon.transfer", QtWarningMsg)

namespace {

constexpr int kRedrawMs = 250;

QString localDate(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("-1");
    const QDateTime modified = QFileInfo(path).lastModified();
    const QLocale locale;
    return locale.toString(modified.date(), QLocale::LongFormat) + u' ' +
           locale.toString(modified.time(), QLocale::LongFormat);
}

} // namespace

Transfer_Manager::Transfer_Manager(Global_Task& task, std::unique_ptr<WorkerPanel> panel)
    : TransferWorker(&task), m_task(task), m_panel(std::move(panel)) {
    m_seconds.setInterval(1000);
    connect(&m_seconds, &QTimer::timeout, this, [this] { ++m_secondsTag; });
    m_panel->cancelClicked = [this] { m_task.CancelWorkerItem(this); };
    m_client.SetInactivityTimeout(task.Settings().integer(Setting::InactivityTimeout));
    m_client.OnBgException = [](TCustomFtpCli*, const std::exception&, bool&) {};
    // Each worker's dialogue, for QT_LOGGING_RULES="quillon.transfer.debug=true".
    m_client.OnDisplay = [this](TCustomFtpCli*, QString& m) {
        qCDebug(lcTransfer, "%p %s", static_cast<void*>(this), qPrintable(m));
    };
}

Transfer_Manager::~Transfer_Manager() {
    ++m_job;
    m_client.OnRequestDone = nullptr;
    m_client.OnProgress = nullptr;
}

void Transfer_Manager::HidePanel() {
    m_panel->Hide();
}

void Transfer_Manager::Stop() {
    ++m_job;
    m_seconds.stop();
    m_afterType = nullptr;
    m_client.OnRequestDone = nullptr;
    m_client.OnProgress = nullptr;
    if (m_client.Connected() || m_client.State() != ftpReady) m_client.AbortAsync();
    m_loginSite.clear();
    if (!m_listingPart.isEmpty()) QFile::remove(m_listingPart);
    m_listingPart.clear();
}

void Transfer_Manager::ReadSiteFields() {
    QueueItem* item = Item();
    m_site = QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("host")));
    const SiteAddress address = ParseSite(m_site);
    m_host = address.host;
    m_port = address.port;
    m_user = QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("user")));
    m_pass = QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("pass")));
}

void Transfer_Manager::StartItem() {
    ++m_job;
    m_reopens = 0;
    m_afterType = nullptr;
    QueueItem* item = Item();
    if (!item) return;
    ReadSiteFields();
    qCDebug(lcTransfer, "%p starts %s (state %d)", static_cast<void*>(this),
            queue_manager::GetField(item, QStringLiteral("remote_path")).constData(),
            item->state());
    const bool download = queue_manager::GetField(item, QStringLiteral("op")) == "-->";
    switch (item->state()) {
    case FolderActive:
        if (download) {
            StartFolderDownload();
        } else {
            FolderUpload();
        }
        break;
    case FileActive:
        AttachPanel();
        StartFile();
        break;
    default:
        break;
    }
}

void Transfer_Manager::AttachPanel() {
    m_panel->Attach();
    m_panel->SetGauge(0);
    m_panel->SetStatus(QString());
    m_panel->SetPath(QString(), QString(), QString());
    m_panel->SetProgress(QString());
    m_panel->SetTransferType(QString());
    m_seconds.stop();
    m_secondsTag = 0;
    m_queuedPercent = 0;
}

void Transfer_Manager::ShowStep(TFtpRequest step) {
    const QString dir = FileName(m_client.HostDirName());
    const QString file = FileName(m_client.HostFileName());
    switch (step) {
    case ftpOpenAsync:
        m_panel->SetStatus(QStringLiteral("Connecting ") + m_host + QStringLiteral("..."));
        break;
    case ftpUserAsync:
        m_panel->SetStatus(QStringLiteral("Sending UserName ") + m_client.UserName() +
                           QStringLiteral("..."));
        break;
    case ftpPassAsync:
        m_panel->SetStatus(QStringLiteral("Sending PassWord ******..."));
        break;
    case ftpCwdAsync:
        m_panel->SetStatus(QStringLiteral("Changing Dir to ") + dir);
        break;
    case ftpDirAsync:
    case ftpLsAsync:
    case ftpDirectoryAsync:
    case ftpListAsync:
        m_panel->SetStatus(QStringLiteral("Browsing Dir ") + dir);
        break;
    case ftpGetAsync:
    case ftpRestGetAsync:
        m_panel->SetStatus(QStringLiteral("Downloading ") + file);
        m_panel->SetPath(QStringLiteral("to '"), m_target, QStringLiteral("'"));
        m_seconds.start();
        break;
    case ftpPutAsync:
    case ftpRestPutAsync:
        m_panel->SetStatus(QStringLiteral("Uploading ") + file);
        m_panel->SetPath(QStringLiteral("from '"), m_client.LocalFileName(), QStringLiteral("'"));
        m_seconds.start();
        break;
    case ftpTypeSetAsync:
        m_panel->SetStatus(QStringLiteral("Checking Transfer Mode..."));
        break;
    default:
        break;
    }
}

bool Transfer_Manager::Ready() const {
    return m_client.Connected() && m_client.State() == ftpReady;
}

bool Transfer_Manager::LoggedInAsItem() const {
    return m_client.Connected() && !m_loginSite.isEmpty() && m_loginSite == m_site &&
           m_loginUser == m_user && m_loginPass == m_pass;
}

void Transfer_Manager::Bind(void (Transfer_Manager::*handler)(TFtpRequest, int)) {
    const quint64 job = m_job;
    m_client.OnRequestDone = [this, job, handler](TCustomFtpCli*, TFtpRequest r, uint16_t e) {
        if (Current(job)) (this->*handler)(r, e);
    };
}

void Transfer_Manager::Open() {
    m_loginSite.clear();
    try {
        Global_Task::OpenWorkerConnection(m_client, m_task.Settings(), m_host, m_user, m_pass,
                                          m_port);
    } catch (const FtpException& e) {
        Fail(e.message());
        return;
    }
    ShowStep(ftpOpenAsync);
}

void Transfer_Manager::Reopen() {
    if (++m_reopens > kMaxReopens) {
        Fail(QStringLiteral("421 The connection to the server was lost"));
        return;
    }
    m_client.AbortAsync();
    Open();
}

bool Transfer_Manager::Run(void (TCustomFtpCli::*request)()) {
    try {
        (m_client.*request)();
    } catch (const FtpException& e) {
        Fail(e.message());
        return false;
    }
    return true;
}

bool Transfer_Manager::Guard(TFtpRequest request, int error) {
    if (m_client.ReplyCode() == 150 ||
        (m_client.Connected() && (error == 0 || request == ftpSizeAsync)))
        return true;
    Fail(FailureText());
    return false;
}

QString Transfer_Manager::FailureText() const {
    QString reply = m_client.LastReply().trimmed();
    if (reply.isEmpty()) reply = m_client.ErrorMessage().trimmed();
    if (reply.isEmpty()) reply = QStringLiteral("The connection to the server failed");
    return reply;
}

bool Transfer_Manager::LoginStep(TFtpRequest request) {
    if (request != ftpOpenAsync && request != ftpUserAsync && request != ftpPassAsync) return false;
    if (!Ready()) {
        Reopen();
        return true;
    }
    if (request == ftpOpenAsync) {
        if (Run(&TCustomFtpCli::UserAsync)) ShowStep(ftpUserAsync);
        return true;
    }
    if (request == ftpUserAsync) {
        if (Run(&TCustomFtpCli::PassAsync)) ShowStep(ftpPassAsync);
        return true;
    }
    m_loginSite = m_site;
    m_loginUser = m_user;
    m_loginPass = m_pass;
    return false;
}

void Transfer_Manager::Fail(const QString& reply) {
    m_seconds.stop();
    Finish(QueueEvent::AttemptFailed, reply);
}

void Transfer_Manager::Finish(QueueEvent event, const QString& text) {
    QueueItem* item = Item();
    if (!item) return;
    m_client.OnProgress = nullptr;
    if (event == QueueEvent::DownloadFinished || event == QueueEvent::UploadFinished) {
        m_seconds.stop();
        if (event == QueueEvent::DownloadFinished) {
            // The row shows the size the file has now, not the estimate it was queued with.
            const QFileInfo done(m_target);
            m_task.Queue().setColumn(item, 3, QByteArray::number(done.size()));
            if (m_task.hooks.refreshLocal) m_task.hooks.refreshLocal(done.path());
        }
        m_panel->SetGauge(100);
        m_task.Queues().SetCount(m_task.Queue(), item, QStringLiteral("status"), 100);
        // Completing the last child may have removed the whole folder, and stopped
        // this worker with it.
        if (!Item()) return;
    }
    // The scheduler may give this worker its next item, or release it: nothing of the
    // finished item is touched afterwards.
    m_task.FinishItem(item, event, text);
}

void Transfer_Manager::TransferType(std::function<void()> then) {
    if (!m_ascii) return then();
    m_afterType = std::move(then);
    m_client.SetBinary(false);
    if (Run(&TCustomFtpCli::TypeSetAsync)) ShowStep(ftpTypeSetAsync);
}

// ---------------------------------------------------------------------------------
// Files

void Transfer_Manager::StartFile() {
    QueueItem* item = Item();
    m_downloading = queue_manager::GetField(item, QStringLiteral("op")) == "-->";
    const QString remote =
        QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("remote_path")));
    m_client.SetHostFileName(remote);
    m_target = QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("local_path")));
    m_tempTarget.clear();
    m_verifyingUpload = false;
    m_client.SetLocalFileName(m_target);
    if (m_downloading) {
        const QString root = LocalRoot();
        if (!StaysInside(m_target, root)) {
            return Finish(QueueEvent::Refused,
                          QStringLiteral("Not transferred: \"%1\" leads out of \"%2\" through a "
                                         "symbolic link")
                              .arg(m_target, root));
        }
    }
    bool ok = false;
    m_expected = queue_manager::GetField(item, QStringLiteral("size")).trimmed().toLongLong(&ok);
    if (!ok) m_expected = 0;
    m_ascii = IsAscii(remote, m_task.Settings().record().asciiExtensions());
    m_panel->SetTransferType(m_ascii ? QStringLiteral("ASCII") : QStringLiteral("Binary"));
    m_client.SetRestartOffset(0);
    Bind(m_downloading ? &Transfer_Manager::DownloadEvent : &Transfer_Manager::UploadEvent);
    const quint64 job = m_job;
    m_redraw.invalidate();
    m_client.OnProgress = [this, job](TCustomFtpCli*, qint64 count, bool& abort) {
        if (!Current(job)) {
            abort = true;
            return;
        }
        ProgressEvent(count);
        if (!Current(job)) abort = true;
    };
    if (LoggedInAsItem()) {
        // The login is reused: the chain goes on as if PASS had just succeeded.
        if (m_downloading) {
            DownloadEvent(ftpPassAsync, 0);
        } else {
            UploadEvent(ftpPassAsync, 0);
        }
        return;
    }
    if (m_client.Connected() || m_client.State() != ftpReady) m_client.AbortAsync();
    Open();
}

void Transfer_Manager::DownloadEvent(TFtpRequest request, int error) {
    // A server that took REST and sent the file from its start: the next attempt
    // fetches it whole, into a copy beside the file.
    if ((request == ftpGetAsync || request == ftpRestGetAsync) && m_client.ResumeIgnored())
        queue_manager::SetRestartFromZero(m_task.Queue(), Item());
    if (!Guard(request, error) || LoginStep(request)) return;
    switch (request) {
    case ftpPassAsync:
        // SIZE is asked in binary mode; an ASCII file switches before its transfer.
        m_client.SetBinary(true);
        if (Run(&TCustomFtpCli::TypeSetAsync)) ShowStep(ftpTypeSetAsync);
        break;
    case ftpTypeSetAsync:
        if (!Ready()) return Reopen();
        if (m_afterType) {
            auto then = std::move(m_afterType);
            m_afterType = nullptr;
            then();
            return;
        }
        Run(&TCustomFtpCli::SizeAsync);
        break;
    case ftpSizeAsync:
        if (error == 0) {
            m_expected = m_client.RemoteSize();
            m_task.Queue().setColumn(Item(), 3, QByteArray::number(m_expected));
        }
        if (!Ready()) return Reopen();
        DownloadSizeKnown(error == 0, m_client.ReplyCode());
        break;
    case ftpGetAsync:
    case ftpRestGetAsync:
        m_seconds.stop();
        if (m_client.ReplyCode() == 226 || m_client.ReplyCode() == 250) {
            if (!m_tempTarget.isEmpty()) {
                // The new copy is whole: only now does it take the old file's place.
                if (::rename(QFile::encodeName(m_tempTarget).constData(),
                             QFile::encodeName(m_target).constData()) != 0) {
                    return Fail(QStringLiteral("Cannot replace \"%1\": %2")
                                    .arg(m_target, QString::fromLocal8Bit(strerror(errno))));
                }
                m_tempTarget.clear();
            }
            queue_manager::SetPartialDownload(m_task.Queue(), Item(), false);
            Finish(QueueEvent::DownloadFinished);
        } else {
            Fail(FailureText());
        }
        break;
    default:
        break;
    }
}

QString Transfer_Manager::PartFile(const QString& local) {
    const QFileInfo info(local);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".1quillon-part");
}

QString Transfer_Manager::LocalRoot() const {
    const QueueItem* top = Item();
    while (top->parent && top->parent->parent)
        top = top->parent;
    QString local = QString::fromUtf8(queue_manager::GetField(top, QStringLiteral("local_path")));
    if (top->state() > FolderCancelled) return QFileInfo(local).path();
    while (local.size() > 1 && local.endsWith(u'/'))
        local.chop(1);
    return local;
}

bool Transfer_Manager::StaysInside(const QString& path, const QString& root) {
    const QString base = QFileInfo(root).canonicalFilePath();
    if (base.isEmpty()) return true; // the folder is still to be made: nothing links in it
    auto inside = [&base](const QString& canonical) {
        return canonical == base ||
               canonical.startsWith(base == QLatin1String("/") ? base : base + u'/');
    };
    const QFileInfo target(path);
    if (target.isSymLink()) {
        // Written through, a link would put the bytes wherever it points.
        const QString pointed = target.canonicalFilePath();
        return !pointed.isEmpty() && inside(pointed);
    }
    // The nearest folder that exists, with every link on the way resolved.
    QString folder = target.path();
    while (!QFileInfo::exists(folder) && folder != QFileInfo(folder).path())
        folder = QFileInfo(folder).path();
    return inside(QFileInfo(folder).canonicalFilePath());
}

void Transfer_Manager::DownloadSizeKnown(bool sizeKnown, int sizeReply) {
    const QString local = m_target;
    const QFileInfo info(local);
    QDir().mkpath(info.path());
    const QFileInfo partInfo(PartFile(local));
    if (!info.exists() && queue_manager::PartialDownload(Item()) && partInfo.exists() &&
        (!sizeKnown || partInfo.size() <= m_expected)) {
        // The file it was to replace has gone meanwhile: the part is still resumed.
        return DownloadReplacing(true);
    }
    if (!info.exists()) {
        if (sizeKnown && m_expected == 0) {
            // Nothing to fetch: the file is made here.
            QFile empty(local);
            if (!empty.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                Fail(QStringLiteral("Cannot create the local file \"%1\": %2")
                         .arg(local, empty.errorString()));
                return;
            }
            empty.close();
            ProgressEvent(0);
            Finish(QueueEvent::DownloadFinished);
            return;
        }
        StartDownload(false);
        return;
    }
    // SIZE says the file is not there: there is nothing to put in the local file's place,
    // and nothing to ask about.
    if (!sizeKnown && sizeReply == 550) return Fail(FailureText());
    const QueueItem* item = Item();
    // A server that ignored REST before: the file comes whole, as decided already.
    if (queue_manager::RestartFromZero(item)) return DownloadReplacing(false);
    // A part this item wrote before (an attempt that broke off, or a run that was
    // killed) is resumed without a question, unless it is longer than the file.
    if (queue_manager::PartialDownload(item)) {
        if (partInfo.exists() && (!sizeKnown || partInfo.size() <= m_expected))
            return DownloadReplacing(true);
        if (!partInfo.exists() && (!sizeKnown || info.size() <= m_expected))
            return StartDownload(true);
    }
    const quint64 job = m_job;
    const qint64 localSize = info.size();
    m_task.Decisions().Decide({FileName(local), QString::number(localSize),
                               QString::number(m_expected), localDate(local), QString()},
                              [self = QPointer<Transfer_Manager>(this), job, sizeKnown,
                               localSize](const QString& answer) {
                                  // Cancelled, removed or gone while the question was open, or
                                  // waiting for it.
                                  if (!self || !self->Current(job)) return;
                                  Transfer_Manager* const w = self;
                                  w->DownloadDecided(ExistingFileDecisions::Base(answer),
                                                     sizeKnown && localSize > w->m_expected);
                              });
}

void Transfer_Manager::DownloadDecided(const QString& decision, bool localLonger) {
    const quint64 job = m_job;
    const QString local = m_target;
    if (decision == QLatin1String("transfer_rest") && localLonger) {
        // Longer than the server's file: no part of it, so it is fetched whole.
        DownloadReplacing(false);
    } else if (decision == QLatin1String("overwrite")) {
        DownloadReplacing(false);
    } else if (decision == QLatin1String("transfer_rest")) {
        StartDownload(true);
    } else if (decision == QLatin1String("rename")) {
        const std::optional<QString> renamed = m_task.Decisions().RenameLocal(local);
        if (!Current(job)) return;
        if (!renamed) return Finish(QueueEvent::SkipFile);
        m_target = *renamed;
        m_client.SetLocalFileName(*renamed);
        m_task.Queue().setColumn(Item(), 2, renamed->toUtf8());
        StartDownload(false);
    } else {
        Finish(QueueEvent::SkipFile);
    }
}

void Transfer_Manager::DownloadReplacing(bool resume) {
    // Into a copy beside the file, which replaces it only once it is whole: a failed
    // attempt leaves the old file, and the next one resumes the copy.
    m_tempTarget = PartFile(m_target);
    if (!resume) QFile::remove(m_tempTarget);
    m_client.SetLocalFileName(m_tempTarget);
    StartDownload(resume);
}

void Transfer_Manager::StartDownload(bool resume) {
    TransferType([this, resume] {
        ShowStep(resume ? ftpRestGetAsync : ftpGetAsync);
        Run(resume ? &TCustomFtpCli::RestGetAsync : &TCustomFtpCli::GetAsync);
    });
}

void Transfer_Manager::UploadEvent(TFtpRequest request, int error) {
    const quint64 job = m_job;
    if (m_task.hooks.ensureBrowsingSession) m_task.hooks.ensureBrowsingSession();
    if (!Current(job)) return;
    if (!Guard(request, error)) return;
    switch (request) {
    case ftpOpenAsync:
    case ftpUserAsync:
    case ftpPassAsync:
    case ftpTypeSetAsync:
        // The login and the type, as for downloads.
        DownloadEvent(request, error);
        break;
    case ftpSizeAsync:
        if (m_verifyingUpload) return UploadVerified(error == 0);
        if (!Ready()) return Reopen();
        UploadSizeKnown(error == 0);
        break;
    case ftpPutAsync:
    case ftpRestPutAsync: {
        m_seconds.stop();
        // The folder's cached listing no longer holds: it is fetched again when shown.
        QFile::remove(RemoteListing::cacheFile(m_task.ProgramDir(), m_host, m_port, m_user,
                                               Folder(m_client.HostFileName())));
        if (m_client.ReplyCode() == 226 || m_client.ReplyCode() == 250) {
            if (request == ftpRestPutAsync && !m_ascii && Ready()) {
                // Whether the server appended where it said it would.
                m_verifyingUpload = true;
                m_client.SetBinary(true);
                Run(&TCustomFtpCli::SizeAsync);
                return;
            }
            if (m_task.hooks.refreshRemote) m_task.hooks.refreshRemote();
            Finish(QueueEvent::UploadFinished);
        } else {
            Fail(m_client.LastReply().trimmed());
        }
        break;
    }
    default:
        break;
    }
}

void Transfer_Manager::UploadVerified(bool sizeKnown) {
    m_verifyingUpload = false;
    const qint64 local = QFileInfo(m_target).size();
    const qint64 remote = m_client.RemoteSize();
    if (!sizeKnown || remote != local) {
        // The next attempt sends the whole file.
        queue_manager::SetRestartFromZero(m_task.Queue(), Item());
        return Fail(sizeKnown ? QStringLiteral("The resumed upload did not come out whole: the "
                                               "server's file has %1 bytes, the local file %2")
                                    .arg(remote)
                                    .arg(local)
                              : QStringLiteral("The resumed upload could not be checked: ") +
                                    FailureText());
    }
    if (m_task.hooks.refreshRemote) m_task.hooks.refreshRemote();
    Finish(QueueEvent::UploadFinished);
}

void Transfer_Manager::UploadSizeKnown(bool exists) {
    if (!exists) return StartUpload(false);
    if (queue_manager::RestartFromZero(Item())) return StartUpload(false);
    const quint64 job = m_job;
    const QString local = m_client.LocalFileName();
    const qint64 remoteSize = m_client.RemoteSize();
    m_task.Decisions().Decide(
        {FileName(local), QString::number(remoteSize), QString::number(m_expected), QString(),
         localDate(local)},
        [self = QPointer<Transfer_Manager>(this), job, remoteSize](const QString& answer) {
            if (!self || !self->Current(job)) return;
            self->UploadDecided(ExistingFileDecisions::Base(answer), remoteSize);
        });
}

void Transfer_Manager::UploadDecided(const QString& decision, qint64 remoteSize) {
    const quint64 job = m_job;
    if (decision == QLatin1String("overwrite")) {
        StartUpload(false);
    } else if (decision == QLatin1String("transfer_rest")) {
        m_client.SetRestartOffset(remoteSize);
        StartUpload(true);
    } else if (decision == QLatin1String("rename")) {
        const std::optional<QString> renamed =
            m_task.Decisions().RenameRemote(m_client.HostFileName());
        if (!Current(job)) return;
        if (!renamed) return Finish(QueueEvent::SkipFile);
        m_client.SetHostFileName(*renamed);
        // A child keeps its bare name as its text: the path comes from its folders.
        QueueItem* item = Item();
        const bool top = !item->parent || !item->parent->parent;
        item->text = (top ? *renamed : FileName(*renamed)).toUtf8();
        const QModelIndex at = m_task.Queue().indexOf(item);
        emit m_task.Queue().dataChanged(at, at);
        StartUpload(false);
    } else {
        Finish(QueueEvent::SkipFile);
    }
}

void Transfer_Manager::StartUpload(bool resume) {
    TransferType([this, resume] {
        ShowStep(resume ? ftpRestPutAsync : ftpPutAsync);
        Run(resume ? &TCustomFtpCli::RestPutAsync : &TCustomFtpCli::PutAsync);
    });
}

void Transfer_Manager::ProgressEvent(qint64 count) {
    QueueItem* item = Item();
    if (!item) return;
    // 100 is for a finished file: a folder must not complete before its last file.
    const int shown = std::min(int(std::min(Percent(count, m_expected), 100.0)), 99);
    if (shown > m_queuedPercent) {
        m_queuedPercent = shown;
        m_task.Queues().SetCount(m_task.Queue(), item, QStringLiteral("status"), shown);
        if (!Item()) return;
    }
    if (m_downloading && count > m_client.RestartOffset() && !queue_manager::PartialDownload(item))
        queue_manager::SetPartialDownload(m_task.Queue(), item, true);
    // The bar and the line are drawn together from the same count, a few times a second
    // whatever the rate, so the text never lags the bar.
    if (!m_redraw.isValid() || m_redraw.elapsed() >= kRedrawMs || count >= m_expected) {
        m_redraw.start();
        if (shown > m_panel->gauge()) m_panel->SetGauge(shown);
        m_panel->SetProgress(
            ProgressLine(count, m_expected, m_client.RestartOffset(), m_secondsTag));
    }
}
