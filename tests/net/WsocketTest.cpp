#include "Wsocket.h"
#include "TestLoop.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <sys/socket.h>

namespace {

// Records the events of a socket as a readable trace.
struct Trace {
    QStringList events;
    QByteArray received;
    int readChunk = 1 << 16;

    void attach(TCustomWSocket& s) {
        s.OnChangeState = [this](TCustomWSocket*, TSocketState, TSocketState n) {
            events << QStringLiteral("state:") + QLatin1String(SocketStateName(n));
        };
        s.OnSessionConnected = [this](TCustomWSocket*, uint16_t e) {
            events << QStringLiteral("connected:%1").arg(e);
        };
        s.OnSessionClosed = [this](TCustomWSocket*, uint16_t e) {
            events << QStringLiteral("closed:%1").arg(e);
        };
        s.OnDataSent = [this](TCustomWSocket*, uint16_t e) {
            events << QStringLiteral("sent:%1").arg(e);
        };
        s.OnDnsLookupDone = [this](TCustomWSocket*, uint16_t e) {
            events << QStringLiteral("dns:%1").arg(e);
        };
        s.OnDataAvailable = [this](TCustomWSocket* sock, uint16_t) {
            QByteArray buf(readChunk, Qt::Uninitialized);
            const int n = sock->Receive(buf.data(), readChunk);
            if (n > 0) {
                received.append(buf.constData(), n);
                if (events.isEmpty() || events.last() != QLatin1String("data"))
                    events << QStringLiteral("data");
            }
        };
    }
    bool has(const QString& e) const { return events.contains(e); }
};

// A loopback peer that accepts one connection.
struct Peer {
    QTcpServer server;
    QTcpSocket* conn = nullptr;
    Peer() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection,
                         [this] { conn = server.nextPendingConnection(); });
    }
    QString port() const { return QString::number(server.serverPort()); }
};

void connectTo(TWSocket& s, const QString& port) {
    s.SetAddr(QStringLiteral("127.0.0.1"));
    s.SetPort(port);
    s.Connect();
}

TEST(Wsocket, ConnectsSendsAndReceives) {
    Peer peer;
    TWSocket s;
    Trace t;
    t.attach(s);
    connectTo(s, peer.port());
    EXPECT_EQ(s.State(), wsConnecting);
    ASSERT_TRUE(waitFor([&] { return t.has(QStringLiteral("connected:0")) && peer.conn; }));
    EXPECT_EQ(s.State(), wsConnected);
    EXPECT_EQ(s.PeerAddr(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(s.PeerPort(), peer.port());

    t.events.clear();
    EXPECT_EQ(s.SendStr("hello"), 5);
    // OnDataSent comes from the loop, never from inside Send.
    EXPECT_FALSE(t.has(QStringLiteral("sent:0")));
    ASSERT_TRUE(waitFor([&] { return t.has(QStringLiteral("sent:0")); }));
    ASSERT_TRUE(waitFor([&] { return peer.conn->bytesAvailable() >= 5; }));
    EXPECT_EQ(peer.conn->readAll(), "hello");

    peer.conn->write("world");
    ASSERT_TRUE(waitFor([&] { return t.received == "world"; }));
    EXPECT_EQ(s.ReadCount(), 5);
    s.Close();
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(t.events.filter(QStringLiteral("closed:")).size(), 1);
}

TEST(Wsocket, RefusedConnectReportsThenCloses) {
    TWSocket s;
    Trace t;
    t.attach(s);
    connectTo(s, QString::number(freePort()));
    ASSERT_TRUE(waitFor([&] { return s.State() == wsClosed; }));
    spinFor(50);
    EXPECT_EQ(t.events, (QStringList{"state:wsOpened", "state:wsConnecting", "state:wsConnected",
                                     "connected:10061", "state:wsClosed", "closed:0"}));
}

TEST(Wsocket, ConnectAfterCloseNeedsAddrAndPortAgain) {
    Peer peer;
    TWSocket s;
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return s.State() == wsConnected; }));

    // The same value is always accepted; another one only while closed.
    EXPECT_NO_THROW(s.SetPort(peer.port()));
    try {
        s.SetPort(QStringLiteral("22"));
        FAIL() << "no exception";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Cannot change Port if not closed"));
    }
    EXPECT_THROW(s.SetAddr(QStringLiteral("10.0.0.1")), ESocketException);
    EXPECT_THROW(s.SetLocalPort(QStringLiteral("1")), ESocketException);
    try {
        s.Connect();
        FAIL() << "no exception";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Connect: Socket already in use"));
    }

    s.Close();
    EXPECT_TRUE(s.Addr().isEmpty());
    try {
        s.Connect();
        FAIL() << "no exception";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Connect: No Port Specified"));
    }
}

TEST(Wsocket, OnErrorReplacesTheException) {
    TWSocket s;
    int errors = 0;
    s.OnError = [&](TCustomWSocket*) { ++errors; };
    EXPECT_NO_THROW(s.Connect());
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(s.Send("x", 1), -1);
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(s.LastError(), 10057);
}

TEST(Wsocket, DnsLookup) {
    TWSocket s;
    Trace t;
    t.attach(s);
    s.DnsLookup(QStringLiteral("10.1.2.3"));
    EXPECT_EQ(t.events, QStringList{"dns:0"}); // inside the call
    EXPECT_EQ(s.DnsResult(), QStringLiteral("10.1.2.3"));

    t.events.clear();
    s.DnsLookup(QStringLiteral("localhost"));
    EXPECT_TRUE(t.events.isEmpty());
    ASSERT_TRUE(waitFor([&] { return !t.events.isEmpty(); }));
    EXPECT_EQ(t.events, QStringList{"dns:0"});
    EXPECT_EQ(s.DnsResult(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(s.DnsResultList().contains(QStringLiteral("127.0.0.1")));

    t.events.clear();
    s.DnsLookup(QStringLiteral("no-such-host.invalid"));
    ASSERT_TRUE(waitFor([&] { return !t.events.isEmpty(); }));
    EXPECT_EQ(t.events, QStringList{"dns:11001"});

    t.events.clear();
    s.DnsLookup(QStringLiteral("localhost"));
    s.CancelDnsLookup();
    EXPECT_EQ(t.events, QStringList{"dns:10004"});
    spinFor(100);
    EXPECT_EQ(t.events, QStringList{"dns:10004"}); // the cancelled answer is not reported

    EXPECT_THROW(s.DnsLookup(QString()), ESocketException);
}

TEST(Wsocket, ListenAcceptAndDup) {
    TWSocket listener, served, client;
    listener.SetAddr(QStringLiteral("127.0.0.1"));
    listener.SetPort(QStringLiteral("0"));
    listener.OnSessionAvailable = [&](TCustomWSocket* l, uint16_t) {
        const TSocket h = l->Accept();
        l->Close();
        served.Dup(h);
    };
    listener.Listen();
    ASSERT_EQ(listener.State(), wsListening);
    const QString port = listener.GetXPort();
    EXPECT_NE(port, QStringLiteral("0"));
    Trace t;
    t.attach(served);
    connectTo(client, port);
    ASSERT_TRUE(
        waitFor([&] { return served.State() == wsConnected && client.State() == wsConnected; }));
    EXPECT_EQ(listener.State(), wsClosed);
    client.SendStr("ping");
    ASSERT_TRUE(waitFor([&] { return t.received == "ping"; }));

    TWSocket other;
    EXPECT_THROW(other.Accept(), ESocketException);
    EXPECT_THROW(other.Dup(INVALID_SOCKET), ESocketException);
}

// Fills the kernel's send buffer of a connected socket whose peer does not read.
qint64 fillSendBuffer(TSocket h) {
    const int small = 4096;
    ::setsockopt(h, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    QByteArray chunk(4096, 'f');
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::send(h, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL);
        if (n <= 0) break;
        total += n;
    }
    return total;
}

TEST(Wsocket, SendQueuesBlocksAndDrainsOnWriteReadiness) {
    Peer peer;
    TWSocket s;
    Trace t;
    t.attach(s);
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return s.State() == wsConnected && peer.conn; }));
    spinFor(20);
    t.events.clear();
    const qint64 prefill = fillSendBuffer(s.HSocket());

    QByteArray payload(5000, Qt::Uninitialized);
    for (int i = 0; i < payload.size(); ++i)
        payload[i] = char(i * 7);
    EXPECT_EQ(s.Send(payload.constData(), int(payload.size())), 5000);
    EXPECT_EQ(s.SendQueueBlocks(), (QList<int>{1460, 1460, 1460, 620}));
    EXPECT_FALSE(s.AllSent());

    QByteArray got;
    ASSERT_TRUE(waitFor([&] {
        got += peer.conn->readAll();
        return got.size() == prefill + 5000 && t.has(QStringLiteral("sent:0"));
    }));
    EXPECT_EQ(got.right(5000), payload);
    EXPECT_TRUE(s.AllSent());
}

TEST(Wsocket, PeerClosingWithUnreadDataDeliversEveryByteFirst) {
    Peer peer;
    TWSocket s;
    Trace t;
    t.readChunk = 1000;
    t.attach(s);
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return peer.conn; }));
    QByteArray data(200000, Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i % 251);
    peer.conn->write(data);
    peer.conn->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return t.has(QStringLiteral("closed:0")); }));
    EXPECT_EQ(t.received, data);
    EXPECT_GT(t.events.indexOf(QStringLiteral("closed:0")),
              t.events.lastIndexOf(QStringLiteral("data")));
    EXPECT_EQ(t.events.filter(QStringLiteral("closed:")).size(), 1);
    EXPECT_EQ(s.State(), wsClosed);
}

TEST(Wsocket, PeerResetEndsTheSession) {
    Peer peer;
    TWSocket s;
    Trace t;
    t.attach(s);
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return peer.conn && s.State() == wsConnected; }));
    const linger hard{1, 0};
    ::setsockopt(int(peer.conn->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    peer.conn->abort();
    ASSERT_TRUE(waitFor([&] { return s.State() == wsClosed; }));
    EXPECT_TRUE(t.has(QStringLiteral("closed:10054"))) << t.events.join(' ').toStdString();
    EXPECT_EQ(t.events.filter(QStringLiteral("closed:")).size(), 1);
}

TEST(Wsocket, CloseDelayedClosesFromTheLoop) {
    Peer peer;
    TWSocket s;
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return s.State() == wsConnected; }));
    s.CloseDelayed();
    EXPECT_EQ(s.State(), wsConnected);
    ASSERT_TRUE(waitFor([&] { return s.State() == wsClosed; }));
}

TEST(Wsocket, AnExceptionInAHandlerAbortsTheSocket) {
    Peer peer;
    TWSocket s;
    QString seen;
    s.OnDataAvailable = [](TCustomWSocket*, uint16_t) {
        throw std::runtime_error("handler failed");
    };
    s.OnBgException = [&](TCustomWSocket*, const std::exception& e, bool& canClose) {
        seen = QString::fromUtf8(e.what());
        canClose = true;
    };
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return peer.conn; }));
    peer.conn->write("x");
    ASSERT_TRUE(waitFor([&] { return s.State() == wsClosed; }));
    EXPECT_EQ(seen, QStringLiteral("handler failed"));
}

TEST(Wsocket, AFloodFromThePeerIsReadWithoutGrowingOrHanging) {
    Peer peer;
    TWSocket s;
    qint64 received = 0;
    s.OnDataAvailable = [&](TCustomWSocket* sock, uint16_t) {
        char buf[65536];
        const int n = sock->Receive(buf, sizeof buf);
        if (n > 0) received += n;
    };
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return peer.conn; }));
    const QByteArray block(1 << 20, 'z');
    for (int i = 0; i < 10; ++i)
        peer.conn->write(block);
    ASSERT_TRUE(waitFor([&] { return received == 10 << 20; }, 20000));

    // Nobody reading: the socket drops the data instead of spinning on it.
    TWSocket deaf;
    Peer peer2;
    connectTo(deaf, peer2.port());
    ASSERT_TRUE(waitFor([&] { return peer2.conn; }));
    for (int i = 0; i < 10; ++i)
        peer2.conn->write(block);
    ASSERT_TRUE(waitFor([&] { return peer2.conn->bytesToWrite() == 0; }, 20000));
    spinFor(100);
    EXPECT_EQ(deaf.State(), wsConnected);
}

TEST(Wsocket, LineModeDeliversOneLinePerEvent) {
    Peer peer;
    TWSocket s;
    s.SetLineMode(true);
    QList<QByteArray> lines;
    s.OnDataAvailable = [&](TCustomWSocket* sock, uint16_t) { lines << sock->ReceiveStr(); };
    bool closed = false;
    s.OnSessionClosed = [&](TCustomWSocket*, uint16_t) { closed = true; };
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return peer.conn; }));
    peer.conn->write("220-first\r\n220 second\r\nlast without end");
    ASSERT_TRUE(waitFor([&] { return lines.size() == 2; }));
    EXPECT_EQ(lines, (QList<QByteArray>{"220-first\r\n", "220 second\r\n"}));
    peer.conn->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return closed; }));
    EXPECT_EQ(lines.value(2), QByteArray("last without end"));
}

TEST(Wsocket, LineLimitDropsAnEndlessLine) {
    Peer peer;
    TWSocket s;
    s.SetLineMode(true);
    s.SetLineLimit(1000);
    int exceeded = 0;
    s.OnLineLimitExceeded = [&](TCustomWSocket*, int, bool& clear) {
        ++exceeded;
        clear = true;
    };
    QList<QByteArray> lines;
    s.OnDataAvailable = [&](TCustomWSocket* sock, uint16_t) { lines << sock->ReceiveStr(); };
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return peer.conn; }));
    peer.conn->write(QByteArray(5000, 'a'));
    ASSERT_TRUE(waitFor([&] { return exceeded > 0; }));
    peer.conn->write("ok\r\n");
    ASSERT_TRUE(waitFor([&] { return !lines.isEmpty(); }));
    EXPECT_EQ(lines.last(), QByteArray("ok\r\n"));
}

TEST(Wsocket, ReadLineWaitsForALine) {
    Peer peer;
    TWSocket s;
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return peer.conn && s.State() == wsConnected; }));
    QTimer::singleShot(50, [&] { peer.conn->write("hello there\r\nmore"); });
    EXPECT_EQ(s.ReadLine(5), QByteArray("hello there"));
    EXPECT_EQ(s.ReadLine(-200), QByteArray()); // no line end within 200 ms
    TWSocket closed;
    EXPECT_THROW(closed.ReadLine(1), ESocketException);
}

TEST(Wsocket, DatagramsGoBothWays) {
    TWSocket server, client;
    server.SetProto(QStringLiteral("udp"));
    server.SetAddr(QStringLiteral("127.0.0.1"));
    server.SetPort(QStringLiteral("0"));
    int serverConnected = -1;
    server.OnSessionConnected = [&](TCustomWSocket*, uint16_t e) { serverConnected = e; };
    QByteArray got;
    sockaddr_in from{};
    server.OnDataAvailable = [&](TCustomWSocket* s, uint16_t) {
        char buf[256];
        const int n = s->ReceiveFrom(buf, sizeof buf, from);
        if (n > 0) got.append(buf, n);
    };
    server.Listen();
    EXPECT_EQ(server.State(), wsConnected);
    EXPECT_EQ(serverConnected, 0);

    client.SetProto(QStringLiteral("17"));
    client.SetAddr(QStringLiteral("127.0.0.1"));
    client.SetPort(server.GetXPort());
    client.Connect();
    EXPECT_EQ(client.State(), wsConnected);
    client.SendStr("datagram");
    ASSERT_TRUE(waitFor([&] { return got == "datagram"; }));
    EXPECT_EQ(ntohs(from.sin_port), client.GetXPort().toUShort());
}

TEST(Wsocket, SmallRulesOfProperties) {
    TWSocket s;
    const auto message = ThrownText<ESocketException>;
    EXPECT_EQ(message([&] { s.SetLocalAddr(QStringLiteral("not.an.ip")); }),
              QStringLiteral("SetLocalAddr(): Invalid IP address"));
    s.SetLocalAddr(QString());
    EXPECT_EQ(s.LocalAddr(), QStringLiteral("0.0.0.0"));
    EXPECT_EQ(message([&] { s.SetSendFlags(7); }), QStringLiteral("Invalid SendFlags"));
    s.SetSendFlags(wsSendUrgent);
    EXPECT_EQ(s.SendFlags(), wsSendUrgent);
    EXPECT_EQ(s.PeerAddr(), QStringLiteral("error"));
    EXPECT_EQ(s.GetXPort(), QStringLiteral("error"));
    EXPECT_EQ(
        message([&] { s.Listen(); }),
        QStringLiteral("Error 10022 in function listen: port not assigned\r\nInvalid argument"));
    EXPECT_EQ(message([&] { s.ReverseDnsLookup(QString()); }),
              QStringLiteral("ReverseDnsLookup: Invalid host name."));
    QStringList seen;
    s.OnDnsLookupDone = [&](TCustomWSocket* sock, uint16_t e) {
        seen << QStringLiteral("%1 %2").arg(e).arg(sock->DnsResult());
    };
    s.ReverseDnsLookup(QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(waitFor([&] { return !seen.isEmpty(); }));
    EXPECT_TRUE(seen.first().startsWith(QStringLiteral("0 "))) << seen.first().toStdString();
    EXPECT_FALSE(s.DnsResult().isEmpty());
}

TEST(Wsocket, PausedSocketsHearNothingUntilResumed) {
    Peer peer;
    TWSocket s;
    Trace t;
    t.attach(s);
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return peer.conn && s.State() == wsConnected; }));
    s.Pause();
    peer.conn->write("while paused");
    spinFor(100);
    EXPECT_TRUE(t.received.isEmpty());
    s.Resume();
    ASSERT_TRUE(waitFor([&] { return t.received == "while paused"; }));
}

TEST(Wsocket, LineEchoAndEdit) {
    Peer peer;
    TWSocket s;
    s.SetLineMode(true);
    s.SetLineEcho(true);
    s.SetLineEdit(true);
    QList<QByteArray> lines;
    s.OnDataAvailable = [&](TCustomWSocket* sock, uint16_t) { lines << sock->ReceiveStr(); };
    connectTo(s, peer.port());
    ASSERT_TRUE(waitFor([&] { return peer.conn; }));
    peer.conn->write("helx\blo\tx\r\n");
    ASSERT_TRUE(waitFor([&] { return !lines.isEmpty(); }));
    EXPECT_EQ(lines.first(), QByteArray("hello   x\r\n")); // backspace removed x; tab to column 8
    ASSERT_TRUE(waitFor([&] { return peer.conn->bytesAvailable() >= 11; }));
    EXPECT_EQ(peer.conn->readAll(), QByteArray("helx\blo\tx\r\n")); // echoed as received
}

} // namespace
