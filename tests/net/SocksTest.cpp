#include "TestLoop.h"
#include "Wsocket.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char* h) {
    return QByteArray::fromHex(h);
}

// A scripted SOCKS server: for each step it waits for as many bytes as the step
// expects, records what came, and answers with the step's reply.
struct FakeSocks {
    struct Step {
        QByteArray expect;
        QByteArray reply;
        bool closeAfter = false;
    };
    QTcpServer server;
    QList<Step> steps;
    QList<QByteArray> got;
    QByteArray pending;
    QTcpSocket* conn = nullptr;

    explicit FakeSocks(QList<Step> script) : steps(std::move(script)) {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            conn = server.nextPendingConnection();
            QObject::connect(conn, &QTcpSocket::readyRead, [this] { onData(); });
        });
    }
    void onData() {
        pending += conn->readAll();
        while (got.size() < steps.size() && pending.size() >= steps[got.size()].expect.size()) {
            const Step& step = steps[got.size()];
            got << pending.left(step.expect.size());
            pending.remove(0, step.expect.size());
            conn->write(step.reply);
            if (step.closeAfter) {
                conn->flush();
                conn->disconnectFromHost();
            }
        }
    }
    QString port() const { return QString::number(server.serverPort()); }
};

struct SocksTrace {
    QStringList events;
    QByteArray data;
    void attach(TCustomSocksWSocket& s) {
        s.OnSocksConnected = [this](TCustomWSocket*, uint16_t e) {
            events << QStringLiteral("socks-connected:%1").arg(e);
        };
        s.OnSocksError = [this](TCustomWSocket*, int e, const QString& m) {
            events << QStringLiteral("socks-error:%1 %2").arg(e).arg(m);
        };
        s.OnSocksAuthState = [this](TCustomWSocket*, TSocksAuthState a) {
            events << QStringLiteral("auth:%1").arg(int(a));
        };
        s.OnSessionConnected = [this](TCustomWSocket*, uint16_t e) {
            events << QStringLiteral("connected:%1").arg(e);
        };
        s.OnSessionClosed = [this](TCustomWSocket*, uint16_t e) {
            events << QStringLiteral("closed:%1").arg(e);
        };
        s.OnDataAvailable = [this](TCustomWSocket* sock, uint16_t) {
            char buf[4096];
            const int n = sock->Receive(buf, sizeof buf);
            if (n > 0) {
                data.append(buf, n);
                events << QStringLiteral("data");
            }
        };
    }
};

void startThrough(TWSocket& s, const QString& socksPort, const QString& level, const QString& host,
                  const QString& user = {}, const QString& password = {},
                  bool authenticate = false) {
    s.SetSocksServer(QStringLiteral("127.0.0.1"));
    s.SetSocksPort(socksPort);
    s.SetSocksLevel(level);
    s.SetSocksUsercode(user);
    s.SetSocksPassword(password);
    s.SetSocksAuthentication(authenticate ? socksAuthenticateUsercode : socksNoAuthentication);
    s.SetAddr(host);
    s.SetPort(QStringLiteral("21"));
    s.Connect();
}

const QByteArray kRequest5 = hex("050100030f") + "ftp.example.org" + hex("0015");
const QByteArray kReply5 = hex("05000001 7f000001 0015");

TEST(Socks, Version5DeliversTheBannerBehindTheReply) {
    FakeSocks fake({{hex("050100"), hex("0500")}, {kRequest5, kReply5 + "220 ready\r\n"}});
    TWSocket s;
    SocksTrace t;
    t.attach(s);
    startThrough(s, fake.port(), QStringLiteral("5"), QStringLiteral("ftp.example.org"));
    ASSERT_TRUE(waitFor([&] { return t.data == "220 ready\r\n"; }))
        << t.events.join(' ').toStdString();
    EXPECT_EQ(fake.got, (QList<QByteArray>{hex("050100"), kRequest5}));
    EXPECT_EQ(t.events, (QStringList{"socks-connected:0", "connected:0", "data"}));
    EXPECT_EQ(s.BoundAddr(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(s.BoundPort(), QStringLiteral("21"));
    EXPECT_EQ(s.SocksState(), socksData);

    // The connection is the owner's now, in both directions.
    s.SendStr("USER x\r\n");
    ASSERT_TRUE(waitFor([&] { return fake.pending == "USER x\r\n"; }));

    EXPECT_THROW(s.SetSocksLevel(QStringLiteral("4")), ESocketException);
    s.Close();
    EXPECT_TRUE(s.SocksServer().isEmpty()); // SOCKS is off again until set anew
    EXPECT_EQ(s.SocksLevel(), QStringLiteral("5"));
}

TEST(Socks, Version5WithUsernameAndPassword) {
    FakeSocks fake({{hex("050102"), hex("0502")},
                    {hex("0104") + "user" + hex("04") + "pass", hex("0100")},
                    {kRequest5, kReply5}});
    TWSocket s;
    SocksTrace t;
    t.attach(s);
    startThrough(s, fake.port(), QStringLiteral("5"), QStringLiteral("ftp.example.org"),
                 QStringLiteral("user"), QStringLiteral("pass"), true);
    ASSERT_TRUE(waitFor([&] { return t.events.contains(QStringLiteral("connected:0")); }));
    EXPECT_EQ(fake.got.size(), 3);
    EXPECT_EQ(t.events,
              (QStringList{"socks-connected:0", QStringLiteral("auth:%1").arg(socksAuthStart),
                           QStringLiteral("auth:%1").arg(socksAuthSuccess), "connected:0"}));
}

TEST(Socks, Version5ServerThatNeedsNoAuthentication) {
    FakeSocks fake({{hex("050102"), hex("0500")}, {kRequest5, kReply5}});
    TWSocket s;
    SocksTrace t;
    t.attach(s);
    startThrough(s, fake.port(), QStringLiteral("5"), QStringLiteral("ftp.example.org"),
                 QStringLiteral("u"), QStringLiteral("p"), true);
    ASSERT_TRUE(waitFor([&] { return t.events.contains(QStringLiteral("connected:0")); }));
    EXPECT_TRUE(t.events.contains(QStringLiteral("auth:%1").arg(socksAuthNotRequired)));
}

TEST(Socks, Version4And4ARequestBytes) {
    const QByteArray request4 = hex("04010015 7f000001") + "bob" + hex("00");
    const QByteArray request4a =
        hex("04010015 00000001") + "bob" + hex("00") + "ftp.example.org" + hex("00");
    const QByteArray granted = hex("005a000000000000");
    {
        FakeSocks fake({{request4, granted + "220 v4\r\n"}});
        TWSocket s;
        SocksTrace t;
        t.attach(s);
        startThrough(s, fake.port(), QStringLiteral("4"), QStringLiteral("127.0.0.1"),
                     QStringLiteral("bob"));
        ASSERT_TRUE(waitFor([&] { return t.data == "220 v4\r\n"; }))
            << t.events.join(' ').toStdString();
        EXPECT_EQ(fake.got, QList<QByteArray>{request4});
    }
    {
        FakeSocks fake({{request4a, granted}});
        TWSocket s;
        SocksTrace t;
        t.attach(s);
        startThrough(s, fake.port(), QStringLiteral("4a"), QStringLiteral("ftp.example.org"),
                     QStringLiteral("bob"));
        ASSERT_TRUE(waitFor([&] { return t.events.contains(QStringLiteral("connected:0")); }));
        EXPECT_EQ(fake.got, QList<QByteArray>{request4a});
        EXPECT_EQ(s.SocksLevel(), QStringLiteral("4A"));
    }
}

struct Failure {
    const char* label;
    const char* level;
    bool authenticate;
    QList<FakeSocks::Step> script;
    int code;
    const char* text;
};

void PrintTo(const Failure& f, std::ostream* os) {
    *os << f.label;
}

class SocksFailureTest : public ::testing::TestWithParam<Failure> {};

TEST_P(SocksFailureTest, EndsWithTheCodeAndCloses) {
    const Failure& f = GetParam();
    FakeSocks fake(f.script);
    TWSocket s;
    SocksTrace t;
    t.attach(s);
    startThrough(s, fake.port(), QLatin1String(f.level), QStringLiteral("ftp.example.org"),
                 QStringLiteral("user"), QStringLiteral("pass"), f.authenticate);
    ASSERT_TRUE(waitFor([&] { return s.State() == wsClosed; })) << t.events.join(' ').toStdString();
    const QString code = QString::number(f.code);
    EXPECT_TRUE(
        t.events.contains(QStringLiteral("socks-error:%1 %2").arg(code, QLatin1String(f.text))))
        << t.events.join(" | ").toStdString();
    EXPECT_TRUE(t.events.contains(QStringLiteral("connected:") + code));
    EXPECT_EQ(t.events.last(), QStringLiteral("closed:") + code);
    EXPECT_EQ(s.SocksState(), socksData);
}

const QByteArray kGreeting = hex("050100");
QList<FakeSocks::Step> connectReply(const char* replyHex) {
    return {{kGreeting, hex("0500")}, {kRequest5, hex(replyHex)}};
}
const QByteArray kRequest4a =
    hex("04010015 00000001") + "user" + hex("00") + "ftp.example.org" + hex("00");

INSTANTIATE_TEST_SUITE_P(
    Socks, SocksFailureTest,
    ::testing::Values(
        Failure{"method_refused",
                "5",
                false,
                {{kGreeting, hex("05ff")}},
                20003,
                "authentification method not acceptable"},
        Failure{"method_reply_version",
                "5",
                false,
                {{kGreeting, hex("0400")}},
                20002,
                "socks version error"},
        Failure{"general_failure", "5", false, connectReply("0501"), 20004,
                "general SOCKS server failure"},
        Failure{"ruleset", "5", false, connectReply("0502"), 20005,
                "connection not allowed by ruleset"},
        Failure{"network_unreachable", "5", false, connectReply("0503"), 20006,
                "network unreachable"},
        Failure{"host_unreachable", "5", false, connectReply("0504"), 20007, "host unreachable"},
        Failure{"refused", "5", false, connectReply("0505"), 20008, "connection refused"},
        Failure{"ttl", "5", false, connectReply("0506"), 20009, "time to live expired"},
        Failure{"command", "5", false, connectReply("0507"), 20010, "command not supported"},
        Failure{"address_type_code", "5", false, connectReply("0508"), 20011,
                "address type not supported"},
        Failure{"unassigned", "5", false, connectReply("0509"), 20012, "unassigned error #9"},
        Failure{"reply_version", "5", false, connectReply("0400"), 20002, "socks version error"},
        Failure{"ipv6_reply", "5", false,
                connectReply("050000040000000000000000000000000000000000"), 20011,
                "address type not supported"},
        Failure{"domain_past_buffer", "5", false, connectReply("05000003c8616263"), 20011,
                "address type not supported"},
        Failure{"auth_failed",
                "5",
                true,
                {{hex("050102"), hex("0502")},
                 {hex("0104") + "user" + hex("04") + "pass", hex("0101")}},
                20015,
                "socks authentication failed"},
        Failure{"auth_too_much",
                "5",
                true,
                {{hex("050102"), hex("0502")},
                 {hex("0104") + "user" + hex("04") + "pass", hex("010000")}},
                20001,
                "too much data availaible"},
        Failure{"auth_version",
                "5",
                true,
                {{hex("050102"), hex("0502")},
                 {hex("0104") + "user" + hex("04") + "pass", hex("0500")}},
                20002,
                "socks version error"},
        Failure{"v4_rejected",
                "4A",
                false,
                {{kRequest4a, hex("005b000000000000")}},
                20016,
                "request rejected or failed"},
        Failure{"v4_refused",
                "4A",
                false,
                {{kRequest4a, hex("005c000000000000")}},
                20008,
                "connection refused"},
        Failure{"v4_auth",
                "4A",
                false,
                {{kRequest4a, hex("005d000000000000")}},
                20015,
                "authentification failed"},
        Failure{"v4_unassigned",
                "4A",
                false,
                {{kRequest4a, hex("005f000000000000")}},
                20012,
                "unassigned error #95"},
        Failure{"v4_version",
                "4A",
                false,
                {{kRequest4a, hex("045a000000000000")}},
                20002,
                "socks version error"}));

TEST(Socks, Version4WithAnUnknownHostFailsBeforeSending) {
    FakeSocks fake({});
    TWSocket s;
    SocksTrace t;
    t.attach(s);
    startThrough(s, fake.port(), QStringLiteral("4"), QStringLiteral("no-such-host.invalid"));
    ASSERT_TRUE(waitFor([&] { return s.State() == wsClosed; }));
    spinFor(50);
    EXPECT_TRUE(fake.pending.isEmpty());
    ASSERT_FALSE(t.events.filter(QStringLiteral("socks-error:20017")).isEmpty())
        << t.events.join('|').toStdString();
    EXPECT_EQ(t.events.last(), QStringLiteral("closed:20017"));
}

TEST(Socks, ARequestTooLongForTheBufferIsRefused) {
    FakeSocks fake({});
    TWSocket s;
    SocksTrace t;
    t.attach(s);
    startThrough(s, fake.port(), QStringLiteral("4A"), QStringLiteral("ftp.example.org"),
                 QString(150, QLatin1Char('u')));
    ASSERT_TRUE(waitFor([&] { return s.State() == wsClosed; }));
    EXPECT_TRUE(t.events.contains(QStringLiteral("socks-error:20014 socks request too long")));
    EXPECT_TRUE(fake.pending.isEmpty());
}

TEST(Socks, HostileServersEndTheConnectionCleanly) {
    const QList<QList<FakeSocks::Step>> scripts = {
        {{kGreeting, hex("05"), true}},                             // short reply, then gone
        {{kGreeting, QByteArray(300, '\x05')}},                     // far too long
        {{kGreeting, hex("0500")}, {kRequest5, hex("0500"), true}}, // cut inside the reply
    };
    for (const auto& script : scripts) {
        FakeSocks fake(script);
        TWSocket s;
        SocksTrace t;
        t.attach(s);
        startThrough(s, fake.port(), QStringLiteral("5"), QStringLiteral("ftp.example.org"));
        ASSERT_TRUE(waitFor([&] { return s.State() == wsClosed; }))
            << t.events.join('|').toStdString();
        EXPECT_EQ(t.events.filter(QStringLiteral("closed:")).size(), 1)
            << t.events.join('|').toStdString();
        EXPECT_FALSE(t.events.contains(QStringLiteral("connected:0")));
    }
}

TEST(Socks, ConfigurationRules) {
    TWSocket s;
    const auto message = ThrownText<ESocketException>;
    EXPECT_EQ(message([&] { s.SetSocksLevel(QStringLiteral("6")); }),
              QStringLiteral("Invalid socks level. Must be 4, 4A or 5."));
    s.SetSocksServer(QStringLiteral(" 127.0.0.1 "));
    EXPECT_EQ(s.SocksServer(), QStringLiteral("127.0.0.1"));
    s.SetAddr(QStringLiteral("127.0.0.1"));
    s.SetPort(QStringLiteral("0"));
    EXPECT_EQ(message([&] { s.Listen(); }),
              QStringLiteral("Listening is not supported thru socks server"));
    s.SetProto(QStringLiteral("udp"));
    EXPECT_EQ(message([&] { s.Connect(); }),
              QStringLiteral("tcp is the only protocol supported thru socks server"));
}

// ---------------------------------------------------------------------------------
// Real SOCKS servers

// The destination: greets, then echoes.
struct EchoServer {
    QTcpServer server;
    EchoServer() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            QTcpSocket* c = server.nextPendingConnection();
            c->write("220 echo here\r\n");
            QObject::connect(c, &QTcpSocket::readyRead, [c] { c->write(c->readAll()); });
        });
    }
    QString port() const { return QString::number(server.serverPort()); }
};

void exchangeThrough(const QString& socksPort, const QString& level, const QString& user = {},
                     const QString& password = {}) {
    EchoServer echo;
    TWSocket s;
    SocksTrace t;
    t.attach(s);
    s.SetSocksServer(QStringLiteral("127.0.0.1"));
    s.SetSocksPort(socksPort);
    s.SetSocksLevel(level);
    s.SetSocksUsercode(user);
    s.SetSocksPassword(password);
    s.SetSocksAuthentication(user.isEmpty() ? socksNoAuthentication : socksAuthenticateUsercode);
    s.SetAddr(level == QLatin1String("4") ? QStringLiteral("127.0.0.1")
                                          : QStringLiteral("localhost"));
    s.SetPort(echo.port());
    s.Connect();
    ASSERT_TRUE(waitFor([&] { return t.data == "220 echo here\r\n"; }, 10000))
        << t.events.join('|').toStdString();
    s.SendStr("ping through socks\r\n");
    ASSERT_TRUE(waitFor([&] { return t.data.endsWith("ping through socks\r\n"); }, 10000));
    s.Close();
}

TEST(SocksServers, Microsocks) {
    const quint16 port = freePort();
    ServerProcess server(QStringLiteral("microsocks"),
                         {"-i", "127.0.0.1", "-p", QString::number(port)});
    ASSERT_TRUE(server.started());
    ASSERT_TRUE(waitForPort(port));
    exchangeThrough(QString::number(port), QStringLiteral("5"));
}

TEST(SocksServers, MicrosocksWithPassword) {
    const quint16 port = freePort();
    ServerProcess server(
        QStringLiteral("microsocks"),
        {"-i", "127.0.0.1", "-p", QString::number(port), "-u", "alice", "-P", "s3cret"});
    ASSERT_TRUE(server.started());
    ASSERT_TRUE(waitForPort(port));
    exchangeThrough(QString::number(port), QStringLiteral("5"), QStringLiteral("alice"),
                    QStringLiteral("s3cret"));

    // A wrong password is refused by the server.
    TWSocket s;
    SocksTrace t;
    t.attach(s);
    startThrough(s, QString::number(port), QStringLiteral("5"), QStringLiteral("localhost"),
                 QStringLiteral("alice"), QStringLiteral("wrong"), true);
    ASSERT_TRUE(waitFor([&] { return s.State() == wsClosed; }, 10000));
    EXPECT_FALSE(t.events.contains(QStringLiteral("connected:0")));
}

TEST(SocksServers, Dante) {
    if (geteuid() != 0) GTEST_SKIP() << "dante needs root to start";
    QTemporaryDir dir;
    const quint16 port = freePort();
    QFile conf(dir.filePath(QStringLiteral("danted.conf")));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("logoutput: %1/danted.log\n"
                              "internal: 127.0.0.1 port = %2\n"
                              "external: 127.0.0.1\n"
                              "clientmethod: none\n"
                              "socksmethod: none\n"
                              "user.privileged: root\n"
                              "user.unprivileged: nobody\n"
                              "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                              "socks pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n")
                   .arg(dir.path())
                   .arg(port)
                   .toUtf8());
    conf.close();
    ServerProcess server(QStringLiteral("/usr/sbin/danted"),
                         {"-f", conf.fileName(), "-p", dir.filePath(QStringLiteral("danted.pid"))});
    ASSERT_TRUE(server.started());
    ASSERT_TRUE(waitForPort(port)) << server.output().toStdString();
    // Dante 1.4 speaks SOCKS 4 and 5 but not the 4A extension: it takes the 4A host name
    // for request payload and connects to 0.0.0.1. 4A is covered by the scripted server.
    for (const char* level : {"4", "5"}) {
        SCOPED_TRACE(level);
        exchangeThrough(QString::number(port), QLatin1String(level));
    }
}

} // namespace
