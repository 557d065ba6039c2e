#include "FakeFtpServer.h"
#include "Main.h"
#include "NavigationManager.h"
#include "RealServerTest.h"
#include "RemotePaneBinding.h"
#include "Scratch.h"

#include "SettingsDialog.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
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
        w = std::make_unique<TMainform>();
        w->quitApplication = [] {};
        w->FormCreate();
        w->CreateDialogs();
        w->Quickhost->setText(QStringLiteral("127.0.0.1"));
        w->QuickUser->setText(server.user);
        w->Quickpass->setText(server.password);
        w->quickport->setText(QString::number(server.port));
    }
    void TearDown() override {
        if (w && w->Navigation()) w->Navigation()->CloseSession();
    }
    bool idleWithRows() {
        return waitFor(
            [&] {
                return w->Navigation()->IsConnected() &&
                       w->Navigation()->Client().State() == ftpReady &&
                       w->remoteListView->isEnabled() && w->remoteListView->topLevelItemCount() > 0;
            },
            15000);
    }
    QString log() const { return w->ftplog->toPlainText(); }

    std::unique_ptr<TMainform> w;
};

TEST_P(RemoteSessionTest, QuickConnectListsTheLoginFolderAndBrowses) {
    w->quick_connect->click();
    ASSERT_TRUE(idleWithRows()) << log().toStdString();
    EXPECT_EQ(rowNames(w->remoteListView), (QStringList{"pub", "top.bin"}));
    const QString text = log();
    EXPECT_TRUE(text.contains(QStringLiteral("> PWD")));
    EXPECT_TRUE(text.contains(QStringLiteral("> TYPE A")));
    EXPECT_TRUE(text.contains(QStringLiteral("> LIST -L")));
    EXPECT_TRUE(text.contains(QStringLiteral("> PASS *******")));
    EXPECT_FALSE(text.contains(server.password));
    EXPECT_TRUE(text.contains(QStringLiteral("Connecting to 127.0.0.1.....")));
    const QString home = w->Navigation()->DisplayedDirectory();
    EXPECT_EQ(w->remoteadd->currentText(), home);
    EXPECT_TRUE(w->Abort_Button->isEnabled());
    EXPECT_TRUE(w->Reconnect_Button->isEnabled());

    // Into a folder by double-click, then one level up again.
    QTreeWidgetItem* pub =
        w->remoteListView->findItems(QStringLiteral("pub"), Qt::MatchExactly).first();
    EXPECT_EQ(pub->text(2), QStringLiteral("File Folder"));
    pub->setSelected(true);
    emit w->remoteListView->itemDoubleClicked(pub, 0);
    ASSERT_TRUE(waitFor(
        [&] { return w->Navigation()->DisplayedDirectory().endsWith(QLatin1String("/pub")); },
        15000));
    ASSERT_TRUE(idleWithRows());
    EXPECT_EQ(rowNames(w->remoteListView), (QStringList{"deeper", "readme.txt"}));
    w->remote_up->click();
    ASSERT_TRUE(waitFor([&] { return w->Navigation()->DisplayedDirectory() == home; }, 15000));
    ASSERT_TRUE(idleWithRows());

    // A folder fetched before comes from the cache, and nothing goes to the server.
    const QString pubPath = RemoteListing::Join(home, QStringLiteral("pub"));
    const int commandsBefore = log().count(QStringLiteral("\n> "));
    w->Navigation()->ChangeDirectory(pubPath, false);
    EXPECT_TRUE(log().contains(QStringLiteral("Using Cached Listing for ") + pubPath));
    EXPECT_EQ(rowNames(w->remoteListView), (QStringList{"deeper", "readme.txt"}));
    spinFor(100);
    EXPECT_EQ(log().count(QStringLiteral("\n> ")), commandsBefore);
}

TEST_P(RemoteSessionTest, ASiteWithARemoteFolderOpensInIt) {
    w->Navigation()->OpenSession(QStringLiteral("127.0.0.1"), server.user, server.password,
                                 QString::number(server.port), QStringLiteral("pub"), QString(), 0);
    ASSERT_TRUE(idleWithRows()) << log().toStdString();
    EXPECT_EQ(rowNames(w->remoteListView), (QStringList{"deeper", "readme.txt"}));
    const QString text = log();
    const qsizetype cwd = text.indexOf(QStringLiteral("> CWD pub"));
    ASSERT_GE(cwd, 0);
    EXPECT_LT(cwd, text.indexOf(QStringLiteral("> PWD")));
    EXPECT_LT(text.indexOf(QStringLiteral("> PWD")), text.indexOf(QStringLiteral("> TYPE A")));
    EXPECT_LT(text.indexOf(QStringLiteral("> TYPE A")), text.indexOf(QStringLiteral("> LIST -L")));
    EXPECT_TRUE(w->Navigation()->DisplayedDirectory().endsWith(QLatin1String("/pub")));
}

TEST_P(RemoteSessionTest, ARejectedPasswordSendsNothingMore) {
    w->Quickpass->setText(QStringLiteral("wrong-password"));
    w->quick_connect->click();
    ASSERT_TRUE(waitFor([&] { return log().contains(QStringLiteral("< 530")); }, 15000))
        << log().toStdString();
    spinFor(200);
    EXPECT_FALSE(log().contains(QStringLiteral("> PWD")));
    EXPECT_TRUE(w->remoteListView->isEnabled());
}

TEST_P(RemoteSessionTest, AnsweringNoKeepsTheSession) {
    w->quick_connect->click();
    ASSERT_TRUE(idleWithRows());
    const QStringList before = rowNames(w->remoteListView);
    w->RemoteBinding()->autoAnswer = 0;
    w->quick_connect->click();
    spinFor(200);
    EXPECT_TRUE(w->Navigation()->IsConnected());
    EXPECT_EQ(rowNames(w->remoteListView), before);
    EXPECT_EQ(log().count(QStringLiteral("Connecting to")), 1);
}

INSTANTIATE_TEST_SUITE_P(Real, RemoteSessionTest, ::testing::Values("pyftpdlib", "vsftpd"),
                         [](const auto& info) { return std::string(info.param); });

TEST(QuickConnect, AnEmptyFieldShowsTheMessageAndSendsNothing) {
    TMainform w;
    w.quitApplication = [] {};
    w.FormCreate();
    w.CreateDialogs();
    w.quickport->clear();
    w.Quickhost->setText(QStringLiteral("127.0.0.1"));
    w.quick_connect->click();
    spinFor(50);
    EXPECT_FALSE(w.ftplog->toPlainText().contains(QStringLiteral("Connecting to")));
    EXPECT_EQ(w.Navigation()->Client().State(), ftpReady);
}

// A window logged in to the scripted server, whose transcript shows every command.
class ScriptedSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.downloadData = "-rw-r--r-- 1 qq zz 5 Jan 1 2000 file.txt\r\n";
        w = std::make_unique<TMainform>();
        w->quitApplication = [] {};
        w->FormCreate();
        w->CreateDialogs();
        w->Quickhost->setText(QStringLiteral("127.0.0.1"));
        w->QuickUser->setText(QStringLiteral("alice"));
        w->Quickpass->setText(QStringLiteral("pw"));
        w->quickport->setText(server.port());
    }
    void TearDown() override { w->Navigation()->CloseSession(); }
    void setDialogText(const char* name, const QString& text) {
        w->Settings()->findChild<QLineEdit*>(QLatin1String(name))->setText(text);
    }
    FakeFtpServer server;
    std::unique_ptr<TMainform> w;
};

TEST_F(ScriptedSessionTest, StopSendsAborAtOnceDuringAListing) {
    server.keepDataOpen = true; // the listing never ends by itself
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line != QLatin1String("ABOR")) return false;
        s.send("426 Listing aborted\r\n226 ABOR command successful\r\n");
        return true;
    };
    w->quick_connect->click();
    ASSERT_TRUE(
        waitFor([&] { return server.transcript.contains(QStringLiteral("LIST -L")); }, 10000));
    EXPECT_TRUE(w->Stop_Button->isEnabled());
    w->Stop_Button->trigger();
    EXPECT_EQ(server.transcript.last(), QStringLiteral("ABOR"));
    ASSERT_TRUE(waitFor([&] { return w->Navigation()->Client().State() == ftpReady; }, 10000));
}

TEST_F(ScriptedSessionTest, KeepAliveSendsNoop) {
    w->quick_connect->click();
    ASSERT_TRUE(waitFor([&] { return w->remoteListView->topLevelItemCount() == 1; }, 10000));
    ASSERT_TRUE(w->Navigation()->KeepAliveTimer().isActive()); // "NOOP Command" is checked
    w->Navigation()->KeepAliveTimer().setInterval(100);        // the product keeps 30 s
    ASSERT_TRUE(waitFor([&] { return server.transcript.contains(QStringLiteral("NOOP")); }, 5000));
    w->NOOPCommand1->trigger(); // unchecked: no more NOOPs
    EXPECT_FALSE(w->Navigation()->KeepAliveTimer().isActive());
}

TEST_F(ScriptedSessionTest, ProxyTakesTheRealHostInTheUserNameAndReconnectKeepsIt) {
    w->Proxy1->trigger();
    setDialogText("proxy_server", QStringLiteral("127.0.0.1"));
    setDialogText("proxy_port", server.port());
    w->Quickhost->setText(QStringLiteral("ftp.example.org"));
    w->quickport->setText(QStringLiteral("21"));
    w->quick_connect->click();
    ASSERT_TRUE(waitFor([&] { return w->remoteListView->topLevelItemCount() == 1; }, 10000));
    EXPECT_EQ(server.transcript.first(), QStringLiteral("USER alice@ftp.example.org"));
    EXPECT_EQ(w->Navigation()->Client().HostName(), QStringLiteral("127.0.0.1"));

    server.transcript.clear();
    w->RemoteBinding()->autoAnswer = 1;
    w->Reconnect_Button->trigger();
    ASSERT_TRUE(
        waitFor([&] { return server.transcript.contains(QStringLiteral("LIST -L")); }, 10000));
    EXPECT_EQ(server.transcript.first(), QStringLiteral("USER alice@ftp.example.org"));
}

TEST_F(ScriptedSessionTest, ASiteFolderIsEnteredBeforeTheListing) {
    w->Navigation()->OpenSession(QStringLiteral("127.0.0.1"), QStringLiteral("alice"),
                                 QStringLiteral("pw"), server.port(), QStringLiteral("/pub"),
                                 QString(), 3);
    ASSERT_TRUE(waitFor([&] { return w->remoteListView->topLevelItemCount() == 1; }, 10000));
    QStringList verbs;
    for (const QString& line : server.transcript)
        verbs << line.section(u' ', 0, 0);
    EXPECT_EQ(verbs, (QStringList{"USER", "PASS", "CWD", "PWD", "TYPE", "PORT", "LIST"}));
    EXPECT_EQ(server.transcript[2], QStringLiteral("CWD /pub"));
    EXPECT_EQ(server.transcript[4], QStringLiteral("TYPE A"));
    EXPECT_EQ(w->Navigation()->SiteIndex(), 3);
}

TEST_F(ScriptedSessionTest, AddressBoxRefreshAndHistory) {
    w->quick_connect->click();
    ASSERT_TRUE(waitFor([&] { return w->remoteListView->topLevelItemCount() == 1; }, 10000));
    ASSERT_TRUE(waitFor([&] { return w->Navigation()->Client().State() == ftpReady; }));
    EXPECT_EQ(w->remoteadd->count(), 1); // the history holds the folder fetched
    EXPECT_EQ(w->remoteadd->itemText(0), QStringLiteral("/home/test"));

    // Enter in the address box: a cached folder is shown without a command.
    const qsizetype sent = server.transcript.size();
    w->remoteadd->setEditText(QStringLiteral("/home/test"));
    ASSERT_TRUE(w->remoteadd->isEnabled());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w->remoteadd, &enter); // the box hands keys to its line edit
    EXPECT_EQ(w->ftplog->toPlainText().count(QStringLiteral("Using Cached Listing for /home/test")),
              1)
        << w->ftplog->toPlainText().toStdString() << "\n"
        << server.transcript.join('|').toStdString();
    spinFor(50);
    EXPECT_EQ(server.transcript.size(), sent);

    // Refresh fetches it again.
    w->refresh_remote->click();
    ASSERT_TRUE(waitFor(
        [&] {
            return server.transcript.size() > sent &&
                   server.transcript.last() == QLatin1String("LIST -L");
        },
        10000));
    EXPECT_EQ(server.transcript[sent], QStringLiteral("CWD /home/test"));
    EXPECT_EQ(w->remoteadd->count(), 1);
}

TEST_F(ScriptedSessionTest, DisconnectEmptiesAndDisablesThePane) {
    w->quick_connect->click();
    ASSERT_TRUE(waitFor([&] { return w->remoteListView->topLevelItemCount() == 1; }, 10000));
    ASSERT_TRUE(waitFor([&] { return w->Abort_Button->isEnabled(); }));
    w->Abort_Button->trigger();
    EXPECT_FALSE(w->Navigation()->IsConnected());
    EXPECT_EQ(w->remoteListView->topLevelItemCount(), 0);
    EXPECT_FALSE(w->remoteListView->isEnabled());
    EXPECT_FALSE(w->remoteadd->isEnabled());
    EXPECT_TRUE(w->ftplog->toPlainText().contains(QStringLiteral("Session Closed")));
    EXPECT_FALSE(w->Abort_Button->isEnabled());
    EXPECT_FALSE(w->Navigation()->KeepAliveTimer().isActive());
}

TEST(RemotePane, SelectionEnablesThePopupCommands) {
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
    w.RemoteBinding()->ShowRows(rows);
    w.remoteListView->setEnabled(true);
    auto press = [&] {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(w.remoteListView->viewport(), &e);
        spinFor(20);
    };
    struct Case {
        int selected;
        bool single;
        bool nonEmpty;
    };
    for (const Case& c : {Case{0, false, false}, Case{1, true, true}, Case{2, false, true}}) {
        w.remoteListView->clearSelection();
        for (int i = 0; i < c.selected; ++i)
            w.remoteListView->topLevelItem(i)->setSelected(true);
        press();
        // The press may select the row under the pointer; the table follows the selection.
        const int n = int(w.remoteListView->selectedItems().size());
        const auto expected = RemoteListing::ForSelection(n);
        EXPECT_EQ(w.Remote_Rename->isEnabled(), expected.single) << n;
        EXPECT_EQ(w.Remote_BookMark->isEnabled(), expected.single) << n;
        EXPECT_EQ(w.Remote_Delete->isEnabled(), expected.nonEmpty) << n;
        EXPECT_EQ(w.Download_Button->isEnabled(), expected.nonEmpty) << n;
        EXPECT_TRUE(w.Remote_Refresh->isEnabled());
        EXPECT_TRUE(w.Remote_NewFolder->isEnabled());
    }
    EXPECT_EQ(RemoteListing::ForSelection(0).single, false);
    EXPECT_EQ(RemoteListing::ForSelection(1).single, true);
    EXPECT_EQ(RemoteListing::ForSelection(2).nonEmpty, true);
    EXPECT_FALSE(RemoteListing::ForSelection(2).single);
}

TEST(RemotePane, HeadersSortNumbersAsNumbersAndDatesAsDates) {
    TMainform w;
    w.quitApplication = [] {};
    w.FormCreate();
    w.CreateDialogs();
    w.RemoteBinding()->ShowRows(
        {RemoteRow{"big", "100.00", "X", "01/01/2000 00:00", {}, {}, {}, false},
         RemoteRow{"small", "2.00", "X", "12/31/1999 23:59", {}, {}, {}, false},
         RemoteRow{"mid", "10.00", "X", "06/15/2001 12:00", {}, {}, {}, false}});
    auto order = [&] {
        QStringList names;
        for (int i = 0; i < w.remoteListView->topLevelItemCount(); ++i)
            names << w.remoteListView->topLevelItem(i)->text(0);
        return names;
    };
    w.remoteListView->sortByColumn(1, Qt::AscendingOrder);
    EXPECT_EQ(order(), (QStringList{"small", "mid", "big"}));
    w.remoteListView->sortByColumn(3, Qt::AscendingOrder);
    EXPECT_EQ(order(), (QStringList{"small", "big", "mid"}));
    w.remoteListView->sortByColumn(3, Qt::DescendingOrder);
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
    TMainform w;
    w.quitApplication = [] {};
    w.FormCreate();
    w.CreateDialogs();
    w.Socks51->trigger();
    w.Settings()
        ->findChild<QLineEdit*>(QStringLiteral("socks_server"))
        ->setText(QStringLiteral("127.0.0.1"));
    w.Settings()
        ->findChild<QLineEdit*>(QStringLiteral("socks_port"))
        ->setText(QString::number(socksPort));
    int throughSocks = 0;
    w.Navigation()->Client().ControlSocket()->OnSocksConnected = [&](TCustomWSocket*, uint16_t e) {
        throughSocks += e == 0;
    };
    w.Quickhost->setText(QStringLiteral("127.0.0.1"));
    w.QuickUser->setText(server.user);
    w.Quickpass->setText(server.password);
    w.quickport->setText(QString::number(server.port));
    w.quick_connect->click();
    ASSERT_TRUE(waitFor([&] { return w.remoteListView->topLevelItemCount() == 1; }, 15000))
        << w.ftplog->toPlainText().toStdString();
    EXPECT_EQ(w.remoteListView->topLevelItem(0)->text(0), QStringLiteral("through-socks.txt"));
    EXPECT_EQ(throughSocks, 1);
    EXPECT_TRUE(w.ftplog->toPlainText().contains(QStringLiteral("> PASV")));
    w.Navigation()->CloseSession();
}

} // namespace
