#include "NavigationManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

Navigation_Manager::Navigation_Manager(RemotePane& pane, SessionControls& controls, SessionLog& log,
                                       const SettingsSource& settings, const QString& programDir,
                                       QObject* parent)
    : QObject(parent), m_pane(pane), m_controls(controls), m_log(log), m_settings(settings),
      m_programDir(programDir) {
    m_keepAlive.setInterval(kKeepAliveMs);
    connect(&m_keepAlive, &QTimer::timeout, this, &Navigation_Manager::KeepAliveTick);
    connect(&settings, &SettingsSource::changed, this, [this](Setting s) {
        if (s == Setting::NOOP) SetKeepAlive(m_settings.flag(Setting::NOOP));
        if (s == Setting::InactivityTimeout)
            m_client.SetInactivityTimeout(m_settings.integer(Setting::InactivityTimeout));
        if (s == Setting::ListingLimit) m_client.SetListingLimit(m_settings.listingLimitBytes());
        // The shown folder is listed again with (or without) its hidden entries.
        if (s == Setting::ShowHidden && IsConnected() && IsIdle()) Refresh();
    });
    m_client.SetInactivityTimeout(m_settings.integer(Setting::InactivityTimeout));
    m_client.SetListingLimit(m_settings.listingLimitBytes());
    BindRequestDone();
    m_client.OnDisplay = [this](TCustomFtpCli*, QString& msg) { m_log.traceLine(msg); };
    m_client.OnSessionClosed = [this](TCustomFtpCli*, uint16_t) { SessionClosed(); };
    m_client.OnSessionConnected = [this](TCustomFtpCli*, uint16_t) { SessionConnected(); };
    m_client.OnStateChange = [this](TCustomFtpCli*) { StateChanged(); };
    m_client.OnBgException = [](TCustomFtpCli*, const std::exception&, bool&) {};
}

void Navigation_Manager::BindRequestDone() {
    m_deleting = false; // whatever ran on the connection before has given it back
    m_client.OnRequestDone = [this](TCustomFtpCli*, TFtpRequest r, uint16_t e) {
        BrowseRequestDone(r, e);
    };
}

void Navigation_Manager::QuickConnect(const QString& host, const QString& user,
                                      const QString& password, const QString& port) {
    if (host.isEmpty() || user.isEmpty() || password.isEmpty() || port.isEmpty()) {
        m_pane.ShowMessage(QStringLiteral(
            "Please Enter the valid values for:\n\tHost Name\n\tUser Name\n\tPassword\n\tPort"));
        return;
    }
    bool numeric = false;
    const int number = port.toInt(&numeric);
    if (!numeric || number < 1 || number > 65535) {
        m_pane.ShowMessage(QStringLiteral("The port must be a number from 1 to 65535."));
        return;
    }
    OpenSession(host, user, password, port, QString(), QString(), -1);
}

void Navigation_Manager::OpenSession(const QString& host, const QString& user,
                                     const QString& password, const QString& port,
                                     const QString& remoteDirectory, const QString& localDirectory,
                                     int siteIndex) {
    if (m_client.Connected()) {
        if (!m_pane.AskBreakConnection()) return;
        m_client.Abort();
    }
    m_pane.ClearAddressBox();
    m_pane.ClearRows();
    m_displayedDirectory.clear();
    m_log.appendLine(QString(54, u'*'), SessionLog::Information);
    m_log.appendLine(QStringLiteral("Connecting to ") + host + QStringLiteral("....."),
                     SessionLog::Information);
    if (m_client.Connected()) m_client.Abort();
    ApplyAndOpen(host, user, password, port, remoteDirectory, localDirectory, siteIndex);
}

void Navigation_Manager::OpenSessionSilently(const QString& host, const QString& user,
                                             const QString& password, const QString& port,
                                             const QString& remoteDirectory,
                                             const QString& localDirectory, int siteIndex) {
    ApplyAndOpen(host, user, password, port, remoteDirectory, localDirectory, siteIndex);
}

void Navigation_Manager::ApplyAndOpen(const QString& host, const QString& user,
                                      const QString& password, const QString& port,
                                      const QString& remoteDirectory, const QString& localDirectory,
                                      int siteIndex) {
    const QString type = m_settings.text(Setting::ConnectionType);
    const SettingsRecord& settings = m_settings.record();
    // A connection through a proxy or SOCKS server that is not set would silently go
    // straight to the server.
    const Setting needed = type == QLatin1String("Proxy")            ? Setting::ProxyServer
                           : type.startsWith(QLatin1String("Socks")) ? Setting::SocksServer
                                                                     : Setting::ConnectionType;
    if (needed != Setting::ConnectionType && settings.text(needed).trimmed().isEmpty()) {
        const QString text =
            QStringLiteral("The connection type is %1, but no %2 is set (Settings, page "
                           "\"Firewall/Socks\").")
                .arg(type, needed == Setting::ProxyServer ? QStringLiteral("Proxy Server")
                                                          : QStringLiteral("Socks Server"));
        m_log.appendLine(text, SessionLog::Error);
        m_controls.ShowStatus(QStringLiteral("Not connected: ") + text);
        m_pane.ShowMessage(text);
        return;
    }
    m_localDirectory = localDirectory;
    if (!localDirectory.isEmpty()) m_controls.OpenLocalFolder(localDirectory);
    m_loggedIn = false;
    BindRequestDone();
    // Rows a stopped delete left behind belong to the session they were chosen in.
    m_pendingDeletes.clear();
    m_folderContents.clear();
    m_client.SetHostName(host);
    m_client.SetUserName(user);
    m_client.SetPassWord(password);
    m_client.SetPort(port);
    m_client.SetHostDirName(remoteDirectory);
    m_client.SetLocalFileName(QString());
    m_client.SetHostFileName(QString());
    m_client.SetProxyServer(QString());
    m_client.Abort();
    if (m_client.Connected() || m_client.State() != ftpReady) return;
    m_client.SetSocksServer(QString());
    m_client.SetSocksPort(QString());
    m_client.SetSocksUserCode(QString());
    m_client.SetSocksPassword(QString());
    m_givenHost = host;
    m_givenUser = user;
    m_givenPort = port;
    if (type == QLatin1String("Proxy")) {
        // The proxy is an ordinary FTP server that takes the real host in the user name.
        m_client.SetConnectionType(ftpDirect);
        m_client.SetHostName(settings.text(Setting::ProxyServer));
        m_client.SetPort(settings.text(Setting::ProxyPort));
        m_client.SetUserName(user + u'@' + host);
    } else if (type.startsWith(QLatin1String("Socks"))) {
        m_client.SetSocksServer(settings.text(Setting::SocksServer));
        m_client.SetSocksPort(settings.text(Setting::SocksPort));
        m_client.SetSocksUserCode(settings.text(Setting::SocksUser));
        m_client.SetSocksPassword(settings.text(Setting::SocksPass));
        m_client.SetConnectionType(type == QLatin1String("Socks4")    ? ftpSocks4
                                   : type == QLatin1String("Socks4A") ? ftpSocks4A
                                                                      : ftpSocks5);
    } else {
        m_client.SetConnectionType(ftpDirect);
        m_client.SetPassive(false); // a SOCKS or proxy session before left it passive
    }
    m_siteIndex = siteIndex;
    try {
        m_client.OpenAsync();
    } catch (const FtpException& e) {
        m_log.appendLine(e.message(), SessionLog::Error);
        m_controls.ShowStatus(QStringLiteral("Not connected: ") + e.message());
        return;
    }
    // The attempt can be given up at any time, greeting or not.
    m_controls.ShowStatus(QStringLiteral("Connecting to %1...").arg(host));
    m_controls.SetSessionControls(true);
    m_controls.SetIdleControls(false);
}

bool Navigation_Manager::Connecting() const {
    const TFtpState s = m_client.State();
    return !m_loggedIn && (s == ftpDnsLookup || s == ftpWaitingBanner || s == ftpConnected ||
                           (m_client.Connected() && s == ftpWaitingResponse));
}

void Navigation_Manager::CancelConnecting() {
    m_client.Abort();
    m_log.appendLine(QStringLiteral("Connection attempt cancelled"), SessionLog::Error);
    m_controls.ShowStatus(QStringLiteral("Not connected: connection attempt cancelled"));
    m_controls.SetSessionControls(false);
    m_pane.ClearRows();
    m_pane.SetPaneEnabled(false);
}

void Navigation_Manager::Stop() {
    if (Connecting()) return CancelConnecting();
    if (!m_client.Connected()) return;
    SendCommand(QStringLiteral("ABOR"));
    // A stopped listing is not a listing of the folder: it never reaches the cache.
    if (!m_listingFile.isEmpty()) QFile::remove(std::exchange(m_listingFile, QString()));
}

void Navigation_Manager::Reconnect() {
    // After a proxy connection the client holds the proxy's address and user@host:
    // reconnect with what the user gave, so the same server is reached again.
    const bool proxy = m_settings.text(Setting::ConnectionType) == QLatin1String("Proxy") &&
                       !m_givenHost.isEmpty();
    OpenSession(proxy ? m_givenHost : m_client.HostName(),
                proxy ? m_givenUser : m_client.UserName(), m_client.PassWord(),
                proxy ? m_givenPort : m_client.Port(), m_client.HostDirName(), QString(),
                m_siteIndex);
}

void Navigation_Manager::CloseSession() {
    m_client.Abort();
}

void Navigation_Manager::Disconnect() {
    if (Connecting()) return CancelConnecting();
    CloseSession();
    m_pane.ClearRows();
    m_pane.SetPaneEnabled(false);
}

void Navigation_Manager::SetKeepAlive(bool on) {
    if (on) {
        m_keepAlive.start();
    } else {
        m_keepAlive.stop();
    }
}

void Navigation_Manager::SendCommand(const QString& text) {
    m_client.SetLocalFileName(text);
    m_client.Quote();
}

void Navigation_Manager::KeepAliveTick() {
    // Only a logged-in session is kept alive: a refused login is not a session.
    if (!m_loggedIn || !ConnectedAndReady()) return;
    m_client.SetLocalFileName(QStringLiteral("NOOP"));
    m_client.QuoteAsync();
}

void Navigation_Manager::Retry() {
    m_client.Abort();
    try {
        m_client.OpenAsync();
    } catch (const FtpException& e) {
        m_log.appendLine(e.message(), SessionLog::Error);
    }
}

void Navigation_Manager::BrowseRequestDone(TFtpRequest request, int error) {
    QCoreApplication::processEvents();
    if (error == 0) {
        const bool ready = ConnectedAndReady();
        try {
            switch (request) {
            case ftpOpenAsync:
                ready ? m_client.UserAsync() : Retry();
                break;
            case ftpUserAsync:
                ready ? m_client.PassAsync() : Retry();
                break;
            case ftpPassAsync:
                m_loggedIn = true;
                m_controls.ShowStatus(QStringLiteral("Connected to %1").arg(m_givenHost));
                if (!ready) {
                    Retry();
                } else if (!m_client.HostDirName().isEmpty()) {
                    m_client.CwdAsync();
                } else {
                    m_client.PwdAsync();
                }
                break;
            case ftpCwdAsync:
                ready ? m_client.PwdAsync() : Retry();
                break;
            case ftpPwdAsync:
                if (!ready) {
                    Retry();
                    break;
                }
                m_client.SetHostDirName(m_client.QuotedPath());
                m_client.SetBinary(false);
                m_client.TypeSetAsync();
                break;
            case ftpTypeSetAsync:
                ready ? FetchListing() : Retry();
                break;
            case ftpDirAsync:
            case ftpLsAsync:
            case ftpDirectoryAsync:
            case ftpListAsync:
                ListingDone();
                break;
            case ftpCDupAsync:
                if (m_renameAfterCdup) {
                    const RemoteListing::RemoteMove move = *std::exchange(m_renameAfterCdup, {});
                    if (!ready) {
                        m_renames.clear();
                        break;
                    }
                    Rename(move);
                }
                break;
            case ftpRenAsync:
                // The folder shown was moved: it is shown under its new name.
                if (m_renaming && m_renaming->from == m_displayedDirectory)
                    m_displayedDirectory = m_renaming->to;
                m_renaming.reset();
                if (!m_renames.isEmpty()) {
                    StartNextRename();
                    break;
                }
                ListDisplayedAgain();
                break;
            case ftpQuoteAsync:
                if (m_chmodMode.isEmpty()) break;
                ready ? StartNextChmod() : EndChmod();
                break;
            case ftpMkdAsync:
                if (!ready) break;
                m_client.SetHostDirName(m_displayedDirectory);
                m_client.SetHostFileName(QString());
                ChangeDirectory(m_displayedDirectory, true);
                break;
            default:
                break;
            }
        } catch (const FtpException& e) {
            m_log.appendLine(e.message(), SessionLog::Error);
        }
    }
    if (error != 0) {
        RequestFailed(request, error);
        // A move the server refused does not stop the ones after it.
        if (request == ftpRenAsync || (request == ftpCDupAsync && m_renameAfterCdup)) {
            m_renameAfterCdup.reset();
            m_renaming.reset();
            if (!m_renames.isEmpty() && ConnectedAndReady()) {
                StartNextRename();
            } else {
                m_renames.clear();
                if (ConnectedAndReady()) ListDisplayedAgain();
            }
        }
        if (request == ftpQuoteAsync && !m_chmodMode.isEmpty()) {
            // A server without SITE CHMOD refuses every one: it is said once.
            if (!std::exchange(m_chmodRefusalShown, true))
                m_pane.ShowMessage(QStringLiteral("The server refused to change the "
                                                  "permissions:\n") +
                                   m_client.LastReply());
            ConnectedAndReady() ? StartNextChmod() : EndChmod();
        }
        // A refused MKD leaves the folder as it was; the pane says so.
        if (request == ftpMkdAsync)
            m_pane.ShowMessage(QStringLiteral("The directory was not created:\n") +
                               m_client.LastReply());
    }
    // The listing a failure itself starts (after a refused move) keeps the failure in
    // the status bar; once nothing more runs, the next success replaces it.
    if (ConnectedAndReady()) m_keepErrorStatus = false;
    AfterRequest();
    if (m_refreshPending && ConnectedAndReady()) {
        // After the report has been taken: from the loop.
        QTimer::singleShot(0, this, [this] {
            if (m_refreshPending) RefreshWhenIdle();
        });
    }
    QCoreApplication::processEvents();
}

void Navigation_Manager::AfterRequest() {
    const bool connected = m_client.Connected();
    if (!connected) {
        m_pane.ClearRows();
        m_controls.SetSessionControls(false);
    }
    m_pane.SetPaneEnabled(connected && m_loggedIn);
}

void Navigation_Manager::RequestFailed(TFtpRequest request, int error) {
    // The reason goes to the log in the error colour; a failure the server did not
    // explain (a time-out, a refused or lost connection) would otherwise be silence.
    QString reason =
        m_client.ErrorMessage().isEmpty() ? m_client.LastReply() : m_client.ErrorMessage();
    if (reason.isEmpty()) reason = QStringLiteral("Request failed, error #%1").arg(error);
    m_log.appendLine(reason, SessionLog::Error);
    if (!m_loggedIn) {
        // Nothing of this server, or of one before it, is shown as if logged in.
        m_pane.ClearRows();
        m_pane.ClearAddressBox();
        m_displayedDirectory.clear();
        m_controls.ShowStatus((m_client.Connected() ? QStringLiteral("Not logged in: ")
                                                    : QStringLiteral("Not connected: ")) +
                              RemoteListing::userReason(reason));
        LogSessionClosedOwed();
        return;
    }
    if (request == ftpDirAsync && !m_listingFile.isEmpty()) QFile::remove(m_listingFile);
    m_keepErrorStatus = true;
    // The pane still shows the folder it showed: the address box says so again.
    m_pane.SetAddressText(m_displayedDirectory);
    const QString words = RemoteListing::userReason(reason);
    m_controls.ShowStatus(m_client.Connected() ? words : QStringLiteral("Not connected: ") + words);
    LogSessionClosedOwed();
}

void Navigation_Manager::SessionConnected() {
    m_controls.SetSessionControls(true);
    SetKeepAlive(m_settings.flag(Setting::NOOP));
}

void Navigation_Manager::SessionClosed() {
    m_loggedIn = false;
    m_refreshPending = false;
    EndChmod();
    m_controls.SetSessionControls(false);
    m_controls.ShowStatus(QStringLiteral("Not connected"));
    // After the reason, which the failed request's report brings a moment later.
    m_sessionClosedOwed = true;
    if (!m_client.ReportPending()) {
        LogSessionClosedOwed();
    } else {
        QTimer::singleShot(200, this, &Navigation_Manager::LogSessionClosedOwed);
    }
    m_pane.ClearAddressBox();
    m_keepAlive.stop();
}

void Navigation_Manager::LogSessionClosedOwed() {
    if (std::exchange(m_sessionClosedOwed, false))
        m_log.appendLine(QStringLiteral("Session Closed"), SessionLog::Error);
}

void Navigation_Manager::StateChanged() {
    if (!m_client.Connected()) return;
    const bool idle = m_client.State() == ftpReady;
    m_pane.SetIdle(idle);
    m_controls.SetIdleControls(idle);
}

QString Navigation_Manager::CacheFile(const QString& directory) const {
    return RemoteListing::cacheFile(m_programDir, m_client.HostName(), m_client.Port(),
                                    m_client.UserName(), directory);
}

void Navigation_Manager::RefreshWhenIdle() {
    if (!IsConnected() || !m_loggedIn) return;
    if (IsIdle() && !m_deleting) {
        m_refreshPending = false;
        Refresh();
        return;
    }
    m_refreshPending = true;
}

void Navigation_Manager::ChangeDirectory(const QString& directory, bool forceFetch) {
    const QString cacheFile = CacheFile(directory);
    if (forceFetch || !QFileInfo::exists(cacheFile)) {
        // One request at a time: while one runs, its chain (a delete, moves) owns the
        // client's completions, folder and listing file.
        if (!ConnectedAndReady() || !m_loggedIn) return;
        BindRequestDone();
        m_client.SetHostDirName(directory);
        m_client.SetHostFileName(QString());
        m_client.CwdAsync();
        return;
    }
    m_log.appendLine(QStringLiteral("Using Cached Listing for ") + directory,
                     SessionLog::Information);
    ReadListingFile(cacheFile, m_columns);
    ShowListing(directory);
}

void Navigation_Manager::FetchListing() {
    const QString file = CacheFile(m_client.HostDirName());
    QDir().mkpath(QFileInfo(file).path());
    m_listingFile = file + QStringLiteral(".part");
    m_client.SetLocalFileName(m_listingFile);
    m_client.SetListHidden(m_settings.flag(Setting::ShowHidden));
    m_client.DirAsync();
}

void Navigation_Manager::ListingDone() {
    // A stopped listing may still end well (its 226 after the ABOR): it is not a listing
    // of the folder, and the pane keeps what it shows.
    if (m_listingFile.isEmpty()) return;
    // Complete: the listing becomes the folder's cache file.
    const QString file = CacheFile(m_client.HostDirName());
    QFile::remove(file);
    if (!QFile::rename(m_listingFile, file)) {
        m_log.appendLine(QStringLiteral("Cannot keep the listing in \"%1\"").arg(file),
                         SessionLog::Error);
    }
    m_listingFile.clear();
    m_refreshPending = false; // the folder is as fresh as a refresh would make it
    ReadListingFile(file, m_columns);
    m_pane.AddToAddressHistory(m_client.HostDirName());
    ShowListing(m_client.HostDirName());
}

void Navigation_Manager::ShowListing(const QString& directory) {
    if (!std::exchange(m_keepErrorStatus, false))
        m_controls.ShowStatus(QStringLiteral("Connected to %1: %2").arg(m_givenHost, directory));
    m_pane.SetAddressText(directory);
    m_displayedDirectory = directory;
    m_pane.ShowRows(RemoteListing::rows(m_columns));
}

void Navigation_Manager::OneLevelUp() {
    const QString parent = RemoteListing::parent(m_displayedDirectory);
    m_pane.SetAddressText(parent);
    ChangeDirectory(parent, false);
    ChangeDirectory(m_displayedDirectory, true);
}

bool Navigation_Manager::OpenRow(const RemoteRow& row) {
    if (row.type != RemoteListing::kFolderType) return false;
    ChangeDirectory(RemoteListing::join(m_displayedDirectory, row.name), false);
    ChangeDirectory(m_displayedDirectory, true);
    return true;
}

bool Navigation_Manager::RenameEntries(const QList<RemoteListing::RemoteMove>& moves) {
    if (moves.isEmpty() || !IsIdle() || !m_renames.isEmpty() || m_renameAfterCdup) return false;
    m_renames = moves;
    BindRequestDone();
    StartNextRename();
    return true;
}

void Navigation_Manager::StartNextRename() {
    const RemoteListing::RemoteMove move = m_renames.takeFirst();
    if (move.from == m_client.QuotedPath()) {
        // The server is inside the folder that moves: out of it first.
        m_renameAfterCdup = move;
        try {
            m_client.CDupAsync();
        } catch (const FtpException& e) {
            m_log.appendLine(e.message(), SessionLog::Error);
            m_renames.clear();
            m_renameAfterCdup.reset();
        }
        return;
    }
    Rename(move);
}

void Navigation_Manager::Rename(const RemoteListing::RemoteMove& move) {
    m_renaming = move;
    m_client.SetHostFileName(move.from);
    m_client.SetLocalFileName(move.to);
    try {
        m_client.RenAsync();
    } catch (const FtpException& e) {
        m_log.appendLine(e.message(), SessionLog::Error);
        m_renames.clear();
        m_renaming.reset();
    }
}

bool Navigation_Manager::MakeDirectory(const QString& path) {
    if (!IsIdle()) return false;
    BindRequestDone();
    m_client.SetHostFileName(path);
    m_client.SetHostDirName(QString());
    try {
        m_client.MkdAsync();
    } catch (const FtpException& e) {
        m_log.appendLine(e.message(), SessionLog::Error);
        return false;
    }
    return true;
}

bool Navigation_Manager::SetPermissions(const QString& mode, const QStringList& paths) {
    if (!IsIdle() || !m_chmodMode.isEmpty() || paths.isEmpty()) return false;
    BindRequestDone();
    m_chmodMode = mode;
    m_chmodPaths = paths;
    m_chmodRefusalShown = false;
    StartNextChmod();
    return true;
}

void Navigation_Manager::StartNextChmod() {
    if (m_chmodPaths.isEmpty()) {
        EndChmod();
        ListDisplayedAgain(); // the folder is listed again, with the new permissions
        return;
    }
    m_client.SetLocalFileName(
        QStringLiteral("SITE CHMOD %1 %2").arg(m_chmodMode, m_chmodPaths.takeFirst()));
    try {
        m_client.QuoteAsync();
    } catch (const FtpException& e) {
        m_log.appendLine(e.message(), SessionLog::Error);
        EndChmod();
    }
}

void Navigation_Manager::EndChmod() {
    m_chmodPaths.clear();
    m_chmodMode.clear();
}

void Navigation_Manager::ListDisplayedAgain() {
    if (!ConnectedAndReady()) return;
    m_client.SetHostDirName(m_displayedDirectory);
    m_client.SetHostFileName(QString());
    ChangeDirectory(m_displayedDirectory, true);
}
