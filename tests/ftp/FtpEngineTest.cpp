#include "ScriptedFtpTest.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class FtpEngineTest : public ScriptedFtpTest {
protected:
    static QByteArray pattern(int size) {
        QByteArray b(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            b[i] = char((i * 31) ^ (i >> 8));
        return b;
    }
};

TEST_F(FtpEngineTest, MultiLineBannerIsShownWholeAndReportedOnce) {
    server.banner = "220-Welcome\r\n220-second line\r\n220 ready\r\n";
    client.OpenAsync();
    EXPECT_EQ(client.State(), ftpWaitingBanner); // a dotted address needs no lookup
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_EQ(rec.done.first().first, ftpOpenAsync);
    EXPECT_EQ(rec.display, (QStringList{"< 220-Welcome", "< 220-second line", "< 220 ready"}));
    EXPECT_EQ(rec.responses, 3);
    spinFor(50);
    EXPECT_EQ(rec.done.size(), 1);
}

TEST_F(FtpEngineTest, MultiLineReplyShowsOnlyItsLastLineAndPasswordIsMasked) {
    server.replies[QStringLiteral("PASS")] = "230-Welcome aboard\r\nsome text\r\n230 Logged in\r\n";
    login();
    EXPECT_EQ(server.transcript, (QStringList{"USER tester", "PASS s3cret-pass"}));
    EXPECT_TRUE(rec.display.contains(QStringLiteral("> PASS *******")));
    EXPECT_TRUE(rec.display.contains(QStringLiteral("< 230 Logged in")));
    EXPECT_FALSE(rec.display.join(u'\n').contains(QStringLiteral("s3cret")))
        << rec.display.join(u'\n').toStdString();
    EXPECT_FALSE(rec.display.contains(QStringLiteral("< 230-Welcome aboard")));
    EXPECT_EQ(rec.responses, 1 + 1 + 3); // banner, USER reply, three PASS lines
}

TEST_F(FtpEngineTest, BareLineFeedsNeedAcceptLF) {
    server.banner = "220 lf only\n";
    client.OpenAsync();
    ASSERT_EQ(rec.waitDone(), 0);

    FakeFtpServer strict;
    strict.banner = "220 lf only\n";
    TFtpClient other;
    FtpRecorder r;
    r.attach(other);
    other.SetOptions(0);
    other.SetHostName(QStringLiteral("127.0.0.1"));
    other.SetPort(strict.port());
    other.OpenAsync();
    EXPECT_EQ(r.waitDone(300), -1);
    EXPECT_EQ(other.State(), ftpWaitingBanner);
    strict.send("220 now with CR LF\r\n");
    EXPECT_EQ(r.waitDone(), 0);
}

TEST_F(FtpEngineTest, PassIsSkippedAfter230) {
    server.replies[QStringLiteral("USER")] = "230 No password needed\r\n";
    login();
    EXPECT_EQ(server.transcript, QStringList{"USER tester"});
    EXPECT_EQ(rec.done.last().first, ftpConnectAsync);
}

TEST_F(FtpEngineTest, RejectedPasswordEndsTheSequence) {
    server.replies[QStringLiteral("PASS")] = "530 Login incorrect\r\n";
    client.ConnectAsync();
    EXPECT_EQ(rec.waitDone(), 530);
    EXPECT_EQ(client.ErrorMessage(), QStringLiteral("530 Login incorrect"));
    EXPECT_EQ(client.State(), ftpReady);
    EXPECT_TRUE(client.Connected()); // a negative reply keeps the connection
}

TEST_F(FtpEngineTest, RefusedCwdEndsTheSequenceBeforeQuit) {
    server.replies[QStringLiteral("CWD")] = "550 No such directory\r\n";
    client.SetHostDirName(QStringLiteral("/missing"));
    client.SetLocalFileName(localPath(QStringLiteral("dir.lst")));
    client.DirectoryAsync();
    EXPECT_EQ(rec.waitDone(), 550);
    EXPECT_EQ(rec.done.last().first, ftpDirectoryAsync);
    EXPECT_EQ(server.transcript, (QStringList{"USER tester", "PASS s3cret-pass", "CWD /missing"}));
}

TEST_F(FtpEngineTest, DirectoryWithoutHostDirSkipsCwdAndRestoresTheReplyBeforeQuit) {
    server.downloadData = "-rw-r--r-- 1 a b 1 Jan 1 2000 x\r\n";
    client.SetLocalFileName(localPath(QStringLiteral("dir2.lst")));
    client.SetPassive(true);
    client.DirectoryAsync();
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_EQ(server.transcript,
              (QStringList{"USER tester", "PASS s3cret-pass", "PASV", "LIST -L", "QUIT"}));
    EXPECT_EQ(client.LastReply(), QStringLiteral("226 Transfer complete"));
    EXPECT_EQ(readFile(localPath(QStringLiteral("dir2.lst"))), server.downloadData);
}

TEST_F(FtpEngineTest, PassiveDownloadGoesToTheControlAddress) {
    login();
    server.pasvHost = QStringLiteral("10,9,8,7"); // elsewhere; must not be used
    server.downloadData = pattern(100000);
    client.SetPassive(true);
    client.SetHostFileName(QStringLiteral("big.bin"));
    client.SetLocalFileName(localPath(QStringLiteral("big.bin")));
    client.GetAsync();
    ASSERT_EQ(rec.waitDone(), 0) << client.LastReply().toStdString();
    EXPECT_EQ(rec.done.last().first, ftpGetAsync);
    EXPECT_EQ(readFile(localPath(QStringLiteral("big.bin"))), server.downloadData);
    EXPECT_EQ(server.transcript.mid(2), (QStringList{"PASV", "RETR big.bin"}));
    ASSERT_FALSE(rec.display.filter(QStringLiteral("! 100000 bytes received/sent in")).isEmpty())
        << rec.display.join(u'\n').toStdString();
}

TEST_F(FtpEngineTest, ActiveDownloadUsesTheLoopbackPortForm) {
    login();
    server.downloadData = "hello active";
    client.SetHostFileName(QStringLiteral("a.txt"));
    client.SetLocalFileName(localPath(QStringLiteral("a.txt")));
    client.GetAsync();
    ASSERT_EQ(rec.waitDone(), 0) << client.LastReply().toStdString();
    ASSERT_EQ(server.transcript.size(), 4);
    EXPECT_TRUE(server.transcript[2].startsWith(QStringLiteral("PORT 127,0,0,1,")))
        << server.transcript[2].toStdString();
    EXPECT_EQ(server.transcript[3], QStringLiteral("RETR a.txt"));
    EXPECT_EQ(readFile(localPath(QStringLiteral("a.txt"))), "hello active");
}

TEST_F(FtpEngineTest, DataClosedBeforeThePreliminaryReplyStillCompletes) {
    login();
    server.dataBeforePreliminary = true;
    server.downloadData = "early data";
    client.SetPassive(true);
    client.SetHostFileName(QStringLiteral("e.txt"));
    client.SetLocalFileName(localPath(QStringLiteral("e.txt")));
    client.GetAsync();
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_EQ(readFile(localPath(QStringLiteral("e.txt"))), "early data");
}

TEST_F(FtpEngineTest, ResumedDownloadAppendsFromTheLocalSize) {
    login();
    server.downloadData = pattern(30000);
    const QString path = localPath(QStringLiteral("resume.bin"));
    writeFile(path, server.downloadData.left(1000));
    client.SetPassive(true);
    client.SetHostFileName(QStringLiteral("resume.bin"));
    client.SetLocalFileName(path);
    client.RestGetAsync();
    ASSERT_EQ(rec.waitDone(), 0) << client.LastReply().toStdString();
    EXPECT_EQ(server.transcript.mid(2), (QStringList{"PASV", "REST 1000", "RETR resume.bin"}));
    EXPECT_EQ(readFile(path), server.downloadData);
    ASSERT_FALSE(rec.progress.isEmpty());
    EXPECT_EQ(rec.progress.first(), 1000);
    EXPECT_EQ(client.RestartOffset(), 0);

    // No local file: no REST, and the download starts at 0.
    server.transcript.clear();
    QFile::remove(path);
    client.RestGetAsync();
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_EQ(server.transcript, (QStringList{"PASV", "RETR resume.bin"}));
    EXPECT_EQ(readFile(path), server.downloadData);
}

TEST_F(FtpEngineTest, RefusedRestStopsBeforeRetr) {
    login();
    server.replies[QStringLiteral("REST")] = "502 REST not implemented\r\n";
    const QString path = localPath(QStringLiteral("norest.bin"));
    writeFile(path, "0123456789");
    client.SetPassive(true);
    client.SetHostFileName(QStringLiteral("norest.bin"));
    client.SetLocalFileName(path);
    client.RestGetAsync();
    EXPECT_EQ(rec.waitDone(), 502);
    EXPECT_EQ(server.transcript.mid(2), (QStringList{"PASV", "REST 10"}));
    EXPECT_EQ(readFile(path), "0123456789");
}

TEST_F(FtpEngineTest, UploadInBothModes) {
    login();
    const QByteArray data = pattern(20000);
    const QString path = localPath(QStringLiteral("up.bin"));
    writeFile(path, data);
    for (bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        server.uploaded.clear();
        client.SetPassive(passive);
        client.SetHostFileName(QStringLiteral("up.bin"));
        client.SetLocalFileName(path);
        client.PutAsync();
        ASSERT_EQ(rec.waitDone(), 0) << client.LastReply().toStdString();
        EXPECT_EQ(rec.done.last().first, ftpPutAsync);
        EXPECT_EQ(server.uploaded, data);
        EXPECT_EQ(server.transcript.last(), QStringLiteral("STOR up.bin"));
    }
}

TEST_F(FtpEngineTest, StorRefusedClosesEverythingAndReportsTheCode) {
    login();
    server.replies[QStringLiteral("STOR")] = "553 Not allowed\r\n";
    const QString path = localPath(QStringLiteral("refused.bin"));
    writeFile(path, "data");
    client.SetPassive(true);
    client.SetHostFileName(QStringLiteral("refused.bin"));
    client.SetLocalFileName(path);
    client.PutAsync();
    EXPECT_EQ(rec.waitDone(), 553);
    EXPECT_EQ(client.DataSocket()->State(), wsClosed);
    EXPECT_TRUE(QFile::remove(path)); // not held open
}

TEST_F(FtpEngineTest, AbortThroughProgressClosesTheDataConnection) {
    login();
    server.downloadData = pattern(4 << 20);
    server.keepDataOpen = true;
    server.finalDownloadReply = "426 Connection closed; transfer aborted\r\n";
    rec.abortAtFirstProgress = true;
    client.SetPassive(true);
    client.SetHostFileName(QStringLiteral("abort.bin"));
    client.SetLocalFileName(localPath(QStringLiteral("abort.bin")));
    client.GetAsync();
    EXPECT_EQ(rec.waitDone(), 426);
    EXPECT_TRUE(rec.display.contains(QStringLiteral("! Abort requested")));
    EXPECT_TRUE(rec.display.contains(QStringLiteral("! RETR/LIST/NLST Failed")));
    // The block at hand was not written.
    EXPECT_LT(QFileInfo(localPath(QStringLiteral("abort.bin"))).size(), 4 << 20);
    EXPECT_TRUE(client.Connected());
}

TEST_F(FtpEngineTest, BlockingConnectTimesOutWithoutABanner) {
    server.banner.clear();
    client.SetTimeout(1);
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.ErrorMessage(), QStringLiteral("426 Timeout"));
    EXPECT_EQ(client.ReplyCode(), 426);
    EXPECT_FALSE(client.Connected());
}

TEST_F(FtpEngineTest, AnOverlongReplyLineEndsTheConnection) {
    login();
    server.replies[QStringLiteral("NOOP")] = QByteArray(6000, 'x');
    client.SetLocalFileName(QStringLiteral("NOOP"));
    client.QuoteAsync();
    const int error = rec.waitDone();
    EXPECT_NE(error, 0);
    EXPECT_NE(error, -1);
    EXPECT_FALSE(client.Connected());
}

TEST_F(FtpEngineTest, AStepThatCannotStartEndsTheSequenceWithAReport) {
    client.SetPassWord(QString());
    client.ConnectAsync();
    EXPECT_EQ(rec.waitDone(), 500);
    EXPECT_EQ(client.ErrorMessage(), QStringLiteral("500 Password emtpy"));
    EXPECT_EQ(client.State(), ftpReady);
}

TEST_F(FtpEngineTest, LostControlConnectionInASequenceIsReported) {
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (!line.startsWith(QLatin1String("PASS"))) return false;
        s.closeControl();
        return true;
    };
    client.ConnectAsync();
    EXPECT_EQ(rec.waitDone(), 421);
    EXPECT_FALSE(client.Connected());
}

TEST_F(FtpEngineTest, PassiveReplyWithoutSixNumbersIsReported) {
    login();
    server.replies[QStringLiteral("PASV")] = "227 Entering Passive Mode 127,0,0,1\r\n";
    client.SetPassive(true);
    client.SetHostFileName(QStringLiteral("x"));
    client.SetLocalFileName(localPath(QStringLiteral("x")));
    client.GetAsync();
    EXPECT_EQ(rec.waitDone(), 425);
}

TEST_F(FtpEngineTest, ArgumentsWithLineBreaksAreNeverSent) {
    login();
    const QString path = localPath(QStringLiteral("keep.txt"));
    writeFile(path, "precious");
    client.SetHostFileName(QStringLiteral("a.txt\r\nDELE important"));
    client.SetLocalFileName(path);
    client.SetPassive(true);
    client.GetAsync();
    EXPECT_EQ(rec.waitDone(), 501);
    EXPECT_EQ(readFile(path), "precious");
    client.SizeAsync();
    EXPECT_EQ(rec.waitDone(), 501);
    client.SetLocalFileName(QStringLiteral("NOOP\nDELE x"));
    client.QuoteAsync();
    EXPECT_EQ(rec.waitDone(), 501);
    spinFor(50);
    EXPECT_TRUE(server.transcript.filter(QStringLiteral("DELE")).isEmpty())
        << server.transcript.join('|').toStdString();
    EXPECT_TRUE(client.Connected());
}

TEST_F(FtpEngineTest, QuotedPathsAndSizes) {
    login();
    const std::pair<const char*, const char*> cases[] = {
        {"257 \"/a \"\"quoted\"\" dir\" is current\r\n", "/a \"quoted\" dir"},
        {"257 \"/plain\"\r\n", "/plain"},
        {"257 no quotes here\r\n", ""},
    };
    for (const auto& [reply, path] : cases) {
        server.replies[QStringLiteral("PWD")] = reply;
        client.PwdAsync();
        ASSERT_EQ(rec.waitDone(), 0);
        EXPECT_EQ(client.QuotedPath(), QString::fromUtf8(path)) << reply;
    }
    server.replies[QStringLiteral("SIZE")] = "213 5368709120\r\n";
    client.SetHostFileName(QStringLiteral("huge.iso"));
    client.SizeAsync();
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_EQ(client.RemoteSize(), 5368709120LL);
}

TEST_F(FtpEngineTest, QuoteSucceedsBelow500) {
    login();
    client.SetLocalFileName(QStringLiteral("NOOP"));
    server.replies[QStringLiteral("NOOP")] = "421 busy\r\n";
    client.QuoteAsync();
    EXPECT_EQ(rec.waitDone(), 0);
    server.replies[QStringLiteral("NOOP")] = "500 what\r\n";
    client.QuoteAsync();
    EXPECT_EQ(rec.waitDone(), 500);
    EXPECT_EQ(server.transcript.last(), QStringLiteral("NOOP"));
}

TEST_F(FtpEngineTest, LookupFailureIsReportedWithItsSocketError) {
    client.SetHostName(QStringLiteral("no-such-host.invalid"));
    client.OpenAsync();
    EXPECT_EQ(rec.waitDone(), 11001);
    EXPECT_EQ(client.LastReply(), QStringLiteral("500 Host not found (Winsock error #11001)"));
    EXPECT_EQ(rec.done.last().first, ftpOpenAsync);
}

TEST_F(FtpEngineTest, RefusedConnectionIsReported) {
    client.SetPort(QString::number(freePort()));
    client.ConnectAsync();
    EXPECT_EQ(rec.waitDone(), 10061);
    EXPECT_EQ(client.LastReply(),
              QStringLiteral("500 Connection refused by 127.0.0.1:%1 (Winsock error #10061)")
                  .arg(client.Port()));
}

TEST_F(FtpEngineTest, AbortWhileIdleReportsNothingAndAbortDuringACommandReports426) {
    login();
    client.AbortAsync();
    spinFor(50);
    EXPECT_EQ(rec.done.size(), 1);

    login();
    server.replies[QStringLiteral("NOOP")] = ""; // never answered
    client.SetLocalFileName(QStringLiteral("NOOP"));
    client.QuoteAsync();
    spinFor(50);
    client.AbortAsync();
    EXPECT_EQ(rec.waitDone(), 426);
    EXPECT_EQ(client.State(), ftpReady);
    EXPECT_FALSE(client.Connected());
}

TEST_F(FtpEngineTest, DirWithoutHostFileNameSendsBareListAndTinyTransferStats) {
    login();
    server.downloadData = "0123456789";
    client.SetPassive(true);
    client.SetLocalFileName(localPath(QStringLiteral("tiny.lst")));
    client.DirAsync();
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_EQ(server.transcript.last(), QStringLiteral("LIST -L"));
    const QStringList stats =
        rec.display.filter(QStringLiteral("! 10 bytes received/sent in 0 seconds"));
    ASSERT_EQ(stats.size(), 1);
}

TEST_F(FtpEngineTest, AsciiTransfersConvertLineEnds) {
    login();
    client.SetBinary(false);
    client.SetPassive(true);
    server.downloadData = "one\r\ntwo\r\nthree\r\n";
    client.SetHostFileName(QStringLiteral("t.txt"));
    client.SetLocalFileName(localPath(QStringLiteral("t.txt")));
    client.GetAsync();
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_EQ(readFile(localPath(QStringLiteral("t.txt"))), "one\ntwo\nthree\n");

    writeFile(localPath(QStringLiteral("u.txt")), "alpha\nbeta\n");
    client.SetHostFileName(QStringLiteral("u.txt"));
    client.SetLocalFileName(localPath(QStringLiteral("u.txt")));
    client.PutAsync();
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_EQ(server.uploaded, "alpha\r\nbeta\r\n");
}

TEST_F(FtpEngineTest, DownloadsToTheDisplayOrACallersStream) {
    login();
    client.SetPassive(true);
    server.downloadData = "first line\r\nsecond line\r\n";
    QStringList shown;
    client.OnDisplayFile = [&](TCustomFtpCli*, QString& text) { shown << text; };
    client.SetDisplayFileFlag(true);
    client.SetLocalFileName(QString());
    client.SetHostFileName(QStringLiteral("notes.txt"));
    client.GetAsync();
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_EQ(shown, (QStringList{"first line", "second line"}));
    client.SetDisplayFileFlag(false);

    // A caller's stream is written and left open; a resume positions it.
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    buffer.write("0123456789");
    server.downloadData = "0123456789abcdef";
    client.SetLocalStream(&buffer);
    EXPECT_TRUE(client.LocalFileName().isEmpty());
    client.SetRestartOffset(10);
    client.SetOptions(ftpAcceptLF | ftpNoAutoResumeAt);
    client.RestGetAsync();
    ASSERT_EQ(rec.waitDone(), 0);
    EXPECT_TRUE(buffer.isOpen());
    EXPECT_EQ(buffer.data(), "0123456789abcdef");
    EXPECT_EQ(server.transcript.mid(server.transcript.size() - 2),
              (QStringList{"REST 10", "RETR notes.txt"}));
}

TEST(FtpEngineProperties, ShareModeAndDisplayModeStoreOnlyKnownValues) {
    TFtpClient c;
    EXPECT_EQ(c.ShareMode(), ftpShareExclusive);
    c.SetShareMode(ftpShareDenyNone);
    EXPECT_EQ(c.ShareMode(), ftpShareDenyNone);
    c.SetShareMode(42);
    EXPECT_EQ(c.ShareMode(), ftpShareExclusive);
    c.SetDisplayFileMode(ftpBinary);
    EXPECT_EQ(c.DisplayFileMode(), ftpBinary);
    c.SetDisplayFileMode(7);
    EXPECT_EQ(c.DisplayFileMode(), ftpLineByLine);
    c.SetBinary(false);
    EXPECT_FALSE(c.Binary());
    EXPECT_EQ(c.Port(), QStringLiteral("ftp"));
    EXPECT_EQ(c.Timeout(), 15);
    EXPECT_EQ(c.State(), ftpReady);
    EXPECT_THROW(c.UserAsync(), FtpException); // empty user name
    EXPECT_THROW(c.PwdAsync(), FtpException);  // not connected
}

TEST_F(FtpEngineTest, ConnectionTypeRules) {
    client.SetConnectionType(ftpSocks5);
    EXPECT_TRUE(client.Passive());
    client.SetPassive(false);
    EXPECT_TRUE(client.Passive());
    client.SetConnectionType(ftpDirect);
    EXPECT_TRUE(client.Passive()); // choosing direct later does not turn it off
    client.SetPassive(false);
    EXPECT_FALSE(client.Passive());
    login();
    EXPECT_THROW(client.SetConnectionType(ftpProxy), FtpException);
    EXPECT_THROW(client.OpenAsync(), FtpException);
}

TEST_F(FtpEngineTest, ProxyUserForm) {
    client.SetConnectionType(ftpProxy);
    client.SetProxyServer(QStringLiteral("127.0.0.1"));
    client.SetProxyControlPort(server.port());
    client.SetHostName(QStringLiteral("ftp.example.org"));
    client.SetPort(QStringLiteral("2121"));
    login();
    EXPECT_EQ(server.transcript.first(), QStringLiteral("USER tester@ftp.example.org:2121"));
}

} // namespace

namespace {

QStringList g_stateTrace;

void recordStateTrace(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (qstrcmp(context.category, "quillon.ftp.state") == 0) g_stateTrace << message;
}

TEST_F(FtpEngineTest, EveryStateChangeIsTracedByName) {
    QLoggingCategory::setFilterRules(QStringLiteral("quillon.ftp.state.debug=true"));
    g_stateTrace.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordStateTrace);
    login();
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    // Open, USER and PASS, each step through the internal ready state, then ready.
    EXPECT_EQ(
        g_stateTrace,
        (QStringList{"ftpReady -> ftpDnsLookup", "ftpDnsLookup -> ftpWaitingBanner",
                     "ftpWaitingBanner -> ftpConnected", "ftpConnected -> ftpInternalReady",
                     "ftpInternalReady -> ftpWaitingResponse",
                     "ftpWaitingResponse -> ftpInternalReady",
                     "ftpInternalReady -> ftpWaitingResponse",
                     "ftpWaitingResponse -> ftpInternalReady", "ftpInternalReady -> ftpReady"}));
}

} // namespace
