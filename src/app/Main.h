// The main window: owner of everything that lives for the run (panes, managers, the
// settings source, dialogs), builder of the menus, toolbar and tray, router of commands
// to the focused pane, and the start-up and shut-down sequences. Its controls are its
// own: other code and the tests reach them by object name only.
#pragma once

#include "GlobalTask.h"
#include "LocalCommands.h"
#include "PaneCommands.h"
#include "QueueAutosave.h"
#include "QueueManager.h"
#include "RemoteListing.h"
#include "RemotePane.h"
#include "SessionLog.h"
#include "SettingsHost.h"
#include "SettingsSource.h"
#include "SiteTree.h"
#include "TransferRequests.h"
#include "WindowMemory.h"

#include <QMainWindow>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QToolBar;
class LocalPane;
class LogView;
class Navigation_Manager;
class QueuePages;
class QuickConnectBar;
class RemotePaneWidget;
class SiteManagerPane;
class TAboutBox;
class TGlobalSettings;
class ThreadPanel;
class TFileDrop;
struct DraggedRemoteRow;

class TMainform : public QMainWindow, public SettingsHost, public SessionControls {
    Q_OBJECT
public:
    explicit TMainform(QWidget* parent = nullptr);
    ~TMainform() override;

    // Start-up after construction: icon, caption, program folder, listing cache, site
    // tree, saved queues. Then the dialogs are created (CreateDialogs), whose settings
    // dialog applies the stored settings.
    void FormCreate();
    void CreateDialogs();

    // Shut-down: the three paths.
    void SaveAllState();
    void ExitApplication(); // File > Exit and the tray's Exit

    // Under the offscreen platform Qt reports no notification area; tests say there is one.
    void SetTrayAvailable(bool available) { m_trayAvailable = available; }
    bool TrayAvailable() const { return m_trayAvailable; }

    SessionLog& Log() { return m_log; }
    const SettingsSource& Settings() const { return m_settingsSource; }
    SettingsSource& Settings() { return m_settingsSource; }
    Navigation_Manager* Navigation() const { return m_navigation.get(); }
    queue_manager& Queues() { return m_queueManager; }
    Global_Task& Tasks() { return m_task; }

    void SetLocalCommands(PaneCommands* commands) { m_localCommands = commands; }
    void SetRemoteCommands(PaneCommands* commands) { m_remoteCommands = commands; }
    // Ends the program; tests replace it to watch the exit paths.
    std::function<void()> quitApplication;
    // A message through the tray icon; tests replace it (offscreen there is no tray).
    std::function<void(const QString& text)> trayMessage;

    // SettingsHost.
    bool viewFlag(Setting s) const override;
    void toggleView(Setting s) override;
    QString connectionType() const override;
    void selectConnectionType(const QString& type) override;
    int threads() const override;
    void setThreads(int n) override;
    int attempts() const override;
    void setAttempts(int n) override;
    int backgroundColour(Setting s) const override;
    void setBackgroundColour(Setting s, int colour) override;
    void keepAliveChanged(bool on) override;

    // SessionControls.
    void SetSessionControls(bool connected) override;
    void SetIdleControls(bool idle) override;
    void ShowStatus(const QString& text) override;
    void OpenLocalFolder(const QString& folder) override;

    // Shows the window and brings it to the front (the tray's "Open", a second start).
    void BringToFront();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    QWidget* buildLeftPane();
    QWidget* buildRightPane();
    void buildTray();
    QAction* action(QMenu* menu, const QString& name, const QString& text,
                    const QKeySequence& shortcut = {});

    void setViewShown(Setting s, bool show);
    void toggleViewOf(Setting s);
    // A toggle from the View or Windows menu, a close button or the toolbar: stored too.
    void toggleViewByUser(Setting s);
    void settingsButtonClick();
    void routeToFocusedPane(void (PaneCommands::*command)());
    void bindRemoteSession();
    void bindTransfers();
    void bindTransferRequests();
    void bindSiteManager();
    // "Upload As Zipped Archive": packs the paths (with progress, cancellable) into an
    // archive or a self-extracting program and queues it for the displayed folder.
    void uploadAsZip(const QStringList& paths);
    // Archive folders no queue item needs any more are removed.
    void sweepZipFolders();
    void bindFailures();
    void restoreWindowMemory();
    void saveWindowMemory();
    void showRecentServers();
    void showLocalCommands(const LocalCommandStates& states);
    // The toolbar's file commands and Paste, from the pane the user worked in last.
    void showToolbarCommands();
    void setPasteCommands(bool enabled);
    // Uploads into the remote folder; dropped paths that are gone are named to the user.
    void upload(const QStringList& paths, const QString& target);
    // Downloads into the local folder; names that cannot be local file names are named.
    void download(const QList<DraggedRemoteRow>& rows, const QString& folder);
    void showMessage(const QString& text);
    int logColour(int kind) const;

    SessionLog m_log;
    SettingsSource m_settingsSource;
    QueueModel m_queueModel{false};
    QueueModel m_failQueueModel{true};
    queue_manager m_queueManager{m_queueModel, m_failQueueModel, m_settingsSource};
    Global_Task m_task{m_queueManager, m_settingsSource, QString()};
    std::unique_ptr<QueueAutosave> m_queueSave, m_failQueueSave;
    QTimer* m_remoteRefresh = nullptr;
    QTimer m_localRefresh;
    QSet<QString> m_downloadedInto;
    enum class ActivePane { None, Local, Remote } m_activePane = ActivePane::None;
    LocalCommandStates m_localStates;
    RemoteListing::SelectionCommands m_remoteStates;
    bool m_localPaste = false;
    // A failure has been said through the tray since the window was hidden.
    bool m_trayToldFailure = false;
    WindowMemory m_memory;
    // The log's splitter has a position the user chose (or one put back).
    bool m_logPlaced = false;
    bool m_panesPlaced = false;
    bool m_queuePlaced = false;
    std::unique_ptr<SiteTree> m_sites;
    // The entry id of the site the session was opened from (0: a quick connection).
    uint64_t m_sessionSiteId = 0;
    // Folders of the archives made this run that queue items may still need.
    QSet<QString> m_zipFolders;
    QTimer m_zipSweep;
    std::unique_ptr<Navigation_Manager> m_navigation;
    std::unique_ptr<TransferRequests> m_requests;
    TFileDrop* m_fileDrop = nullptr;
    TGlobalSettings* m_settings = nullptr;
    TAboutBox* m_about = nullptr;
    PaneCommands* m_localCommands = nullptr;
    PaneCommands* m_remoteCommands = nullptr;
    QString m_programDir;
    // Where the two queues are saved (elsewhere when a damaged file could not be kept).
    QString m_queueFile, m_failQueueFile;
    bool m_trayAvailable = false;
    int m_queueColour, m_ftpLogColour, m_localListColour, m_remoteListColour;

    // Panes.
    QuickConnectBar* m_quickBar = nullptr;
    QTabWidget* m_threadPanel = nullptr;
    LocalPane* m_localPane = nullptr;
    ThreadPanel* m_threadPage = nullptr;
    SiteManagerPane* m_siteManager = nullptr;
    QWidget* m_rightSide = nullptr; // "Panel4"
    QSplitter* m_logSplitter = nullptr;
    RemotePaneWidget* m_remotePane = nullptr;
    LogView* m_logView = nullptr;
    QueuePages* m_queuePages = nullptr;
    QLabel *m_statusLeft = nullptr, *m_statusRight = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QToolBar* m_toolbar = nullptr;

    // Menu, toolbar and tray commands, by their object names.
    struct Actions {
        QAction *View_Button, *NewFolder_Button, *Copy_Button, *Cut_Button, *Delete_Button,
            *Abort_Button, *Upload_Button, *Download_Button, *Stop_Button, *Settings_Button,
            *UploadAsZip_Button, *Rename_Button, *Reconnect_Button, *QuickConnect_Button,
            *NewSite_Button, *Open_Button, *Paste_Button, *BMShapedButton1;
        QAction *NewFtpSite1, *UploadAsZip1, *Exit1;
        QAction *Cut1, *Copy1, *Paste1, *SelectAll1, *InvertSelection1, *Settings1;
        QAction *Toolbar1, *QuickBar1, *ShowHidden1;
        QAction *QuickConnect1, *Reconnect1, *Disconnect1, *Abort1, *NOOPCommand1;
        QActionGroup* connectUsing;
        QAction *Direct1, *Proxy1, *Socks41, *Socks4A1, *Socks51;
        QAction* EnterCommand1;
        QAction *LogWindow1, *QueueWindow1, *LocalTab1;
        QAction* About1;
        QAction *trayOpen, *trayExit;
    } m_a{};
};
