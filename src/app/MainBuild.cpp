// Building the main window's menus, toolbar and notification-area icon.
#include "Main.h"

#include "AboutBox.h"
#include "AppIcon.h"
#include "LocalPane.h"
#include "SettingsDialog.h"
#include "SettingsRecord.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QUrl>

namespace {

const char* kHelpBase = "https://1quillon.example/";

} // namespace

QAction* TMainform::action(QMenu* menu, const QString& name, const QString& text,
                           const QKeySequence& shortcut) {
    auto* a = menu->addAction(text);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

void TMainform::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    m_a.NewFtpSite1 = action(file, QStringLiteral("NewFtpSite1"), QStringLiteral("&New FTP Site"),
                             QKeySequence(QStringLiteral("Alt+N")));
    m_a.UploadAsZip1 =
        action(file, QStringLiteral("UploadAsZip1"), QStringLiteral("Upload As Zipped Archive"));
    m_a.UploadAsZip1->setEnabled(false);
    file->addSeparator();
    m_a.Exit1 = action(file, QStringLiteral("Exit1"), QStringLiteral("E&xit"),
                       QKeySequence(QStringLiteral("Alt+F4")));
    connect(m_a.Exit1, &QAction::triggered, this, &TMainform::ExitApplication);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_a.Cut1 = action(edit, QStringLiteral("Cut1"), QStringLiteral("Cu&t"));
    m_a.Copy1 = action(edit, QStringLiteral("Copy1"), QStringLiteral("&Copy "));
    m_a.Paste1 = action(edit, QStringLiteral("Paste1"), QStringLiteral("&Paste"));
    m_a.Paste1->setEnabled(false);
    m_a.SelectAll1 = action(edit, QStringLiteral("SelectAll1"), QStringLiteral("Select &All "));
    m_a.InvertSelection1 =
        action(edit, QStringLiteral("InvertSelection1"), QStringLiteral("&Invert Selection"));
    edit->addSeparator();
    m_a.Settings1 = action(edit, QStringLiteral("Settings1"), QStringLiteral("Settings..."));
    connect(m_a.Cut1, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Cut); });
    connect(m_a.Copy1, &QAction::triggered, this, [this] {
        if (m_localCommands && m_activePane == ActivePane::Local) m_localCommands->Copy();
    });
    connect(m_a.Paste1, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Paste); });
    connect(m_a.SelectAll1, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::SelectAll); });
    connect(m_a.InvertSelection1, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::InvertSelection); });
    connect(m_a.Settings1, &QAction::triggered, this, [this] {
        if (m_settings) m_settings->exec();
    });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    m_a.Toolbar1 = action(view, QStringLiteral("Toolbar1"), QStringLiteral("&Toolbar"));
    m_a.Toolbar1->setCheckable(true);
    m_a.Toolbar1->setChecked(true);
    m_a.QuickBar1 = action(view, QStringLiteral("QuickBar1"), QStringLiteral("Quick Bar"));
    m_a.QuickBar1->setCheckable(true);
    connect(m_a.Toolbar1, &QAction::triggered, this,
            [this] { toggleViewByUser(Setting::ToolBar); });
    connect(m_a.QuickBar1, &QAction::triggered, this,
            [this] { toggleViewByUser(Setting::QuickBar); });
    view->addSeparator();
    m_a.ShowHidden1 =
        action(view, QStringLiteral("ShowHidden1"), QStringLiteral("Show &Hidden Files"));
    m_a.ShowHidden1->setCheckable(true);
    m_a.ShowHidden1->setChecked(m_settingsSource.flag(Setting::ShowHidden));
    connect(m_a.ShowHidden1, &QAction::toggled, this,
            [this](bool on) { m_settingsSource.setFlag(Setting::ShowHidden, on); });
    connect(&m_settingsSource, &SettingsSource::changed, this, [this](Setting s) {
        if (s == Setting::ShowHidden) m_a.ShowHidden1->setChecked(m_settingsSource.flag(s));
    });

    QMenu* connection = menuBar()->addMenu(QStringLiteral("&Connection"));
    m_a.QuickConnect1 =
        action(connection, QStringLiteral("QuickConnect1"), QStringLiteral("&Quick Connect"));
    connect(m_a.QuickConnect1, &QAction::triggered, this,
            [this] { toggleViewByUser(Setting::QuickBar); });
    m_a.Reconnect1 = action(connection, QStringLiteral("Reconnect1"), QStringLiteral("&Reconnect"));
    m_a.Disconnect1 =
        action(connection, QStringLiteral("Disconnect1"), QStringLiteral("&Disconnect"));
    m_a.Abort1 = action(connection, QStringLiteral("Abort1"), QStringLiteral("&Abort"));
    for (QAction* a : {m_a.Reconnect1, m_a.Disconnect1, m_a.Abort1})
        a->setEnabled(false);
    connection->addSeparator();
    m_a.NOOPCommand1 =
        action(connection, QStringLiteral("NOOPCommand1"), QStringLiteral("NOOP Command"));
    m_a.NOOPCommand1->setCheckable(true);
    m_a.NOOPCommand1->setChecked(true);
    m_a.NOOPCommand1->setStatusTip(QStringLiteral("For Keeping Connection Alive with the Server"));
    m_a.NOOPCommand1->setToolTip(QStringLiteral("For Keeping Connection Alive with the Server"));
    connect(m_a.NOOPCommand1, &QAction::triggered, this, [this] {
        // The menu item flips the dialog's box, whose click handler does the rest.
        m_a.NOOPCommand1->setChecked(!m_a.NOOPCommand1->isChecked());
        if (m_settings) m_settings->keepAlive()->click();
    });
    QMenu* using_ = connection->addMenu(QStringLiteral("Connect Using"));
    m_a.connectUsing = new QActionGroup(this);
    m_a.connectUsing->setExclusive(true);
    for (const auto& [pointer, caption] :
         std::initializer_list<std::pair<QAction**, const char*>>{{&m_a.Direct1, "Direct"},
                                                                  {&m_a.Proxy1, "Proxy"},
                                                                  {&m_a.Socks41, "Socks4"},
                                                                  {&m_a.Socks4A1, "Socks4A"},
                                                                  {&m_a.Socks51, "Socks5"}}) {
        *pointer =
            action(using_, QLatin1String(caption) + QStringLiteral("1"), QLatin1String(caption));
        (*pointer)->setCheckable(true);
        m_a.connectUsing->addAction(*pointer);
    }
    m_a.Direct1->setChecked(true);
    connect(m_a.connectUsing, &QActionGroup::triggered, this,
            [this](QAction* a) { m_settingsSource.setText(Setting::ConnectionType, a->text()); });

    QMenu* feed = menuBar()->addMenu(QStringLiteral("&Manual Feed"));
    m_a.EnterCommand1 =
        action(feed, QStringLiteral("EnterCommand1"), QStringLiteral("Enter Command..."));
    m_a.EnterCommand1->setEnabled(false);

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Windows"));
    m_a.LogWindow1 = action(windows, QStringLiteral("LogWindow1"), QStringLiteral("Log Window"));
    m_a.QueueWindow1 =
        action(windows, QStringLiteral("QueueWindow1"), QStringLiteral("Queue Window"));
    m_a.LocalTab1 = action(windows, QStringLiteral("LocalTab1"), QStringLiteral("Local Tab"));
    for (QAction* a : {m_a.LogWindow1, m_a.QueueWindow1, m_a.LocalTab1}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    connect(m_a.LogWindow1, &QAction::triggered, this,
            [this] { toggleViewByUser(Setting::LogWindow); });
    connect(m_a.QueueWindow1, &QAction::triggered, this,
            [this] { toggleViewByUser(Setting::QueueWindow); });
    connect(m_a.LocalTab1, &QAction::triggered, this,
            [this] { toggleViewByUser(Setting::LocalTab); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    const std::pair<const char*, const char*> pages[] = {
        {"1Quillon Online Help", "help/"},        {"1Quillon Home Page", ""},
        {"Frequently Asked Questions ", "faq/"},  {"Product Updates", "updates/"},
        {"Comments and Suggestions", "contact/"}, {"Report a Bug", "bugs/"}};
    for (const auto& [caption, page] : pages) {
        QAction* a = help->addAction(QLatin1String(caption));
        const QUrl url(QLatin1String(kHelpBase) + QLatin1String(page));
        connect(a, &QAction::triggered, this, [url] { QDesktopServices::openUrl(url); });
    }
    help->addSeparator();
    m_a.About1 = action(help, QStringLiteral("About1"), QStringLiteral("About 1Quillon"));
    connect(m_a.About1, &QAction::triggered, this, [this] {
        if (m_about) m_about->exec();
    });
}

void TMainform::buildToolbar() {
    m_toolbar = addToolBar(QStringLiteral("1Quillon"));
    m_toolbar->setObjectName(QStringLiteral("Main_Toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QStyle* s = style();
    auto button = [&](QAction** into, const char* name, const QString& hint,
                      QStyle::StandardPixmap icon) {
        *into = m_toolbar->addAction(s->standardIcon(icon), hint);
        (*into)->setObjectName(QLatin1String(name));
        (*into)->setToolTip(hint);
        (*into)->setEnabled(false);
    };
    button(&m_a.QuickConnect_Button, "QuickConnect_Button", QStringLiteral("Quick Connect"),
           QStyle::SP_DriveNetIcon);
    button(&m_a.NewSite_Button, "NewSite_Button", QStringLiteral("New Site"),
           QStyle::SP_FileDialogNewFolder);
    button(&m_a.Reconnect_Button, "Reconnect_Button", QStringLiteral("Reconnect"),
           QStyle::SP_BrowserReload);
    button(&m_a.Abort_Button, "Abort_Button", QStringLiteral("Disconnect"),
           QStyle::SP_DialogCloseButton);
    button(&m_a.Stop_Button, "Stop_Button", QStringLiteral("Stop"), QStyle::SP_BrowserStop);
    m_toolbar->addSeparator();
    button(&m_a.View_Button, "View_Button", QStringLiteral("View File"),
           QStyle::SP_FileDialogContentsView);
    button(&m_a.Open_Button, "Open_Button", QStringLiteral("Open/Execute"),
           QStyle::SP_DialogOpenButton);
    button(&m_a.NewFolder_Button, "NewFolder_Button", QStringLiteral("New Folder"),
           QStyle::SP_FileDialogNewFolder);
    button(&m_a.Copy_Button, "Copy_Button", QStringLiteral("Copy"), QStyle::SP_FileIcon);
    button(&m_a.Cut_Button, "Cut_Button", QStringLiteral("Cut"), QStyle::SP_DialogDiscardButton);
    button(&m_a.Paste_Button, "Paste_Button", QStringLiteral("Paste"),
           QStyle::SP_DialogApplyButton);
    // The second Paste of the original, a shaped button beside the first.
    button(&m_a.BMShapedButton1, "BMShapedButton1", QStringLiteral("Paste"),
           QStyle::SP_DialogApplyButton);
    button(&m_a.Rename_Button, "Rename_Button", QStringLiteral("Rename"),
           QStyle::SP_FileDialogDetailedView);
    button(&m_a.Delete_Button, "Delete_Button", QStringLiteral("Delete"), QStyle::SP_TrashIcon);
    m_toolbar->addSeparator();
    button(&m_a.Upload_Button, "Upload_Button", QStringLiteral("Upload"), QStyle::SP_ArrowUp);
    button(&m_a.Download_Button, "Download_Button", QStringLiteral("Download"),
           QStyle::SP_ArrowDown);
    button(&m_a.UploadAsZip_Button, "UploadAsZip_Button",
           QStringLiteral("Upload As Zipped Archive"), QStyle::SP_DriveFDIcon);
    m_toolbar->addSeparator();
    button(&m_a.Settings_Button, "Settings_Button", QStringLiteral("Settings"),
           QStyle::SP_FileDialogInfoView);
    m_a.NewFolder_Button->setVisible(false);
    m_a.UploadAsZip_Button->setVisible(false);
    for (QAction* a : {m_a.Settings_Button, m_a.QuickConnect_Button, m_a.NewSite_Button})
        a->setEnabled(true);
    m_a.QuickConnect_Button->setCheckable(true);
    connect(m_a.QuickConnect_Button, &QAction::triggered, this,
            [this] { toggleViewByUser(Setting::QuickBar); });
    connect(m_a.Settings_Button, &QAction::triggered, this, &TMainform::settingsButtonClick);
    connect(m_a.View_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::View); });
    connect(m_a.Open_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Open); });
    connect(m_a.NewFolder_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::NewFolder); });
    connect(m_a.Cut_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Cut); });
    for (QAction* paste : {m_a.Paste_Button, m_a.BMShapedButton1}) {
        connect(paste, &QAction::triggered, this,
                [this] { routeToFocusedPane(&PaneCommands::Paste); });
    }
    connect(m_a.Rename_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Rename); });
    connect(m_a.Delete_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Delete); });
    connect(m_a.Copy_Button, &QAction::triggered, this, [this] {
        if (m_localCommands && m_activePane == ActivePane::Local) m_localCommands->Copy();
    });
}

void TMainform::buildTray() {
    auto* menuTray = new QMenu(this);
    menuTray->setObjectName(QStringLiteral("MenuTray"));
    m_a.trayOpen = menuTray->addAction(QStringLiteral("Open"));
    m_a.trayOpen->setObjectName(QStringLiteral("trayOpen"));
    m_a.trayOpen->setEnabled(false);
    m_a.trayExit = menuTray->addAction(QStringLiteral("Exit"));
    m_a.trayExit->setObjectName(QStringLiteral("trayExit"));
    connect(m_a.trayOpen, &QAction::triggered, this, &TMainform::BringToFront);
    connect(m_a.trayExit, &QAction::triggered, this, &TMainform::ExitApplication);
    m_tray = new QSystemTrayIcon(AppIcon(), this);
    m_tray->setObjectName(QStringLiteral("sxTrayIcon1"));
    m_tray->setToolTip(QStringLiteral("1Quillon"));
    m_tray->setContextMenu(menuTray);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) BringToFront();
            });
    m_trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    if (m_trayAvailable) m_tray->show();
}
