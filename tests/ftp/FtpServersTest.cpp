#include "FtpRecorder.h"
#include "Listing.h"
#include "RealServerTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>

namespace {

QByteArray pattern(int size, int seed) {
    QByteArray b(size, Qt::Uninitialized);
    uint32_t x = uint32_t(seed) * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = char(x);
    }
    return b;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

class FtpServersTest : public RealServerTest {
protected:
    void SetUp() override {
        RealServerTest::SetUp();
        if (stopped()) return;
        local = std::make_unique<QTemporaryDir>();
        client.SetHostName(QStringLiteral("127.0.0.1"));
        client.SetPort(QString::number(server.port));
        client.SetUserName(server.user);
        client.SetPassWord(server.password);
        client.SetTimeout(20);
        rec.attach(client);
        ASSERT_TRUE(client.Connect()) << client.ErrorMessage().toStdString();
    }
    void TearDown() override {
        if (HasFailure())
            std::cerr << "FTP dialogue:\n" << rec.display.join(u'\n').toStdString() << '\n';
        if (client.Connected()) client.Quit();
    }
    QString localPath(const QString& name) const { return local->path() + u'/' + name; }
    QString serverPath(const QString& name) const { return server.root + u'/' + name; }

    std::unique_ptr<QTemporaryDir> local;
    TFtpClient client;
    FtpRecorder rec;
};

TEST_P(FtpServersTest, BrowsesAndLists) {
    QDir(server.root).mkpath(QStringLiteral("pub/sub"));
    writeFile(serverPath(QStringLiteral("pub/readme.txt")), "hello\n");
    writeFile(serverPath(QStringLiteral("pub/data.bin")), pattern(1234, 1));

    ASSERT_TRUE(client.Pwd());
    const QString home = client.QuotedPath();
    EXPECT_FALSE(home.isEmpty());
    client.SetHostDirName(QStringLiteral("pub"));
    ASSERT_TRUE(client.Cwd()) << client.ErrorMessage().toStdString();
    ASSERT_TRUE(client.Pwd());
    EXPECT_TRUE(client.QuotedPath().endsWith(QLatin1String("/pub")))
        << client.QuotedPath().toStdString();
    EXPECT_TRUE(client.TypeAscii());

    for (bool passive : {true, false}) {
        client.SetPassive(passive);
        client.SetHostFileName(QString());
        client.SetLocalFileName(localPath(QStringLiteral("listing.txt")));
        ASSERT_TRUE(client.Dir()) << client.ErrorMessage().toStdString();
        ListingColumns columns;
        ReadListingFile(localPath(QStringLiteral("listing.txt")), columns);
        QStringList names;
        for (const std::string& n : columns.names)
            names << QString::fromStdString(n);
        names.sort();
        EXPECT_EQ(names, (QStringList{"data.bin", "readme.txt", "sub"}))
            << (passive ? "passive" : "active");
        const auto sub =
            std::find(columns.names.begin(), columns.names.end(), "sub") - columns.names.begin();
        EXPECT_EQ(columns.types.at(size_t(sub)), "<DIR>");
    }
    ASSERT_TRUE(client.CDup());
    ASSERT_TRUE(client.Pwd());
    EXPECT_EQ(client.QuotedPath(), home);
}

TEST_P(FtpServersTest, DownloadsAndUploadsByteForByteInBothModes) {
    const QByteArray data = pattern(5 << 20, 2);
    writeFile(serverPath(QStringLiteral("down.bin")), data);
    ASSERT_TRUE(client.TypeBinary());
    for (bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        client.SetPassive(passive);
        client.SetHostFileName(QStringLiteral("down.bin"));
        client.SetLocalFileName(localPath(QStringLiteral("down.bin")));
        ASSERT_TRUE(client.Get()) << client.ErrorMessage().toStdString();
        EXPECT_TRUE(readFile(localPath(QStringLiteral("down.bin"))) == data);

        const QString upName =
            passive ? QStringLiteral("up-passive.bin") : QStringLiteral("up-active.bin");
        client.SetHostFileName(upName);
        client.SetLocalFileName(localPath(QStringLiteral("down.bin")));
        ASSERT_TRUE(client.Put()) << client.ErrorMessage().toStdString();
        ASSERT_TRUE(waitFor([&] { return QFileInfo(serverPath(upName)).size() == data.size(); }));
        EXPECT_TRUE(readFile(serverPath(upName)) == data);
    }
    client.SetHostFileName(QStringLiteral("down.bin"));
    ASSERT_TRUE(client.Size());
    EXPECT_EQ(client.RemoteSize(), data.size());
}

TEST_P(FtpServersTest, ResumesDownloadsAndUploads) {
    const QByteArray data = pattern(3 << 20, 3);
    writeFile(serverPath(QStringLiteral("whole.bin")), data);
    ASSERT_TRUE(client.TypeBinary());
    client.SetPassive(true);

    writeFile(localPath(QStringLiteral("part.bin")), data.left(1 << 20));
    client.SetHostFileName(QStringLiteral("whole.bin"));
    client.SetLocalFileName(localPath(QStringLiteral("part.bin")));
    ASSERT_TRUE(client.RestGet()) << client.ErrorMessage().toStdString();
    EXPECT_TRUE(readFile(localPath(QStringLiteral("part.bin"))) == data);
    EXPECT_TRUE(rec.display.contains(QStringLiteral("> REST 1048576")));

    // Upload a first part, then the rest from the size the server reports.
    writeFile(localPath(QStringLiteral("first.bin")), data.left(700000));
    client.SetHostFileName(QStringLiteral("resumed.bin"));
    client.SetLocalFileName(localPath(QStringLiteral("first.bin")));
    ASSERT_TRUE(client.Put()) << client.ErrorMessage().toStdString();
    ASSERT_TRUE(client.Size());
    EXPECT_EQ(client.RemoteSize(), 700000);
    writeFile(localPath(QStringLiteral("all.bin")), data);
    client.SetLocalFileName(localPath(QStringLiteral("all.bin")));
    client.SetRestartOffset(client.RemoteSize());
    ASSERT_TRUE(client.RestPut()) << client.ErrorMessage().toStdString();
    ASSERT_TRUE(waitFor([&] {
        return QFileInfo(serverPath(QStringLiteral("resumed.bin"))).size() == data.size();
    }));
    EXPECT_TRUE(readFile(serverPath(QStringLiteral("resumed.bin"))) == data);
}

TEST_P(FtpServersTest, ManagesFilesAndFolders) {
    client.SetHostFileName(QStringLiteral("newdir"));
    ASSERT_TRUE(client.Mkd()) << client.ErrorMessage().toStdString();
    EXPECT_TRUE(QFileInfo(serverPath(QStringLiteral("newdir"))).isDir());
    EXPECT_TRUE(client.QuotedPath().endsWith(QLatin1String("newdir")))
        << client.QuotedPath().toStdString();
    ASSERT_TRUE(client.Rmd());
    EXPECT_FALSE(QFileInfo::exists(serverPath(QStringLiteral("newdir"))));

    writeFile(localPath(QStringLiteral("f.txt")), "content");
    client.SetHostFileName(QStringLiteral("old name.txt"));
    client.SetLocalFileName(localPath(QStringLiteral("f.txt")));
    client.SetPassive(true);
    ASSERT_TRUE(client.Put());
    client.SetHostFileName(QStringLiteral("old name.txt"));
    client.SetLocalFileName(QStringLiteral("new name.txt"));
    ASSERT_TRUE(client.Ren()) << client.ErrorMessage().toStdString();
    EXPECT_TRUE(QFileInfo::exists(serverPath(QStringLiteral("new name.txt"))));
    client.SetHostFileName(QStringLiteral("new name.txt"));
    ASSERT_TRUE(client.Dele());
    EXPECT_FALSE(QFileInfo::exists(serverPath(QStringLiteral("new name.txt"))));

    client.SetHostFileName(QStringLiteral("missing.txt"));
    EXPECT_FALSE(client.Dele());
    EXPECT_EQ(client.ReplyCode(), 550);
    EXPECT_TRUE(client.Connected());
}

INSTANTIATE_TEST_SUITE_P(Real, FtpServersTest, ::testing::Values("pyftpdlib", "vsftpd"),
                         [](const auto& info) { return std::string(info.param); });

void listThroughMicrosocks(const QString& socksUser, const QString& socksPassword) {
    RealFtpServer server = StartPyftpdlib();
    ASSERT_TRUE(server.ok()) << server.failure.toStdString();
    writeFile(server.root + QStringLiteral("/a.txt"), "a");
    const quint16 socksPort = freePort();
    QStringList args = {"-i", "127.0.0.1", "-p", QString::number(socksPort)};
    if (!socksUser.isEmpty()) args << "-u" << socksUser << "-P" << socksPassword;
    ServerProcess socks(QStringLiteral("microsocks"), args);
    ASSERT_TRUE(socks.started() && waitForPort(socksPort));

    TFtpClient client;
    client.SetConnectionType(ftpSocks5);
    client.SetSocksServer(QStringLiteral("127.0.0.1"));
    client.SetSocksPort(QString::number(socksPort));
    client.SetSocksUserCode(socksUser);
    client.SetSocksPassword(socksPassword);
    client.SetHostName(QStringLiteral("127.0.0.1"));
    client.SetPort(QString::number(server.port));
    client.SetUserName(server.user);
    client.SetPassWord(server.password);
    int controlThroughSocks = 0, dataThroughSocks = 0;
    client.ControlSocket()->OnSocksConnected = [&](TCustomWSocket*, uint16_t e) {
        controlThroughSocks += e == 0;
    };
    client.DataSocket()->OnSocksConnected = [&](TCustomWSocket*, uint16_t e) {
        dataThroughSocks += e == 0;
    };
    ASSERT_TRUE(client.Connect()) << client.ErrorMessage().toStdString();
    EXPECT_EQ(controlThroughSocks, 1);
    QTemporaryDir local;
    for (int i = 0; i < 2; ++i) {
        client.SetLocalFileName(local.filePath(QStringLiteral("list.txt")));
        ASSERT_TRUE(client.Dir()) << client.ErrorMessage().toStdString();
        EXPECT_TRUE(readFile(local.filePath(QStringLiteral("list.txt"))).contains("a.txt"));
    }
    // Every data connection went through the SOCKS server, not only the first.
    EXPECT_EQ(dataThroughSocks, 2);
    client.Quit();
}

TEST(FtpThroughSocks, LoginAndListingsThroughMicrosocks) {
    listThroughMicrosocks({}, {});
}

TEST(FtpThroughSocks, WithSocksPassword) {
    listThroughMicrosocks(QStringLiteral("sockuser"), QStringLiteral("sockpass"));
}

} // namespace

namespace {

TEST(FtpThroughSocks, FailuresNameTheSocksServerInWords) {
    RealFtpServer server = StartPyftpdlib();
    ASSERT_TRUE(server.ok()) << server.failure.toStdString();
    const quint16 socksPort = freePort();
    ServerProcess socks(
        QStringLiteral("microsocks"),
        {"-i", "127.0.0.1", "-p", QString::number(socksPort), "-u", "sockuser", "-P", "right"});
    ASSERT_TRUE(socks.started() && waitForPort(socksPort));
    const QString socksServer = QStringLiteral("127.0.0.1:%1").arg(socksPort);
    struct Case {
        const char* what;
        QString port, password, reply;
    };
    const Case cases[] = {
        {"wrong SOCKS password", QString::number(socksPort), "wrong",
         "500 SOCKS5 server " + socksServer + " rejected the user name or password"},
        {"SOCKS server down", QString::number(freePort()), "right",
         "500 Connection refused by SOCKS5 server 127.0.0.1:"},
    };
    for (const Case& c : cases) {
        TFtpClient client;
        client.SetConnectionType(ftpSocks5);
        client.SetSocksServer(QStringLiteral("127.0.0.1"));
        client.SetSocksPort(c.port);
        client.SetSocksUserCode(QStringLiteral("sockuser"));
        client.SetSocksPassword(c.password);
        client.SetHostName(QStringLiteral("127.0.0.1"));
        client.SetPort(QString::number(server.port));
        client.SetUserName(server.user);
        client.SetPassWord(server.password);
        EXPECT_FALSE(client.Connect()) << c.what;
        EXPECT_TRUE(client.LastReply().startsWith(c.reply))
            << c.what << ": " << client.LastReply().toStdString();
        EXPECT_FALSE(client.LastReply().contains(QLatin1String("Not a WinSock error"))) << c.what;
    }
}

} // namespace
