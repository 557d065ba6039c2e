#include "Main.h"

#include "AboutBox.h"
#include "AppIcon.h"
#include "AppPaths.h"
#include "FileDrop.h"
#include "FileReplaceDialog.h"
#include "InputBox.h"
#include "LocalBrowse.h"
#include "LocalPane.h"
#include "LogView.h"
#include "NavigationManager.h"
#include "PlainMessage.h"
#include "QueueFileLoad.h"
#include "QueuePages.h"
#include "QuickConnectBar.h"
#include "RemotePaneWidget.h"
#include "SettingsDialog.h"
#include "SiteInfo.h"
#include "SiteManagerPane.h"
#include "ThreadPanel.h"
#include "ToolButton.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSoundEffect>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

TMainform::TMainform(QWidget* parent)
    : QMainWindow(parent), m_queueColour(kSystemWindowColour), m_ftpLogColour(16777215),
      m_localListColour(kSystemWindowColour), m_remoteListColour(16777215) {
    setObjectName(QStringLiteral("Mainform"));
    quitApplication = [] { QApplication::quit(); };
    m_log.colourOf = [this](int kind) { return logColour(kind); };
    buildMenus();
    buildToolbar();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    m_quickBar = new QuickConnectBar(central);
    m_quickBar->setVisible(false);
    layout->addWidget(m_quickBar);
    auto* bottomSplitter = new QSplitter(Qt::Vertical, central);
    bottomSplitter->setObjectName(QStringLiteral("bottom_splitter"));
    auto* verticleSplitter = new QSplitter(Qt::Horizontal);
    verticleSplitter->setObjectName(QStringLiteral("verticle_splitter"));
    verticleSplitter->addWidget(buildLeftPane());
    verticleSplitter->addWidget(buildRightPane());
    verticleSplitter->setStretchFactor(1, 1);
    connect(verticleSplitter, &QSplitter::splitterMoved, this, [this] { m_panesPlaced = true; });
    connect(bottomSplitter, &QSplitter::splitterMoved, this, [this] { m_queuePlaced = true; });
    bottomSplitter->addWidget(verticleSplitter);
    m_queuePages = new QueuePages(m_queueManager, m_task);
    connect(m_queuePages, &QueuePages::closeRequested, this, [this] {
        if (m_a.QueueWindow1->isChecked()) toggleViewByUser(Setting::QueueWindow);
    });
    connect(m_queuePages, &QueuePages::processingChanged, this,
            [this](bool on) { m_settingsSource.setFlag(Setting::QueueProcessing, on); });
    bottomSplitter->addWidget(m_queuePages);
    bottomSplitter->setStretchFactor(0, 3);
    bottomSplitter->setStretchFactor(1, 1);
    layout->addWidget(bottomSplitter, 1);
    setCentralWidget(central);

    m_statusLeft = new QLabel(this);
    m_statusLeft->setObjectName(QStringLiteral("status_left"));
    m_statusRight = new QLabel(this);
    m_statusRight->setObjectName(QStringLiteral("status_right"));
    statusBar()->setObjectName(QStringLiteral("status"));
    statusBar()->addWidget(m_statusLeft, 1);
    statusBar()->addWidget(m_statusRight, 1);
    buildTray();
    // The toolbar's file commands act on the pane the user worked in last.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now) return;
        const ActivePane before = m_activePane;
        if (m_localPane->isAncestorOf(now)) m_activePane = ActivePane::Local;
        if (m_remotePane->isAncestorOf(now)) m_activePane = ActivePane::Remote;
        if (m_activePane != before) showToolbarCommands();
    });
    bindFailures();
}

void TMainform::bindFailures() {
    trayMessage = [this](const QString& text) {
        m_tray->showMessage(QStringLiteral("1Quillon"), text, QSystemTrayIcon::Warning);
    };
    // An item that ran out of attempts is said where the user looks: the status bar, and
    // once through the tray icon while the window is hidden there.
    connect(&m_failQueueModel, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (parent.isValid()) return;
                for (int row = first; row <= last; ++row) {
                    const QueueItem* item = m_failQueueModel.itemAt(m_failQueueModel.index(row, 0));
                    const QByteArray error = item->column(9);
                    if (error.isEmpty()) continue; // moved or copied by the user
                    const QString text =
                        QStringLiteral("Transfer failed: %1: %2")
                            .arg(QString::fromUtf8(item->text), QString::fromUtf8(error));
                    ShowStatus(text);
                    if (!isVisible() && m_trayAvailable && !m_trayToldFailure) {
                        m_trayToldFailure = true;
                        trayMessage(text);
                    }
                }
            });
}

TMainform::~TMainform() {
    // The focus moves while the children go: it must not reach panes being destroyed.
    disconnect(qApp, nullptr, this, nullptr);
    // The panes go after the window's own members: nothing they report reaches it then.
    m_localPane->disconnect(this);
    m_remotePane->disconnect(this);
}

QWidget* TMainform::buildLeftPane() {
    m_threadPanel = new QTabWidget;
    m_threadPanel->setObjectName(QStringLiteral("thread_panel"));
    m_threadPanel->setTabPosition(QTabWidget::South);
    m_localPane = new LocalPane;
    m_localCommands = m_localPane;
    m_threadPanel->addTab(m_localPane, QStringLiteral("Local Listing"));
    m_threadPage = new ThreadPanel;
    connect(m_threadPage, &ThreadPanel::threadsChanged, this,
            [this](int n) { m_settingsSource.setInteger(Setting::ThreadsAllowed, n); });
    connect(m_threadPage, &ThreadPanel::attemptsChanged, this,
            [this](int n) { m_settingsSource.setInteger(Setting::AttemptsAllowed, n); });
    m_threadPanel->addTab(m_threadPage, QStringLiteral("Thread Panel"));
    m_siteManager = new SiteManagerPane;
    m_threadPanel->addTab(m_siteManager, QStringLiteral("Site Manager"));
    return m_threadPanel;
}

QWidget* TMainform::buildRightPane() {
    m_rightSide = new QWidget;
    m_rightSide->setObjectName(QStringLiteral("Panel4"));
    auto* layout = new QVBoxLayout(m_rightSide);
    layout->setContentsMargins(0, 0, 0, 0);
    m_logSplitter = new QSplitter(Qt::Vertical, m_rightSide);
    m_logSplitter->setObjectName(QStringLiteral("log_splitter"));
    m_remotePane = new RemotePaneWidget;
    m_remoteCommands = m_remotePane;
    connect(m_remotePane, &RemotePaneWidget::commandsChanged, this,
            [this](const RemoteListing::SelectionCommands& c) {
                m_remoteStates = c;
                // Downloads run on the workers' connections: the selection is enough.
                m_a.Download_Button->setEnabled(c.nonEmpty);
                if (m_activePane == ActivePane::Remote) showToolbarCommands();
            });
    m_logView = new LogView(m_log);
    connect(m_logView, &LogView::closeRequested, this, [this] {
        if (m_a.LogWindow1->isChecked()) toggleViewByUser(Setting::LogWindow);
    });
    m_logSplitter->addWidget(m_remotePane);
    m_logSplitter->addWidget(m_logView);
    layout->addWidget(m_logSplitter);
    m_rightSide->installEventFilter(this);
    connect(m_logSplitter, &QSplitter::splitterMoved, this, [this] { m_logPlaced = true; });
    return m_rightSide;
}

void TMainform::bindRemoteSession() {
    m_navigation = std::make_unique<Navigation_Manager>(*m_remotePane, *this, m_log,
                                                        m_settingsSource, m_programDir);
    Navigation_Manager* nav = m_navigation.get();
    m_remotePane->bind(*nav);
    connect(m_a.EnterCommand1, &QAction::triggered, this, [this, nav] {
        const std::optional<QString> command =
            askText(this, "manual_command", QStringLiteral("Manual Command"),
                    QStringLiteral("Please Enter Valid Command (e.g. PWD)"));
        if (!command || command->trimmed().isEmpty()) return;
        if (!nav->IsIdle()) {
            showMessage(QStringLiteral("The server is busy with another request: try again when "
                                       "it has finished."));
            return;
        }
        nav->SendCommand(*command);
    });
    connect(m_quickBar, &QuickConnectBar::connectRequested, nav, [this, nav] {
        m_sessionSiteId = 0;
        // The host, port and user name (never the password) are kept for the next run.
        if (!m_quickBar->host().trimmed().isEmpty()) {
            m_memory.noteServer(
                {m_quickBar->host().trimmed(), m_quickBar->port(), m_quickBar->user()});
            showRecentServers();
            saveWindowMemory();
        }
        nav->QuickConnect(m_quickBar->host(), m_quickBar->user(), m_quickBar->password(),
                          m_quickBar->port());
    });
    for (QAction* a : {m_a.Reconnect_Button, m_a.Reconnect1})
        connect(a, &QAction::triggered, nav, [nav] { nav->Reconnect(); });
    for (QAction* a : {m_a.Abort_Button, m_a.Disconnect1})
        connect(a, &QAction::triggered, nav, [nav] { nav->Disconnect(); });
    for (QAction* a : {m_a.Stop_Button, m_a.Abort1})
        connect(a, &QAction::triggered, nav, [nav] { nav->Stop(); });
}

// ---------------------------------------------------------------------------------
// Start-up and shut-down

void TMainform::FormCreate() {
    const QIcon icon = AppIcon();
    setWindowIcon(icon);
    m_tray->setIcon(icon);
    setWindowTitle(QStringLiteral("1Quillon "));
    // Sized to the screen first, so the window fills it also where no window manager
    // carries out the maximising.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    showMaximized();
    m_a.trayOpen->setEnabled(true);

    m_programDir = AppPaths::programDir();
    AppPaths::resetListingCache(m_programDir);
    restoreWindowMemory();

    bindRemoteSession();
    bindTransfers();
    bindTransferRequests();

    m_sites = std::make_unique<SiteTree>(m_programDir + SiteTree::kFileName);
    const SiteTree::LoadResult sites = m_sites->load();
    m_siteManager->bind(*m_sites);
    bindSiteManager();
    if (!sites.error.isEmpty()) {
        QString text = QStringLiteral("The site file could not be read: %1").arg(sites.error);
        if (!sites.keptAs.isEmpty())
            text += QStringLiteral("\nIt has been kept as \"%1\".").arg(sites.keptAs);
        auto* box = PlainMessage::make(QMessageBox::Warning, QStringLiteral("1Quillon"), text,
                                       QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }

    m_queueFile = m_programDir + AppPaths::kWorkingQueueFile;
    m_failQueueFile = m_programDir + AppPaths::kFailedQueueFile;
    const std::pair<QueueModel*, QString*> queues[] = {{&m_queueModel, &m_queueFile},
                                                       {&m_failQueueModel, &m_failQueueFile}};
    QStringList damaged;
    for (const auto& [model, path] : queues) {
        const QueueFileLoad loaded = LoadQueueFile(*model, *path);
        if (!loaded.problem.isEmpty()) {
            m_log.appendLine(loaded.problem, SessionLog::Error);
            damaged << loaded.problem;
        }
        *path = loaded.savePath;
        // Items that were running when the program ended (a crash, a kill) wait again.
        queue_manager::ResumeInterrupted(*model);
    }
    for (QueueModel* model : {&m_queueModel, &m_failQueueModel}) {
        const int refused = m_queueManager.RefuseUnsafeLocalPaths(*model);
        if (refused > 0)
            m_log.appendLine(
                QStringLiteral("%1 queue item(s) with a local path that is not a plain "
                               "absolute path were not taken; see the failed queue.")
                    .arg(refused),
                SessionLog::Error);
    }
    if (!damaged.isEmpty()) {
        auto* box = PlainMessage::make(QMessageBox::Warning, QStringLiteral("1Quillon"),
                                       damaged.join(u'\n'), QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("damaged_queue"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    // From now on every change is saved a moment later, so a killed program keeps its
    // queues.
    m_queueSave = std::make_unique<QueueAutosave>(m_queueModel, m_queueFile);
    m_failQueueSave = std::make_unique<QueueAutosave>(m_failQueueModel, m_failQueueFile);
    // A queue that was being processed when the program ended goes on once the window
    // is up; a download that holds part of its file resumes it.
    QTimer::singleShot(0, this, [this] {
        if (!m_settingsSource.flag(Setting::QueueProcessing)) m_task.ScanQueue();
    });
    for (QueueAutosave* save : {m_queueSave.get(), m_failQueueSave.get()}) {
        connect(save, &QueueAutosave::saveFailed, this,
                [this](const QString& error) { m_log.appendLine(error, SessionLog::Error); });
    }
}

void TMainform::bindTransfers() {
    m_task.SetProgramDir(m_programDir);
    m_task.hooks.makePanel = [this] { return m_threadPage->makePanel(); };
    m_task.hooks.playSound = [this](const QString& file) {
        auto* sound = new QSoundEffect(this);
        sound->setSource(QUrl::fromLocalFile(file));
        connect(sound, &QSoundEffect::playingChanged, sound, [sound] {
            if (!sound->isPlaying()) sound->deleteLater();
        });
        sound->play();
    };
    // After uploads the remote list is fetched again, once for a burst of files.
    m_remoteRefresh = new QTimer(this);
    m_remoteRefresh->setSingleShot(true);
    m_remoteRefresh->setInterval(1000);
    connect(m_remoteRefresh, &QTimer::timeout, this, [this] {
        if (m_navigation) m_navigation->RefreshWhenIdle();
    });
    m_task.hooks.refreshRemote = [this] {
        if (!m_remoteRefresh->isActive()) m_remoteRefresh->start();
    };
    // After downloads the local folders they went into, once for a burst of files.
    m_localRefresh.setSingleShot(true);
    m_localRefresh.setInterval(500);
    connect(&m_localRefresh, &QTimer::timeout, this, [this] {
        for (const QString& folder : std::exchange(m_downloadedInto, {}))
            m_localPane->FolderChanged(folder);
    });
    m_task.hooks.refreshLocal = [this](const QString& folder) {
        m_downloadedInto.insert(folder);
        if (!m_localRefresh.isActive()) m_localRefresh.start();
    };
    m_task.hooks.ensureBrowsingSession = [this] {
        if (!m_navigation || m_navigation->IsConnected() || m_quickBar->host().isEmpty()) return;
        m_navigation->OpenSessionSilently(m_quickBar->host(), m_quickBar->user(),
                                          m_quickBar->password(), m_quickBar->port(), QString(),
                                          QString(), -1);
    };
    ExistingFileDecisions& decisions = m_task.Decisions();
    decisions.ask = [this, &decisions](const ExistingFile& file) {
        Tfile_replace dialog(file, decisions.CountdownAnswer(), this);
        dialog.exec();
        if (dialog.TimedOut()) decisions.NoteCountdown();
        return dialog.Result();
    };
    decisions.askName = [this](const QString& name) -> std::optional<QString> {
        bool ok = false;
        const QString answer = QInputDialog::getText(this, QStringLiteral("Rename File"),
                                                     QStringLiteral("Please Enter New File Name"),
                                                     QLineEdit::Normal, name, &ok);
        if (!ok) return std::nullopt;
        return answer;
    };
}

void TMainform::bindSiteManager() {
    Navigation_Manager* nav = m_navigation.get();
    connect(m_siteManager, &SiteManagerPane::connectRequested, this,
            [this, nav](const SiteConnection& c) {
                // A site stored with a host or port no connection can use (an old or
                // hand-edited file) is said, never tried.
                const QString problem = SiteInfo::connectionProblem(c.host, c.port);
                if (!problem.isEmpty()) {
                    showMessage(QStringLiteral("This site cannot be connected to: ") + problem);
                    return;
                }
                m_sessionSiteId = c.siteId;
                nav->OpenSession(c.host, c.user, c.password, c.port, c.remoteDir, c.localDir,
                                 c.siteIndex);
            });
    for (QAction* a : {m_a.NewFtpSite1, m_a.NewSite_Button})
        connect(a, &QAction::triggered, m_siteManager, &SiteManagerPane::NewSite);
    connect(m_quickBar, &QuickConnectBar::exportRequested, this, [this] {
        m_siteManager->ExportSite(m_quickBar->host(), m_quickBar->user(), m_quickBar->password(),
                                  m_quickBar->port());
    });
    connect(m_remotePane, &RemotePaneWidget::bookmarkRequested, this, [this, nav] {
        if (!nav->IsConnected()) return;
        const TFtpClient& client = nav->Client();
        SiteConnection now{client.HostName(),
                           client.UserName(),
                           client.PassWord(),
                           client.Port(),
                           nav->DisplayedDirectory(),
                           Local_Browse::StripTrailingSlash(m_localPane->CurrentFolder())};
        m_siteManager->BookmarkFolder(now, nav->SiteIndex() < 0 ? 0 : m_sessionSiteId);
    });
}

void TMainform::bindTransferRequests() {
    Navigation_Manager* nav = m_navigation.get();
    m_requests = std::make_unique<TransferRequests>(m_queueManager, m_task);
    m_localPane->remoteReady = [nav] { return nav->IsIdle(); };
    m_localPane->remoteShown = [nav] {
        return nav->IsConnected() && !nav->DisplayedDirectory().isEmpty();
    };
    m_remotePane->localFolderShown = [this] { return !m_localPane->CurrentFolder().isEmpty(); };
    connect(m_localPane, &LocalPane::uploadRequested, this, [this, nav](const QStringList& paths) {
        if (nav->IsIdle()) upload(paths, nav->DisplayedDirectory());
    });
    connect(m_localPane, &LocalPane::remoteRowsDropped, this,
            [this](const QList<DraggedRemoteRow>& rows, const QString& folder) {
                download(rows, folder);
            });
    connect(m_localPane, &LocalPane::commandsChanged, this, &TMainform::showLocalCommands);
    connect(m_localPane, &LocalPane::uploadZipRequested, this, [this, nav](const QStringList& p) {
        if (nav->IsIdle()) uploadAsZip(p);
    });
    for (QAction* a : {m_a.UploadAsZip1, m_a.UploadAsZip_Button}) {
        connect(a, &QAction::triggered, this, [this, nav] {
            const QStringList paths = m_localPane->SelectedPaths();
            if (nav->IsIdle() && !paths.isEmpty()) uploadAsZip(paths);
        });
    }
    // An archive goes once no queue item still to be sent names it (sent, deleted, or
    // the queues cleared); looked at a moment after the queues change.
    m_zipSweep.setSingleShot(true);
    m_zipSweep.setInterval(500);
    connect(&m_zipSweep, &QTimer::timeout, this, &TMainform::sweepZipFolders);
    const auto soon = [this] {
        if (!m_zipFolders.isEmpty() && !m_zipSweep.isActive()) m_zipSweep.start();
    };
    for (QueueModel* model : {&m_queueModel, &m_failQueueModel}) {
        connect(model, &QAbstractItemModel::rowsRemoved, this, soon);
        connect(model, &QAbstractItemModel::dataChanged, this, soon);
        connect(model, &QAbstractItemModel::modelReset, this, soon);
    }
    connect(m_localPane, &LocalPane::pasteEnabledChanged, this, &TMainform::setPasteCommands);
    connect(m_remotePane, &RemotePaneWidget::downloadRequested, this,
            [this](const QList<DraggedRemoteRow>& rows) {
                if (m_localPane->CurrentFolder().isEmpty()) {
                    showMessage(QStringLiteral("Please Choose Valid Local Path for Downloading"));
                    return;
                }
                download(rows, m_localPane->CurrentFolder());
            });
    connect(m_remotePane, &RemotePaneWidget::uploadDropped, this, &TMainform::upload);
    connect(m_remotePane, &RemotePaneWidget::filesDropped, this,
            [this, nav](const QStringList& paths) { upload(paths, nav->DisplayedDirectory()); });
    connect(m_a.Upload_Button, &QAction::triggered, this, [this, nav] {
        const QStringList paths = m_localPane->SelectedPaths();
        if (nav->IsIdle() && !paths.isEmpty()) upload(paths, nav->DisplayedDirectory());
    });
    connect(m_a.Download_Button, &QAction::triggered, m_remotePane, &RemotePaneWidget::Download);
    // Files dropped from a file manager anywhere on the right-hand side.
    m_fileDrop = new TFileDrop(this);
    m_fileDrop->setObjectName(QStringLiteral("FileDrop1"));
    m_fileDrop->accepting = [this, nav] {
        return nav->IsConnected() && m_remotePane->listEnabled();
    };
    m_fileDrop->OnDrop = [this, nav](TFileDrop* drop) {
        upload(drop->Files(), nav->DisplayedDirectory());
    };
    m_fileDrop->SetDropControl(m_rightSide);
}

void TMainform::upload(const QStringList& paths, const QString& target) {
    const QStringList missing =
        m_requests->Upload(paths, target, TransferRequests::AccountOf(m_navigation->Client()));
    if (!missing.isEmpty()) {
        showMessage(QStringLiteral("These items no longer exist and were not queued:\n") +
                    missing.join(u'\n'));
    }
}

void TMainform::download(const QList<DraggedRemoteRow>& rows, const QString& folder) {
    QList<RemoteSource> sources;
    for (const DraggedRemoteRow& r : rows)
        sources.append({r.name, r.size, r.folder, r.bytes});
    const QStringList refused =
        m_requests->Download(sources, m_navigation->DisplayedDirectory(), folder,
                             TransferRequests::AccountOf(m_navigation->Client()));
    if (!refused.isEmpty()) {
        showMessage(
            QStringLiteral("These names cannot be local file names and were not queued:\n") +
            refused.join(u'\n'));
    }
}

void TMainform::showMessage(const QString& text) {
    auto* box = PlainMessage::make(QMessageBox::Information, QStringLiteral("1Quillon"), text,
                                   QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TMainform::showLocalCommands(const LocalCommandStates& s) {
    m_localStates = s;
    const bool ready = m_navigation && m_navigation->IsIdle();
    m_a.Upload_Button->setEnabled(s.upload && ready);
    m_a.UploadAsZip1->setEnabled(s.upload && ready);
    if (m_activePane == ActivePane::Local) showToolbarCommands();
}

void TMainform::showToolbarCommands() {
    QAction* const fileCommands[] = {m_a.View_Button,   m_a.Open_Button,  m_a.NewFolder_Button,
                                     m_a.Copy_Button,   m_a.Cut_Button,   m_a.Rename_Button,
                                     m_a.Delete_Button, m_a.Paste_Button, m_a.BMShapedButton1};
    bool on[std::size(fileCommands)] = {};
    if (m_activePane == ActivePane::Local) {
        const LocalCommandStates& s = m_localStates;
        const bool local[] = {s.view,   s.open, s.newFolder,  s.copy,      s.cut,
                              s.rename, s.del,  m_localPaste, m_localPaste};
        std::copy(std::begin(local), std::end(local), on);
    } else if (m_activePane == ActivePane::Remote) {
        const RemoteListing::SelectionCommands& c = m_remoteStates;
        // Copy is a local command: the server has no clipboard.
        const bool remote[] = {c.files,  c.files,    c.always, false,  c.single,
                               c.single, c.nonEmpty, c.paste,  c.paste};
        std::copy(std::begin(remote), std::end(remote), on);
    }
    for (size_t i = 0; i < std::size(fileCommands); ++i)
        fileCommands[i]->setEnabled(on[i]);
    const bool paste = m_activePane == ActivePane::Local    ? m_localPaste
                       : m_activePane == ActivePane::Remote ? m_remoteStates.paste
                                                            : false;
    m_a.Paste1->setEnabled(paste);
}

void TMainform::setPasteCommands(bool enabled) {
    m_localPaste = enabled;
    if (m_activePane == ActivePane::Local) showToolbarCommands();
}

void TMainform::CreateDialogs() {
    m_about = new TAboutBox(this);
    m_settings = new TGlobalSettings(*this, m_settingsSource, this);
    const QStringList problems = m_settings->LoadProblems();
    if (!problems.isEmpty()) {
        // Once, at start-up: later showings of the dialog load the same values again.
        auto* box = PlainMessage::make(
            QMessageBox::Critical, QStringLiteral("1Quillon"),
            QStringLiteral("Some stored settings could not be read and were reset:\n\n") +
                problems.join(u'\n'),
            QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("settings_problems"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}

void TMainform::restoreWindowMemory() {
    m_memory.load();
    for (auto* splitter : findChildren<QSplitter*>()) {
        const QByteArray state = m_memory.splitters.value(splitter->objectName());
        if (state.isEmpty() || !splitter->restoreState(state)) continue;
        if (splitter == m_logSplitter) m_logPlaced = true;
        if (splitter->objectName() == QLatin1String("verticle_splitter")) m_panesPlaced = true;
        if (splitter->objectName() == QLatin1String("bottom_splitter")) m_queuePlaced = true;
    }
    m_logView->setTimeStamps(m_memory.logTimes);
    connect(m_logView, &LogView::timeStampsChanged, this, [this](bool on) {
        m_memory.logTimes = on;
        saveWindowMemory();
    });
    if (!m_memory.last.host.isEmpty())
        m_quickBar->setValues(m_memory.last.host, m_memory.last.port, m_memory.last.user);
    showRecentServers();
}

void TMainform::showRecentServers() {
    QList<QuickConnectBar::Server> servers;
    for (const RecentServer& r : m_memory.recent)
        servers.append({r.host, r.port, r.user});
    m_quickBar->setRecent(servers);
}

void TMainform::saveWindowMemory() {
    for (auto* splitter : findChildren<QSplitter*>()) {
        if (WindowMemory::kSplitters.contains(splitter->objectName()))
            m_memory.splitters[splitter->objectName()] = splitter->saveState();
    }
    QString error;
    if (!m_memory.save(&error)) m_log.appendLine(error, SessionLog::Error);
}

void TMainform::SaveAllState() {
    saveWindowMemory();
    QString error;
    if (!m_queueModel.save(m_queueFile, &error) ||
        !m_failQueueModel.save(m_failQueueFile, &error)) {
        m_log.appendLine(error, SessionLog::Error);
    }
    if (m_settings) m_settings->Save();
}

void TMainform::ExitApplication() {
    SaveAllState();
    m_tray->hide();
    quitApplication();
}

void TMainform::closeEvent(QCloseEvent* event) {
    SaveAllState();
    if (!m_trayAvailable) {
        // Without a notification area a hidden window could never come back.
        event->accept();
        m_tray->hide();
        quitApplication();
        return;
    }
    event->ignore();
    hide();
}

void TMainform::BringToFront() {
    m_trayToldFailure = false; // the next failure while hidden is said again
    if (isMinimized()) showMaximized();
    show();
    raise();
    activateWindow();
}

// ---------------------------------------------------------------------------------
// Views

// Each toggle follows what is on screen (relative to the window, so it also works
// while the window is hidden) and sets the menu checks to match.
void TMainform::setViewShown(Setting s, bool show) {
    QWidget* widget = nullptr;
    QList<QAction*> checks;
    switch (s) {
    case Setting::ToolBar:
        widget = m_toolbar;
        checks = {m_a.Toolbar1};
        break;
    case Setting::QuickBar:
        widget = m_quickBar;
        checks = {m_a.QuickBar1, m_a.QuickConnect_Button};
        break;
    case Setting::LogWindow:
        widget = m_logView;
        checks = {m_a.LogWindow1};
        break;
    case Setting::QueueWindow:
        widget = m_queuePages;
        checks = {m_a.QueueWindow1};
        break;
    case Setting::LocalTab:
        widget = m_threadPanel;
        checks = {m_a.LocalTab1};
        break;
    default:
        return;
    }
    widget->setVisible(show);
    for (QAction* a : checks)
        a->setChecked(show);
    m_settingsSource.setFlag(s, show);
}

void TMainform::toggleViewOf(Setting s) {
    setViewShown(s, !viewFlag(s));
}

void TMainform::toggleViewByUser(Setting s) {
    toggleViewOf(s);
    if (m_settings) m_settings->StoreView(s);
}

void TMainform::settingsButtonClick() {
    setViewShown(Setting::ToolBar, true);
    if (m_settings) m_settings->exec();
    setViewShown(Setting::ToolBar, true);
}

void TMainform::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // Every button fits from 1024 pixels up: below about 1300 they show icons only, with
    // their names as hints.
    m_toolbar->setToolButtonStyle(width() < 1300 ? Qt::ToolButtonIconOnly
                                                 : Qt::ToolButtonTextUnderIcon);
    // Until the user moves it, the remote side gets three fifths of the width.
    auto* panes = findChild<QSplitter*>(QStringLiteral("verticle_splitter"));
    if (panes && !m_panesPlaced) panes->setSizes({width() * 2 / 5, width() * 3 / 5});
    // And the queue a third of the height, enough for its buttons and several rows.
    auto* queue = findChild<QSplitter*>(QStringLiteral("bottom_splitter"));
    if (queue && !m_queuePlaced) queue->setSizes({queue->height() * 2 / 3, queue->height() / 3});
}

bool TMainform::eventFilter(QObject* watched, QEvent* event) {
    // Until the user moves it (or a stored position is put back), the log takes a third
    // of the right-hand side, and never less than about ten lines; after that the
    // splitter keeps what the user chose.
    if (watched == m_rightSide && event->type() == QEvent::Resize && !m_logPlaced &&
        m_logView->isVisibleTo(this)) {
        const int height = m_rightSide->height();
        const int lines = 10 * m_logView->fontMetrics().lineSpacing() + 30;
        const int log = std::min(std::max(height / 3, lines), height / 2);
        m_logSplitter->setSizes({height - log, log});
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainform::routeToFocusedPane(void (PaneCommands::*command)()) {
    if (m_activePane == ActivePane::Local) {
        if (m_localCommands) (m_localCommands->*command)();
    } else if (m_activePane == ActivePane::Remote) {
        if (m_remoteCommands) (m_remoteCommands->*command)();
    }
}

int TMainform::logColour(int kind) const {
    static const Setting settings[] = {Setting::ErrorMsgColor, Setting::InfoMsgColor,
                                       Setting::FtpCommandColor, Setting::FtpResponseColor};
    return m_settingsSource.integer(settings[kind]);
}

// ---------------------------------------------------------------------------------
// Values the settings dialog reads and applies

bool TMainform::viewFlag(Setting s) const {
    switch (s) {
    case Setting::ToolBar:
        return m_toolbar->isVisibleTo(this);
    case Setting::QuickBar:
        return m_quickBar->isVisibleTo(this);
    case Setting::LogWindow:
        return m_logView->isVisibleTo(this);
    case Setting::QueueWindow:
        return m_queuePages->isVisibleTo(this);
    case Setting::LocalTab:
        return m_threadPanel->isVisibleTo(this);
    case Setting::QueueProcessing:
        return m_queuePages->processing();
    default:
        return false;
    }
}

void TMainform::toggleView(Setting s) {
    if (s == Setting::QueueProcessing) return m_queuePages->toggleProcessing();
    toggleViewOf(s);
}

QString TMainform::connectionType() const {
    const QAction* checked = m_a.connectUsing->checkedAction();
    return checked ? checked->text() : QStringLiteral("Direct");
}

void TMainform::selectConnectionType(const QString& type) {
    for (QAction* a : m_a.connectUsing->actions()) {
        if (a->text() == type && !a->isChecked()) a->trigger();
    }
}

int TMainform::threads() const {
    return m_threadPage->threads();
}
void TMainform::setThreads(int n) {
    m_threadPage->setThreads(n);
}
int TMainform::attempts() const {
    return m_threadPage->attempts();
}
void TMainform::setAttempts(int n) {
    m_threadPage->setAttempts(n);
}

int TMainform::backgroundColour(Setting s) const {
    switch (s) {
    case Setting::QueueColor:
        return m_queueColour;
    case Setting::FtpLogColor:
        return m_ftpLogColour;
    case Setting::LocalListColor:
        return m_localListColour;
    case Setting::RemoteListColor:
        return m_remoteListColour;
    default:
        return 0;
    }
}

void TMainform::setBackgroundColour(Setting s, int colour) {
    switch (s) {
    case Setting::QueueColor:
        m_queueColour = colour;
        m_queuePages->setQueueBackground(colour);
        break;
    case Setting::FtpLogColor:
        m_ftpLogColour = colour;
        m_logView->setLogBackground(colour);
        break;
    case Setting::LocalListColor:
        m_localListColour = colour;
        m_localPane->setListBackground(colour);
        break;
    case Setting::RemoteListColor:
        m_remoteListColour = colour;
        m_remotePane->setListBackground(colour);
        break;
    default:
        break;
    }
}

void TMainform::keepAliveChanged(bool on) {
    m_a.NOOPCommand1->setChecked(on);
    m_settingsSource.setFlag(Setting::NOOP, on);
}

// ---------------------------------------------------------------------------------
// The session's commands

void TMainform::SetSessionControls(bool connected) {
    // The server in the title while connected.
    const TFtpClient* client = m_navigation ? &m_navigation->Client() : nullptr;
    setWindowTitle(
        connected && client
            ? QStringLiteral("%1@%2 \u2014 1Quillon").arg(client->UserName(), client->HostName())
            : QStringLiteral("1Quillon "));
    m_a.Abort_Button->setEnabled(connected);
    m_a.Disconnect1->setEnabled(connected);
    if (connected) {
        m_a.Reconnect_Button->setEnabled(true);
        m_a.Reconnect1->setEnabled(true);
    } else {
        m_a.Stop_Button->setEnabled(false);
        m_a.Abort1->setEnabled(false);
    }
}

void TMainform::ShowStatus(const QString& text) {
    m_statusLeft->setText(text);
    m_statusLeft->setToolTip(text);
}

void TMainform::OpenLocalFolder(const QString& folder) {
    m_localPane->GoTo(folder);
}

void TMainform::SetIdleControls(bool idle) {
    // Upload follows the local selection again once the session is idle.
    if (idle && m_localPane->listHasFocus()) m_localPane->updateCommands();
    m_a.Stop_Button->setEnabled(!idle);
    m_a.Abort1->setEnabled(!idle);
    m_a.EnterCommand1->setEnabled(idle);
    if (!idle) {
        for (QAction* a : {m_a.Upload_Button, m_a.UploadAsZip_Button, m_a.UploadAsZip1})
            a->setEnabled(false);
    }
}
