// The engine against servers that misbehave: each case scripts one fault and checks
// that the engine stays in step, ends the request with a readable reason, and destroys
// nothing on the local side.
#include "ScriptedFtpTest.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

class FtpHardeningTest : public ScriptedFtpTest {
protected:
    // Runs one request and returns its report's error (-1: none came).
    int run(void (TCustomFtpCli::*operation)(), int timeoutMs = 10000) {
        (client.*operation)();
        return rec.waitDone(timeoutMs);
    }
};

TEST_F(FtpHardeningTest, AFailedDataConnectionLeavesTheRepliesInStep) {
    login();
    client.SetPassive(true);
    const quint16 closed = freePort();
    bool listPending = false;
    server.intercept = [closed, &listPending](FakeFtpServer& s, const QString& line) {
        if (line == QLatin1String("PWD") && listPending) {
            // Replies keep the order of the commands: PWD's comes after LIST's.
            QTimer::singleShot(300, &s,
                               [&s] { s.send("257 \"/home/test\" is the current directory\r\n"); });
            return true;
        }
        if (line == QLatin1String("PASV")) {
            s.send(QStringLiteral("227 Entering Passive Mode (127,0,0,1,%1,%2)\r\n")
                       .arg(closed >> 8)
                       .arg(closed & 0xff)
                       .toUtf8());
            return true;
        }
        if (line.startsWith(QLatin1String("LIST"))) {
            // The server gives up on the data connection only a while later.
            listPending = true;
            QTimer::singleShot(200, &s, [&s, &listPending] {
                s.send("425 Can't open data connection\r\n");
                listPending = false;
            });
            return true;
        }
        return false;
    };
    client.SetLocalFileName(localPath(QStringLiteral("listing.txt")));
    EXPECT_NE(run(&TCustomFtpCli::DirAsync), 0);

    // The next commands get their own replies, not the data command's late 425.
    EXPECT_EQ(run(&TCustomFtpCli::PwdAsync), 0) << client.LastReply().toStdString();
    EXPECT_EQ(client.LastReply(), QStringLiteral("257 \"/home/test\" is the current directory"));
    EXPECT_EQ(client.QuotedPath(), QStringLiteral("/home/test"));
    EXPECT_TRUE(waitFor([&] { return rec.display.contains("< 425 Can't open data connection"); }));
    client.SetHostDirName(QStringLiteral("/pub"));
    EXPECT_EQ(run(&TCustomFtpCli::CwdAsync), 0);
    EXPECT_EQ(client.LastReply(), QStringLiteral("250 Directory changed"));
}

TEST_F(FtpHardeningTest, RepliesThatBelongToNoRequestAreShownAndDropped) {
    login();
    const QString judged = client.LastReply();
    server.send("200 nobody asked\r\n");
    ASSERT_TRUE(waitFor([&] { return rec.display.contains("< 200 nobody asked"); }));
    EXPECT_EQ(client.LastReply(), judged);
    EXPECT_EQ(client.State(), ftpReady);

    // A stray success in the same packet as USER's reply is not PASS's reply.
    TFtpClient other;
    FtpRecorder otherRec;
    otherRec.attach(other);
    aimAt(other, server, QStringLiteral("wrong"));
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line.startsWith(QLatin1String("USER"))) {
            s.send("331 Password required\r\n230 Logged in\r\n");
            return true;
        }
        if (line.startsWith(QLatin1String("PASS"))) {
            s.send("530 Login incorrect\r\n");
            return true;
        }
        return false;
    };
    other.ConnectAsync();
    EXPECT_EQ(otherRec.waitDone(), 530);
    EXPECT_EQ(other.LastReply(), QStringLiteral("530 Login incorrect"));
    EXPECT_TRUE(otherRec.display.contains(QStringLiteral("< 230 Logged in")));
}

TEST_F(FtpHardeningTest, AServerThatNeverGreetsTimesOutAndTheEngineOpensAgain) {
    server.banner.clear();
    client.SetInactivityTimeout(1);
    QElapsedTimer clock;
    clock.start();
    int ticks = 0; // the loop keeps running while the engine waits
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(50);
    EXPECT_EQ(run(&TCustomFtpCli::OpenAsync, 5000), 421);
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_GT(ticks, 10);
    EXPECT_EQ(client.ErrorMessage(),
              QStringLiteral("421 Timeout: no reply from the server for 1 s"));
    EXPECT_FALSE(client.Connected());

    FakeFtpServer good;
    client.SetPort(good.port());
    EXPECT_EQ(run(&TCustomFtpCli::OpenAsync), 0);
}

TEST_F(FtpHardeningTest, AStalledDownloadTimesOutAndClosesItsDataConnection) {
    login();
    client.SetInactivityTimeout(1);
    server.downloadData = QByteArray(1000, 'x');
    server.keepDataOpen = true; // data stops, nothing more comes
    client.SetHostFileName(QStringLiteral("stall.bin"));
    client.SetLocalFileName(localPath(QStringLiteral("stall.bin")));
    EXPECT_EQ(run(&TCustomFtpCli::GetAsync, 5000), 421);
    EXPECT_TRUE(client.ErrorMessage().contains(QLatin1String("Timeout")));
    EXPECT_EQ(client.DataSocket()->State(), wsClosed);
    EXPECT_TRUE(client.State() == ftpReady || client.State() == ftpInternalReady)
        << FtpStateName(client.State());
}

TEST_F(FtpHardeningTest, ANeverEndingReplyIsCutOff) {
    login();
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line != QLatin1String("PWD")) return false;
        QByteArray endless;
        for (int i = 0; i <= FtpReplyReader::kMaxReplyLines + 10; ++i)
            endless += "257-still going\r\n";
        s.send(endless);
        return true;
    };
    EXPECT_EQ(run(&TCustomFtpCli::PwdAsync), 421);
    EXPECT_EQ(client.ErrorMessage(),
              QStringLiteral("421 Reply longer than 10000 lines: connection closed by 1Quillon"));
    EXPECT_TRUE(waitFor([&] { return !client.Connected(); }));
}

TEST_F(FtpHardeningTest, AnOverlongLineSaysWhatHappened) {
    login();
    server.send(QByteArray(5000, 'y'));
    ASSERT_TRUE(waitFor([&] { return !client.Connected(); }));
    client.SetPort(server.port());
    FakeFtpServer other;
    other.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line != QLatin1String("PWD")) return false;
        s.send("257 " + QByteArray(5000, 'z') + "\r\n");
        return true;
    };
    TFtpClient c;
    FtpRecorder r;
    r.attach(c);
    aimAt(c, other);
    c.ConnectAsync();
    ASSERT_EQ(r.waitDone(), 0);
    c.PwdAsync();
    EXPECT_EQ(r.waitDone(), 421);
    EXPECT_EQ(
        c.ErrorMessage(),
        QStringLiteral("421 Reply line longer than 4095 bytes: connection closed by 1Quillon"));
}

TEST_F(FtpHardeningTest, ASizeThatIsNoSoundNumberIsAFailure) {
    login();
    for (const char* reply : {"213 99999999999999999999\r\n", "213 -1\r\n", "213 12abc\r\n"}) {
        server.replies[QStringLiteral("SIZE")] = reply;
        client.SetHostFileName(QStringLiteral("f.bin"));
        EXPECT_EQ(run(&TCustomFtpCli::SizeAsync), 501) << reply;
        EXPECT_EQ(client.RemoteSize(), 0) << reply;
        EXPECT_TRUE(client.ErrorMessage().startsWith(QLatin1String("501 Size not understood: 213")))
            << client.ErrorMessage().toStdString();
    }
    server.replies[QStringLiteral("SIZE")] = "213 5368709120\r\n";
    EXPECT_EQ(run(&TCustomFtpCli::SizeAsync), 0);
    EXPECT_EQ(client.RemoteSize(), 5368709120LL);
}

TEST_F(FtpHardeningTest, ADownloadThatNeverStartsKeepsTheLocalFile) {
    login();
    const QString path = localPath(QStringLiteral("precious.txt"));
    struct Case {
        const char* what;
        bool passive;
        QByteArray pasvReply, retrReply;
    };
    for (const Case& c : {Case{"bad 227", true, "227 Entering Passive Mode (1,2,3)\r\n", {}},
                          Case{"refused", false, {}, "550 No such file\r\n"},
                          Case{"refused, passive", true, {}, "550 No such file\r\n"}}) {
        writeFile(path, "keep me");
        server.replies.clear();
        if (!c.pasvReply.isEmpty()) server.replies[QStringLiteral("PASV")] = c.pasvReply;
        if (!c.retrReply.isEmpty()) server.replies[QStringLiteral("RETR")] = c.retrReply;
        client.SetPassive(c.passive);
        client.SetHostFileName(QStringLiteral("precious.txt"));
        client.SetLocalFileName(path);
        EXPECT_NE(run(&TCustomFtpCli::GetAsync), 0) << c.what;
        EXPECT_EQ(readFile(path), QByteArray("keep me")) << c.what;
        EXPECT_FALSE(client.ErrorMessage().isEmpty()) << c.what;
    }
    // A new file is not even created by a refused transfer.
    const QString fresh = localPath(QStringLiteral("never.txt"));
    QFile::remove(fresh);
    client.SetLocalFileName(fresh);
    EXPECT_EQ(run(&TCustomFtpCli::GetAsync), 550);
    EXPECT_FALSE(QFileInfo::exists(fresh));
}

TEST_F(FtpHardeningTest, AShortDownloadIsAFailedTransfer) {
    login();
    server.downloadData = QByteArray(1000, 'd');
    server.preliminaryReply =
        "150 Opening BINARY mode data connection for big.bin (1048576 bytes)\r\n";
    client.SetHostFileName(QStringLiteral("big.bin"));
    client.SetLocalFileName(localPath(QStringLiteral("big.bin")));
    EXPECT_EQ(run(&TCustomFtpCli::GetAsync), 426);
    EXPECT_EQ(client.ErrorMessage(),
              QStringLiteral("426 Transfer incomplete: 1000 of 1048576 bytes received"));

    // The size from SIZE counts as well; a complete file passes.
    server.preliminaryReply = "150 Opening data connection\r\n";
    server.replies[QStringLiteral("SIZE")] = "213 4096\r\n";
    EXPECT_EQ(run(&TCustomFtpCli::SizeAsync), 0);
    EXPECT_EQ(run(&TCustomFtpCli::GetAsync), 426);
    server.downloadData = QByteArray(4096, 'd');
    EXPECT_EQ(run(&TCustomFtpCli::SizeAsync), 0);
    EXPECT_EQ(run(&TCustomFtpCli::GetAsync), 0) << client.ErrorMessage().toStdString();
    EXPECT_EQ(readFile(localPath(QStringLiteral("big.bin"))).size(), 4096);
}

TEST_F(FtpHardeningTest, AnUploadCutByTheServerFailsWithAReadableReason) {
    login();
    client.SetPassive(true);
    server.resetUpload = true;
    const QString path = localPath(QStringLiteral("up.bin"));
    writeFile(path, QByteArray(16 * 1024 * 1024, 'u'));
    client.SetHostFileName(QStringLiteral("up.bin"));
    client.SetLocalFileName(path);
    EXPECT_NE(run(&TCustomFtpCli::PutAsync), 0);
    EXPECT_TRUE(client.ErrorMessage().startsWith(QLatin1String("426")))
        << client.ErrorMessage().toStdString();
}

TEST_F(FtpHardeningTest, ControlCharactersFromARepliedPathAreNeverSent) {
    login();
    server.replies[QStringLiteral("PWD")] = QByteArray("257 \"/home/a\0b\" is current\r\n", 29);
    ASSERT_EQ(run(&TCustomFtpCli::PwdAsync), 0);
    ASSERT_TRUE(client.QuotedPath().contains(QChar(0)));
    const qsizetype sent = server.transcript.size();
    client.SetHostDirName(client.QuotedPath());
    EXPECT_EQ(run(&TCustomFtpCli::CwdAsync), 501);
    EXPECT_EQ(client.LastReply(),
              QStringLiteral("501 Command not sent: it holds a control character"));
    spinFor(50);
    EXPECT_EQ(server.transcript.size(), sent);
    // TAB is allowed, every other control character not.
    EXPECT_FALSE(HoldsControlCharacter(QStringLiteral("a\tb")));
    for (char16_t c : {u'\x01', u'\x1b', u'\x7f', u'\r', u'\n'})
        EXPECT_TRUE(HoldsControlCharacter(QStringLiteral("a") + QChar(c))) << int(c);
}

TEST_F(FtpHardeningTest, ARefusalOrACutBeforeTheFirstByteLeavesTheLocalFileAsItWas) {
    login();
    const QString path = localPath(QStringLiteral("kept.txt"));
    struct Case {
        const char* what;
        bool passive;
        std::function<void()> script;
    };
    const Case cases[] = {
        // proftpd resets the data connection just before its 550.
        {"reset, then 550 (passive)", true,
         [&] { server.refuseAfterDataReset = "550 kept.txt: No such file or directory\r\n"; }},
        {"reset, then 550 (active)", false,
         [&] { server.refuseAfterDataReset = "550 kept.txt: No such file or directory\r\n"; }},
        // 150, then the server gives up and closes without a data byte.
        {"150, then 421 and close", true,
         [&] {
             server.intercept = [](FakeFtpServer& s, const QString& line) {
                 if (!line.startsWith(QLatin1String("RETR"))) return false;
                 s.send("150 Opening BINARY mode data connection\r\n421 Service not available\r\n");
                 s.closeControl();
                 return true;
             };
         }},
    };
    for (const Case& c : cases) {
        if (!client.Connected()) login();
        server.refuseAfterDataReset.clear();
        server.intercept = nullptr;
        c.script();
        writeFile(path, QByteArray(8800, 'k'));
        client.SetPassive(c.passive);
        client.SetHostFileName(QStringLiteral("kept.txt"));
        client.SetLocalFileName(path);
        EXPECT_NE(run(&TCustomFtpCli::GetAsync), 0) << c.what;
        EXPECT_EQ(readFile(path), QByteArray(8800, 'k')) << c.what;
        // Nor does a refused download leave an empty file where there was none.
        const QString fresh = localPath(QStringLiteral("fresh.txt"));
        QFile::remove(fresh);
        if (!client.Connected()) login();
        c.script();
        client.SetLocalFileName(fresh);
        EXPECT_NE(run(&TCustomFtpCli::GetAsync), 0) << c.what;
        EXPECT_FALSE(QFileInfo::exists(fresh)) << c.what;
    }
    // An empty file that the server sends whole is made, and replaces an old one.
    server.intercept = nullptr;
    server.refuseAfterDataReset.clear();
    if (!client.Connected()) login();
    server.downloadData.clear();
    client.SetLocalFileName(path);
    EXPECT_EQ(run(&TCustomFtpCli::GetAsync), 0) << client.ErrorMessage().toStdString();
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST_F(FtpHardeningTest, AServerThatIgnoresRestFailsTheResumeAndLeavesThePartAsItWas) {
    login();
    const QByteArray whole = [] {
        QByteArray b;
        for (int i = 0; i < 1 << 20; ++i)
            b += char(i * 7 + i / 251);
        return b;
    }();
    const QByteArray part = whole.left(524288);
    const QString path = localPath(QStringLiteral("resume.bin"));
    server.downloadData = whole;
    client.SetPassive(true);
    client.SetHostFileName(QStringLiteral("resume.bin"));
    client.SetLocalFileName(path);

    // A server that resumes while its 150 names the whole size (vsftpd does) is fine.
    server.preliminaryReply =
        "150 Opening BINARY mode data connection for resume.bin (1048576 bytes).\r\n";
    writeFile(path, part);
    ASSERT_EQ(run(&TCustomFtpCli::SizeAsync), 0);
    client.SetRestartOffset(part.size());
    EXPECT_EQ(run(&TCustomFtpCli::RestGetAsync), 0) << client.ErrorMessage().toStdString();
    EXPECT_EQ(readFile(path), whole);
    EXPECT_FALSE(client.ResumeIgnored());

    // One that takes REST and sends the file from its start.
    server.ignoreRest = true;
    writeFile(path, part);
    ASSERT_EQ(run(&TCustomFtpCli::SizeAsync), 0);
    client.SetRestartOffset(part.size());
    EXPECT_EQ(run(&TCustomFtpCli::RestGetAsync), 451);
    EXPECT_TRUE(client.ResumeIgnored());
    EXPECT_TRUE(client.ErrorMessage().contains(QLatin1String("did not resume")))
        << client.ErrorMessage().toStdString();
    EXPECT_EQ(readFile(path), part);
    // The engine stays in step: the cut transfer's late reply is not the next one's.
    EXPECT_EQ(run(&TCustomFtpCli::PwdAsync), 0);
    EXPECT_EQ(client.QuotedPath(), QStringLiteral("/home/test"));
}

TEST_F(FtpHardeningTest, AnEndlessListingIsStoppedAtTheLimitAndItsFileRemoved) {
    login();
    server.endlessChunk = 64 * 1024;
    client.SetListingLimit(4 << 20);
    const QString path = localPath(QStringLiteral("endless.part"));
    client.SetLocalFileName(path);
    client.SetHostFileName(QString());
    EXPECT_EQ(run(&TCustomFtpCli::DirAsync, 20000), 552);
    EXPECT_EQ(client.ErrorMessage(),
              QStringLiteral("552 Listing larger than 4 MiB: stopped by 1Quillon"));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(client.DataSocket()->State(), wsClosed);
}

TEST_F(FtpHardeningTest, AReplyDrippedByteByByteTimesOutFromItsFirstByte) {
    login();
    client.SetInactivityTimeout(1);
    QTimer drip;
    QByteArray reply = "257 \"/home/test\" is the current directory, told very slowly\r\n";
    server.intercept = [&](FakeFtpServer&, const QString& line) {
        if (line != QLatin1String("PWD")) return false;
        drip.start(200);
        return true;
    };
    QObject::connect(&drip, &QTimer::timeout, [&] {
        if (reply.isEmpty()) return drip.stop();
        server.send(reply.left(1));
        reply.remove(0, 1);
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(run(&TCustomFtpCli::PwdAsync, 8000), 421);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(client.ErrorMessage(),
              QStringLiteral("421 Timeout: the server's reply did not end within 1 s"));
}

TEST_F(FtpHardeningTest, AFinalReplyWithAnUnknownCodeEndsItsCommandAndTheNextGetsItsOwn) {
    login();
    client.SetInactivityTimeout(3);
    for (const char* odd : {"99 ok\r\n", "700 what\r\n"}) {
        server.replies[QStringLiteral("PWD")] = odd;
        EXPECT_EQ(run(&TCustomFtpCli::PwdAsync, 5000), 500) << odd;
        EXPECT_TRUE(
            client.ErrorMessage().startsWith(QLatin1String("500 Reply with an unknown code")))
            << client.ErrorMessage().toStdString();
        server.replies.remove(QStringLiteral("PWD"));
        // The next command's reply is its own, at once.
        client.SetHostDirName(QStringLiteral("/pub"));
        EXPECT_EQ(run(&TCustomFtpCli::CwdAsync, 2000), 0) << odd;
        EXPECT_EQ(client.LastReply(), QStringLiteral("250 Directory changed"));
    }
}

TEST_F(FtpHardeningTest, ActiveModeTakesItsDataOnlyFromTheServersAddress) {
    login();
    client.SetPassive(false);
    server.downloadData = "the server's listing\r\n";
    QTcpSocket stranger;
    bool strangerClosed = false;
    server.intercept = [&](FakeFtpServer& s, const QString& line) {
        if (!line.startsWith(QLatin1String("LIST"))) return false;
        // Someone else reaches the port first and sends data of their own; the server
        // answers only once the client has turned the stranger away.
        stranger.bind(QHostAddress(QStringLiteral("127.0.0.2")));
        QObject::connect(&stranger, &QTcpSocket::connected, [&] { stranger.write("forged\r\n"); });
        QObject::connect(&stranger, &QTcpSocket::disconnected, [&s, &strangerClosed, line] {
            strangerClosed = true;
            s.answer(line);
        });
        stranger.connectToHost(QHostAddress::LocalHost, s.portTarget());
        return true;
    };
    const QString path = localPath(QStringLiteral("active-listing.txt"));
    client.SetLocalFileName(path);
    client.SetHostFileName(QString());
    EXPECT_EQ(run(&TCustomFtpCli::DirAsync), 0) << client.ErrorMessage().toStdString();
    EXPECT_EQ(readFile(path), QByteArray("the server's listing\r\n"));
    EXPECT_TRUE(strangerClosed);
    EXPECT_TRUE(rec.display.join(u'\n').contains(QLatin1String("refused: it is not the server")));
}

TEST_F(FtpHardeningTest, AServerThatRefusesTheHiddenListingFormIsAskedThePlainOne) {
    login();
    client.SetPassive(true);
    client.SetListHidden(true);
    server.downloadData = "-rw-r--r-- 1 u g 5 Jan 01 2020 a.txt\r\n";
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line != QLatin1String("LIST -aL")) return false;
        s.send("501 Unknown option\r\n");
        return true;
    };
    const QString path = localPath(QStringLiteral("hidden-listing.txt"));
    client.SetLocalFileName(path);
    client.SetHostFileName(QString());
    EXPECT_EQ(run(&TCustomFtpCli::DirAsync), 0) << client.ErrorMessage().toStdString();
    EXPECT_EQ(readFile(path), server.downloadData);
    // Asked once; from then on this server gets the plain form at once.
    EXPECT_EQ(run(&TCustomFtpCli::DirAsync), 0);
    EXPECT_EQ(server.commands().filter(QStringLiteral("LIST")),
              (QStringList{"LIST -aL", "LIST -L", "LIST -L"}));
}
} // namespace

namespace {

TEST_F(FtpHardeningTest, EachConnectionAttemptReportsItsOwnFailure) {
    client.SetPort(QString::number(freePort()));
    EXPECT_EQ(run(&TCustomFtpCli::OpenAsync), 10061);
    client.SetHostName(QStringLiteral("no-such-host.invalid"));
    client.SetPort(QStringLiteral("21"));
    client.Abort(); // as the session does before every connection
    EXPECT_EQ(run(&TCustomFtpCli::OpenAsync, 5000), 11001);
    // The report says what went wrong this time, not the time before.
    EXPECT_EQ(client.ErrorMessage(), QStringLiteral("500 Host not found (Winsock error #11001)"));
    client.SetHostName(QStringLiteral("localhost"));
    client.SetPort(server.port());
    EXPECT_EQ(run(&TCustomFtpCli::OpenAsync, 5000), 0);
}

} // namespace
