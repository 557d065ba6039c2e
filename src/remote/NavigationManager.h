// The browsing session: one FTP connection through which the user browses a server in
// the remote pane. It logs in, changes into the site's folder, lists it into the
// listing cache and shows it; it keeps the connection alive with NOOP, and it decides
// which of the window's session controls are enabled.
#pragma once

#include "DeleteJob.h"
#include "Ftpcli.h"
#include "Listing.h"
#include "RemoteListing.h"
#include "RemotePane.h"
#include "SessionLog.h"
#include "SettingsSource.h"

#include <QObject>
#include <QSet>
#include <QTimer>

#include <optional>

class Navigation_Manager : public QObject {
    Q_OBJECT
public:
    static constexpr int kKeepAliveMs = 30000;

    // The listing cache lives under programDir; the connection type, its servers and the
    // keep-alive flag are read from settings when they are needed.
    Navigation_Manager(RemotePane& pane, SessionControls& controls, SessionLog& log,
                       const SettingsSource& settings, const QString& programDir,
                       QObject* parent = nullptr);

    void OpenSession(const QString& host, const QString& user, const QString& password,
                     const QString& port, const QString& remoteDirectory,
                     const QString& localDirectory, int siteIndex);
    void OpenSessionSilently(const QString& host, const QString& user, const QString& password,
                             const QString& port, const QString& remoteDirectory,
                             const QString& localDirectory, int siteIndex);
    void Reconnect();
    void CloseSession();
    void SetKeepAlive(bool on);
    void SendCommand(const QString& text);

    // Quick connect from the four fields; the message when one is empty.
    void QuickConnect(const QString& host, const QString& user, const QString& password,
                      const QString& port);
    void Disconnect();
    // ABOR for a running request; a connection attempt is given up.
    void Stop();

    void ChangeDirectory(const QString& directory, bool forceFetch);
    void OneLevelUp();
    void Refresh() { ChangeDirectory(m_displayedDirectory, true); }
    // Now when the session is idle, else once the request that runs has ended (after
    // uploads and saved edits, which must show in the list whatever the session does).
    void RefreshWhenIdle();
    // A double-click on a row: into a folder; files are for the transfer commands.
    bool OpenRow(const RemoteRow& row);

    // Moves entries on the server one after another (RNFR, RNTO), each after the one
    // before has finished; a move of the folder the server is in goes up first (CDUP).
    // Then the displayed folder is listed again. Nothing starts while a request runs.
    bool RenameEntries(const QList<RemoteListing::RemoteMove>& moves);
    bool RenameEntry(const QString& oldPath, const QString& newPath) {
        return RenameEntries({{oldPath, newPath}});
    }
    // The recursive delete. DeleteRows queues the selected rows of the displayed folder
    // from the top down, so the bottom row goes first, and starts the job; folders go
    // with everything in them, links are deleted as links. False when the session is busy.
    bool DeleteRows(const QList<RemoteRow>& rows);
    void QueueDelete(const QString& path, const QString& host, const QString& user,
                     const QString& password, const QString& port, bool isFolder);
    void StartNextDelete();
    bool Deleting() const { return m_deleting; }
    // MKD path, then the displayed folder is listed again; false when busy.
    bool MakeDirectory(const QString& path);
    // "SITE CHMOD mode path" for each path, one after another, then the folder is listed
    // again; a refusal is shown once. False when busy.
    bool SetPermissions(const QString& mode, const QStringList& paths);

    // Connected, logged in and no request running.
    bool IsIdle() const { return m_loggedIn && ConnectedAndReady(); }

    TFtpClient& Client() { return m_client; }
    QString DisplayedDirectory() const { return m_displayedDirectory; }
    bool IsConnected() const { return m_client.Connected(); }
    int SiteIndex() const { return m_siteIndex; }
    // The local folder of the site the session was opened for ("" for quick connect).
    QString LocalDirectory() const { return m_localDirectory; }
    const ListingColumns& Columns() const { return m_columns; }
    QTimer& KeepAliveTimer() { return m_keepAlive; }

private:
    void BrowseRequestDone(TFtpRequest request, int error);
    void AfterRequest();
    // The delete job's steps.
    void DeleteRequestDone(TFtpRequest request, int error);
    void DeleteStep(TFtpRequest request, int error);
    bool SameAccount(const DeleteEntry& e) const;
    void UseAccount(const DeleteEntry& e);
    void EnterOrDelete();
    void DeleteFolderListed();
    void NextDeleteStep();
    void DeleteEntryFailed(const QString& path, const QString& why);
    void RetryDelete();
    void FinishDelete();
    void StopDelete(const QString& why);
    void ShowDeleteFailures();
    void StartNextChmod();
    void EndChmod();
    void SessionConnected();
    void SessionClosed();
    void LogSessionClosedOwed();
    void StateChanged();
    void KeepAliveTick();
    void ApplyAndOpen(const QString& host, const QString& user, const QString& password,
                      const QString& port, const QString& remoteDirectory,
                      const QString& localDirectory, int siteIndex);
    void FetchListing();
    void ListingDone();
    void ShowListing(const QString& directory);
    // Ready for the next request: inside a completion handler its own report has arrived;
    // between the end of a request and its report, nothing new starts.
    bool ConnectedAndReady() const {
        return m_client.Connected() && m_client.State() == ftpReady && !m_client.ReportPending();
    }
    // Opening the connection or logging in, not yet browsing.
    bool Connecting() const;
    void RequestFailed(TFtpRequest request, int error);
    void CancelConnecting();
    QString CacheFile(const QString& directory) const;
    void Retry();
    void BindRequestDone();
    void StartNextRename();
    void Rename(const RemoteListing::RemoteMove& move);
    // The displayed folder is listed again (after moves, permissions).
    void ListDisplayedAgain();

    RemotePane& m_pane;
    SessionControls& m_controls;
    SessionLog& m_log;
    const SettingsSource& m_settings;
    QString m_programDir;
    TFtpClient m_client;
    QTimer m_keepAlive;
    ListingColumns m_columns;
    QString m_displayedDirectory;
    int m_siteIndex = -1;
    QString m_localDirectory;
    bool m_loggedIn = false;
    // A failure is in the status bar and the listing it starts must not replace it.
    bool m_keepErrorStatus = false;
    bool m_refreshPending = false;
    bool m_sessionClosedOwed = false;
    // The listing being fetched goes here first and becomes the cache file only when
    // the server reports it complete.
    QString m_listingFile;
    // What the user gave for a connection through an FTP proxy, so that Reconnect
    // reaches the same server with the same user name.
    QString m_givenHost, m_givenUser, m_givenPort;
    // Moves still to make, and the one waiting for its CDUP.
    QList<RemoteListing::RemoteMove> m_renames;
    std::optional<RemoteListing::RemoteMove> m_renameAfterCdup;
    std::optional<RemoteListing::RemoteMove> m_renaming;

    // The delete job: the rows still to delete and the entries of the folder being
    // emptied (both last in, first out), the row being deleted, the folder being emptied.
    QList<DeleteEntry> m_pendingDeletes;
    QList<DeleteEntry> m_folderContents;
    QString m_deleteTop;
    QString m_emptying;
    bool m_deleteFolder = false;
    bool m_deleting = false;
    // Paths of the row being deleted that were deleted or entered once: one that is
    // listed again could not be deleted, and is not tried a second time.
    QSet<QString> m_deleteTried;
    int m_deleteFailures = 0;
    int m_deleteRetries = 0;
    // The job changed the server's folder since the last PWD.
    bool m_deleteMovedServer = false;

    // SITE CHMOD still to send, and whether a refusal has been shown.
    QStringList m_chmodPaths;
    QString m_chmodMode;
    bool m_chmodRefusalShown = false;
};
