#include "FakeFtpServer.h"
#include "Main.h"
#include "NavigationManager.h"
#include "RealServerTest.h"
#include "Scratch.h"
#include "ScriptedWindowTest.h"
#include "WindowControls.h"

#include "SettingsDialog.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QStringList rowNames(QTreeWidget* list) {
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        names << list->topLevelItem(i)->text(0);
    names.sort();
    return names;
}

class RemoteSessionTest : public RealServerTest {
protected:
    void SetUp() override {
        RealServerTest::SetUp();
        if (stopped()) return;
        QDir(server.root).mkpath(QStringLiteral("pub/deeper"));
        QFile f(server.root + QStringLiteral("/pub/readme.txt"));
        f.open(QIODevice::WriteOnly);
        f.write("hello");
        f.close();
        QFile top(server.root + QStringLiteral("/top.bin"));
        top.open(QIODevice::WriteOnly);
        top.write(QByteArray(1536, 'x'));
        top.close();
        clearStoredSettings();
        w = std::make_unique<TMainform>();
        w->quitApplication = [] {};
        w->FormCreate();
        w->CreateDialogs();
        control<QLineEdit>(w.get(), "Quickhost")->setText(QStringLiteral("127.0.0.1"));
        control<QLineEdit>(w.get(), "QuickUser")->setText(server.user);
        control<QLineEdit>(w.get(), "Quickpass")->setText(server.password);
        control<QLineEdit>(w.get(), "quickport")->setText(QString::number(server.port));
    }
    void TearDown() override {
        if (w && w->Navigation()) w->Navigation()->CloseSession();
    }
    bool idleWithRows() {
        return waitFor(
            [&] {
                return w->Navigation()->IsIdle() &&
                       control<QTreeWidget>(w.get(), "remoteListView")->isEnabled() &&
                       control<QTreeWidget>(w.get(), "remoteListView")->topLevelItemCount() > 0;
            },
            15000);
    }
    QString log() const { return control<QTextEdit>(w.get(), "ftplog")->toPlainText(); }

    std::unique_ptr<TMainform> w;
};

TEST_P(RemoteSessionTest, QuickConnectListsTheLoginFolderAndBrowses) {
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(idleWithRows()) << log().toStdString();
    EXPECT_EQ(rowNames(control<QTreeWidget>(w.get(), "remoteListView")),
              (QStringList{"pub", "top.bin"}));
    const QString text = log();
    EXPECT_TRUE(text.contains(QStringLiteral("> PWD")));
    EXPECT_TRUE(text.contains(QStringLiteral("> TYPE A")));
    EXPECT_TRUE(text.contains(QStringLiteral("> LIST -L")));
    EXPECT_TRUE(text.contains(QStringLiteral("> PASS *******")));
    EXPECT_FALSE(text.contains(server.password));
    EXPECT_TRUE(text.contains(QStringLiteral("Connecting to 127.0.0.1.....")));
    const QString home = w->Navigation()->DisplayedDirectory();
    EXPECT_EQ(control<QComboBox>(w.get(), "remoteadd")->currentText(), home);
    EXPECT_TRUE(control<QAction>(w.get(), "Abort_Button")->isEnabled());
    EXPECT_TRUE(control<QAction>(w.get(), "Reconnect_Button")->isEnabled());

    // Into a folder by double-click, then one level up again.
    QTreeWidgetItem* pub = control<QTreeWidget>(w.get(), "remoteListView")
                               ->findItems(QStringLiteral("pub"), Qt::MatchExactly)
                               .first();
    EXPECT_EQ(pub->text(2), QStringLiteral("File Folder"));
    pub->setSelected(true);
    emit control<QTreeWidget>(w.get(), "remoteListView")->itemDoubleClicked(pub, 0);
    ASSERT_TRUE(waitFor(
        [&] { return w->Navigation()->DisplayedDirectory().endsWith(QLatin1String("/pub")); },
        15000));
    ASSERT_TRUE(idleWithRows());
    EXPECT_EQ(rowNames(control<QTreeWidget>(w.get(), "remoteListView")),
              (QStringList{"deeper", "readme.txt"}));
    control<QToolButton>(w.get(), "remote_up")->click();
    ASSERT_TRUE(waitFor([&] { return w->Navigation()->DisplayedDirectory() == home; }, 15000));
    ASSERT_TRUE(idleWithRows());

    // A folder fetched before comes from the cache, and nothing goes to the server.
    const QString pubPath = RemoteListing::join(home, QStringLiteral("pub"));
    const int commandsBefore = log().count(QStringLiteral("\n> "));
    w->Navigation()->ChangeDirectory(pubPath, false);
    EXPECT_TRUE(log().contains(QStringLiteral("Using Cached Listing for ") + pubPath));
    EXPECT_EQ(rowNames(control<QTreeWidget>(w.get(), "remoteListView")),
              (QStringList{"deeper", "readme.txt"}));
    spinFor(100);
    EXPECT_EQ(log().count(QStringLiteral("\n> ")), commandsBefore);
}

TEST_P(RemoteSessionTest, ASiteWithARemoteFolderOpensInIt) {
    w->Navigation()->OpenSession(QStringLiteral("127.0.0.1"), server.user, server.password,
                                 QString::number(server.port), QStringLiteral("pub"), QString(), 0);
    ASSERT_TRUE(idleWithRows()) << log().toStdString();
    EXPECT_EQ(rowNames(control<QTreeWidget>(w.get(), "remoteListView")),
              (QStringList{"deeper", "readme.txt"}));
    const QString text = log();
    const qsizetype cwd = text.indexOf(QStringLiteral("> CWD pub"));
    ASSERT_GE(cwd, 0);
    EXPECT_LT(cwd, text.indexOf(QStringLiteral("> PWD")));
    EXPECT_LT(text.indexOf(QStringLiteral("> PWD")), text.indexOf(QStringLiteral("> TYPE A")));
    EXPECT_LT(text.indexOf(QStringLiteral("> TYPE A")), text.indexOf(QStringLiteral("> LIST -L")));
    EXPECT_TRUE(w->Navigation()->DisplayedDirectory().endsWith(QLatin1String("/pub")));
}

TEST_P(RemoteSessionTest, ARejectedPasswordIsAnErrorAndLeavesThePaneLoggedOut) {
    // Logged in and browsing first, so that nothing of this session may be reused.
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(idleWithRows()) << log().toStdString();
    control<QLineEdit>(w.get(), "Quickpass")->setText(QStringLiteral("wrong-password"));
    answerNextQuestion(QMessageBox::Yes);
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(waitFor(
        [&] { return w->Log().lines().last().text.startsWith(QLatin1String("530")); }, 15000))
        << log().toStdString();
    spinFor(200);
    const SessionLog::Line& error = w->Log().lines().last();
    EXPECT_EQ(error.colour, w->Settings().integer(Setting::ErrorMsgColor));
    EXPECT_EQ(log().count(QStringLiteral("> PWD")), 1); // the first session's only
    EXPECT_FALSE(control<QTreeWidget>(w.get(), "remoteListView")->isEnabled());
    EXPECT_EQ(control<QTreeWidget>(w.get(), "remoteListView")->topLevelItemCount(), 0);
    EXPECT_TRUE(control<QComboBox>(w.get(), "remoteadd")->currentText().isEmpty());
    EXPECT_TRUE(control<QLabel>(w.get(), "status_left")
                    ->text()
                    .startsWith(QLatin1String("Not logged in: 530")))
        << control<QLabel>(w.get(), "status_left")->text().toStdString();
}

TEST_P(RemoteSessionTest, AnsweringNoKeepsTheSession) {
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(idleWithRows());
    const QStringList before = rowNames(control<QTreeWidget>(w.get(), "remoteListView"));
    answerNextQuestion(QMessageBox::No);
    control<QToolButton>(w.get(), "quick_connect")->click();
    spinFor(200);
    EXPECT_TRUE(w->Navigation()->IsConnected());
    EXPECT_EQ(rowNames(control<QTreeWidget>(w.get(), "remoteListView")), before);
    EXPECT_EQ(log().count(QStringLiteral("Connecting to")), 1);
}

INSTANTIATE_TEST_SUITE_P(Real, RemoteSessionTest, ::testing::Values("pyftpdlib", "vsftpd"),
                         [](const auto& info) { return std::string(info.param); });

TEST(QuickConnect, AnEmptyFieldShowsTheMessageAndSendsNothing) {
    clearStoredSettings();
    TMainform w;
    w.quitApplication = [] {};
    w.FormCreate();
    w.CreateDialogs();
    control<QLineEdit>(&w, "quickport")->clear();
    control<QLineEdit>(&w, "Quickhost")->setText(QStringLiteral("127.0.0.1"));
    control<QToolButton>(&w, "quick_connect")->click();
    spinFor(50);
    EXPECT_FALSE(
        control<QTextEdit>(&w, "ftplog")->toPlainText().contains(QStringLiteral("Connecting to")));
    EXPECT_EQ(w.Navigation()->Client().State(), ftpReady);
}

// A window with the scripted server, whose transcript shows every command.
class ScriptedSessionTest : public ScriptedWindowTest {
protected:
    void setDialogText(const char* name, const QString& text) {
        settingsDialog(w.get())->findChild<QLineEdit*>(QLatin1String(name))->setText(text);
    }
};

TEST_F(ScriptedSessionTest, StopSendsAborAtOnceDuringAListing) {
    server.keepDataOpen = true; // the listing never ends by itself
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line != QLatin1String("ABOR")) return false;
        s.send("426 Listing aborted\r\n226 ABOR command successful\r\n");
        return true;
    };
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(
        waitFor([&] { return server.transcript.contains(QStringLiteral("LIST -L")); }, 10000));
    EXPECT_TRUE(control<QAction>(w.get(), "Stop_Button")->isEnabled());
    control<QAction>(w.get(), "Stop_Button")->trigger();
    EXPECT_EQ(server.transcript.last(), QStringLiteral("ABOR"));
    ASSERT_TRUE(waitFor([&] { return w->Navigation()->Client().State() == ftpReady; }, 10000));
}

TEST_F(ScriptedSessionTest, KeepAliveSendsNoop) {
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(waitFor(
        [&] { return control<QTreeWidget>(w.get(), "remoteListView")->topLevelItemCount() == 1; },
        10000));
    ASSERT_TRUE(w->Navigation()->KeepAliveTimer().isActive()); // "NOOP Command" is checked
    w->Navigation()->KeepAliveTimer().setInterval(100);        // the product keeps 30 s
    ASSERT_TRUE(waitFor([&] { return server.transcript.contains(QStringLiteral("NOOP")); }, 5000));
    control<QAction>(w.get(), "NOOPCommand1")->trigger(); // unchecked: no more NOOPs
    EXPECT_FALSE(w->Navigation()->KeepAliveTimer().isActive());
}

TEST_F(ScriptedSessionTest, ProxyTakesTheRealHostInTheUserNameAndReconnectKeepsIt) {
    control<QAction>(w.get(), "Proxy1")->trigger();
    setDialogText("proxy_server", QStringLiteral("127.0.0.1"));
    setDialogText("proxy_port", server.port());
    control<QPushButton>(settingsDialog(w.get()), "setOK")->click();
    control<QLineEdit>(w.get(), "Quickhost")->setText(QStringLiteral("ftp.example.org"));
    control<QLineEdit>(w.get(), "quickport")->setText(QStringLiteral("21"));
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(waitFor(
        [&] { return control<QTreeWidget>(w.get(), "remoteListView")->topLevelItemCount() == 1; },
        10000));
    EXPECT_EQ(server.transcript.first(), QStringLiteral("USER alice@ftp.example.org"));
    EXPECT_EQ(w->Navigation()->Client().HostName(), QStringLiteral("127.0.0.1"));

    server.transcript.clear();
    answerNextQuestion(QMessageBox::Yes);
    control<QAction>(w.get(), "Reconnect_Button")->trigger();
    ASSERT_TRUE(
        waitFor([&] { return server.transcript.contains(QStringLiteral("LIST -L")); }, 10000));
    EXPECT_EQ(server.transcript.first(), QStringLiteral("USER alice@ftp.example.org"));
}

TEST_F(ScriptedSessionTest, ASiteFolderIsEnteredBeforeTheListing) {
    w->Navigation()->OpenSession(QStringLiteral("127.0.0.1"), QStringLiteral("alice"),
                                 QStringLiteral("pw"), server.port(), QStringLiteral("/pub"),
                                 QString(), 3);
    ASSERT_TRUE(waitFor(
        [&] { return control<QTreeWidget>(w.get(), "remoteListView")->topLevelItemCount() == 1; },
        10000));
    QStringList verbs;
    for (const QString& line : server.transcript)
        verbs << line.section(u' ', 0, 0);
    EXPECT_EQ(verbs, (QStringList{"USER", "PASS", "CWD", "PWD", "TYPE", "PORT", "LIST"}));
    EXPECT_EQ(server.transcript[2], QStringLiteral("CWD /pub"));
    EXPECT_EQ(server.transcript[4], QStringLiteral("TYPE A"));
    EXPECT_EQ(w->Navigation()->SiteIndex(), 3);
}

TEST_F(ScriptedSessionTest, AddressBoxRefreshAndHistory) {
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(waitFor(
        [&] { return control<QTreeWidget>(w.get(), "remoteListView")->topLevelItemCount() == 1; },
        10000));
    ASSERT_TRUE(waitFor([&] { return w->Navigation()->Client().State() == ftpReady; }));
    EXPECT_EQ(control<QComboBox>(w.get(), "remoteadd")->count(),
              1); // the history holds the folder fetched
    EXPECT_EQ(control<QComboBox>(w.get(), "remoteadd")->itemText(0), QStringLiteral("/home/test"));

    // Enter in the address box: a cached folder is shown without a command.
    const qsizetype sent = server.transcript.size();
    control<QComboBox>(w.get(), "remoteadd")->setEditText(QStringLiteral("/home/test"));
    ASSERT_TRUE(control<QComboBox>(w.get(), "remoteadd")->isEnabled());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(control<QComboBox>(w.get(), "remoteadd"),
                            &enter); // the box hands keys to its line edit
    EXPECT_EQ(control<QTextEdit>(w.get(), "ftplog")
                  ->toPlainText()
                  .count(QStringLiteral("Using Cached Listing for /home/test")),
              1)
        << control<QTextEdit>(w.get(), "ftplog")->toPlainText().toStdString() << "\n"
        << server.transcript.join('|').toStdString();
    spinFor(50);
    EXPECT_EQ(server.transcript.size(), sent);

    // Refresh fetches it again.
    control<QToolButton>(w.get(), "refresh_remote")->click();
    ASSERT_TRUE(waitFor(
        [&] {
            return server.transcript.size() > sent &&
                   server.transcript.last() == QLatin1String("LIST -L");
        },
        10000));
    EXPECT_EQ(server.transcript[sent], QStringLiteral("CWD /home/test"));
    EXPECT_EQ(control<QComboBox>(w.get(), "remoteadd")->count(), 1);
}

TEST_F(ScriptedSessionTest, AServerThatNeverGreetsEndsInAnErrorLineWhileTheWindowStaysResponsive) {
    server.banner.clear();
    control<QSpinBox>(settingsDialog(w.get()), "inactivity_timeout")->setValue(2);
    control<QPushButton>(settingsDialog(w.get()), "setOK")->click();
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(20);
    QElapsedTimer clock;
    clock.start();
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(waitFor(
        [&] {
            return control<QTextEdit>(w.get(), "ftplog")
                ->toPlainText()
                .contains(QStringLiteral("421 Timeout: no reply from the server for 2 s"));
        },
        6000));
    const qint64 elapsed = clock.elapsed();
    EXPECT_GE(elapsed, 1900);
    EXPECT_LT(elapsed, 4000);
    // The loop ran all along: about one tick every 20 ms.
    EXPECT_GT(ticks, elapsed / 20 / 2);
    EXPECT_FALSE(w->Navigation()->IsConnected());
    EXPECT_FALSE(control<QTreeWidget>(w.get(), "remoteListView")->isEnabled());
}

TEST_F(ScriptedSessionTest, DisconnectEmptiesAndDisablesThePane) {
    control<QToolButton>(w.get(), "quick_connect")->click();
    ASSERT_TRUE(waitFor(
        [&] { return control<QTreeWidget>(w.get(), "remoteListView")->topLevelItemCount() == 1; },
        10000));
    ASSERT_TRUE(waitFor([&] { return control<QAction>(w.get(), "Abort_Button")->isEnabled(); }));
    control<QAction>(w.get(), "Abort_Button")->trigger();
    EXPECT_FALSE(w->Navigation()->IsConnected());
    EXPECT_EQ(control<QTreeWidget>(w.get(), "remoteListView")->topLevelItemCount(), 0);
    EXPECT_FALSE(control<QTreeWidget>(w.get(), "remoteListView")->isEnabled());
    EXPECT_FALSE(control<QComboBox>(w.get(), "remoteadd")->isEnabled());
    EXPECT_TRUE(control<QTextEdit>(w.get(), "ftplog")
                    ->toPlainText()
                    .contains(QStringLiteral("Session Closed")));
    EXPECT_FALSE(control<QAction>(w.get(), "Abort_Button")->isEnabled());
    EXPECT_FALSE(w->Navigation()->KeepAliveTimer().isActive());
}

TEST(RemotePane, SelectionEnablesThePopupCommands) {
    clearStoredSettings();
    TMainform w;
    w.quitApplication = [] {};
    w.FormCreate();
    w.CreateDialogs();
    QList<RemoteRow> rows;
    for (const char* name : {"a", "b", "c"})
        rows.append(RemoteRow{QLatin1String(name),
                              QStringLiteral("1.00"),
                              QStringLiteral("TXT File"),
                              {},
                              {},
                              {},
                              {},
                              false});
    remotePane(&w)->ShowRows(rows);
    control<QTreeWidget>(&w, "remoteListView")->setEnabled(true);
    auto press = [&] {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(control<QTreeWidget>(&w, "remoteListView")->viewport(), &e);
        spinFor(20);
    };
    struct Case {
        int selected;
        bool single;
        bool nonEmpty;
    };
    for (const Case& c : {Case{0, false, false}, Case{1, true, true}, Case{2, false, true}}) {
        control<QTreeWidget>(&w, "remoteListView")->clearSelection();
        for (int i = 0; i < c.selected; ++i)
            control<QTreeWidget>(&w, "remoteListView")->topLevelItem(i)->setSelected(true);
        press();
        // The press may select the row under the pointer; the table follows the selection.
        const int n = int(control<QTreeWidget>(&w, "remoteListView")->selectedItems().size());
        const auto expected = RemoteListing::forSelection(n);
        EXPECT_EQ(control<QAction>(&w, "Remote_Rename")->isEnabled(), expected.single) << n;
        EXPECT_EQ(control<QAction>(&w, "Remote_BookMark")->isEnabled(), expected.single) << n;
        EXPECT_EQ(control<QAction>(&w, "Remote_Delete")->isEnabled(), expected.nonEmpty) << n;
        EXPECT_EQ(control<QAction>(&w, "Download_Button")->isEnabled(), expected.nonEmpty) << n;
        EXPECT_TRUE(control<QAction>(&w, "Remote_Refresh")->isEnabled());
        EXPECT_TRUE(control<QAction>(&w, "Remote_NewFolder")->isEnabled());
    }
    EXPECT_EQ(RemoteListing::forSelection(0).single, false);
    EXPECT_EQ(RemoteListing::forSelection(1).single, true);
    EXPECT_EQ(RemoteListing::forSelection(2).nonEmpty, true);
    EXPECT_FALSE(RemoteListing::forSelection(2).single);
}

TEST(RemotePane, HeadersSortNumbersAsNumbersAndDatesAsDates) {
    clearStoredSettings();
    TMainform w;
    w.quitApplication = [] {};
    w.FormCreate();
    w.CreateDialogs();
    remotePane(&w)->ShowRows(
        {RemoteRow{"big", "100.00", "X", "01/01/2000 00:00", {}, {}, {}, false},
         RemoteRow{"small", "2.00", "X", "12/31/1999 23:59", {}, {}, {}, false},
         RemoteRow{"mid", "10.00", "X", "06/15/2001 12:00", {}, {}, {}, false}});
    auto order = [&] {
        QStringList names;
        for (int i = 0; i < control<QTreeWidget>(&w, "remoteListView")->topLevelItemCount(); ++i)
            names << control<QTreeWidget>(&w, "remoteListView")->topLevelItem(i)->text(0);
        return names;
    };
    control<QTreeWidget>(&w, "remoteListView")->sortByColumn(1, Qt::AscendingOrder);
    EXPECT_EQ(order(), (QStringList{"small", "mid", "big"}));
    control<QTreeWidget>(&w, "remoteListView")->sortByColumn(3, Qt::AscendingOrder);
    EXPECT_EQ(order(), (QStringList{"small", "big", "mid"}));
    control<QTreeWidget>(&w, "remoteListView")->sortByColumn(3, Qt::DescendingOrder);
    EXPECT_EQ(order(), (QStringList{"mid", "big", "small"}));
}

TEST(SocksSession, ListsThroughMicrosocks) {
    RealFtpServer server = StartPyftpdlib();
    ASSERT_TRUE(server.ok());
    QFile f(server.root + QStringLiteral("/through-socks.txt"));
    f.open(QIODevice::WriteOnly);
    f.close();
    const quint16 socksPort = freePort();
    ServerProcess socks(QStringLiteral("microsocks"),
                        {"-i", "127.0.0.1", "-p", QString::number(socksPort)});
    ASSERT_TRUE(socks.started() && waitForPort(socksPort));
    clearStoredSettings();
    TMainform w;
    w.quitApplication = [] {};
    w.FormCreate();
    w.CreateDialogs();
    control<QAction>(&w, "Socks51")->trigger();
    settingsDialog(&w)
        ->findChild<QLineEdit*>(QStringLiteral("socks_server"))
        ->setText(QStringLiteral("127.0.0.1"));
    settingsDialog(&w)
        ->findChild<QLineEdit*>(QStringLiteral("socks_port"))
        ->setText(QString::number(socksPort));
    control<QPushButton>(settingsDialog(&w), "setOK")->click();
    int throughSocks = 0;
    w.Navigation()->Client().ControlSocket()->OnSocksConnected = [&](TCustomWSocket*, uint16_t e) {
        throughSocks += e == 0;
    };
    control<QLineEdit>(&w, "Quickhost")->setText(QStringLiteral("127.0.0.1"));
    control<QLineEdit>(&w, "QuickUser")->setText(server.user);
    control<QLineEdit>(&w, "Quickpass")->setText(server.password);
    control<QLineEdit>(&w, "quickport")->setText(QString::number(server.port));
    control<QToolButton>(&w, "quick_connect")->click();
    ASSERT_TRUE(waitFor(
        [&] { return control<QTreeWidget>(&w, "remoteListView")->topLevelItemCount() == 1; },
        15000))
        << control<QTextEdit>(&w, "ftplog")->toPlainText().toStdString();
    EXPECT_EQ(control<QTreeWidget>(&w, "remoteListView")->topLevelItem(0)->text(0),
              QStringLiteral("through-socks.txt"));
    EXPECT_EQ(throughSocks, 1);
    EXPECT_TRUE(control<QTextEdit>(&w, "ftplog")->toPlainText().contains(QStringLiteral("> PASV")));
    w.Navigation()->CloseSession();
}

} // namespace
