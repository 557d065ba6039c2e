#include "FileEditingViewing.h"

#include "AppPaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>

namespace {
// Editors often save in several writes, or write a new file and rename it over the old:
// a change is looked at once the copy has been quiet this long.
constexpr int kSettleMs = 300;
} // namespace

File_Editing_Viewing::File_Editing_Viewing(ViewerHost& host, QObject* parent)
    : QObject(parent), m_host(host) {
    m_client.OnBgException = [](TCustomFtpCli*, const std::exception&, bool&) {};
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &File_Editing_Viewing::SettledChanges);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &File_Editing_Viewing::CopyChanged);
}

void File_Editing_Viewing::CopyConnection(const TFtpClient& session) {
    m_hostName = session.HostName();
    m_user = session.UserName();
    m_password = session.PassWord();
    m_port = session.Port();
    m_proxyServer = session.ProxyServer();
    m_socksPassword = session.SocksPassword();
    m_socksPort = session.SocksPort();
    m_socksServer = session.SocksServer();
    m_socksUser = session.SocksUserCode();
    m_connectionType = session.ConnectionType();
    m_passive = session.Passive();
    m_inactivityTimeout = session.InactivityTimeout();
}

void File_Editing_Viewing::AddFileJob(const QString& name, const QString& directory, int mode) {
    m_jobs.append({directory.left(254), name.left(256), mode, false});
}

QString File_Editing_Viewing::RemotePath(const FileJob& job) {
    return job.directory == QLatin1String("/") ? job.directory + job.name
                                               : job.directory + u'/' + job.name;
}

QString File_Editing_Viewing::SafeName(const QString& name) {
    QString safe = name;
    safe.replace(u'/', u'_');
    safe.replace(QChar(0), u'_');
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        safe.prepend(u'_');
    return safe;
}

QString File_Editing_Viewing::TemporaryFolder() {
    static QString folder;
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty() || !QFileInfo(base).isWritable()) base = QDir::tempPath();
    folder = AppPaths::makeUniqueOwnerOnlyFolder(base + QStringLiteral("/1Quillon-XXXXXX"));
    return folder;
}

QString File_Editing_Viewing::TemporaryCopy(const FileJob& job) const {
    const QString root = TemporaryFolder();
    if (root.isEmpty()) return {};
    // Files of one name from two folders or servers never share a copy: a watched copy
    // is only ever sent back where it came from.
    const QByteArray where =
        (m_hostName + u'\n' + m_port + u'\n' + m_user + u'\n' + job.directory).toUtf8();
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(where, QCryptographicHash::Sha1).toHex().left(16));
    const QString folder = root + u'/' + key;
    if (!QFileInfo(folder).isDir() && !AppPaths::makeOwnerOnlyFolder(folder)) return {};
    const QString copy = folder + u'/' + SafeName(job.name);
    if (QFileInfo(copy).absolutePath() != QFileInfo(folder).absoluteFilePath()) return {};
    return copy;
}

void File_Editing_Viewing::Bind(int mode) {
    m_client.OnRequestDone = [this, mode](TCustomFtpCli*, TFtpRequest r, uint16_t error) {
        if (mode == View) return ViewRequestDone(r, error);
        if (mode == Open) return OpenRequestDone(r, error);
        EditRequestDone(r, error);
    };
}

void File_Editing_Viewing::StartNextFileJob() {
    if (m_client.Connected() || m_jobs.isEmpty()) return;
    m_client.Abort();
    m_client.SetConnectionType(m_connectionType);
    m_client.SetHostName(m_hostName);
    m_client.SetUserName(m_user);
    m_client.SetPassWord(m_password);
    m_client.SetPort(m_port);
    m_client.SetProxyServer(m_proxyServer);
    m_client.SetSocksPassword(m_socksPassword);
    m_client.SetSocksPort(m_socksPort);
    m_client.SetSocksServer(m_socksServer);
    m_client.SetSocksUserCode(m_socksUser);
    m_client.SetPassive(m_passive);
    m_client.SetInactivityTimeout(m_inactivityTimeout);
    m_current = m_jobs.takeLast();
    m_client.SetHostFileName(RemotePath(m_current));
    m_client.SetLocalFileName(TemporaryCopy(m_current));
    Bind(m_current.mode);
    m_running = true;
    m_typeSet = false;
    m_quitting = false;
    try {
        m_client.OpenAsync();
    } catch (const FtpException& e) {
        m_host.ShowMessage(e.message() + QStringLiteral(" occured while retreiving ") +
                           m_client.HostFileName());
        m_running = false;
        Finished();
    }
}

void File_Editing_Viewing::ViewRequestDone(TFtpRequest request, int error) {
    if (CommonStep(request, error)) return;
    if (request == ftpGetAsync) Downloaded();
}

void File_Editing_Viewing::OpenRequestDone(TFtpRequest request, int error) {
    if (CommonStep(request, error)) return;
    if (request == ftpGetAsync) Downloaded();
}

void File_Editing_Viewing::EditRequestDone(TFtpRequest request, int error) {
    if (CommonStep(request, error)) return;
    if (request == ftpGetAsync) return Downloaded();
    if (request == ftpPutAsync) {
        emit saved(m_current.directory, m_current.name);
        NextFile();
    }
}

bool File_Editing_Viewing::CommonStep(TFtpRequest request, int error) {
    if (request == ftpQuitAsync) {
        Finished();
        return true;
    }
    if (error != 0) {
        const QString reason =
            m_client.ErrorMessage().isEmpty() ? m_client.LastReply() : m_client.ErrorMessage();
        m_host.ShowMessage(reason + QStringLiteral(" occured while retreiving ") +
                           m_client.HostFileName());
        // The other files are still fetched: on this connection while it lasts.
        if (m_client.Connected() && m_client.State() == ftpReady && !m_jobs.isEmpty()) {
            NextFile();
        } else if (!m_jobs.isEmpty()) {
            m_client.Abort();
            StartNextFileJob();
        } else {
            Done();
        }
        return true;
    }
    const bool ready = m_client.Connected() && m_client.State() == ftpReady;
    switch (request) {
    case ftpOpenAsync:
        ready ? m_client.UserAsync() : Retry();
        return true;
    case ftpUserAsync:
        ready ? m_client.PassAsync() : Retry();
        return true;
    case ftpPassAsync:
        if (!ready) {
            Retry();
            return true;
        }
        m_retries = 0;
        BeginTransfer();
        return true;
    case ftpTypeSetAsync:
        m_typeSet = true;
        ready ? Transfer() : Retry();
        return true;
    default:
        return false;
    }
}

void File_Editing_Viewing::Retry() {
    if (++m_retries > kRetries) {
        m_retries = 0;
        m_host.ShowMessage(QStringLiteral("The connection to %1 could not be opened again; %2 "
                                          "was not fetched.")
                               .arg(m_hostName, m_client.HostFileName()));
        m_jobs.clear();
        m_running = false;
        return Finished();
    }
    m_client.Abort();
    m_client.OpenAsync();
}

void File_Editing_Viewing::BeginTransfer() {
    if (m_client.LocalFileName().isEmpty()) {
        m_host.ShowMessage(
            QStringLiteral("No folder for temporary copies could be made in %1; %2 was not "
                           "fetched.")
                .arg(QDir::tempPath(), m_client.HostFileName()));
        return NextFile();
    }
    // Copies hold the file's own bytes.
    if (!m_typeSet) {
        m_client.SetBinary(true);
        m_client.TypeSetAsync();
        return;
    }
    Transfer();
}

void File_Editing_Viewing::Transfer() {
    if (m_current.upload) return m_client.PutAsync();
    QFile::remove(m_client.LocalFileName());
    m_client.GetAsync();
}

void File_Editing_Viewing::Downloaded() {
    const QString copy = m_client.LocalFileName();
    const QString error =
        m_current.mode == Open ? m_host.OpenWithDefault(copy) : m_host.OpenInEditor(copy);
    if (!error.isEmpty()) m_host.ShowMessage(error);
    if (m_current.mode != Edit || !error.isEmpty()) return NextFile();
    // Watched from the bytes fetched on: each save in the editor is a change.
    m_watched.insert(copy, {m_current, Fingerprint(copy), false});
    m_watcher.addPath(copy);
    Ask(copy);
}

void File_Editing_Viewing::Ask(const QString& copy) {
    m_watched[copy].asking = true;
    const bool waiting = m_running; // the job waits for the answer
    const QPointer<File_Editing_Viewing> self(this);
    m_host.AskSaveFile(RemotePath(m_watched[copy].job), [this, self, copy, waiting](bool yes) {
        if (!self) return;
        auto watched = m_watched.find(copy);
        if (watched == m_watched.end()) return;
        watched->asking = false;
        if (!yes) {
            watched->fingerprint = Fingerprint(copy);
            if (waiting) NextFile();
            return;
        }
        // What is sent is what the copy holds now; a later save is a change again.
        watched->fingerprint = Fingerprint(copy);
        FileJob job = watched->job;
        job.upload = true;
        if (waiting && m_client.Connected() && m_client.State() == ftpReady) {
            m_current = job;
            m_client.SetHostFileName(RemotePath(job));
            m_client.SetLocalFileName(copy);
            Bind(Edit);
            return BeginTransfer();
        }
        // The connection has gone (or another job holds it): the copy goes on a new one.
        if (waiting) m_running = false;
        Upload(job);
    });
}

void File_Editing_Viewing::Upload(const FileJob& job) {
    m_jobs.append(job);
    if (m_running) return; // taken after the job at hand
    if (m_client.Connected() && m_client.State() == ftpReady && !m_quitting) {
        m_running = true;
        return NextFile();
    }
    m_client.Abort();
    StartNextFileJob();
}

void File_Editing_Viewing::NextFile() {
    if (m_client.Connected() && m_client.State() == ftpReady && !m_jobs.isEmpty()) {
        m_current = m_jobs.takeLast();
        m_client.SetHostFileName(RemotePath(m_current));
        m_client.SetLocalFileName(TemporaryCopy(m_current));
        Bind(m_current.mode);
        return BeginTransfer();
    }
    if (!m_jobs.isEmpty()) {
        m_client.Abort();
        return StartNextFileJob();
    }
    Done();
}

void File_Editing_Viewing::Done() {
    m_running = false;
    if (m_client.Connected() && m_client.State() == ftpReady) {
        m_quitting = true;
        try {
            m_client.QuitAsync();
            return;
        } catch (const FtpException&) {
        }
    }
    m_client.Abort();
    Finished();
}

void File_Editing_Viewing::Finished() {
    m_quitting = false;
    if (m_running || !m_jobs.isEmpty()) return;
    if (Watching()) return; // a later save is sent on a new connection
    emit finished();
    deleteLater();
}

QByteArray File_Editing_Viewing::Fingerprint(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&f);
    return hash.result();
}

void File_Editing_Viewing::CopyChanged(const QString& copy) {
    // A save that replaced the file ends the watch on the old one: watch the new one.
    if (!m_watcher.files().contains(copy) && QFileInfo::exists(copy)) m_watcher.addPath(copy);
    m_changed.insert(copy);
    m_settle.start();
}

void File_Editing_Viewing::SettledChanges() {
    const QSet<QString> changed = std::exchange(m_changed, {});
    for (const QString& copy : changed) {
        if (!m_watcher.files().contains(copy) && QFileInfo::exists(copy)) m_watcher.addPath(copy);
        const auto watched = m_watched.constFind(copy);
        if (watched == m_watched.constEnd() || watched->asking) continue;
        if (!QFileInfo::exists(copy) || Fingerprint(copy) == watched->fingerprint) continue;
        Ask(copy);
    }
}
