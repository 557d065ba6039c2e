// A SOCKS server that answers with any bytes: the client's negotiation (4, 4A or 5, with
// or without a user) ends in a connection or a SOCKS error, never in a fault or a hang.
#include "Wsocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdint>
#include <cstdlib>

namespace {

struct Server {
    QTcpServer listener;
    QByteArray answer;
    Server() {
        listener.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&listener, &QTcpServer::newConnection, [this] {
            QTcpSocket* c = listener.nextPendingConnection();
            QObject::connect(c, &QTcpSocket::disconnected, c, &QObject::deleteLater);
            // The whole answer comes as soon as the client has said anything, then the
            // server hangs up, so a client waiting for more learns at once.
            QObject::connect(c, &QTcpSocket::readyRead, c, [this, c] {
                c->readAll();
                c->write(std::exchange(answer, QByteArray()));
                c->disconnectFromHost();
            });
        });
    }
};

QCoreApplication* app() {
    static int argc = 1;
    static char name[] = "fuzz_socks";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return &instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    app();
    static Server server;
    static const char* levels[] = {"4", "4A", "5"};
    const uint8_t options = data[0];
    server.answer = QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    bool done = false;
    {
        TWSocket socket;
        socket.OnSocksConnected = [&](TCustomWSocket*, uint16_t e) { done = done || e != 0; };
        socket.OnSocksError = [&](TCustomWSocket*, int, const QString&) { done = true; };
        socket.OnSessionConnected = [&](TCustomWSocket*, uint16_t) { done = true; };
        socket.OnSessionClosed = [&](TCustomWSocket*, uint16_t) { done = true; };
        socket.OnDataAvailable = [](TCustomWSocket* s, uint16_t) {
            char buf[512];
            s->Receive(buf, sizeof buf);
        };
        try {
            socket.SetSocksServer(QStringLiteral("127.0.0.1"));
            socket.SetSocksPort(QString::number(server.listener.serverPort()));
            socket.SetSocksLevel(QLatin1String(levels[options % 3]));
            if (options & 0x10) {
                socket.SetSocksUsercode(QStringLiteral("user"));
                socket.SetSocksPassword(QStringLiteral("secret"));
                socket.SetSocksAuthentication(socksAuthenticateUsercode);
            }
            // SOCKS 4 resolves the target itself: a name would wait for a lookup.
            const bool dotted = options % 3 == 0 || (options & 0x20);
            socket.SetAddr(dotted ? QStringLiteral("10.1.2.3") : QStringLiteral("ftp.example.org"));
            socket.SetPort(QStringLiteral("21"));
            socket.Connect();
        } catch (const ESocketException&) {
            return 0;
        }
        QElapsedTimer clock;
        clock.start();
        while (!done && clock.elapsed() < 200)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        socket.Close();
    }
    QCoreApplication::processEvents(); // deferred deletes and closes
    return 0;
}
