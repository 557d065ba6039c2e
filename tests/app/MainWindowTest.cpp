#include "AppPaths.h"
#include "ColourButton.h"
#include "Main.h"
#include "QueueRowDelegate.h"
#include "QuickConnectBar.h"
#include "Scratch.h"
#include "SettingsDialog.h"
#include "SettingsStore.h"
#include "SingleInstance.h"
#include "StoredDefaults.h"
#include "TestLoop.h"
#include "TreeItemStream.h"
#include "WinColour.h"
#include "WindowControls.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString dataDir() {
    return scratchDir() + QStringLiteral("/data/1Quillon/");
}

QSettings& stored() {
    static QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("1Quillon"),
                       QStringLiteral("1Quillon"));
    s.sync();
    return s;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(dataDir()).removeRecursively();
        stored().clear();
        stored().sync();
    }
    // A window through the whole start-up, with the program's end watched.
    std::unique_ptr<TMainform> start() {
        auto w = std::make_unique<TMainform>();
        w->quitApplication = [this] { ++quits; };
        w->FormCreate();
        w->CreateDialogs();
        spinFor(20);
        return w;
    }
    int quits = 0;
};

TEST_F(MainWindowTest, FirstStartCreatesTheSiteFileAndAnEmptyListingCache) {
    QDir().mkpath(dataDir() + QStringLiteral("Listings/ftp.example.org"));
    QFile stale(dataDir() + QStringLiteral("Listings/ftp.example.org/_pub"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    QFile::remove(dataDir() + SiteTree::kFileName);

    auto w = start();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("1Quillon "));
    EXPECT_EQ(QFileInfo(dataDir() + SiteTree::kFileName).size(), 157);
    EXPECT_TRUE(QFileInfo(dataDir() + QStringLiteral("Listings")).isDir());
    EXPECT_TRUE(QDir(dataDir() + QStringLiteral("Listings")).isEmpty());
    ASSERT_EQ(control<QTreeWidget>(w.get(), "site_manager")->topLevelItemCount(), 1);
    EXPECT_EQ(control<QTreeWidget>(w.get(), "site_manager")->topLevelItem(0)->text(0),
              QStringLiteral("FTP Sites"));

    // Enabled at start: Settings, Quick Connect and New Site only.
    for (QAction* a : control<QToolBar>(w.get(), "Main_Toolbar")->actions()) {
        if (a->isSeparator()) continue;
        const bool expected = a == control<QAction>(w.get(), "Settings_Button") ||
                              a == control<QAction>(w.get(), "QuickConnect_Button") ||
                              a == control<QAction>(w.get(), "NewSite_Button");
        EXPECT_EQ(a->isEnabled(), expected) << a->objectName().toStdString();
    }
    const QList<QWidget*> remoteControls = {control<QComboBox>(w.get(), "remoteadd"),
                                            control<QToolButton>(w.get(), "refresh_remote"),
                                            control<QToolButton>(w.get(), "remote_up"),
                                            control<QTreeWidget>(w.get(), "remoteListView")};
    for (QWidget* remote : remoteControls) {
        EXPECT_FALSE(remote->isEnabled()) << remote->objectName().toStdString();
    }
    for (QAction* a :
         {control<QAction>(w.get(), "Paste1"), control<QAction>(w.get(), "Reconnect1"),
          control<QAction>(w.get(), "Disconnect1"), control<QAction>(w.get(), "Abort1"),
          control<QAction>(w.get(), "EnterCommand1")}) {
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    }
    EXPECT_FALSE(control<QAction>(w.get(), "NewFolder_Button")->isVisible());
    EXPECT_FALSE(control<QWidget>(w.get(), "Quickpanel")->isVisibleTo(w.get()));
    EXPECT_EQ(control<QLineEdit>(w.get(), "QuickUser")->text(), QStringLiteral("anonymous"));
    EXPECT_EQ(control<QLineEdit>(w.get(), "Quickpass")->text(), QStringLiteral("demo@"));
    EXPECT_EQ(control<QLineEdit>(w.get(), "Quickpass")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(control<QLineEdit>(w.get(), "quickport")->text(), QStringLiteral("21"));
    EXPECT_EQ(control<QSpinBox>(w.get(), "threads")->value(), 3);
    EXPECT_EQ(control<QSpinBox>(w.get(), "attempts_no")->value(), 3);
    EXPECT_TRUE(control<QAction>(w.get(), "Direct1")->isChecked());
    EXPECT_TRUE(control<QAction>(w.get(), "NOOPCommand1")->isChecked());
}

TEST_F(MainWindowTest, ExitSavesEveryValueWithItsDefaultAndTheQueues) {
    auto w = start();
    w->ExitApplication();
    EXPECT_EQ(quits, 1);
    for (const auto& [name, value] : kStoredDefaults) {
        EXPECT_EQ(stored().value(QStringLiteral("Settings/") + QLatin1String(name)).toString(),
                  QLatin1String(value))
            << name;
    }
    stored().beginGroup(QStringLiteral("Settings/AsciiExtensions"));
    EXPECT_EQ(stored().childKeys(), defaultAsciiExtensions());
    stored().endGroup();
    EXPECT_EQ(QFileInfo(dataDir() + AppPaths::kWorkingQueueFile).size(), 74);
    EXPECT_EQ(QFileInfo(dataDir() + AppPaths::kFailedQueueFile).size(), 74);
}

TEST_F(MainWindowTest, FilesThatHoldSecretsAreTheOwnersAlone) {
    auto w = start();
    w->ExitApplication();
    const QFile::Permissions group = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup;
    const QFile::Permissions other = QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const QString files[] = {dataDir(),
                             dataDir() + QStringLiteral("Listings"),
                             dataDir() + SiteTree::kFileName,
                             dataDir() + AppPaths::kWorkingQueueFile,
                             dataDir() + AppPaths::kFailedQueueFile,
                             stored().fileName(),
                             QFileInfo(stored().fileName()).absolutePath()};
    for (const QString& path : files) {
        ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
        EXPECT_EQ(QFile::permissions(path) & (group | other), QFile::Permissions())
            << path.toStdString();
    }
}

TEST_F(MainWindowTest, AQueueFileLoadedAndSavedComesOutByteForByte) {
    TreeRecord root, folder, child;
    folder.text = QByteArray("/pub/caf\xe9", 9); // Latin-1, not UTF-8
    folder.hint = "a hint";
    folder.state.imageIndex = 2;
    folder.state.flags = TreeItemState::Bold | TreeItemState::Expanded;
    folder.state.textColour = 123;
    folder.state.secondImageIndex = 7;
    folder.columns = {"-->", "/home/u/caf\xe9/",        "",           "0", "0", "ftp.example.org",
                      "u",   QByteArray("\xf0\xf7", 2), "extra entry"};
    child.text = "file.bin";
    child.state.imageIndex = 8;
    child.columns = {"-->", "/home/u/file.bin", "1024", "50", "1", "ftp.example.org", "u", ""};
    folder.children.push_back(child);
    root.children.push_back(folder);
    const QString path = dataDir() + AppPaths::kWorkingQueueFile;
    QDir().mkpath(dataDir());
    ASSERT_TRUE(treestream::SaveFile(root, path, nullptr));
    QFile original(path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    // Processing stopped: the round trip only, with no transfer touching the items.
    stored().setValue(QStringLiteral("Settings/QueueProcessing"), QStringLiteral("1"));
    stored().sync();

    auto w = start();
    w->ExitApplication();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll() == before);
}

TEST_F(MainWindowTest, ADamagedQueueFileIsKeptAsideAndNeverWrittenOver) {
    TreeRecord root, good, climbing;
    good.text = "/pub/a.bin";
    good.state.imageIndex = 8;
    good.columns = {"-->", "/home/u/a.bin", "10", "0", "0", "127.0.0.1:1", "u", ""};
    climbing.text = "/pub/b.bin";
    climbing.state.imageIndex = 8;
    climbing.columns = {"-->", "/home/u/../../etc/b.bin", "10", "0", "0", "127.0.0.1:1", "u", ""};
    root.children = {good, climbing, good};
    const QString path = dataDir() + AppPaths::kWorkingQueueFile;
    QDir().mkpath(dataDir());
    ASSERT_TRUE(treestream::SaveFile(root, path, nullptr));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray damaged = file.readAll().chopped(20); // the last record cut short
    file.resize(damaged.size());
    file.close();
    stored().setValue(QStringLiteral("Settings/QueueProcessing"), QStringLiteral("1"));
    stored().sync();

    auto w = start();
    // The user is told once, with the name the damaged file is kept under.
    QMessageBox* box = nullptr;
    ASSERT_TRUE(
        waitFor([&] { return (box = w->findChild<QMessageBox*>("damaged_queue")) != nullptr; }));
    const QStringList kept =
        QDir(dataDir()).entryList({AppPaths::kWorkingQueueFile + ".damaged-*"});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(box->text().contains(kept[0])) << box->text().toStdString();
    box->close();
    // The items read before the damage are there; the one whose local path climbs out
    // is not, and the failed queue says why.
    QueueModel& queue = w->Queues().Queue();
    ASSERT_EQ(queue.root()->children.size(), 1u);
    EXPECT_EQ(queue.root()->children[0]->text, QByteArray("/pub/a.bin"));
    QueueModel& failed = w->Queues().FailQueue();
    ASSERT_EQ(failed.root()->children.size(), 1u);
    EXPECT_TRUE(failed.root()->children[0]->column(9).contains("not a plain absolute path"));
    // Saves go to the queue file's own name, never over the damaged copy.
    w->ExitApplication();
    QFile keptFile(dataDir() + kept[0]);
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(keptFile.readAll() == damaged);
    QueueModel reread(false);
    QString error;
    EXPECT_TRUE(reread.load(path, &error)) << error.toStdString();
    EXPECT_EQ(reread.root()->children.size(), 1u);
}

TEST_F(MainWindowTest, ChangedSettingsSurviveARestart) {
    {
        auto w = start();
        control<QSpinBox>(w.get(), "threads")->setValue(7);
        control<QAction>(w.get(), "Socks51")->trigger();
        control<QToolButton>(w.get(), "log_close")->click();
        EXPECT_FALSE(control<QWidget>(w.get(), "log_panel")->isVisibleTo(w.get()));
        EXPECT_FALSE(control<QAction>(w.get(), "LogWindow1")->isChecked());
        w->ExitApplication();
    }
    EXPECT_EQ(stored().value(QStringLiteral("Settings/LogWindow")).toString(), QStringLiteral("0"));
    EXPECT_EQ(stored().value(QStringLiteral("Settings/ConnectionType")).toString(),
              QStringLiteral("Socks5"));
    auto w = start();
    EXPECT_EQ(control<QSpinBox>(w.get(), "threads")->value(), 7);
    EXPECT_TRUE(control<QAction>(w.get(), "Socks51")->isChecked());
    EXPECT_FALSE(control<QWidget>(w.get(), "log_panel")->isVisibleTo(w.get()));
    EXPECT_FALSE(control<QAction>(w.get(), "LogWindow1")->isChecked());
}

TEST_F(MainWindowTest, ClosingTheWindowSavesAndKeepsRunningBehindTheTray) {
    auto w = start();
    w->SetTrayAvailable(true);
    control<QSpinBox>(w.get(), "threads")->setValue(9);
    w->close();
    spinFor(20);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(stored().value(QStringLiteral("Settings/ThreadsAllowed")).toString(),
              QStringLiteral("9"));
    EXPECT_TRUE(QFileInfo::exists(dataDir() + AppPaths::kWorkingQueueFile));
    control<QAction>(w.get(), "trayOpen")->trigger();
    EXPECT_TRUE(w->isVisible());
    control<QAction>(w.get(), "trayExit")->trigger();
    EXPECT_EQ(quits, 1);

    // No notification area: closing ends the program instead of hiding it for good.
    auto other = start();
    other->SetTrayAvailable(false);
    other->close();
    EXPECT_EQ(quits, 2);
}

TEST_F(MainWindowTest, ASecondInstanceEndsBeforeItOpensAWindow) {
    QProcess first;
    first.start(QStringLiteral(QUILLON_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitFor(
        [] { return QFileInfo::exists(scratchDir() + QStringLiteral("/data/1Quillon/sites.usm")); },
        10000));
    QFile::remove(dataDir() + SiteTree::kFileName);
    QProcess second;
    second.start(QStringLiteral(QUILLON_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_FALSE(QFileInfo::exists(dataDir() + SiteTree::kFileName)); // touched nothing
    first.terminate();
    first.waitForFinished(5000);
}

QColor colourOfLine(QTextEdit* edit, int line) {
    const QTextBlock block = edit->document()->findBlockByNumber(line);
    return block.begin().fragment().charFormat().foreground().color();
}

TEST_F(MainWindowTest, LogColoursAndThePasswordMask) {
    auto w = start();
    SessionLog& log = w->Log();
    log.traceLine(QStringLiteral("> PASS secret"));
    log.traceLine(QStringLiteral("> pass Secret2"));
    log.traceLine(QStringLiteral("< 230 Logged in"));
    log.traceLine(QStringLiteral("> LIST <dir>"));
    log.traceLine(QStringLiteral("! 10 bytes received"));
    log.appendLine(QStringLiteral("Session Closed"), SessionLog::Error);
    ASSERT_EQ(log.lines().size(), 5);
    EXPECT_EQ(log.lines()[0].text, QStringLiteral("> PASS *******"));
    EXPECT_EQ(log.lines()[1].text, QStringLiteral("> PASS *******"));
    EXPECT_FALSE(
        control<QTextEdit>(w.get(), "ftplog")->toPlainText().contains(QStringLiteral("ecret")));
    EXPECT_EQ(log.lines()[0].colour, 16711680);
    EXPECT_EQ(log.lines()[2].colour, 32768);
    EXPECT_EQ(log.lines()[3].colour, 16711680); // both marks: a command
    EXPECT_EQ(log.lines()[4].colour, 255);
    EXPECT_EQ(colourOfLine(control<QTextEdit>(w.get(), "ftplog"), 4), QColor(255, 0, 0));

    // A new error colour, once confirmed with OK, colours only the lines that follow.
    settingsDialog(w.get())->colourControl(Setting::ErrorMsgColor)->setValue(0x00ff00);
    control<QPushButton>(settingsDialog(w.get()), "setOK")->click();
    log.appendLine(QStringLiteral("Session Closed"), SessionLog::Error);
    EXPECT_EQ(log.lines()[4].colour, 255);
    EXPECT_EQ(log.lines()[5].colour, 0x00ff00);
    EXPECT_EQ(colourOfLine(control<QTextEdit>(w.get(), "ftplog"), 4), QColor(255, 0, 0));
    EXPECT_EQ(colourOfLine(control<QTextEdit>(w.get(), "ftplog"), 5), QColor(0, 255, 0));
    // Any other kind keeps the colour the line before left.
    log.appendLine(QStringLiteral("plain"), 9);
    EXPECT_EQ(log.lines()[6].colour, 0x00ff00);

    const QString path = scratchDir() + QStringLiteral("/session.log");
    ASSERT_TRUE(log.save(path));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        saved.readAll().startsWith("> PASS *******\r\n> PASS *******\r\n< 230 Logged in\r\n"));

    log.clear();
    EXPECT_TRUE(control<QTextEdit>(w.get(), "ftplog")->toPlainText().isEmpty());
    ASSERT_TRUE(log.save(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

struct RecordingPane : PaneCommands {
    QStringList calls;
    void Cut() override { calls << QStringLiteral("cut"); }
    void Delete() override { calls << QStringLiteral("delete"); }
    void Copy() override { calls << QStringLiteral("copy"); }
    void Rename() override { calls << QStringLiteral("rename"); }
};

TEST_F(MainWindowTest, CommandsGoToTheFocusedPaneOnly) {
    auto w = start();
    RecordingPane local, remote;
    w->SetLocalCommands(&local);
    w->SetRemoteCommands(&remote);
    QApplication::setActiveWindow(w.get());
    control<QTreeWidget>(w.get(), "remoteListView")->setEnabled(true);

    control<QLineEdit>(w.get(), "Quickhost")->setFocus(); // neither list
    spinFor(10);
    for (QAction* a :
         {control<QAction>(w.get(), "Cut1"), control<QAction>(w.get(), "Cut_Button"),
          control<QAction>(w.get(), "Delete_Button"), control<QAction>(w.get(), "Rename_Button"),
          control<QAction>(w.get(), "View_Button"), control<QAction>(w.get(), "Open_Button"),
          control<QAction>(w.get(), "Paste1")}) {
        a->setEnabled(true);
        a->trigger();
    }
    EXPECT_TRUE(local.calls.isEmpty());
    EXPECT_TRUE(remote.calls.isEmpty());

    control<QTreeView>(w.get(), "localListView")->setFocus();
    spinFor(10);
    ASSERT_TRUE(control<QTreeView>(w.get(), "localListView")->hasFocus());
    control<QAction>(w.get(), "Cut1")->trigger();
    control<QAction>(w.get(), "Copy_Button")->setEnabled(true);
    control<QAction>(w.get(), "Copy_Button")->trigger();
    EXPECT_EQ(local.calls, (QStringList{"cut", "copy"}));

    control<QTreeWidget>(w.get(), "remoteListView")->setFocus();
    spinFor(10);
    // Leaving the local list turns its commands off; the remote pane's selection turns
    // them on again.
    EXPECT_FALSE(control<QAction>(w.get(), "Delete_Button")->isEnabled());
    control<QAction>(w.get(), "Delete_Button")->setEnabled(true);
    control<QAction>(w.get(), "Delete_Button")->trigger();
    control<QAction>(w.get(), "Copy_Button")->trigger(); // copy is for the local pane only
    EXPECT_EQ(remote.calls, QStringList{"delete"});
}

TEST_F(MainWindowTest, ViewTogglesAndTheSettingsButton) {
    auto w = start();
    control<QAction>(w.get(), "QuickBar1")->trigger();
    EXPECT_TRUE(control<QWidget>(w.get(), "Quickpanel")->isVisibleTo(w.get()));
    EXPECT_TRUE(control<QAction>(w.get(), "QuickConnect_Button")->isChecked());
    control<QAction>(w.get(), "QuickConnect_Button")->trigger();
    EXPECT_FALSE(control<QWidget>(w.get(), "Quickpanel")->isVisibleTo(w.get()));
    EXPECT_FALSE(control<QAction>(w.get(), "QuickBar1")->isChecked());

    control<QAction>(w.get(), "Toolbar1")->trigger();
    EXPECT_FALSE(control<QToolBar>(w.get(), "Main_Toolbar")->isVisibleTo(w.get()));
    EXPECT_FALSE(control<QAction>(w.get(), "Toolbar1")->isChecked());
    QTimer::singleShot(100, w.get(), [&] { settingsDialog(w.get())->reject(); });
    control<QAction>(w.get(), "Settings_Button")->trigger();
    EXPECT_TRUE(control<QToolBar>(w.get(), "Main_Toolbar")->isVisibleTo(w.get()));
    EXPECT_TRUE(control<QAction>(w.get(), "Toolbar1")->isChecked());

    control<QAction>(w.get(), "QueueWindow1")->trigger();
    EXPECT_FALSE(control<QWidget>(w.get(), "Panel1")->isVisibleTo(w.get()));
    control<QToolButton>(w.get(), "SpeedButton1")->click(); // already hidden: stays hidden
    EXPECT_FALSE(control<QAction>(w.get(), "QueueWindow1")->isChecked());
    control<QAction>(w.get(), "LocalTab1")->trigger();
    EXPECT_FALSE(control<QWidget>(w.get(), "thread_panel")->isVisibleTo(w.get()));
}

TEST_F(MainWindowTest, EnterInAQuickConnectFieldConnects) {
    auto w = start();
    int connects = 0;
    QObject::connect(control<QuickConnectBar>(w.get(), "Quickpanel"),
                     &QuickConnectBar::connectRequested, [&] { ++connects; });
    for (QLineEdit* field :
         {control<QLineEdit>(w.get(), "Quickhost"), control<QLineEdit>(w.get(), "QuickUser"),
          control<QLineEdit>(w.get(), "Quickpass"), control<QLineEdit>(w.get(), "quickport")}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(field, &press);
    }
    EXPECT_EQ(connects, 4);
}

TEST_F(MainWindowTest, KeepAliveBoxAndMenuFollowEachOther) {
    auto w = start();
    // The program's settings, which the session reads, follow both.
    control<QAction>(w.get(), "NOOPCommand1")->trigger();
    EXPECT_FALSE(control<QAction>(w.get(), "NOOPCommand1")->isChecked());
    EXPECT_FALSE(settingsDialog(w.get())->keepAlive()->isChecked());
    EXPECT_FALSE(w->Settings().flag(Setting::NOOP));
    settingsDialog(w.get())->keepAlive()->click();
    EXPECT_TRUE(control<QAction>(w.get(), "NOOPCommand1")->isChecked());
    EXPECT_TRUE(w->Settings().flag(Setting::NOOP));
}

TEST_F(MainWindowTest, At1024By700EveryToolbarButtonFits) {
    auto w = start();
    w->showNormal();
    w->resize(1024, 700);
    spinFor(100);
    auto* toolbar = control<QToolBar>(w.get(), "Main_Toolbar");
    EXPECT_EQ(toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    // No button is hidden behind the toolbar's extension arrow.
    auto* more = toolbar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    EXPECT_TRUE(!more || !more->isVisible());
    w->resize(1400, 900);
    spinFor(50);
    EXPECT_EQ(toolbar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
}

TEST_F(MainWindowTest, TheLogTakesAThirdOfTheRightSideUntilTheUserMovesIt) {
    auto w = start();
    w->resize(1280, 800);
    spinFor(50);
    auto* splitter = control<QSplitter>(w.get(), "log_splitter");
    const QList<int> sizes = splitter->sizes();
    ASSERT_EQ(sizes.size(), 2);
    const int total = control<QWidget>(w.get(), "Panel4")->height();
    const int tenLines = 10 * control<QWidget>(w.get(), "log_panel")->fontMetrics().lineSpacing();
    EXPECT_GE(sizes[1], std::min(tenLines, total / 2)) << sizes[0] << " " << sizes[1];
    EXPECT_NEAR(sizes[1], std::max(total / 3, tenLines + 30), 12) << sizes[0] << " " << sizes[1];
    // Once the user has moved it, a resize of the window no longer puts it back.
    splitter->setSizes({total - 80, 80});
    emit splitter->splitterMoved(total - 80, 1);
    w->resize(1200, 760);
    spinFor(50);
    EXPECT_LT(splitter->sizes()[1], tenLines);
}

TEST_F(MainWindowTest, ShowingTheSettingsDialogPutsBackTheViewsAsTheMenuLeftThem) {
    auto w = start();
    w->ExitApplication(); // stores the views as they are: all shown
    control<QAction>(w.get(), "Toolbar1")->trigger();
    control<QAction>(w.get(), "LogWindow1")->trigger();
    ASSERT_FALSE(control<QToolBar>(w.get(), "Main_Toolbar")->isVisibleTo(w.get()));
    QTimer::singleShot(100, w.get(), [&] {
        settingsDialog(w.get())->findChild<QPushButton*>(QStringLiteral("setCancel"))->click();
    });
    control<QAction>(w.get(), "Settings1")->trigger();
    // The menu's toggles were stored as they were made.
    EXPECT_FALSE(control<QToolBar>(w.get(), "Main_Toolbar")->isVisibleTo(w.get()));
    EXPECT_FALSE(control<QWidget>(w.get(), "log_panel")->isVisibleTo(w.get()));
    EXPECT_FALSE(control<QAction>(w.get(), "LogWindow1")->isChecked());
}

TEST_F(MainWindowTest, ExtensionListEditing) {
    auto w = start();
    TGlobalSettings* d = settingsDialog(w.get());
    auto* edit = d->findChild<QLineEdit*>(QStringLiteral("New_Extension"));
    auto* add = d->findChild<QPushButton*>(QStringLiteral("add_extension"));
    auto* remove = d->findChild<QPushButton*>(QStringLiteral("remove_extension"));
    auto* list = d->findChild<QListWidget*>(QStringLiteral("Ascii_Extensions"));
    ASSERT_TRUE(edit && add && remove && list);
    EXPECT_FALSE(add->isEnabled());
    edit->setText(QStringLiteral("log"));
    EXPECT_TRUE(add->isEnabled());
    add->click();
    edit->setText(QStringLiteral(".TXT"));
    add->click();
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    EXPECT_TRUE(items.contains(QStringLiteral(".log")));
    EXPECT_TRUE(items.contains(QStringLiteral(".TXT")));
    EXPECT_FALSE(remove->isEnabled());
    list->findItems(QStringLiteral(".log"), Qt::MatchExactly).first()->setSelected(true);
    EXPECT_TRUE(remove->isEnabled());
    remove->click();
    EXPECT_TRUE(list->findItems(QStringLiteral(".log"), Qt::MatchExactly).isEmpty());
    // Entries remain, so the button stays usable; only an empty list disables it.
    EXPECT_TRUE(remove->isEnabled());
    QListWidget copy; // the list as it was, to put back before OK
    for (int i = 0; i < list->count(); ++i)
        copy.addItem(list->item(i)->text());
    list->selectAll();
    remove->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(remove->isEnabled());
    for (int i = 0; i < copy.count(); ++i)
        list->addItem(copy.item(i)->text());

    d->findChild<QPushButton*>(QStringLiteral("setOK"))->click();
    stored().beginGroup(QStringLiteral("Settings/AsciiExtensions"));
    const QStringList keys = stored().childKeys();
    stored().endGroup();
    // .txt and .TXT are one stored value.
    EXPECT_EQ(keys.filter(QStringLiteral(".txt"), Qt::CaseInsensitive).size(), 1);
    EXPECT_FALSE(keys.contains(QStringLiteral(".log")));
}

TEST_F(MainWindowTest, SettingsThatCannotBeReadAreReportedOnceWithTheValuesReset) {
    stored().setValue(QStringLiteral("Settings/ToolBar"), QStringLiteral("yes"));
    stored().setValue(QStringLiteral("Settings/ThreadsAllowed"), QStringLiteral("many"));
    stored().sync();
    auto w = start();
    auto* box = control<QMessageBox>(w.get(), "settings_problems");
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_TRUE(box->text().contains(QLatin1String("ToolBar (\"yes\")")))
        << box->text().toStdString();
    EXPECT_TRUE(box->text().contains(QLatin1String("ThreadsAllowed (\"many\")")));
    EXPECT_TRUE(box->text().contains(QLatin1String("3 is used instead")));
    box->close();
    spinFor(20);
    // Showing the settings dialog again does not repeat it.
    QTimer::singleShot(100, w.get(), [&] { settingsDialog(w.get())->reject(); });
    control<QAction>(w.get(), "Settings1")->trigger();
    spinFor(20);
    EXPECT_EQ(w->findChildren<QMessageBox*>(QStringLiteral("settings_problems")).size(), 0);
}

TEST_F(MainWindowTest, TheEditMenuReachesTheRemotePane) {
    auto w = start();
    remotePane(w.get())->ShowRows({RemoteRow{"a", "1.00", "X", {}, {}, {}, {}, false},
                                   RemoteRow{"b", "1.00", "X", {}, {}, {}, {}, false},
                                   RemoteRow{"c", "1.00", "X", {}, {}, {}, {}, false}});
    auto* list = control<QTreeWidget>(w.get(), "remoteListView");
    list->setEnabled(true);
    QApplication::setActiveWindow(w.get());
    list->setFocus();
    spinFor(10);
    ASSERT_TRUE(list->hasFocus());
    control<QAction>(w.get(), "SelectAll1")->trigger();
    EXPECT_EQ(list->selectedItems().size(), 3);
    list->topLevelItem(1)->setSelected(false);
    control<QAction>(w.get(), "InvertSelection1")->trigger();
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().first()->text(0), QStringLiteral("b"));
}

TEST_F(MainWindowTest, TheSecondPasteButtonPastesIntoTheFocusedPane) {
    auto w = start();
    auto* paste = control<QAction>(w.get(), "BMShapedButton1");
    EXPECT_EQ(paste->toolTip(), QStringLiteral("Paste"));
    EXPECT_TRUE(control<QToolBar>(w.get(), "Main_Toolbar")->actions().contains(paste));
    struct Pasting : PaneCommands {
        int pastes = 0;
        void Paste() override { ++pastes; }
    } local;
    w->SetLocalCommands(&local);
    QApplication::setActiveWindow(w.get());
    control<QTreeView>(w.get(), "localListView")->setFocus();
    spinFor(10);
    paste->setEnabled(true);
    paste->trigger();
    EXPECT_EQ(local.pastes, 1);
}

TEST_F(MainWindowTest, TheLogsShortcutsWorkWheneverItHasTheFocus) {
    auto w = start();
    w->Log().appendLine(QStringLiteral("first"), SessionLog::Information);
    auto* log = control<QTextEdit>(w.get(), "ftplog");
    QApplication::setActiveWindow(w.get());
    log->setFocus();
    spinFor(10);
    ASSERT_TRUE(log->hasFocus());
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QKeyEvent delUp(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(log, &del);
    QApplication::sendEvent(log, &delUp);
    EXPECT_TRUE(w->Log().lines().isEmpty());
    EXPECT_TRUE(log->toPlainText().isEmpty());
}

TEST_F(MainWindowTest, TheTrayIconRestoresTheWindowOnADoubleClickOnly) {
    auto w = start();
    w->SetTrayAvailable(true);
    w->close();
    spinFor(20);
    ASSERT_FALSE(w->isVisible());
    auto* tray = control<QSystemTrayIcon>(w.get(), "sxTrayIcon1");
    emit tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(w->isVisible());
    emit tray->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowTest, ShowingTheSettingsDialogKeepsTheViewsTheUserChoseFromTheMenu) {
    auto w = start();
    control<QAction>(w.get(), "QuickBar1")->trigger();
    ASSERT_TRUE(control<QWidget>(w.get(), "Quickpanel")->isVisibleTo(w.get()));
    // A toggle from the View menu is stored: the dialog puts back what the user sees.
    QTimer::singleShot(100, w.get(), [&] { settingsDialog(w.get())->reject(); });
    control<QAction>(w.get(), "Settings1")->trigger();
    EXPECT_TRUE(control<QWidget>(w.get(), "Quickpanel")->isVisibleTo(w.get()));
    EXPECT_TRUE(control<QAction>(w.get(), "QuickBar1")->isChecked());
    control<QAction>(w.get(), "QuickBar1")->trigger();
    QTimer::singleShot(100, w.get(), [&] { settingsDialog(w.get())->reject(); });
    control<QAction>(w.get(), "Settings1")->trigger();
    EXPECT_FALSE(control<QWidget>(w.get(), "Quickpanel")->isVisibleTo(w.get()));
    // The log closed with its button stays closed in the next run too.
    control<QToolButton>(w.get(), "log_close")->click();
    w.reset();
    auto again = start();
    EXPECT_FALSE(control<QWidget>(again.get(), "log_panel")->isVisibleTo(again.get()));
    control<QAction>(again.get(), "LogWindow1")->trigger();
}

TEST_F(MainWindowTest, TheQuickBarAndTheLogSplitterAreKeptButNeverThePassword) {
    auto w = start();
    control<QLineEdit>(w.get(), "Quickhost")->setText("127.0.0.1");
    control<QLineEdit>(w.get(), "quickport")->setText("1"); // nothing listens: refused
    control<QLineEdit>(w.get(), "QuickUser")->setText("alice");
    control<QLineEdit>(w.get(), "Quickpass")->setText("secret-word");
    control<QToolButton>(w.get(), "quick_connect")->click();
    spinFor(300);
    auto* splitter = control<QSplitter>(w.get(), "log_splitter");
    splitter->setSizes({300, 200});
    const QList<int> kept = splitter->sizes();
    control<QAction>(w.get(), "log_times")->trigger();
    w->SaveAllState();
    w.reset();

    auto again = start();
    EXPECT_EQ(control<QLineEdit>(again.get(), "Quickhost")->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(control<QLineEdit>(again.get(), "quickport")->text(), QStringLiteral("1"));
    EXPECT_EQ(control<QLineEdit>(again.get(), "QuickUser")->text(), QStringLiteral("alice"));
    EXPECT_NE(control<QLineEdit>(again.get(), "Quickpass")->text(), QStringLiteral("secret-word"));
    EXPECT_EQ(again->findChild<QuickConnectBar*>()->recentHosts(), QStringList{"127.0.0.1"});
    EXPECT_TRUE(control<QAction>(again.get(), "log_times")->isChecked());
    EXPECT_EQ(control<QSplitter>(again.get(), "log_splitter")->sizes(), kept);
    // The settings file never holds the typed password.
    QFile file(SettingsStore().fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("secret-word"));
    // With time stamps each log line starts with the time it was logged.
    again->Log().appendLine("a line", SessionLog::Information);
    const QString text = control<QTextEdit>(again.get(), "ftplog")->toPlainText();
    EXPECT_TRUE(QRegularExpression("\\d\\d:\\d\\d:\\d\\d a line").match(text).hasMatch())
        << text.toStdString();
}

TEST_F(MainWindowTest, ASecondStartBringsTheRunningWindowToTheFront) {
    auto w = start();
    w->SetTrayAvailable(true);
    w->close(); // behind the tray
    spinFor(20);
    ASSERT_FALSE(w->isVisible());
    const QString folder = scratchDir() + QStringLiteral("/instance");
    QDir().mkpath(folder);
    SingleInstance first(folder);
    ASSERT_TRUE(first.claim());
    first.onLaterCopy = [&] { w->BringToFront(); };
    SingleInstance second(folder);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(waitFor([&] { return w->isVisible(); }));
}

TEST_F(MainWindowTest, RemoteColumnsFitASizeAndADateInTheDesktopFont) {
    auto w = start();
    auto* list = control<QTreeWidget>(w.get(), "remoteListView");
    const QFontMetrics metrics = list->fontMetrics();
    EXPECT_GT(list->columnWidth(1), metrics.horizontalAdvance(QStringLiteral("262144.00")));
    EXPECT_GT(list->columnWidth(3), metrics.horizontalAdvance(QStringLiteral("12/31/2000 23:59")));
    EXPECT_GE(list->columnWidth(0), 200);
}

TEST_F(MainWindowTest, TheQueueViewsShowTheQueueModels) {
    auto w = start();
    queue_manager& queues = w->Queues();
    QueueItem* done =
        queues.AddItem(queues.Queue(), "download", "/l/a", "/pub/a", "10", "h", "u", "p", false);
    queues.SetCount(queues.Queue(), done, "status", 100);
    queues.AddItem(queues.Queue(), "upload", "/l/b", "/pub/b", "20", "h", "u", "p", false);
    auto* view = control<QTreeView>(w.get(), "queue");
    ASSERT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->index(1, 1).data().toString(), QStringLiteral("<--"));
    const int widths[] = {215, 55, 220, 85, 100, 76};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(view->columnWidth(c), widths[c]) << c;
    for (int c : {6, 7, 8})
        EXPECT_TRUE(view->isColumnHidden(c)) << c;
    auto* failed = control<QTreeView>(w.get(), "fail_queue");
    EXPECT_EQ(failed->model()->columnCount(), 10);
    EXPECT_EQ(failed->columnWidth(9), 500);

    // The status cell of a finished item is filled with the 100 % colour.
    control<QTabWidget>(w.get(), "queue_pages")->setCurrentIndex(0);
    view->resize(900, 200);
    spinFor(20);
    const QRect cell = view->visualRect(view->model()->index(0, 4));
    const QImage shot = view->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(cell.left() + 5, cell.center().y()).rgb(),
              ColourFromWin(0xFFFF - 200).rgb());
}

// Accepts the next file dialog named `name` with `path`, as a user would.
void chooseFileInNextDialog(const char* name, const QString& path) {
    QTimer::singleShot(0, [name, path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String(name))
            return chooseFileInNextDialog(name, path);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

TEST_F(MainWindowTest, EveryQueueStateHasItsIconAndFailedOrSkippedRowsStandOut) {
    // States that mean different things to the user look different.
    const std::pair<QueueState, QueueState> distinct[] = {
        {FileWaiting, FileActive},      {FileActive, DownloadDone},
        {DownloadDone, Failed},         {Failed, Skipped},
        {Skipped, FileWaiting},         {FolderWaiting, FolderActive},
        {FolderActive, FolderCancelled}};
    for (const auto& [a, b] : distinct)
        EXPECT_NE(QueueStateIconName(a), QueueStateIconName(b)) << a << " " << b;
    for (QueueState state : {FolderWaiting, FolderActive, FolderExpanded, DownloadFolderDone,
                             UploadFolderDone, FolderCancelled, FileWaiting, FileActive,
                             DownloadDone, UploadDone, Failed, Skipped, FileCancelled}) {
        EXPECT_FALSE(QueueRowDelegate::iconFor(state).isNull()) << state;
        EXPECT_EQ(QueueRowDelegate::textColourFor(state).isValid(),
                  state == Failed || state == Skipped || state == FileCancelled ||
                      state == FolderCancelled)
            << state;
    }
    auto w = start();
    queue_manager& queues = w->Queues();
    QueueItem* item = queues.AddItem(queues.Queue(), "download", "/l/a.txt", "/pub/a.txt", "6", "h",
                                     "u", "p", false);
    QAbstractItemModel* model = control<QTreeView>(w.get(), "queue")->model();
    EXPECT_EQ(model->index(0, 0).data(QueueModel::kIconNameRole).toString(),
              QueueStateIconName(FileWaiting));
    // The row's hint says the file goes in ASCII, which converts its line ends.
    EXPECT_TRUE(model->index(0, 0).data(Qt::ToolTipRole).toString().contains("ASCII"));
    queues.Queue().setState(item, Skipped);
    EXPECT_TRUE(model->index(0, 3).data(QueueModel::kAttentionRole).toBool());
}

TEST_F(MainWindowTest, AFailureIsSaidInTheStatusBarAndOnceThroughTheTrayWhileHidden) {
    auto w = start();
    w->SetTrayAvailable(true);
    QStringList told;
    w->trayMessage = [&](const QString& text) { told << text; };
    queue_manager& queues = w->Queues();
    QueueItem* a =
        queues.AddItem(queues.Queue(), "upload", "/l/a", "/ro/a", "1", "h", "u", "p", false);
    QueueItem* b =
        queues.AddItem(queues.Queue(), "upload", "/l/b", "/ro/b", "1", "h", "u", "p", false);
    queues.CopyToFailedQueue(a, "553 Could not create file.");
    auto* status = control<QLabel>(w.get(), "status_left");
    EXPECT_TRUE(status->text().contains("/ro/a")) << status->text().toStdString();
    EXPECT_TRUE(status->text().contains("553 Could not create file."));
    EXPECT_TRUE(told.isEmpty()); // the window is on screen

    w->close(); // into the tray
    ASSERT_FALSE(w->isVisible());
    queues.CopyToFailedQueue(b, "553 Could not create file.");
    queues.CopyToFailedQueue(b, "553 Could not create file.");
    ASSERT_EQ(told.size(), 1); // once, not once per failure
    EXPECT_TRUE(told.first().contains("/ro/b"));
    EXPECT_EQ(control<QTabWidget>(w.get(), "queue_pages")->tabText(1),
              QStringLiteral("Failed Queue (3)"));
    // A row the user moves there is no failure.
    w->BringToFront();
    queues.CopyToFailedQueue(a, "");
    EXPECT_TRUE(status->text().contains("/ro/b"));
}

TEST_F(MainWindowTest, QueueCommandsMoveSubmitExportAndImport) {
    auto w = start();
    queue_manager& queues = w->Queues();
    queues.AddItem(queues.Queue(), "download", "/l/a", "/pub/a", "10", "h", "u", "p", false);
    queues.AddItem(queues.Queue(), "download", "/l/b", "/pub/b", "20", "h", "u", "p", false);
    auto* view = control<QTreeView>(w.get(), "queue");
    auto* failed = control<QTreeView>(w.get(), "fail_queue");
    view->selectionModel()->select(view->model()->index(0, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    control<QAction>(w.get(), "Queue_AddtoFailedQueue")->trigger();
    ASSERT_EQ(failed->model()->rowCount(), 1);
    EXPECT_EQ(failed->model()->index(0, 0).data().toString(), QStringLiteral("/pub/a"));
    ASSERT_EQ(view->model()->rowCount(), 1); // moved, not copied
    auto* pages = control<QTabWidget>(w.get(), "queue_pages");
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Failed Queue (1)"));

    failed->selectionModel()->select(failed->model()->index(0, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    control<QAction>(w.get(), "Failed_Queue_Submit_Selected")->trigger();
    EXPECT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(failed->model()->rowCount(), 1); // the failed item stays

    // Export the working queue, then import it into the failed queue.
    const QString path = scratchDir() + QStringLiteral("/exported.uque");
    QFile::remove(path);
    chooseFileInNextDialog("save_queue", path);
    control<QToolButton>(w.get(), "Queue_SaveToFile_Button")->click();
    ASSERT_TRUE(QFileInfo::exists(path));
    chooseFileInNextDialog("load_queue", path);
    control<QToolButton>(w.get(), "Failed_Queue_Import_Button")->click();
    EXPECT_EQ(failed->model()->rowCount(), 2);
    EXPECT_EQ(failed->model()->index(0, 0).data().toString(), QStringLiteral("/pub/b"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Failed Queue (2)"));
    // The import reset the model: the site columns stay hidden, no gap before Error.
    for (int c : {6, 7, 8})
        EXPECT_TRUE(failed->isColumnHidden(c)) << c;

    // With processing stopped, submitting starts no transfer for these made-up sites.
    control<QToolButton>(w.get(), "Queue_ToggleProcessing")->click();
    EXPECT_EQ(control<QToolButton>(w.get(), "Queue_ToggleProcessing")->toolTip(),
              QStringLiteral("Enable Queue Processing"));
    // The working queue is not empty: the user is asked, and No keeps both queues.
    answerNextQuestion(QMessageBox::No);
    control<QToolButton>(w.get(), "Failed_Queue_Submit_Button")->click();
    EXPECT_EQ(failed->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), QStringLiteral("/pub/b"));
    answerNextQuestion(QMessageBox::Yes);
    control<QToolButton>(w.get(), "Failed_Queue_Submit_Button")->click();
    EXPECT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->index(0, 0).data(QueueModel::kStateRole).toInt(), FileWaiting);
    EXPECT_EQ(failed->model()->rowCount(), 0);
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Failed Queue"));
    for (int c : {6, 7, 8})
        EXPECT_TRUE(view->isColumnHidden(c)) << c;
    control<QToolButton>(w.get(), "Queue_Clear_Button")->click();
    EXPECT_EQ(view->model()->rowCount(), 0);
    EXPECT_EQ(control<QMenu>(w.get(), "queue_popup")->actions().size(), 8);
    EXPECT_EQ(control<QAction>(w.get(), "Queue_CancelTransfer")->text(),
              QStringLiteral("Cancel Selected Transfer"));
    EXPECT_EQ(control<QAction>(w.get(), "Queue_SaveQueueToFile")->text(),
              QStringLiteral("Save Queue to File"));
    EXPECT_EQ(control<QToolButton>(w.get(), "Failed_Queue_Submit_Button")->toolTip(),
              QStringLiteral("Submit for Transfer"));
}

} // namespace
