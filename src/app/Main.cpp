#include "Main.h"

#include "AboutBox.h"
#include "AppIcon.h"
#include "AppPaths.h"
#include "ColourButton.h"
#include "NavigationManager.h"
#include "QueueTrees.h"
#include "RemotePaneBinding.h"
#include "SettingsDialog.h"
#include "WinColour.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TMainform::TMainform(QWidget* parent)
    : QMainWindow(parent), m_queueColour(kSystemWindowColour), m_ftpLogColour(16777215),
      m_localListColour(kSystemWindowColour), m_remoteListColour(16777215) {
    setObjectName(QStringLiteral("Mainform"));
    quitApplication = [] { QApplication::quit(); };
    buildMenus();
    buildToolbar();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    buildQuickPanel(central);
    layout->addWidget(Quickpanel);
    bottom_splitter = new QSplitter(Qt::Vertical, central);
    bottom_splitter->setObjectName(QStringLiteral("bottom_splitter"));
    verticle_splitter = new QSplitter(Qt::Horizontal);
    verticle_splitter->setObjectName(QStringLiteral("verticle_splitter"));
    verticle_splitter->addWidget(buildLeftPane());
    verticle_splitter->addWidget(buildRightPane());
    verticle_splitter->setStretchFactor(1, 1);
    bottom_splitter->addWidget(verticle_splitter);
    bottom_splitter->addWidget(buildQueuePanel());
    bottom_splitter->setStretchFactor(0, 3);
    bottom_splitter->setStretchFactor(1, 1);
    layout->addWidget(bottom_splitter, 1);
    setCentralWidget(central);

    status_left = new QLabel(this);
    status_right = new QLabel(this);
    statusBar()->setObjectName(QStringLiteral("status"));
    statusBar()->addWidget(status_left, 1);
    statusBar()->addWidget(status_right, 1);
    buildTray();
    buildRemoteMenu();

    m_log.colourOf = [this](int kind) { return logColour(kind); };
    m_log.onAppended = [this](const SessionLog::Line& line) { appendToLogView(line); };
    m_log.onCleared = [this] { ftplog->clear(); };
    connect(ftplog, &QTextEdit::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(ftplog);
        const bool selected = ftplog->textCursor().hasSelection();
        auto item = [&menu, this](const QString& text, const QKeySequence& key,
                                  const std::function<void()>& run) {
            QAction* a = menu.addAction(text);
            a->setShortcut(key);
            connect(a, &QAction::triggered, this, run);
            return a;
        };
        // The log is read-only: Undo, Cut and Clear Selected change nothing.
        item(QStringLiteral("Undo"), QKeySequence::Undo, [] {});
        QAction* copy =
            item(QStringLiteral("Copy"), QKeySequence::Copy, [this] { ftplog->copy(); });
        QAction* cut = item(QStringLiteral("Cut"), QKeySequence::Cut, [] {});
        QAction* clearSelected = item(QStringLiteral("Clear Selected"), {}, [] {});
        item(QStringLiteral("Clear All"), QKeySequence::Delete, [this] { m_log.clear(); });
        item(QStringLiteral("Save Log"), {}, [this] {
            QFileDialog dialog(this, QStringLiteral("Save Log"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(QStringLiteral("log"));
            dialog.setNameFilter(QStringLiteral("1Quillon Log (*.log)"));
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
            QString error;
            if (!m_log.save(dialog.selectedFiles().first(), &error)) {
                QMessageBox::critical(this, QStringLiteral("1Quillon"), error);
            }
        });
        item(QStringLiteral("Select All"), QKeySequence::SelectAll,
             [this] { ftplog->selectAll(); });
        for (QAction* a : {copy, cut, clearSelected})
            a->setEnabled(selected);
        menu.exec(ftplog->viewport()->mapToGlobal(at));
    });
}

TMainform::~TMainform() = default;

void TMainform::bindRemoteSession() {
    m_remoteBinding = std::make_unique<RemotePaneBinding>(*this);
    m_navigation = std::make_unique<Navigation_Manager>(*m_remoteBinding);
    Navigation_Manager* nav = m_navigation.get();
    onQuickConnect = [this, nav] {
        nav->QuickConnect(Quickhost->text(), QuickUser->text(), Quickpass->text(),
                          quickport->text());
    };
    onKeepAliveChanged = [nav](bool on) { nav->SetKeepAlive(on); };
    for (QAction* a : {Reconnect_Button, Reconnect1})
        connect(a, &QAction::triggered, this, [nav] { nav->Reconnect(); });
    for (QAction* a : {Abort_Button, Disconnect1})
        connect(a, &QAction::triggered, this, [nav] { nav->Disconnect(); });
    for (QAction* a : {Stop_Button, Abort1})
        connect(a, &QAction::triggered, this, [nav] { nav->Stop(); });
    connect(remote_up, &QToolButton::clicked, this, [nav] { nav->OneLevelUp(); });
    connect(refresh_remote, &QToolButton::clicked, this, [nav] { nav->Refresh(); });
    connect(Remote_Refresh, &QAction::triggered, this, [nav] { nav->Refresh(); });
    // Enter in the box, or a history item chosen from its list. Without a completer a
    // Return reports only through the line edit, so one Enter changes directory once.
    remoteadd->setCompleter(nullptr);
    connect(remoteadd->lineEdit(), &QLineEdit::returnPressed, this,
            [this, nav] { nav->ChangeDirectory(remoteadd->currentText(), false); });
    connect(remoteadd, &QComboBox::activated, this,
            [this, nav](int index) { nav->ChangeDirectory(remoteadd->itemText(index), false); });
    connect(remoteListView, &QTreeWidget::itemDoubleClicked, this, [this, nav] {
        const QList<QTreeWidgetItem*> selected = remoteListView->selectedItems();
        if (selected.isEmpty()) return;
        RemoteRow row;
        row.name = selected.first()->text(0);
        row.type = selected.first()->text(2);
        nav->OpenRow(row);
    });
    remoteadd->setInsertPolicy(QComboBox::NoInsert);
    remoteListView->setSortingEnabled(true);
    remoteListView->sortByColumn(-1, Qt::AscendingOrder);
}

// ---------------------------------------------------------------------------------
// Start-up and shut-down

void TMainform::FormCreate() {
    const QIcon icon = AppIcon();
    setWindowIcon(icon);
    sxTrayIcon1->setIcon(icon);
    setWindowTitle(QStringLiteral("1Quillon "));
    // Sized to the screen first, so the window fills it also where no window manager
    // carries out the maximising.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    showMaximized();
    trayOpen->setEnabled(true);

    m_programDir = AppPaths::ProgramDir();
    m_tempDir = AppPaths::TempDir();
    AppPaths::ResetListingCache(m_programDir);

    // The scheduler plugs in here once it exists; the per-transfer progress panels go
    // into thread_window.
    bindRemoteSession();

    m_sites = std::make_unique<SiteTree>(m_programDir + SiteTree::kFileName);
    const SiteTree::LoadResult sites = m_sites->load();
    showSiteTree();
    if (!sites.error.isEmpty()) {
        QString text = QStringLiteral("The site file could not be read: %1").arg(sites.error);
        if (!sites.keptAs.isEmpty())
            text += QStringLiteral("\nIt has been kept as \"%1\".").arg(sites.keptAs);
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("1Quillon"), text,
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }

    const std::pair<QTreeWidget*, QString> queues[] = {{queue, AppPaths::kWorkingQueueFile},
                                                       {fail_queue, AppPaths::kFailedQueueFile}};
    for (const auto& [tree, name] : queues) {
        const QString path = m_programDir + name;
        QString error;
        if (QFileInfo::exists(path) && !QueueTrees::Load(tree, path, &error)) {
            m_log.appendLine(error, SessionLog::Error);
        }
    }
}

void TMainform::CreateDialogs() {
    m_about = new TAboutBox(this);
    m_settings = new TGlobalSettings(*this, this);
}

void TMainform::SaveAllState() {
    QString error;
    if (!QueueTrees::Save(queue, m_programDir + AppPaths::kWorkingQueueFile, &error) ||
        !QueueTrees::Save(fail_queue, m_programDir + AppPaths::kFailedQueueFile, &error)) {
        m_log.appendLine(error, SessionLog::Error);
    }
    if (m_settings) m_settings->Save();
}

void TMainform::ExitApplication() {
    SaveAllState();
    sxTrayIcon1->hide();
    quitApplication();
}

void TMainform::closeEvent(QCloseEvent* event) {
    SaveAllState();
    if (!m_trayAvailable) {
        // Without a notification area a hidden window could never come back.
        event->accept();
        sxTrayIcon1->hide();
        quitApplication();
        return;
    }
    event->ignore();
    hide();
}

void TMainform::showFromTray() {
    if (isMinimized()) showMaximized();
    show();
    raise();
    activateWindow();
}

// ---------------------------------------------------------------------------------
// Views

// Each toggle follows what is on screen (relative to the window, so it also works
// while the window is hidden) and sets the menu check to match.
void TMainform::toggleToolbar() {
    const bool show = !Main_Toolbar->isVisibleTo(this);
    Main_Toolbar->setVisible(show);
    Toolbar1->setChecked(show);
}

void TMainform::toggleQuickBar() {
    const bool show = !Quickpanel->isVisibleTo(this);
    Quickpanel->setVisible(show);
    QuickBar1->setChecked(show);
    QuickConnect_Button->setChecked(show);
}

void TMainform::toggleLogWindow() {
    const bool show = !log_panel->isVisibleTo(this);
    log_panel->setVisible(show);
    LogWindow1->setChecked(show);
}

void TMainform::toggleQueueWindow() {
    const bool show = !Panel1->isVisibleTo(this);
    Panel1->setVisible(show);
    QueueWindow1->setChecked(show);
}

void TMainform::toggleLocalTab() {
    const bool show = !thread_panel->isVisibleTo(this);
    thread_panel->setVisible(show);
    LocalTab1->setChecked(show);
}

void TMainform::settingsButtonClick() {
    auto showToolbar = [this] {
        Main_Toolbar->setVisible(true);
        Toolbar1->setChecked(true);
    };
    showToolbar();
    if (m_settings) m_settings->exec();
    showToolbar();
}

bool TMainform::eventFilter(QObject* watched, QEvent* event) {
    if (watched == remoteListView->viewport() && event->type() == QEvent::MouseButtonPress) {
        // After the press has changed the selection.
        QMetaObject::invokeMethod(this, &TMainform::remoteListViewMouseDown, Qt::QueuedConnection);
    }
    if (watched == Panel4 && event->type() == QEvent::Resize && log_panel->isVisibleTo(this)) {
        const int height = Panel4->height();
        log_splitter->setSizes({height - height / 5, height / 5});
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainform::routeToFocusedPane(void (PaneCommands::*command)()) {
    if (localListView->hasFocus()) {
        if (m_localCommands) (m_localCommands->*command)();
    } else if (remoteListView->hasFocus()) {
        if (m_remoteCommands) (m_remoteCommands->*command)();
    }
}

// ---------------------------------------------------------------------------------
// Log

int TMainform::logColour(int kind) const {
    static const Setting settings[] = {Setting::ErrorMsgColor, Setting::InfoMsgColor,
                                       Setting::FtpCommandColor, Setting::FtpResponseColor};
    const Setting s = settings[kind];
    if (m_settings) return m_settings->colourControl(s)->value();
    return SettingsRecord().integer(s);
}

void TMainform::appendToLogView(const SessionLog::Line& line) {
    QTextCursor cursor(ftplog->document());
    cursor.movePosition(QTextCursor::End);
    if (!ftplog->document()->isEmpty()) cursor.insertBlock();
    QTextCharFormat format;
    format.setForeground(ColourFromWin(line.colour));
    cursor.insertText(line.text, format);
    // The newest line stays in view.
    ftplog->verticalScrollBar()->setValue(ftplog->verticalScrollBar()->maximum());
}

void TMainform::showSiteTree() {
    site_manager->clear();
    std::function<void(QTreeWidgetItem*, const SiteEntry&)> add = [&](QTreeWidgetItem* parent,
                                                                      const SiteEntry& e) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(site_manager);
        item->setText(0, e.label);
        for (int c = 0; c < e.columns.size(); ++c)
            item->setText(c + 1, c == ColPassword ? QStringLiteral("****") : e.columns[c]);
        for (const auto& child : e.children)
            add(item, *child);
    };
    for (const auto& e : m_sites->topLevel())
        add(nullptr, *e);
    site_manager->expandAll();
}

// ---------------------------------------------------------------------------------
// Values the settings dialog reads and applies

bool TMainform::viewFlag(Setting s) const {
    switch (s) {
    case Setting::ToolBar:
        return Toolbar1->isChecked();
    case Setting::QuickBar:
        return QuickBar1->isChecked();
    case Setting::LogWindow:
        return LogWindow1->isChecked();
    case Setting::QueueWindow:
        return QueueWindow1->isChecked();
    case Setting::LocalTab:
        return LocalTab1->isChecked();
    case Setting::QueueProcessing:
        return m_queueProcessing;
    default:
        return false;
    }
}

void TMainform::toggleView(Setting s) {
    switch (s) {
    case Setting::ToolBar:
        return toggleToolbar();
    case Setting::QuickBar:
        return toggleQuickBar();
    case Setting::LogWindow:
        return toggleLogWindow();
    case Setting::QueueWindow:
        return toggleQueueWindow();
    case Setting::LocalTab:
        return toggleLocalTab();
    case Setting::QueueProcessing:
        return Queue_ToggleProcessing->toggle();
    default:
        return;
    }
}

QString TMainform::connectionType() const {
    const QAction* checked = connectUsing->checkedAction();
    return checked ? checked->text() : QStringLiteral("Direct");
}

void TMainform::selectConnectionType(const QString& type) {
    for (QAction* a : connectUsing->actions()) {
        if (a->text() == type && !a->isChecked()) a->trigger();
    }
}

int TMainform::threads() const {
    return threads_updown->value();
}
void TMainform::setThreads(int n) {
    threads_updown->setValue(n);
}
int TMainform::attempts() const {
    return attempts_no->value();
}
void TMainform::setAttempts(int n) {
    attempts_no->setValue(n);
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
    auto paint = [colour](QWidget* w) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, ColourFromWin(colour));
        w->setPalette(p);
    };
    switch (s) {
    case Setting::QueueColor:
        m_queueColour = colour;
        paint(queue);
        break;
    case Setting::FtpLogColor:
        m_ftpLogColour = colour;
        paint(ftplog);
        break;
    case Setting::LocalListColor:
        m_localListColour = colour;
        paint(localListView);
        paint(localadd);
        break;
    case Setting::RemoteListColor:
        m_remoteListColour = colour;
        paint(remoteadd);
        break;
    default:
        break;
    }
}

void TMainform::keepAliveChanged(bool on) {
    NOOPCommand1->setChecked(on);
    if (onKeepAliveChanged) onKeepAliveChanged(on);
}
