// Building the main window's controls, menus, toolbar and notification-area icon.
#include "Main.h"

#include "AboutBox.h"
#include "AppIcon.h"
#include "QueueTrees.h"
#include "RemoteListing.h"
#include "SettingsDialog.h"
#include "SettingsRecord.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QToolButton* toolButton(QWidget* parent, const char* name, const QString& hint,
                        QStyle::StandardPixmap icon) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoRaise(true);
    return b;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, const QString& text) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

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
    NewFtpSite1 = action(file, QStringLiteral("NewFtpSite1"), QStringLiteral("&New FTP Site"),
                         QKeySequence(QStringLiteral("Alt+N")));
    file->addSeparator();
    Exit1 = action(file, QStringLiteral("Exit1"), QStringLiteral("E&xit"),
                   QKeySequence(QStringLiteral("Alt+F4")));
    connect(Exit1, &QAction::triggered, this, &TMainform::ExitApplication);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    Cut1 = action(edit, QStringLiteral("Cut1"), QStringLiteral("Cu&t"));
    Copy1 = action(edit, QStringLiteral("Copy1"), QStringLiteral("&Copy "));
    Paste1 = action(edit, QStringLiteral("Paste1"), QStringLiteral("&Paste"));
    Paste1->setEnabled(false);
    SelectAll1 = action(edit, QStringLiteral("SelectAll1"), QStringLiteral("Select &All "));
    InvertSelection1 =
        action(edit, QStringLiteral("InvertSelection1"), QStringLiteral("&Invert Selection"));
    edit->addSeparator();
    Settings1 = action(edit, QStringLiteral("Settings1"), QStringLiteral("Settings..."));
    connect(Cut1, &QAction::triggered, this, [this] { routeToFocusedPane(&PaneCommands::Cut); });
    connect(Copy1, &QAction::triggered, this, [this] {
        if (m_localCommands && localListView->hasFocus()) m_localCommands->Copy();
    });
    connect(Paste1, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Paste); });
    connect(SelectAll1, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::SelectAll); });
    connect(InvertSelection1, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::InvertSelection); });
    connect(Settings1, &QAction::triggered, this, [this] {
        if (m_settings) m_settings->exec();
    });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    Toolbar1 = action(view, QStringLiteral("Toolbar1"), QStringLiteral("&Toolbar"));
    Toolbar1->setCheckable(true);
    Toolbar1->setChecked(true);
    QuickBar1 = action(view, QStringLiteral("QuickBar1"), QStringLiteral("Quick Bar"));
    QuickBar1->setCheckable(true);
    connect(Toolbar1, &QAction::triggered, this, &TMainform::toggleToolbar);
    connect(QuickBar1, &QAction::triggered, this, &TMainform::toggleQuickBar);

    QMenu* connection = menuBar()->addMenu(QStringLiteral("&Connection"));
    QuickConnect1 =
        action(connection, QStringLiteral("QuickConnect1"), QStringLiteral("&Quick Connect"));
    connect(QuickConnect1, &QAction::triggered, this, &TMainform::toggleQuickBar);
    Reconnect1 = action(connection, QStringLiteral("Reconnect1"), QStringLiteral("&Reconnect"));
    Disconnect1 = action(connection, QStringLiteral("Disconnect1"), QStringLiteral("&Disconnect"));
    Abort1 = action(connection, QStringLiteral("Abort1"), QStringLiteral("&Abort"));
    for (QAction* a : {Reconnect1, Disconnect1, Abort1})
        a->setEnabled(false);
    connection->addSeparator();
    NOOPCommand1 =
        action(connection, QStringLiteral("NOOPCommand1"), QStringLiteral("NOOP Command"));
    NOOPCommand1->setCheckable(true);
    NOOPCommand1->setChecked(true);
    NOOPCommand1->setStatusTip(QStringLiteral("For Keeping Connection Alive with the Server"));
    NOOPCommand1->setToolTip(QStringLiteral("For Keeping Connection Alive with the Server"));
    connect(NOOPCommand1, &QAction::triggered, this, [this] {
        // The menu item flips the dialog's box, whose click handler does the rest.
        NOOPCommand1->setChecked(!NOOPCommand1->isChecked());
        if (m_settings) m_settings->keepAlive()->click();
    });
    QMenu* using_ = connection->addMenu(QStringLiteral("Connect Using"));
    connectUsing = new QActionGroup(this);
    connectUsing->setExclusive(true);
    for (const auto& [pointer, caption] :
         std::initializer_list<std::pair<QAction**, const char*>>{{&Direct1, "Direct"},
                                                                  {&Proxy1, "Proxy"},
                                                                  {&Socks41, "Socks4"},
                                                                  {&Socks4A1, "Socks4A"},
                                                                  {&Socks51, "Socks5"}}) {
        *pointer =
            action(using_, QLatin1String(caption) + QStringLiteral("1"), QLatin1String(caption));
        (*pointer)->setCheckable(true);
        connectUsing->addAction(*pointer);
    }
    Direct1->setChecked(true);

    QMenu* feed = menuBar()->addMenu(QStringLiteral("&Manual Feed"));
    EnterCommand1 =
        action(feed, QStringLiteral("EnterCommand1"), QStringLiteral("Enter Command..."));
    EnterCommand1->setEnabled(false);

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Windows"));
    LogWindow1 = action(windows, QStringLiteral("LogWindow1"), QStringLiteral("Log Window"));
    QueueWindow1 = action(windows, QStringLiteral("QueueWindow1"), QStringLiteral("Queue Window"));
    LocalTab1 = action(windows, QStringLiteral("LocalTab1"), QStringLiteral("Local Tab"));
    for (QAction* a : {LogWindow1, QueueWindow1, LocalTab1}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    connect(LogWindow1, &QAction::triggered, this, &TMainform::toggleLogWindow);
    connect(QueueWindow1, &QAction::triggered, this, &TMainform::toggleQueueWindow);
    connect(LocalTab1, &QAction::triggered, this, &TMainform::toggleLocalTab);

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
    About1 = action(help, QStringLiteral("About1"), QStringLiteral("About 1Quillon"));
    connect(About1, &QAction::triggered, this, [this] {
        if (m_about) m_about->exec();
    });
}

void TMainform::buildToolbar() {
    Main_Toolbar = addToolBar(QStringLiteral("1Quillon"));
    Main_Toolbar->setObjectName(QStringLiteral("Main_Toolbar"));
    Main_Toolbar->setMovable(false);
    Main_Toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QStyle* s = style();
    auto button = [&](QAction** into, const char* name, const QString& hint,
                      QStyle::StandardPixmap icon) {
        *into = Main_Toolbar->addAction(s->standardIcon(icon), hint);
        (*into)->setObjectName(QLatin1String(name));
        (*into)->setToolTip(hint);
        (*into)->setEnabled(false);
    };
    button(&QuickConnect_Button, "QuickConnect_Button", QStringLiteral("Quick Connect"),
           QStyle::SP_DriveNetIcon);
    button(&NewSite_Button, "NewSite_Button", QStringLiteral("New Site"),
           QStyle::SP_FileDialogNewFolder);
    button(&Reconnect_Button, "Reconnect_Button", QStringLiteral("Reconnect"),
           QStyle::SP_BrowserReload);
    button(&Abort_Button, "Abort_Button", QStringLiteral("Disconnect"),
           QStyle::SP_DialogCloseButton);
    button(&Stop_Button, "Stop_Button", QStringLiteral("Stop"), QStyle::SP_BrowserStop);
    Main_Toolbar->addSeparator();
    button(&View_Button, "View_Button", QStringLiteral("View File"),
           QStyle::SP_FileDialogContentsView);
    button(&Open_Button, "Open_Button", QStringLiteral("Open/Execute"),
           QStyle::SP_DialogOpenButton);
    button(&NewFolder_Button, "NewFolder_Button", QStringLiteral("New Folder"),
           QStyle::SP_FileDialogNewFolder);
    button(&Copy_Button, "Copy_Button", QStringLiteral("Copy"), QStyle::SP_FileIcon);
    button(&Cut_Button, "Cut_Button", QStringLiteral("Cut"), QStyle::SP_DialogDiscardButton);
    button(&Paste_Button, "Paste_Button", QStringLiteral("Paste"), QStyle::SP_DialogApplyButton);
    button(&Rename_Button, "Rename_Button", QStringLiteral("Rename"),
           QStyle::SP_FileDialogDetailedView);
    button(&Delete_Button, "Delete_Button", QStringLiteral("Delete"), QStyle::SP_TrashIcon);
    Main_Toolbar->addSeparator();
    button(&Upload_Button, "Upload_Button", QStringLiteral("Upload"), QStyle::SP_ArrowUp);
    button(&Download_Button, "Download_Button", QStringLiteral("Download"), QStyle::SP_ArrowDown);
    button(&UploadAsZip_Button, "UploadAsZip_Button", QStringLiteral("Upload As Zipped Archive"),
           QStyle::SP_DriveFDIcon);
    Main_Toolbar->addSeparator();
    button(&Settings_Button, "Settings_Button", QStringLiteral("Settings"),
           QStyle::SP_FileDialogInfoView);
    NewFolder_Button->setVisible(false);
    UploadAsZip_Button->setVisible(false);
    for (QAction* a : {Settings_Button, QuickConnect_Button, NewSite_Button})
        a->setEnabled(true);
    QuickConnect_Button->setCheckable(true);
    connect(QuickConnect_Button, &QAction::triggered, this, &TMainform::toggleQuickBar);
    connect(Settings_Button, &QAction::triggered, this, &TMainform::settingsButtonClick);
    connect(View_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::View); });
    connect(Open_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Open); });
    connect(NewFolder_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::NewFolder); });
    connect(Cut_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Cut); });
    connect(Paste_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Paste); });
    connect(Rename_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Rename); });
    connect(Delete_Button, &QAction::triggered, this,
            [this] { routeToFocusedPane(&PaneCommands::Delete); });
    connect(Copy_Button, &QAction::triggered, this, [this] {
        if (m_localCommands && localListView->hasFocus()) m_localCommands->Copy();
    });
}

void TMainform::buildQuickPanel(QWidget* parent) {
    Quickpanel = new QWidget(parent);
    Quickpanel->setObjectName(QStringLiteral("Quickpanel"));
    auto* row = new QHBoxLayout(Quickpanel);
    row->setContentsMargins(4, 2, 4, 2);
    Quickhost = lineEdit(Quickpanel, "Quickhost", QString());
    QuickUser = lineEdit(Quickpanel, "QuickUser", QStringLiteral("anonymous"));
    Quickpass = lineEdit(Quickpanel, "Quickpass", QStringLiteral("demo@"));
    Quickpass->setEchoMode(QLineEdit::Password);
    quickport = lineEdit(Quickpanel, "quickport", QStringLiteral("21"));
    quickport->setMaximumWidth(60);
    const std::pair<const char*, QLineEdit*> fields[] = {{"IP/Host Name", Quickhost},
                                                         {"UserName", QuickUser},
                                                         {"Password", Quickpass},
                                                         {"Port", quickport}};
    for (const auto& [label, field] : fields) {
        row->addWidget(new QLabel(QLatin1String(label), Quickpanel));
        row->addWidget(field);
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (onQuickConnect) onQuickConnect();
        });
    }
    quick_connect = toolButton(Quickpanel, "quick_connect", QStringLiteral("Connect"),
                               QStyle::SP_DialogApplyButton);
    export_site = toolButton(Quickpanel, "export_site", QStringLiteral("Export to Site Manager"),
                             QStyle::SP_DialogSaveButton);
    connect(quick_connect, &QToolButton::clicked, this, [this] {
        if (onQuickConnect) onQuickConnect();
    });
    row->addWidget(quick_connect);
    row->addWidget(export_site);
    row->addStretch();
    Quickpanel->setVisible(false);
}

QWidget* TMainform::buildLeftPane() {
    thread_panel = new QTabWidget;
    thread_panel->setObjectName(QStringLiteral("thread_panel"));
    thread_panel->setTabPosition(QTabWidget::South);

    auto* local = new QWidget;
    auto* localLayout = new QVBoxLayout(local);
    auto* localBar = new QHBoxLayout;
    localadd = new QComboBox(local);
    localadd->setObjectName(QStringLiteral("localadd"));
    refresh_local =
        toolButton(local, "refresh_local", QStringLiteral("Refresh"), QStyle::SP_BrowserReload);
    go_up =
        toolButton(local, "go_up", QStringLiteral("One Level Up"), QStyle::SP_FileDialogToParent);
    localBar->addWidget(localadd, 1);
    localBar->addWidget(refresh_local);
    localBar->addWidget(go_up);
    curr_dir = new QLabel(local);
    curr_dir->setObjectName(QStringLiteral("curr_dir"));
    localListView = new QTreeWidget(local);
    localListView->setObjectName(QStringLiteral("localListView"));
    localListView->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size(KB)"),
                                    QStringLiteral("Type"), QStringLiteral("Modified")});
    localListView->setRootIsDecorated(false);
    localListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    localLayout->addLayout(localBar);
    localLayout->addWidget(curr_dir);
    localLayout->addWidget(localListView);
    thread_panel->addTab(local, QStringLiteral("Local Listing"));

    auto* threadsPage = new QWidget;
    auto* threadsLayout = new QVBoxLayout(threadsPage);
    auto* counts = new QHBoxLayout;
    threads_updown = new QSpinBox(threadsPage);
    threads_updown->setObjectName(QStringLiteral("threads"));
    threads_updown->setRange(1, 100);
    threads_updown->setValue(3);
    attempts_no = new QSpinBox(threadsPage);
    attempts_no->setObjectName(QStringLiteral("attempts_no"));
    attempts_no->setRange(1, 99);
    attempts_no->setValue(3);
    counts->addWidget(new QLabel(QStringLiteral("Concurrent Threads"), threadsPage));
    counts->addWidget(threads_updown);
    counts->addWidget(new QLabel(QStringLiteral("Attempts"), threadsPage));
    counts->addWidget(attempts_no);
    counts->addStretch();
    thread_window = new QScrollArea(threadsPage);
    thread_window->setObjectName(QStringLiteral("thread_window"));
    thread_window->setWidgetResizable(true);
    thread_window->setWidget(new QWidget);
    new QVBoxLayout(thread_window->widget());
    threadsLayout->addLayout(counts);
    threadsLayout->addWidget(thread_window);
    thread_panel->addTab(threadsPage, QStringLiteral("Thread Panel"));

    site_manager = new QTreeWidget;
    site_manager->setObjectName(QStringLiteral("site_manager"));
    site_manager->setHeaderLabels({QStringLiteral("Label"), QStringLiteral("Site IP"),
                                   QStringLiteral("Username"), QStringLiteral("Password"),
                                   QStringLiteral("Port"), QStringLiteral("Local Initial Dir"),
                                   QStringLiteral("Remote Initial Dir")});
    const int widths[] = {250, 100, 70, 100, 40, 250, 250};
    for (int i = 0; i < 7; ++i)
        site_manager->setColumnWidth(i, widths[i]);
    thread_panel->addTab(site_manager, QStringLiteral("Site Manager"));
    return thread_panel;
}

QWidget* TMainform::buildRightPane() {
    Panel4 = new QWidget;
    Panel4->setObjectName(QStringLiteral("Panel4"));
    auto* layout = new QVBoxLayout(Panel4);
    layout->setContentsMargins(0, 0, 0, 0);
    log_splitter = new QSplitter(Qt::Vertical, Panel4);
    log_splitter->setObjectName(QStringLiteral("log_splitter"));

    auto* remote = new QWidget;
    auto* remoteLayout = new QVBoxLayout(remote);
    remoteLayout->setContentsMargins(0, 0, 0, 0);
    auto* remoteBar = new QHBoxLayout;
    remoteadd = new QComboBox(remote);
    remoteadd->setObjectName(QStringLiteral("remoteadd"));
    remoteadd->setEditable(true);
    remoteadd->setToolTip(QStringLiteral("Remote Address"));
    refresh_remote =
        toolButton(remote, "refresh_remote", QStringLiteral("Refresh"), QStyle::SP_BrowserReload);
    remote_up = toolButton(remote, "remote_up", QStringLiteral("One Level Up"),
                           QStyle::SP_FileDialogToParent);
    remoteBar->addWidget(remoteadd, 1);
    remoteBar->addWidget(refresh_remote);
    remoteBar->addWidget(remote_up);
    remoteListView = new QTreeWidget(remote);
    remoteListView->setObjectName(QStringLiteral("remoteListView"));
    remoteListView->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size(KB)"),
                                     QStringLiteral("Type"), QStringLiteral("Modified"),
                                     QStringLiteral("Attributes"), QStringLiteral("User"),
                                     QStringLiteral("Group")});
    const int widths[] = {200, 60, 126, 90, 80};
    for (int i = 0; i < 5; ++i)
        remoteListView->setColumnWidth(i, widths[i]);
    remoteListView->setRootIsDecorated(false);
    remoteListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (QWidget* w :
         std::initializer_list<QWidget*>{remoteadd, refresh_remote, remote_up, remoteListView}) {
        w->setEnabled(false);
    }
    remoteLayout->addLayout(remoteBar);
    remoteLayout->addWidget(remoteListView);

    log_panel = new QWidget;
    log_panel->setObjectName(QStringLiteral("log_panel"));
    auto* logLayout = new QVBoxLayout(log_panel);
    logLayout->setContentsMargins(0, 0, 0, 0);
    logLayout->setSpacing(0);
    log_close = toolButton(log_panel, "log_close", QStringLiteral("Close Log Panel"),
                           QStyle::SP_TitleBarCloseButton);
    connect(log_close, &QToolButton::clicked, this, [this] {
        if (LogWindow1->isChecked()) toggleLogWindow();
    });
    ftplog = new QTextEdit(log_panel);
    ftplog->setObjectName(QStringLiteral("ftplog"));
    ftplog->setReadOnly(true);
    ftplog->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* logHeader = new QHBoxLayout;
    logHeader->addStretch();
    logHeader->addWidget(log_close);
    logLayout->addLayout(logHeader);
    logLayout->addWidget(ftplog);

    log_splitter->addWidget(remote);
    log_splitter->addWidget(log_panel);
    layout->addWidget(log_splitter);
    Panel4->installEventFilter(this);
    return Panel4;
}

QWidget* TMainform::buildQueuePanel() {
    Panel1 = new QWidget;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    Queue_ToggleProcessing = toolButton(Panel1, "Queue_ToggleProcessing",
                                        QStringLiteral("Start Transfer"), QStyle::SP_MediaPlay);
    Queue_ToggleProcessing->setCheckable(true);
    connect(Queue_ToggleProcessing, &QToolButton::toggled, this,
            [this](bool down) { m_queueProcessing = down; });
    SpeedButton1 = toolButton(Panel1, "SpeedButton1", QStringLiteral("Close Queue Panel"),
                              QStyle::SP_TitleBarCloseButton);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        if (QueueWindow1->isChecked()) toggleQueueWindow();
    });
    bar->addWidget(Queue_ToggleProcessing);
    bar->addStretch();
    bar->addWidget(SpeedButton1);
    queue_pages = new QTabWidget(Panel1);
    queue = new QTreeWidget;
    queue->setObjectName(QStringLiteral("queue"));
    QueueTrees::SetUpColumns(queue, false);
    fail_queue = new QTreeWidget;
    fail_queue->setObjectName(QStringLiteral("fail_queue"));
    QueueTrees::SetUpColumns(fail_queue, true);
    queue_pages->addTab(queue, QStringLiteral("Working Queue"));
    queue_pages->addTab(fail_queue, QStringLiteral("Failed Queue"));
    layout->addLayout(bar);
    layout->addWidget(queue_pages);
    return Panel1;
}

void TMainform::buildRemoteMenu() {
    remote_menu = new QMenu(this);
    remote_menu->setObjectName(QStringLiteral("remote_menu"));
    Remote_Download =
        action(remote_menu, QStringLiteral("Remote_Download"), QStringLiteral("Download"));
    Remote_Edit = action(remote_menu, QStringLiteral("Remote_Edit"), QStringLiteral("Edit"));
    Remote_View = action(remote_menu, QStringLiteral("Remote_View"), QStringLiteral("View"));
    Remote_Open = action(remote_menu, QStringLiteral("Remote_Open"), QStringLiteral("Open"));
    remote_menu->addSeparator();
    Remote_Cut = action(remote_menu, QStringLiteral("Remote_Cut"), QStringLiteral("Cut"));
    Remote_Paste = action(remote_menu, QStringLiteral("Remote_Paste"), QStringLiteral("Paste"));
    Remote_Paste->setEnabled(false); // until the first Cut
    Remote_Rename =
        action(remote_menu, QStringLiteral("Remote_Rename"), QStringLiteral("Rename"), Qt::Key_F2);
    Remote_Delete = action(remote_menu, QStringLiteral("Remote_Delete"), QStringLiteral("Delete"),
                           Qt::Key_Delete);
    remote_menu->addSeparator();
    Remote_NewFolder =
        action(remote_menu, QStringLiteral("Remote_NewFolder"), QStringLiteral("New Directory"));
    Remote_CHMOD = action(remote_menu, QStringLiteral("Remote_CHMOD"), QStringLiteral("CHMOD"));
    Remote_Refresh = action(remote_menu, QStringLiteral("Remote_Refresh"),
                            QStringLiteral("Refresh"), Qt::Key_F5);
    Remote_BookMark = action(remote_menu, QStringLiteral("Remote_BookMark"),
                             QStringLiteral("BookMark Current Folder"));
    remote_menu->addSeparator();
    Remote_SelectAll = action(remote_menu, QStringLiteral("Remote_SelectAll"),
                              QStringLiteral("Select All"), QKeySequence::SelectAll);
    Remote_InvertSelection = action(remote_menu, QStringLiteral("Remote_InvertSelection"),
                                    QStringLiteral("Invert Selection"));
    // The shortcuts work while the remote list has the focus.
    for (QAction* a : remote_menu->actions())
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    remoteListView->addActions(remote_menu->actions());
    remoteListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(remoteListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        remote_menu->exec(remoteListView->viewport()->mapToGlobal(at));
    });
    connect(Remote_SelectAll, &QAction::triggered, remoteListView, &QTreeWidget::selectAll);
    connect(Remote_InvertSelection, &QAction::triggered, this, [this] {
        for (int i = 0; i < remoteListView->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = remoteListView->topLevelItem(i);
            item->setSelected(!item->isSelected());
        }
    });
    remoteListView->viewport()->installEventFilter(this);
    remoteListViewMouseDown();
}

void TMainform::remoteListViewMouseDown() {
    const RemoteListing::SelectionCommands c =
        RemoteListing::ForSelection(int(remoteListView->selectedItems().size()));
    for (QAction* a : {Remote_NewFolder, Remote_Refresh, Remote_SelectAll, Remote_InvertSelection})
        a->setEnabled(c.always);
    for (QAction* a : {Remote_BookMark, Remote_Cut, Remote_Rename})
        a->setEnabled(c.single);
    for (QAction* a : {Remote_CHMOD, Remote_Edit, Remote_View, Remote_Open, Remote_Download,
                       Download_Button, Remote_Delete}) {
        a->setEnabled(c.nonEmpty);
    }
}

void TMainform::buildTray() {
    MenuTray = new QMenu(this);
    MenuTray->setObjectName(QStringLiteral("MenuTray"));
    trayOpen = MenuTray->addAction(QStringLiteral("Open"));
    trayOpen->setEnabled(false);
    trayExit = MenuTray->addAction(QStringLiteral("Exit"));
    connect(trayOpen, &QAction::triggered, this, &TMainform::showFromTray);
    connect(trayExit, &QAction::triggered, this, &TMainform::ExitApplication);
    sxTrayIcon1 = new QSystemTrayIcon(AppIcon(), this);
    sxTrayIcon1->setObjectName(QStringLiteral("sxTrayIcon1"));
    sxTrayIcon1->setToolTip(QStringLiteral("1Quillon"));
    sxTrayIcon1->setContextMenu(MenuTray);
    connect(sxTrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
                    showFromTray();
            });
    m_trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    if (m_trayAvailable) sxTrayIcon1->show();
}
