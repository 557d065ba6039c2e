// The browsing session's recursive delete. While it runs, the client's completions come
// to DeleteRequestDone: it logs in again when the connection was lost, enters each folder
// (CWD, TYPE A, LIST), deletes its files from the last listed up, goes into its first
// subfolder the same way, removes an emptied folder with CDUP and RMD, and learns from
// PWD whether it is still inside the row being deleted. When every row is done, the
// displayed folder is listed again.
#include "NavigationManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// Connections opened again in a row before the job gives up.
constexpr int kDeleteRetries = 3;
} // namespace

bool Navigation_Manager::DeleteRows(const QList<RemoteRow>& rows) {
    if (!IsIdle() || m_deleting) return false;
    // Contents of a folder whose job was interrupted are found again by listing it.
    m_folderContents.clear();
    m_deleteFailures = 0;
    m_deleteRetries = 0;
    m_deleteMovedServer = false;
    for (const RemoteRow& row : rows) {
        if (!RemoteDelete::walkable(row.name)) {
            m_log.appendLine(
                QStringLiteral("Not deleted: \"%1\" is not a name in this folder").arg(row.name),
                SessionLog::Error);
            continue;
        }
        // A link is removed itself, never entered: what it points to stays.
        QueueDelete(RemoteListing::join(m_displayedDirectory, row.name), m_client.HostName(),
                    m_client.UserName(), m_client.PassWord(), m_client.Port(),
                    row.folder && !row.link);
    }
    StartNextDelete();
    return true;
}

void Navigation_Manager::QueueDelete(const QString& path, const QString& host, const QString& user,
                                     const QString& password, const QString& port, bool isFolder) {
    m_pendingDeletes.append(RemoteDelete::entry(path, host, user, password, port, isFolder));
}

bool Navigation_Manager::SameAccount(const DeleteEntry& e) const {
    return m_client.Connected() && m_client.HostName() == e.host && m_client.UserName() == e.user &&
           m_client.PassWord() == e.password && m_client.Port() == e.port;
}

void Navigation_Manager::UseAccount(const DeleteEntry& e) {
    m_client.SetHostName(e.host);
    m_client.SetUserName(e.user);
    m_client.SetPassWord(e.password);
    m_client.SetPort(e.port);
    m_client.SetHostFileName(e.path);
}

void Navigation_Manager::StartNextDelete() {
    m_emptying.clear();
    m_deleteFolder = false;
    if (m_pendingDeletes.isEmpty() || m_client.State() != ftpReady) return;
    const DeleteEntry e = m_pendingDeletes.takeLast();
    m_deleteTop = e.path;
    m_deleteFolder = e.folder;
    m_deleteTried.clear();
    m_deleting = true;
    m_client.OnRequestDone = [this](TCustomFtpCli*, TFtpRequest r, uint16_t error) {
        DeleteRequestDone(r, error);
    };
    if (SameAccount(e)) {
        m_client.SetHostFileName(e.path);
        DeleteRequestDone(ftpPassAsync, 0);
        return;
    }
    UseAccount(e);
    try {
        RetryDelete();
    } catch (const std::exception&) {
        StopDelete(QStringLiteral("exception reaised on ") + QString::number(int(ftpOpenAsync)));
    }
}

void Navigation_Manager::DeleteRequestDone(TFtpRequest request, int error) {
    try {
        DeleteStep(request, error);
    } catch (const std::exception&) {
        StopDelete(QStringLiteral("exception reaised on ") + QString::number(int(request)));
    }
    AfterRequest();
}

void Navigation_Manager::DeleteStep(TFtpRequest request, int error) {
    const bool ready = ConnectedAndReady();
    const QString reply =
        m_client.ErrorMessage().isEmpty() ? m_client.LastReply() : m_client.ErrorMessage();
    switch (request) {
    case ftpOpenAsync:
    case ftpUserAsync:
        if (error != 0) m_log.appendLine(reply, SessionLog::Error);
        if (!ready) return RetryDelete();
        return request == ftpOpenAsync ? m_client.UserAsync() : m_client.PassAsync();
    case ftpPassAsync:
        if (error != 0) m_log.appendLine(reply, SessionLog::Error);
        if (!ready) return RetryDelete();
        if (error == 0) {
            // Logged in again after a lost connection: the session browses on it after the job.
            m_deleteRetries = 0;
            m_loggedIn = true;
        }
        return EnterOrDelete();
    case ftpCwdAsync:
        if (error != 0) return DeleteEntryFailed(m_client.HostDirName(), reply);
        if (!ready) return RetryDelete();
        m_deleteMovedServer = true;
        m_client.SetBinary(false);
        return m_client.TypeSetAsync();
    case ftpTypeSetAsync: {
        if (error != 0) m_log.appendLine(reply, SessionLog::Error);
        if (!ready) return RetryDelete();
        const QString file = CacheFile(m_client.HostDirName());
        QDir().mkpath(QFileInfo(file).path());
        m_client.SetLocalFileName(file + QStringLiteral(".part"));
        // Hidden entries too: a folder that still holds one cannot be removed.
        m_client.SetListHidden(true);
        return m_client.DirAsync();
    }
    case ftpDirAsync:
        if (error != 0) {
            QFile::remove(m_client.LocalFileName());
            return DeleteEntryFailed(m_client.HostDirName(), reply);
        }
        return DeleteFolderListed();
    case ftpDeleAsync:
        if (error != 0) return DeleteEntryFailed(m_client.HostFileName(), reply);
        if (!ready) return StopDelete(QStringLiteral("The delete stopped: the connection closed."));
        return NextDeleteStep();
    case ftpCDupAsync:
        if (error != 0) m_log.appendLine(reply, SessionLog::Error);
        m_deleteMovedServer = true;
        if (!RemoteDelete::inside(m_emptying, m_deleteTop)) return;
        m_client.SetHostFileName(m_emptying);
        if (!ready) return StopDelete(QStringLiteral("The delete stopped: the connection closed."));
        return m_client.RmdAsync();
    case ftpRmdAsync:
        if (error != 0) return DeleteEntryFailed(m_client.HostFileName(), reply);
        if (!ready) return StopDelete(QStringLiteral("The delete stopped: the connection closed."));
        return m_client.PwdAsync();
    case ftpPwdAsync:
        if (error != 0) m_log.appendLine(reply, SessionLog::Error);
        m_deleteMovedServer = false;
        if (RemoteDelete::inside(m_client.QuotedPath(), m_deleteTop)) {
            // Still inside the row being deleted: its folder is listed again.
            m_client.SetHostFileName(m_client.QuotedPath());
            m_deleteFolder = true;
            if (!ready) return RetryDelete();
            return EnterOrDelete();
        }
        if (!m_pendingDeletes.isEmpty()) return StartNextDelete();
        return FinishDelete();
    default:
        return;
    }
}

void Navigation_Manager::EnterOrDelete() {
    const QString path = m_client.HostFileName();
    m_deleteTried.insert(path);
    if (m_deleteFolder) {
        m_emptying = path;
        m_client.SetHostDirName(path);
        m_client.SetHostFileName(QString());
        m_client.CwdAsync();
        return;
    }
    m_client.DeleAsync();
}

void Navigation_Manager::DeleteFolderListed() {
    // The listing becomes the folder's cache file.
    const QString part = m_client.LocalFileName();
    const QString file = part.chopped(5);
    QFile::remove(file);
    QFile::rename(part, file);
    ListingColumns columns;
    ReadListingFile(file, columns);
    const DeleteEntry account =
        RemoteDelete::entry(QString(), m_client.HostName(), m_client.UserName(),
                            m_client.PassWord(), m_client.Port(), false);
    m_folderContents = RemoteDelete::folderContents(columns, m_client.HostDirName(), account);
    for (const DeleteEntry& e : std::as_const(m_folderContents)) {
        // Deleted or entered once and still listed: the server keeps it.
        if (m_deleteTried.contains(e.path))
            return DeleteEntryFailed(
                e.path, QStringLiteral("it is still there after it was %1")
                            .arg(e.folder ? QStringLiteral("emptied") : QStringLiteral("deleted")));
    }
    if (!ConnectedAndReady())
        return StopDelete(QStringLiteral("The delete stopped: the connection closed."));
    NextDeleteStep();
}

void Navigation_Manager::NextDeleteStep() {
    if (!m_folderContents.isEmpty()) {
        const DeleteEntry e = m_folderContents.takeLast();
        m_deleteFolder = e.folder;
        if (SameAccount(e)) {
            m_client.SetHostFileName(e.path);
            return EnterOrDelete();
        }
        UseAccount(e);
        return RetryDelete();
    }
    if (!m_emptying.isEmpty()) return m_client.CDupAsync();
    if (!m_pendingDeletes.isEmpty()) return StartNextDelete();
    FinishDelete();
}

void Navigation_Manager::DeleteEntryFailed(const QString& path, const QString& why) {
    // What holds an entry that cannot go cannot go either: this row ends here, and the
    // job goes on with the next one.
    ++m_deleteFailures;
    m_log.appendLine(QStringLiteral("Could not delete %1: %2").arg(path, why), SessionLog::Error);
    m_folderContents.clear();
    m_emptying.clear();
    if (!ConnectedAndReady())
        return StopDelete(QStringLiteral("The delete stopped: the connection closed."));
    if (!m_pendingDeletes.isEmpty()) return StartNextDelete();
    FinishDelete();
}

void Navigation_Manager::RetryDelete() {
    if (++m_deleteRetries > kDeleteRetries) {
        m_deleteRetries = 0;
        return StopDelete(
            QStringLiteral("The delete stopped: the connection to %1 could not be opened again.")
                .arg(m_client.HostName()));
    }
    // Lost while entering a folder: the new connection enters it again.
    if (m_deleteFolder && m_client.HostFileName().isEmpty() && !m_emptying.isEmpty())
        m_client.SetHostFileName(m_emptying);
    m_client.Abort();
    m_client.OpenAsync();
}

void Navigation_Manager::ShowDeleteFailures() {
    if (m_deleteFailures > 0)
        m_pane.ShowMessage(RemoteDelete::failureMessage(std::exchange(m_deleteFailures, 0)));
}

void Navigation_Manager::FinishDelete() {
    m_deleting = false;
    BindRequestDone();
    m_client.SetHostFileName(QString());
    ShowDeleteFailures();
    if (!ConnectedAndReady()) return;
    if (!m_deleteMovedServer && m_client.QuotedPath() == m_displayedDirectory) {
        // As after a PWD: the folder the server names is listed and shown.
        m_client.SetHostDirName(m_client.QuotedPath());
        m_client.SetBinary(false);
        m_client.TypeSetAsync();
        return;
    }
    ChangeDirectory(m_displayedDirectory, true);
}

void Navigation_Manager::StopDelete(const QString& why) {
    m_deleting = false;
    m_folderContents.clear();
    m_emptying.clear();
    BindRequestDone();
    m_log.appendLine(why, SessionLog::Error);
    const int failures = std::exchange(m_deleteFailures, 0);
    m_pane.ShowMessage(failures == 0 ? why : why + u'\n' + RemoteDelete::failureMessage(failures));
}
