#include "Wsockbuf.h"
#include "TestLoop.h"
#include "Wsocket.h"

#include <gtest/gtest.h>

TEST(TBuffer, WritesReadsAndRewindsWhenEmptied) {
    TBuffer b(10);
    EXPECT_EQ(b.Write("abcdefghijkl", 12), 10);
    EXPECT_EQ(b.Write("x", 1), 0);
    int len = 0;
    const char* p = b.Peek(len);
    ASSERT_EQ(len, 10);
    EXPECT_EQ(std::string(p, 3), "abc");
    EXPECT_EQ(b.Remove(4), 4);
    char out[16] = {};
    EXPECT_EQ(b.Read(out, 3), 3);
    EXPECT_EQ(std::string(out, 3), "efg");
    EXPECT_EQ(b.Taken(), 7);
    EXPECT_EQ(b.Remove(99), 3);
    // Everything taken: both marks back at the start, the block is reused.
    EXPECT_EQ(b.Filled(), 0);
    EXPECT_EQ(b.Taken(), 0);
    EXPECT_EQ(b.Peek(len), nullptr);
    EXPECT_EQ(len, 0);
    EXPECT_EQ(b.Write("zz", 2), 2);
}

TEST(TBuffer, SetBufSizeKeepsWrittenBytes) {
    TBuffer b(0);
    EXPECT_EQ(b.BufSize(), 1514);
    TBuffer c(4);
    c.Write("abcd", 4);
    c.SetBufSize(8);
    EXPECT_EQ(c.Write("efgh", 4), 4);
    char out[8];
    EXPECT_EQ(c.Read(out, 8), 8);
    EXPECT_EQ(std::string(out, 8), "abcdefgh");
}

TEST(WsocketHelpers, DottedIpRules) {
    const std::pair<const char*, bool> cases[] = {
        {"10.0.0.1", true}, {"  10.0.0.1 ", true}, {"255.255.255.255", true}, {".10.0.0.1", false},
        {"10.0.0", false},  {"10.0.0.256", false}, {"10.0.0.1.5", false},     {"a.b.c.d", false},
        {"", false},        {"1..2.3", false},     {"1.2.3.4.", false}};
    for (const auto& [text, ok] : cases)
        EXPECT_EQ(WSocketIsDottedIP(QString::fromLatin1(text)), ok) << text;
}

TEST(WsocketHelpers, ErrorTextsAndNumbers) {
    EXPECT_EQ(WSocketErrorDesc(0), QStringLiteral("No Error"));
    EXPECT_EQ(WSocketErrorDesc(10061), QStringLiteral("Connection refused"));
    EXPECT_EQ(WSocketErrorDesc(11001), QStringLiteral("Host not found"));
    EXPECT_EQ(WSocketErrorDesc(10071), QStringLiteral("Too many levels of remote in path"));
    EXPECT_EQ(WSocketErrorDesc(20015),
              QStringLiteral("The SOCKS server rejected the user name or password"));
    EXPECT_EQ(WSocketErrorDesc(20099), QStringLiteral("Not a WinSock error"));
    EXPECT_EQ(WSocketErrorFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(WSocketErrorFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(WSocketErrorFromErrno(EAGAIN), 10035);
    EXPECT_EQ(WSocketErrorFromErrno(EPIPE), 10058);
    EXPECT_EQ(WSocketErrorFromErrno(ETIMEDOUT), 10060);
}

TEST(WsocketHelpers, ResolversGiveNumbersOrTheirErrorTexts) {
    EXPECT_EQ(WSocketResolvePort(QStringLiteral("21"), QStringLiteral("tcp")), 21);
    EXPECT_EQ(WSocketResolvePort(QStringLiteral("ftp"), QStringLiteral("tcp")), 21);
    EXPECT_EQ(WSocketResolveProto(QStringLiteral("tcp")), 6);
    EXPECT_EQ(WSocketResolveProto(QStringLiteral("17")), 17);
    EXPECT_EQ(WSocketResolveHost(QStringLiteral("127.0.0.1")), htonl(INADDR_LOOPBACK));
    EXPECT_EQ(WSocketResolveHost(QStringLiteral("localhost")), htonl(INADDR_LOOPBACK));

    const auto message = ThrownText<ESocketException>;
    EXPECT_EQ(message([] { WSocketResolvePort(QString(), QStringLiteral("tcp")); }),
              QStringLiteral("WSocketResolvePort: Invalid Port."));
    EXPECT_EQ(
        message([] { WSocketResolvePort(QStringLiteral("nosuchservice"), QStringLiteral("tcp")); }),
        QStringLiteral("WSocketResolvePort: Cannot convert port 'nosuchservice', Error #11004"));
    EXPECT_EQ(message([] { WSocketResolveProto(QString()); }),
              QStringLiteral("WSocketResolveProto: Invalid Protocol."));
    EXPECT_EQ(message([] { WSocketResolveHost(QString()); }),
              QStringLiteral("WSocketResolveHost: '' Invalid Hostname."));
    EXPECT_TRUE(message([] { WSocketResolveHost(QStringLiteral("no-such-host.invalid")); })
                    .startsWith(QStringLiteral("WSocketResolveHost: Cannot convert host address "
                                               "'no-such-host.invalid', Error #")));
    EXPECT_FALSE(LocalHostName().isEmpty());
    EXPECT_TRUE(LocalIPList().contains(QStringLiteral("127.0.0.1")));
}
