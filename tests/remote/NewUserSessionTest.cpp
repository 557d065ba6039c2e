// What a new user does wrong or meets first, through the real window: every failure
// reaches the log in the error colour and the status bar, and the pane never shows a
// server's folders as something they are not.
#include "ScriptedWindowTest.h"
#include "TestLoop.h"
#include "WindowControls.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QValidator>

#include <gtest/gtest.h>

namespace {

class NewUserTest : public ScriptedWindowTest {
protected:
    void connect() { control<QToolButton>(w.get(), "quick_connect")->click(); }
    QString status() const { return control<QLabel>(w.get(), "status_left")->text(); }
    QTreeWidget* list() const { return control<QTreeWidget>(w.get(), "remoteListView"); }
    QComboBox* address() const { return control<QComboBox>(w.get(), "remoteadd"); }
    QString log() const { return control<QTextEdit>(w.get(), "ftplog")->toPlainText(); }
    const SessionLog::Line& lastLine() const { return w->Log().lines().last(); }
    int errorColour() const { return w->Settings().integer(Setting::ErrorMsgColor); }
    bool browsing(int rows = 1) const {
        return waitFor(
            [&] {
                return list()->topLevelItemCount() == rows && list()->isEnabled() &&
                       w->Navigation()->IsIdle();
            },
            10000);
    }
    // The message box the window opened without blocking, closed after reading.
    QString openMessage() {
        QString text;
        waitFor([&] {
            for (QMessageBox* box : w->findChildren<QMessageBox*>()) {
                if (box->isVisible()) {
                    text = box->text();
                    box->close();
                    return true;
                }
            }
            return false;
        });
        return text;
    }
};

TEST_F(NewUserTest, AConnectionThatCannotBeMadeSaysWhy) {
    struct Case {
        const char* what;
        QString host, port, reason;
    };
    const Case cases[] = {
        {"nothing listens", QStringLiteral("127.0.0.1"), QString::number(freePort()),
         QStringLiteral("Connection refused")},
        {"no such host", QStringLiteral("no-such-host.invalid"), QStringLiteral("21"),
         QStringLiteral("Host not found")},
    };
    for (const Case& c : cases) {
        type(c.host, "alice", "pw", c.port);
        connect();
        ASSERT_TRUE(waitFor([&] { return lastLine().text.contains(c.reason); }, 20000))
            << c.what << ": " << log().toStdString();
        EXPECT_EQ(lastLine().colour, errorColour()) << c.what;
        EXPECT_TRUE(status().startsWith(QLatin1String("Not connected: ")))
            << status().toStdString();
        EXPECT_TRUE(status().contains(c.reason)) << c.what;
        EXPECT_FALSE(control<QAction>(w.get(), "Abort_Button")->isEnabled()) << c.what;
    }
}

TEST_F(NewUserTest, ThePortFieldTakesOnlyPortNumbers) {
    const QValidator* v = control<QLineEdit>(w.get(), "quickport")->validator();
    ASSERT_NE(v, nullptr);
    for (const char* text : {"abc", "70000", "-1", "21x"}) {
        QString t = QLatin1String(text);
        int pos = 0;
        EXPECT_NE(v->validate(t, pos), QValidator::Acceptable) << text;
    }
    QString ok = QStringLiteral("2121");
    int pos = 0;
    EXPECT_EQ(v->validate(ok, pos), QValidator::Acceptable);
    // Typed into the field, letters never get there.
    auto* port = control<QLineEdit>(w.get(), "quickport");
    port->clear();
    for (QChar c : QStringLiteral("2a1")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(port, &press);
    }
    EXPECT_EQ(port->text(), QStringLiteral("21"));
    // A port that is no port (from a site, say) is refused with a message.
    w->Navigation()->QuickConnect("127.0.0.1", "alice", "pw", "0");
    EXPECT_EQ(openMessage(), QStringLiteral("The port must be a number from 1 to 65535."));
}

TEST_F(NewUserTest, AnAttemptToAServerThatNeverGreetsCanBeCancelled) {
    server.banner.clear();
    connect();
    auto* disconnect = control<QAction>(w.get(), "Abort_Button");
    ASSERT_TRUE(waitFor([&] { return disconnect->isEnabled(); }, 2000));
    EXPECT_TRUE(control<QAction>(w.get(), "Stop_Button")->isEnabled());
    EXPECT_TRUE(status().startsWith(QLatin1String("Connecting to 127.0.0.1")));
    spinFor(200);
    disconnect->trigger();
    EXPECT_FALSE(w->Navigation()->IsConnected());
    EXPECT_EQ(lastLine().text, QStringLiteral("Connection attempt cancelled"));
    EXPECT_EQ(lastLine().colour, errorColour());
    EXPECT_FALSE(disconnect->isEnabled());
    EXPECT_TRUE(status().startsWith(QLatin1String("Not connected")));

    // Stop gives up an attempt as well.
    connect();
    ASSERT_TRUE(waitFor([&] { return control<QAction>(w.get(), "Stop_Button")->isEnabled(); }));
    control<QAction>(w.get(), "Stop_Button")->trigger();
    EXPECT_FALSE(w->Navigation()->IsConnected());
    EXPECT_EQ(lastLine().text, QStringLiteral("Connection attempt cancelled"));
}

TEST_F(NewUserTest, SocksWithoutASocksServerIsRefusedAndDirectIsActiveAgain) {
    control<QAction>(w.get(), "Socks51")->trigger();
    connect();
    const QString text =
        QStringLiteral("The connection type is Socks5, but no Socks Server is set (Settings, page "
                       "\"Firewall/Socks\").");
    EXPECT_EQ(openMessage(), text);
    EXPECT_EQ(lastLine().text, text);
    EXPECT_EQ(lastLine().colour, errorColour());
    spinFor(100);
    EXPECT_TRUE(server.transcript.isEmpty()); // nothing went straight to the server

    // A SOCKS attempt (to a SOCKS server that is not there) leaves the engine passive.
    control<QLineEdit>(settingsDialog(w.get()), "socks_server")->setText("127.0.0.1");
    control<QLineEdit>(settingsDialog(w.get()), "socks_port")->setText(QString::number(freePort()));
    control<QPushButton>(settingsDialog(w.get()), "setOK")->click();
    connect();
    ASSERT_TRUE(waitFor([&] { return status().startsWith(QLatin1String("Not connected: ")); }));
    EXPECT_TRUE(w->Navigation()->Client().Passive());
    // Back to Direct: the listing goes through PORT again.
    control<QAction>(w.get(), "Direct1")->trigger();
    connect();
    ASSERT_TRUE(browsing());
    EXPECT_TRUE(server.transcript.contains(QStringLiteral("LIST -L")));
    EXPECT_EQ(server.transcript.filter(QStringLiteral("PASV")).size(), 0);
    EXPECT_EQ(server.transcript.filter(QStringLiteral("PORT")).size(), 1);
}

TEST_F(NewUserTest, TwoServersOnOneHostDoNotShareCachedListings) {
    connect();
    ASSERT_TRUE(browsing());
    EXPECT_EQ(list()->topLevelItem(0)->text(0), QStringLiteral("file.txt"));

    FakeFtpServer other; // same host, another port, another home
    other.followCwd = true;
    other.cwd = QStringLiteral("/b-home");
    other.downloadData = "-rw-r--r-- 1 qq zz 5 Jan 1 2000 other.txt\r\n";
    type("127.0.0.1", "alice", "pw", other.port());
    answerNextQuestion(QMessageBox::Yes);
    connect();
    ASSERT_TRUE(waitFor([&] {
        return list()->topLevelItemCount() == 1 &&
               list()->topLevelItem(0)->text(0) == QLatin1String("other.txt");
    }));
    ASSERT_TRUE(browsing());
    // The first server's /home/test is not this server's.
    address()->setEditText(QStringLiteral("/home/test"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(address(), &enter);
    ASSERT_TRUE(waitFor([&] { return other.transcript.contains("CWD /home/test"); }));
    EXPECT_FALSE(log().contains(QStringLiteral("Using Cached Listing for /home/test")));
    ASSERT_TRUE(browsing());
    EXPECT_EQ(list()->topLevelItem(0)->text(0), QStringLiteral("other.txt"));
}

TEST_F(NewUserTest, AStoppedListingIsNeverShownAsComplete) {
    server.keepDataOpen = true;
    // The ABOR's 426 and 226 are the listing's last replies.
    server.finalDownloadReply.clear();
    server.downloadData = "-rw-r--r-- 1 qq zz 5 Jan 1 2000 partial.txt\r\n";
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line != QLatin1String("ABOR")) return false;
        s.send("426 Listing aborted\r\n226 ABOR command successful\r\n");
        return true;
    };
    connect();
    ASSERT_TRUE(waitFor([&] { return server.transcript.contains("LIST -L"); }, 10000));
    // Refresh is off while the listing runs, in the menu and by its key alike.
    auto* refresh = control<QAction>(w.get(), "Remote_Refresh");
    EXPECT_FALSE(refresh->isEnabled());
    refresh->trigger();
    control<QAction>(w.get(), "Stop_Button")->trigger();
    // Idle once the stopped listing's report has come in.
    ASSERT_TRUE(waitFor([&] { return w->Navigation()->IsIdle(); }));
    EXPECT_TRUE(refresh->isEnabled());
    EXPECT_EQ(server.transcript.filter(QStringLiteral("LIST")).size(), 1);

    // Nothing of the stopped listing is in the cache: the folder is fetched again.
    server.keepDataOpen = false;
    server.intercept = nullptr;
    const qsizetype sent = server.transcript.size();
    w->Navigation()->ChangeDirectory(QStringLiteral("/home/test"), false);
    EXPECT_FALSE(log().contains(QStringLiteral("Using Cached Listing")));
    ASSERT_TRUE(waitFor([&] { return server.transcript.mid(sent).contains("LIST -L"); }))
        << log().toStdString();
}

TEST_F(NewUserTest, OneEnterGoesToAnAddressOnceAndAFailedOneShowsWhereThePaneIs) {
    server.followCwd = true;
    server.downloadData = "drwxr-xr-x 2 qq zz 0 Jan 1 2000 sub\r\n";
    connect();
    ASSERT_TRUE(browsing());
    RemoteRow sub;
    sub.name = QStringLiteral("sub");
    sub.type = RemoteListing::kFolderType;
    w->Navigation()->OpenRow(sub);
    ASSERT_TRUE(waitFor([&] { return address()->count() == 2; })); // /home/test and /home/test/sub
    ASSERT_TRUE(browsing());
    // Back to the first folder by typing it: it is in the history, and cached.
    address()->setEditText(QStringLiteral("/home/test"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(address(), &enter);
    spinFor(50);
    EXPECT_EQ(log().count(QStringLiteral("Using Cached Listing for /home/test")), 1);

    server.replies[QStringLiteral("CWD")] = "550 No such directory\r\n";
    address()->setEditText(QStringLiteral("/nowhere"));
    QApplication::sendEvent(address(), &enter);
    ASSERT_TRUE(waitFor([&] { return lastLine().text == QLatin1String("550 No such directory"); }));
    EXPECT_EQ(lastLine().colour, errorColour());
    EXPECT_EQ(address()->currentText(), QStringLiteral("/home/test"));
    EXPECT_TRUE(list()->isEnabled()); // still logged in, still showing /home/test
}

} // namespace
