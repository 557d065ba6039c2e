// The browsing session without a window: a small recording pane stands in for the
// remote pane and the window's session commands.
#include "NavigationManager.h"
#include "AppPaths.h"
#include "FakeFtpServer.h"
#include "RealServers.h"
#include "Scratch.h"
#include "TestLoop.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

struct RecordingPane : RemotePane, SessionControls {
    bool answer = true;
    QStringList messages, history;
    QString address;
    QList<RemoteRow> rows;
    bool paneEnabled = false, idle = false, sessionControls = false, idleControls = false;
    int questions = 0;

    bool AskBreakConnection() override {
        ++questions;
        return answer;
    }
    void ShowMessage(const QString& text) override { messages << text; }
    void ClearAddressBox() override {
        history.clear();
        address.clear();
    }
    void AddToAddressHistory(const QString& d) override {
        if (!history.contains(d)) history << d;
    }
    void SetAddressText(const QString& d) override { address = d; }
    void ShowRows(const QList<RemoteRow>& r) override { rows = r; }
    void ClearRows() override { rows.clear(); }
    void SetPaneEnabled(bool on) override { paneEnabled = on; }
    void SetIdle(bool on) override { idle = on; }
    void SetSessionControls(bool on) override { sessionControls = on; }
    void SetIdleControls(bool on) override { idleControls = on; }
    void ShowStatus(const QString& text) override { status = text; }
    QString status;

    QStringList names() const {
        QStringList n;
        for (const RemoteRow& r : rows)
            n << r.name;
        n.sort();
        return n;
    }
};

class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        programDir = AppPaths::programDir();
        AppPaths::resetListingCache(programDir);
        // The log takes its colours from the settings, as the window's does.
        log.colourOf = [this](int kind) {
            static const Setting colours[] = {Setting::ErrorMsgColor, Setting::InfoMsgColor,
                                              Setting::FtpCommandColor, Setting::FtpResponseColor};
            return settings.integer(colours[kind]);
        };
    }
    void TearDown() override { session.CloseSession(); }
    bool listed(int rows = 1) {
        return waitFor(
            [&] { return pane.rows.size() == rows && session.IsIdle() && pane.paneEnabled; },
            15000);
    }
    QStringList verbs() const {
        QStringList v;
        for (const QString& line : server.transcript)
            v << line.section(u' ', 0, 0);
        return v;
    }

    FakeFtpServer server;
    RecordingPane pane;
    SessionLog log;
    SettingsSource settings;
    QString programDir;
    Navigation_Manager session{pane, pane, log, settings, AppPaths::programDir()};
};

TEST_F(NavigationTest, QuickConnectLogsInListsAndShowsTheRows) {
    server.downloadData = "-rw-r--r-- 1 qq zz 1536 Jan 1 2000 file.txt\r\n"
                          "drwxr-xr-x 2 qq zz 0 Jan 1 2000 sub\r\n";
    session.QuickConnect(QStringLiteral("127.0.0.1"), QStringLiteral("alice"), QStringLiteral("pw"),
                         server.port());
    ASSERT_TRUE(listed(2)) << server.transcript.join('|').toStdString();
    EXPECT_EQ(verbs(), (QStringList{"USER", "PASS", "PWD", "TYPE", "PORT", "LIST"}));
    EXPECT_EQ(server.transcript[3], QStringLiteral("TYPE A"));
    EXPECT_EQ(pane.names(), (QStringList{"file.txt", "sub"}));
    EXPECT_EQ(pane.rows[0].size, QStringLiteral("1.50"));
    EXPECT_EQ(pane.address, QStringLiteral("/home/test"));
    EXPECT_EQ(pane.history, QStringList{"/home/test"});
    EXPECT_EQ(session.DisplayedDirectory(), QStringLiteral("/home/test"));
    EXPECT_TRUE(pane.sessionControls);
    EXPECT_TRUE(pane.idle);
    EXPECT_TRUE(pane.idleControls);
    // The listing went into the cache, under the data folder given to the session.
    EXPECT_TRUE(QFileInfo::exists(RemoteListing::cacheFile(programDir, QStringLiteral("127.0.0.1"),
                                                           server.port(), "alice", "/home/test")));
    // The log has the two opening lines and the dialogue, the password masked.
    ASSERT_GE(log.lines().size(), 2);
    EXPECT_EQ(log.lines()[1].text, QStringLiteral("Connecting to 127.0.0.1....."));
    QStringList text;
    for (const auto& l : log.lines())
        text << l.text;
    EXPECT_TRUE(text.contains(QStringLiteral("> PASS *******")));
    EXPECT_FALSE(text.join('\n').contains(QStringLiteral("PASS pw")));

    // Into the folder by its row, then one level up from the cache.
    RemoteRow sub;
    sub.name = QStringLiteral("sub");
    sub.type = RemoteListing::kFolderType;
    ASSERT_TRUE(session.OpenRow(sub));
    // The scripted server's PWD always names /home/test: the folder is fetched again.
    ASSERT_TRUE(waitFor([&] { return server.transcript.count("LIST -L") == 2; }, 10000));
    EXPECT_TRUE(server.transcript.contains(QStringLiteral("CWD /home/test/sub")));
    ASSERT_TRUE(listed(2));

    session.Disconnect();
    EXPECT_FALSE(session.IsConnected());
    EXPECT_TRUE(pane.rows.isEmpty());
    EXPECT_FALSE(pane.paneEnabled);
    EXPECT_EQ(log.lines().last().text, QStringLiteral("Session Closed"));
    EXPECT_FALSE(pane.sessionControls);
}

TEST_F(NavigationTest, MovesRunOneAfterAnotherTheShownFolderGoesUpFirstAndARefusalStopsNone) {
    server.followCwd = true;
    server.replies["RNFR"] = "350 Ready for RNTO\r\n";
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line != QLatin1String("RNTO /home/test/b2")) return false;
        s.send("553 Not allowed\r\n");
        return true;
    };
    server.replies["RNTO"] = "250 Renamed\r\n";
    session.QuickConnect(QStringLiteral("127.0.0.1"), QStringLiteral("alice"), QStringLiteral("pw"),
                         server.port());
    ASSERT_TRUE(listed(0));
    session.ChangeDirectory(QStringLiteral("/home/test/shown"), false);
    ASSERT_TRUE(waitFor(
        [&] { return session.DisplayedDirectory() == "/home/test/shown" && session.IsIdle(); }));
    server.transcript.clear();
    // The folder shown moves first (out of it first), the second move is refused, the
    // third still runs; then the folder is listed under its new name.
    ASSERT_TRUE(session.RenameEntries({{"/home/test/shown", "/home/test/moved"},
                                       {"/home/test/b", "/home/test/b2"},
                                       {"/home/test/c", "/home/test/c2"}}));
    EXPECT_FALSE(session.RenameEntries({{"/x", "/y"}})); // busy: nothing starts
    ASSERT_TRUE(
        waitFor([&] { return server.transcript.contains("LIST -L") && session.IsIdle(); }, 10000))
        << server.transcript.join('|').toStdString();
    const QStringList expected = {"CDUP",
                                  "RNFR /home/test/shown",
                                  "RNTO /home/test/moved",
                                  "RNFR /home/test/b",
                                  "RNTO /home/test/b2",
                                  "RNFR /home/test/c",
                                  "RNTO /home/test/c2",
                                  "CWD /home/test/moved"};
    EXPECT_EQ(server.transcript.mid(0, expected.size()), expected);
    EXPECT_EQ(session.DisplayedDirectory(), QStringLiteral("/home/test/moved"));
    QStringList text;
    for (const auto& l : log.lines())
        text << l.text;
    EXPECT_TRUE(text.join('\n').contains("553 Not allowed"));
    // The refusal stays in the status bar through the listing the job made; the next
    // success replaces it.
    EXPECT_EQ(pane.status, QStringLiteral("553 Not allowed"));
    session.Refresh();
    ASSERT_TRUE(waitFor([&] { return pane.status.startsWith("Connected to"); }, 10000))
        << pane.status.toStdString();
    EXPECT_EQ(pane.status, QStringLiteral("Connected to 127.0.0.1: /home/test/moved"));
}

TEST_F(NavigationTest, ARefusedConnectionIsSaidInWordsTheNumberOnlyInTheLog) {
    session.QuickConnect(QStringLiteral("127.0.0.1"), QStringLiteral("alice"), QStringLiteral("pw"),
                         QStringLiteral("1"));
    ASSERT_TRUE(waitFor([&] { return pane.status.contains("refused"); }, 10000))
        << pane.status.toStdString();
    EXPECT_EQ(pane.status, QStringLiteral("Not connected: Connection refused by 127.0.0.1:1"));
    QStringList text;
    for (const auto& l : log.lines())
        text << l.text;
    EXPECT_TRUE(text.join('\n').contains("10061")) << text.join('\n').toStdString();
}

// The recursive delete, against a scripted server that keeps a small folder tree: the
// commands it sends, in order, without the PORT lines of the listings.
class DeleteTest : public NavigationTest {
protected:
    void SetUp() override {
        NavigationTest::SetUp();
        server.followCwd = true;
    }
    // Logs in and shows `folder`.
    void showFolder(const QString& folder) {
        session.QuickConnect(QStringLiteral("127.0.0.1"), QStringLiteral("alice"),
                             QStringLiteral("pw"), server.port());
        ASSERT_TRUE(waitFor([&] { return session.IsIdle(); }, 15000));
        session.ChangeDirectory(folder, true);
        ASSERT_TRUE(waitFor([&] {
            return session.DisplayedDirectory() == folder && session.IsIdle() && pane.paneEnabled;
        }));
        server.transcript.clear();
    }
    // Deletes the rows and waits until the session is browsing and idle again.
    void deleteRows(const QList<RemoteRow>& rows) {
        ASSERT_TRUE(session.DeleteRows(rows));
        ASSERT_TRUE(waitFor([&] { return !session.Deleting() && session.IsIdle(); }, 15000))
            << server.transcript.join('|').toStdString();
        // The re-list after the job.
        ASSERT_TRUE(waitFor(
            [&] { return server.transcript.endsWith("LIST -L") && session.IsIdle(); }, 15000))
            << server.transcript.join('|').toStdString();
    }
    QStringList commands() const { return server.commands(); }
    static RemoteRow file(const QString& name) {
        RemoteRow r;
        r.name = name;
        return r;
    }
    static RemoteRow folder(const QString& name) {
        RemoteRow r;
        r.name = name;
        r.type = RemoteListing::kFolderType;
        r.folder = true;
        return r;
    }
    static QString fileLine(const char* name) {
        return QStringLiteral("-rw-r--r-- 1 u g 5 Jan 1 2000 ") + QLatin1String(name);
    }
    static QString folderLine(const char* name) {
        return QStringLiteral("drwxr-xr-x 2 u g 0 Jan 1 2000 ") + QLatin1String(name);
    }
    QString logText() const {
        QStringList text;
        for (const auto& l : log.lines())
            text << l.text;
        return text.join('\n');
    }
};

TEST_F(DeleteTest, OneFileIsOneDeleThenTheFolderIsListedAgain) {
    server.folders["/home/test"] = {fileLine("f.txt"), fileLine("keep.txt")};
    showFolder(QStringLiteral("/home/test"));
    deleteRows({file(QStringLiteral("f.txt"))});
    EXPECT_EQ(commands(), (QStringList{"DELE /home/test/f.txt", "TYPE A", "LIST -L"}));
    EXPECT_EQ(pane.names(), QStringList{"keep.txt"});
    EXPECT_TRUE(pane.messages.isEmpty());
}

TEST_F(DeleteTest, AnEmptyFolderIsEnteredListedLeftAndRemoved) {
    server.folders["/home/test"] = {folderLine("e")};
    server.folders["/home/test/e"] = {};
    showFolder(QStringLiteral("/home/test"));
    deleteRows({folder(QStringLiteral("e"))});
    EXPECT_EQ(commands(), (QStringList{"CWD /home/test/e", "TYPE A", "LIST -aL", "CDUP",
                                       "RMD /home/test/e", "PWD", "TYPE A", "LIST -L"}));
    EXPECT_TRUE(pane.rows.isEmpty());
}

TEST_F(DeleteTest, ATreeGoesDepthFirstAndNeverEntersDotFolders) {
    server.folders["/a"] = {folderLine("b")};
    server.folders["/a/b"] = {fileLine("f1"), folderLine("s"), fileLine("f2")};
    server.folders["/a/b/s"] = {folderLine("."), folderLine(".."), fileLine("g")};
    showFolder(QStringLiteral("/a"));
    deleteRows({folder(QStringLiteral("b"))});
    EXPECT_EQ(commands(),
              (QStringList{"CWD /a/b", "TYPE A",        "LIST -aL", "CWD /a/b/s",   "TYPE A",
                           "LIST -aL", "DELE /a/b/s/g", "CDUP",     "RMD /a/b/s",   "PWD",
                           "CWD /a/b", "TYPE A",        "LIST -aL", "DELE /a/b/f2", "DELE /a/b/f1",
                           "CDUP",     "RMD /a/b",      "PWD",      "TYPE A",       "LIST -L"}));
    EXPECT_FALSE(server.folders.contains("/a/b"));
    EXPECT_TRUE(pane.rows.isEmpty());
    // Every folder the job listed is in the cache as the server last listed it.
    ListingColumns cached;
    ReadListingFile(
        RemoteListing::cacheFile(programDir, "127.0.0.1", server.port(), "alice", "/a/b/s"),
        cached);
    EXPECT_EQ(cached.count(), 3u);
}

TEST_F(DeleteTest, SeveralRowsGoFromTheBottomUp) {
    server.folders["/home/test"] = {fileLine("x"), fileLine("y"), fileLine("z")};
    showFolder(QStringLiteral("/home/test"));
    deleteRows({file("x"), file("y"), file("z")});
    EXPECT_EQ(commands(), (QStringList{"DELE /home/test/z", "DELE /home/test/y",
                                       "DELE /home/test/x", "TYPE A", "LIST -L"}));
}

TEST_F(DeleteTest, AnEntryThatCannotGoEndsItsRowAndTheNextRowStillGoes) {
    server.folders["/a"] = {folderLine("b"), fileLine("c")};
    server.folders["/a/b"] = {fileLine("f1"), folderLine("s")};
    server.folders["/a/b/s"] = {fileLine("g")};
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line != QLatin1String("DELE /a/b/s/g")) return false;
        s.send("550 g: Permission denied\r\n");
        return true;
    };
    showFolder(QStringLiteral("/a"));
    // b is the bottom row: it goes first; c is deleted all the same.
    deleteRows({file("c"), folder("b")});
    EXPECT_EQ(commands(),
              (QStringList{"CWD /a/b", "TYPE A", "LIST -aL", "CWD /a/b/s", "TYPE A", "LIST -aL",
                           "DELE /a/b/s/g", "DELE /a/c", "CWD /a", "PWD", "TYPE A", "LIST -L"}));
    EXPECT_TRUE(logText().contains("Could not delete /a/b/s/g: 550 g: Permission denied"))
        << logText().toStdString();
    EXPECT_EQ(pane.messages, QStringList{"1 entry could not be deleted; the log names it."});
    EXPECT_EQ(pane.names(), QStringList{"b"});
}

TEST_F(DeleteTest, AFolderTheServerKeepsListingIsNotEnteredAgain) {
    // RMD says yes, and the folder stays: the walk would come back to it without end.
    server.folders["/a"] = {folderLine("b")};
    server.folders["/a/b"] = {folderLine("s")};
    server.folders["/a/b/s"] = {};
    server.replies["RMD"] = "250 Removed\r\n";
    showFolder(QStringLiteral("/a"));
    deleteRows({folder("b")});
    EXPECT_EQ(commands().count("CWD /a/b/s"), 1) << commands().join('|').toStdString();
    EXPECT_TRUE(logText().contains("Could not delete /a/b/s: it is still there after it was "
                                   "emptied"));
    EXPECT_EQ(pane.messages, QStringList{"1 entry could not be deleted; the log names it."});
}

TEST_F(DeleteTest, BrowsingWhileTheJobRunsStartsNothingAndLeavesItRunning) {
    server.folders["/a"] = {folderLine("b")};
    server.folders["/a/b"] = {fileLine("f1"), fileLine("f2")};
    showFolder(QStringLiteral("/a"));
    ASSERT_TRUE(session.DeleteRows({folder("b")}));
    session.Refresh();
    session.OpenRow(folder("b"));
    EXPECT_FALSE(session.MakeDirectory("/a/new"));
    EXPECT_FALSE(session.DeleteRows({file("x")}));
    ASSERT_TRUE(waitFor(
        [&] { return !session.Deleting() && server.transcript.endsWith("LIST -L"); }, 10000))
        << server.transcript.join('|').toStdString();
    EXPECT_FALSE(server.folders.contains("/a/b"));
    EXPECT_FALSE(commands().contains("MKD /a/new"));
}

TEST_F(DeleteTest, AConnectionLostInsideAFolderIsOpenedAgainAndTheFolderEnteredAgain) {
    server.folders["/home/test"] = {folderLine("e")};
    server.folders["/home/test/e"] = {fileLine("x")};
    showFolder(QStringLiteral("/home/test"));
    bool dropped = false;
    server.intercept = [&dropped](FakeFtpServer& s, const QString& line) {
        if (dropped || line != QLatin1String("TYPE A")) return false;
        dropped = true;
        s.closeControl();
        return true;
    };
    deleteRows({folder("e")});
    EXPECT_EQ(commands(),
              (QStringList{"CWD /home/test/e", "TYPE A", "USER alice", "PASS pw",
                           "CWD /home/test/e", "TYPE A", "LIST -aL", "DELE /home/test/e/x", "CDUP",
                           "RMD /home/test/e", "PWD", "TYPE A", "LIST -L"}));
    EXPECT_FALSE(server.folders.contains("/home/test/e"));
}

TEST_F(DeleteTest, PermissionsGoToEachEntryAndARefusalIsShownOnce) {
    server.folders["/home/test"] = {fileLine("p"), fileLine("q")};
    server.replies["SITE"] = "500 SITE not understood\r\n";
    showFolder(QStringLiteral("/home/test"));
    ASSERT_TRUE(session.SetPermissions("640", {"/home/test/p", "/home/test/q"}));
    ASSERT_TRUE(
        waitFor([&] { return server.transcript.endsWith("LIST -L") && session.IsIdle(); }, 10000))
        << server.transcript.join('|').toStdString();
    EXPECT_EQ(commands(), (QStringList{"SITE CHMOD 640 /home/test/p", "SITE CHMOD 640 /home/test/q",
                                       "CWD /home/test", "PWD", "TYPE A", "LIST -L"}));
    EXPECT_EQ(
        pane.messages,
        QStringList{"The server refused to change the permissions:\n500 SITE not understood"});
    EXPECT_EQ(logText().count("500 SITE not understood"), 4); // reply trace and error, twice
}

TEST_F(DeleteTest, NewDirectoryIsMadeAndTheFolderListedAgain) {
    server.folders["/home/test"] = {};
    showFolder(QStringLiteral("/home/test"));
    ASSERT_TRUE(session.MakeDirectory("/home/test/new"));
    EXPECT_FALSE(session.MakeDirectory("/home/test/other")); // busy: nothing starts
    ASSERT_TRUE(
        waitFor([&] { return server.transcript.endsWith("LIST -L") && session.IsIdle(); }, 10000));
    EXPECT_EQ(commands(),
              (QStringList{"MKD /home/test/new", "CWD /home/test", "PWD", "TYPE A", "LIST -L"}));
}

TEST_F(NavigationTest, AnEmptyQuickConnectFieldIsRefusedWithTheMessage) {
    struct Case {
        const char *host, *user, *password, *port;
    };
    for (const Case& c : {Case{"", "u", "p", "21"}, Case{"h", "", "p", "21"},
                          Case{"h", "u", "", "21"}, Case{"h", "u", "p", ""}}) {
        pane.messages.clear();
        session.QuickConnect(QLatin1String(c.host), QLatin1String(c.user),
                             QLatin1String(c.password), QLatin1String(c.port));
        EXPECT_EQ(pane.messages,
                  QStringList{"Please Enter the valid values for:\n\tHost Name\n\tUser "
                              "Name\n\tPassword\n\tPort"});
    }
    spinFor(50);
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(server.transcript.isEmpty());
}

TEST_F(NavigationTest, TheProxyComesFromTheSettingsAndReconnectReachesTheSameServer) {
    settings.setText(Setting::ConnectionType, QStringLiteral("Proxy"));
    settings.setText(Setting::ProxyServer, QStringLiteral("127.0.0.1"));
    settings.setText(Setting::ProxyPort, server.port());
    server.downloadData = "-rw-r--r-- 1 qq zz 5 Jan 1 2000 file.txt\r\n";
    session.QuickConnect(QStringLiteral("ftp.example.org"), QStringLiteral("alice"),
                         QStringLiteral("pw"), QStringLiteral("21"));
    ASSERT_TRUE(listed());
    EXPECT_EQ(server.transcript.first(), QStringLiteral("USER alice@ftp.example.org"));
    EXPECT_EQ(session.Client().HostName(), QStringLiteral("127.0.0.1"));

    // Asked first; No keeps the session as it is.
    pane.answer = false;
    server.transcript.clear();
    session.Reconnect();
    EXPECT_EQ(pane.questions, 1);
    spinFor(100);
    EXPECT_TRUE(server.transcript.isEmpty());
    EXPECT_TRUE(session.IsConnected());

    pane.answer = true;
    session.Reconnect();
    ASSERT_TRUE(waitFor([&] { return server.transcript.contains("LIST -L"); }, 10000));
    EXPECT_EQ(server.transcript.first(), QStringLiteral("USER alice@ftp.example.org"));
}

TEST_F(NavigationTest, KeepAliveFollowsTheSetting) {
    server.downloadData = "-rw-r--r-- 1 qq zz 5 Jan 1 2000 file.txt\r\n";
    session.QuickConnect(QStringLiteral("127.0.0.1"), QStringLiteral("alice"), QStringLiteral("pw"),
                         server.port());
    ASSERT_TRUE(listed());
    ASSERT_TRUE(session.KeepAliveTimer().isActive()); // on by default
    session.KeepAliveTimer().setInterval(50);         // the product waits 30 s
    ASSERT_TRUE(waitFor([&] { return server.transcript.contains("NOOP"); }, 5000));
    settings.setFlag(Setting::NOOP, false);
    EXPECT_FALSE(session.KeepAliveTimer().isActive());
    settings.setFlag(Setting::NOOP, true);
    EXPECT_TRUE(session.KeepAliveTimer().isActive());
}

TEST_F(NavigationTest, NoKeepAliveRunsAfterARefusedLogin) {
    server.replies["PASS"] = "530 Login incorrect\r\n";
    session.KeepAliveTimer().setInterval(50);
    session.QuickConnect(QStringLiteral("127.0.0.1"), QStringLiteral("alice"),
                         QStringLiteral("bad"), server.port());
    ASSERT_TRUE(waitFor([&] { return server.transcript.contains("PASS bad"); }, 5000));
    spinFor(600); // a dozen ticks
    EXPECT_FALSE(server.transcript.contains("NOOP")) << server.transcript.join(u' ').toStdString();
    EXPECT_FALSE(session.IsIdle());
}

TEST_F(NavigationTest, AServerThatNeverAnswersEndsInAnErrorLineAfterTheTimeOut) {
    server.banner.clear();
    settings.setInteger(Setting::InactivityTimeout, 1);
    EXPECT_EQ(session.Client().InactivityTimeout(), 1);
    session.QuickConnect(QStringLiteral("127.0.0.1"), QStringLiteral("alice"), QStringLiteral("pw"),
                         server.port());
    const QString reason = QStringLiteral("421 Timeout: no reply from the server for 1 s");
    auto at = [&](const QString& text) {
        for (qsizetype i = 0; i < log.lines().size(); ++i) {
            if (log.lines()[i].text == text) return i;
        }
        return qsizetype(-1);
    };
    ASSERT_TRUE(waitFor([&] { return at(QStringLiteral("Session Closed")) >= 0; }, 5000));
    // The reason first, in the error colour, then that the session closed.
    ASSERT_GE(at(reason), 0);
    EXPECT_LT(at(reason), at(QStringLiteral("Session Closed")));
    EXPECT_EQ(log.lines()[at(reason)].colour, settings.integer(Setting::ErrorMsgColor));
    EXPECT_FALSE(pane.paneEnabled);
    EXPECT_FALSE(session.IsConnected());
}

TEST(NavigationRealServer, BrowsesPyftpdlibAndServesFetchedFoldersFromTheCache) {
    RealFtpServer server = StartPyftpdlib();
    ASSERT_TRUE(server.ok()) << server.failure.toStdString();
    QDir(server.root).mkpath(QStringLiteral("pub/deeper"));
    QFile f(server.root + QStringLiteral("/pub/readme.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("hello");
    f.close();

    RecordingPane pane;
    SessionLog log;
    SettingsSource settings;
    Navigation_Manager session(pane, pane, log, settings, AppPaths::programDir());
    session.OpenSession(QStringLiteral("127.0.0.1"), server.user, server.password,
                        QString::number(server.port), QStringLiteral("pub"), QStringLiteral("/tmp"),
                        4);
    ASSERT_TRUE(waitFor([&] { return pane.rows.size() == 2 && pane.paneEnabled; }, 15000));
    EXPECT_EQ(pane.names(), (QStringList{"deeper", "readme.txt"}));
    EXPECT_EQ(session.SiteIndex(), 4);
    EXPECT_EQ(session.LocalDirectory(), QStringLiteral("/tmp"));
    const QString pub = session.DisplayedDirectory();
    EXPECT_TRUE(pub.endsWith(QLatin1String("/pub")));

    session.OneLevelUp();
    ASSERT_TRUE(waitFor(
        [&] { return session.DisplayedDirectory() != pub && pane.names() == QStringList{"pub"}; },
        15000));
    ASSERT_TRUE(waitFor([&] { return session.IsIdle(); }));
    const qsizetype lines = log.lines().size();
    session.ChangeDirectory(pub, false);
    EXPECT_EQ(log.lines()[lines].text, QStringLiteral("Using Cached Listing for ") + pub);
    EXPECT_EQ(pane.names(), (QStringList{"deeper", "readme.txt"}));
    session.CloseSession();
}

} // namespace
