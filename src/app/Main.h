// The main window: owner of everything that lives for the run, builder of the user
// interface, router of commands to the focused pane, and the start-up and shut-down
// sequences.
#pragma once

#include "SessionLog.h"
#include "SettingsHost.h"
#include "SiteTree.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollArea;
class QSpinBox;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QTextEdit;
class QToolBar;
class QToolButton;
class QTreeWidget;
class TGlobalSettings;
class TAboutBox;
class Navigation_Manager;
class RemotePaneBinding;

// The commands a pane carries out when it has the keyboard focus. The local and the
// remote pane each plug in their own; a pane without commands does nothing.
struct PaneCommands {
    virtual ~PaneCommands() = default;
    virtual void Cut() {}
    virtual void Copy() {}
    virtual void Paste() {}
    virtual void Rename() {}
    virtual void Delete() {}
    virtual void View() {}
    virtual void Open() {}
    virtual void NewFolder() {}
    virtual void SelectAll() {}
    virtual void InvertSelection() {}
};

class TMainform : public QMainWindow, public SettingsHost {
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
    TGlobalSettings* Settings() const { return m_settings; }
    SiteTree* Sites() const { return m_sites.get(); }
    Navigation_Manager* Navigation() const { return m_navigation.get(); }
    RemotePaneBinding* RemoteBinding() const { return m_remoteBinding.get(); }
    QString ProgramDir() const { return m_programDir; }

    void SetLocalCommands(PaneCommands* commands) { m_localCommands = commands; }
    void SetRemoteCommands(PaneCommands* commands) { m_remoteCommands = commands; }
    // What the quick-connect button and Enter in its fields start.
    std::function<void()> onQuickConnect;
    std::function<void(bool)> onKeepAliveChanged;
    // Ends the program; tests replace it to watch the exit paths.
    std::function<void()> quitApplication;

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

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildQuickPanel(QWidget* parent);
    QWidget* buildLeftPane();
    QWidget* buildRightPane();
    QWidget* buildQueuePanel();
    void buildTray();
    void buildRemoteMenu();
    QAction* action(QMenu* menu, const QString& name, const QString& text,
                    const QKeySequence& shortcut = {});

    void toggleToolbar();
    void toggleQuickBar();
    void toggleLogWindow();
    void toggleQueueWindow();
    void toggleLocalTab();
    void settingsButtonClick();
    void routeToFocusedPane(void (PaneCommands::*command)());
    void appendToLogView(const SessionLog::Line& line);
    void showSiteTree();
    void showFromTray();
    void bindRemoteSession();
    int logColour(int kind) const;

    SessionLog m_log;
    std::unique_ptr<SiteTree> m_sites;
    std::unique_ptr<RemotePaneBinding> m_remoteBinding;
    std::unique_ptr<Navigation_Manager> m_navigation;
    TGlobalSettings* m_settings = nullptr;
    TAboutBox* m_about = nullptr;
    PaneCommands* m_localCommands = nullptr;
    PaneCommands* m_remoteCommands = nullptr;
    QString m_programDir;
    QString m_tempDir;
    bool m_trayAvailable = false;
    bool m_queueProcessing = false;
    int m_queueColour, m_ftpLogColour, m_localListColour, m_remoteListColour;

public:
    // Controls, by the names the rest of the program and the tests know them by.
    QWidget* Quickpanel = nullptr;
    QLineEdit *Quickhost = nullptr, *QuickUser = nullptr, *Quickpass = nullptr,
              *quickport = nullptr;
    QToolButton *quick_connect = nullptr, *export_site = nullptr;
    QToolBar* Main_Toolbar = nullptr;
    QAction *View_Button = nullptr, *NewFolder_Button = nullptr, *Copy_Button = nullptr,
            *Cut_Button = nullptr, *Delete_Button = nullptr, *Abort_Button = nullptr,
            *Upload_Button = nullptr, *Download_Button = nullptr, *Stop_Button = nullptr,
            *Settings_Button = nullptr, *UploadAsZip_Button = nullptr, *Rename_Button = nullptr,
            *Reconnect_Button = nullptr, *QuickConnect_Button = nullptr, *NewSite_Button = nullptr,
            *Open_Button = nullptr, *Paste_Button = nullptr;
    QTabWidget* thread_panel = nullptr;
    QComboBox* localadd = nullptr;
    QToolButton *refresh_local = nullptr, *go_up = nullptr;
    QLabel* curr_dir = nullptr;
    QTreeWidget* localListView = nullptr;
    QScrollArea* thread_window = nullptr;
    QSpinBox *threads_updown = nullptr, *attempts_no = nullptr;
    QTreeWidget* site_manager = nullptr;
    QSplitter *verticle_splitter = nullptr, *log_splitter = nullptr, *bottom_splitter = nullptr;
    QWidget* Panel4 = nullptr;
    QComboBox* remoteadd = nullptr;
    QToolButton *refresh_remote = nullptr, *remote_up = nullptr;
    QTreeWidget* remoteListView = nullptr;
    QWidget* log_panel = nullptr;
    QToolButton* log_close = nullptr;
    QTextEdit* ftplog = nullptr;
    QWidget* Panel1 = nullptr;
    QTabWidget* queue_pages = nullptr;
    QTreeWidget *queue = nullptr, *fail_queue = nullptr;
    QToolButton *SpeedButton1 = nullptr, *Queue_ToggleProcessing = nullptr;
    QLabel *status_left = nullptr, *status_right = nullptr;
    QSystemTrayIcon* sxTrayIcon1 = nullptr;
    QMenu* MenuTray = nullptr;
    QAction *trayOpen = nullptr, *trayExit = nullptr;

    // Menu items.
    QAction *NewFtpSite1 = nullptr, *Exit1 = nullptr;
    QAction *Cut1 = nullptr, *Copy1 = nullptr, *Paste1 = nullptr, *SelectAll1 = nullptr,
            *InvertSelection1 = nullptr, *Settings1 = nullptr;
    QAction *Toolbar1 = nullptr, *QuickBar1 = nullptr;
    QAction *QuickConnect1 = nullptr, *Reconnect1 = nullptr, *Disconnect1 = nullptr,
            *Abort1 = nullptr, *NOOPCommand1 = nullptr;
    QActionGroup* connectUsing = nullptr;
    QAction *Direct1 = nullptr, *Proxy1 = nullptr, *Socks41 = nullptr, *Socks4A1 = nullptr,
            *Socks51 = nullptr;
    QAction* EnterCommand1 = nullptr;
    QAction *LogWindow1 = nullptr, *QueueWindow1 = nullptr, *LocalTab1 = nullptr;
    QAction* About1 = nullptr;

    // The remote pane's pop-up menu.
    QMenu* remote_menu = nullptr;
    QAction *Remote_Download = nullptr, *Remote_Edit = nullptr, *Remote_View = nullptr,
            *Remote_Open = nullptr, *Remote_Cut = nullptr, *Remote_Paste = nullptr,
            *Remote_Rename = nullptr, *Remote_Delete = nullptr, *Remote_NewFolder = nullptr,
            *Remote_CHMOD = nullptr, *Remote_Refresh = nullptr, *Remote_BookMark = nullptr,
            *Remote_SelectAll = nullptr, *Remote_InvertSelection = nullptr;
    // Applies the enabling of the pop-up menu's commands for the current selection.
    void remoteListViewMouseDown();
};
