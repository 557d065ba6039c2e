// Moves 1 GiB over loopback from a TWSocket sender to a TWSocket receiver, each on
// the event loop of its own thread, and the same amount between two plain blocking
// POSIX sockets with large buffers (one thread each). Prints both rates and their ratio.
#include "Wsocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kTotal = qint64(1) << 30;
constexpr int kChunk = 256 * 1024;

double eventDrivenRate() {
    TWSocket listener, receiver;
    listener.SetAddr(QStringLiteral("127.0.0.1"));
    listener.SetPort(QStringLiteral("0"));
    listener.OnSessionAvailable = [&](TCustomWSocket* l, uint16_t) {
        const TSocket h = l->Accept();
        l->Close();
        receiver.Dup(h);
    };
    listener.Listen();
    const QString port = listener.GetXPort();

    std::vector<char> in(kChunk);
    qint64 received = 0;
    QElapsedTimer timer;
    QEventLoop loop;
    receiver.OnDataAvailable = [&](TCustomWSocket* s, uint16_t) {
        const int n = s->Receive(in.data(), kChunk);
        if (n > 0 && (received += n) >= kTotal) loop.quit();
    };

    QThread* sender = QThread::create([port] {
        TWSocket s;
        std::vector<char> out(kChunk, 'x');
        qint64 sent = 0;
        QEventLoop senderLoop;
        s.SetLingerOnOff(wsLingerOff);
        auto pump = [&](TCustomWSocket* sock, uint16_t) {
            if (sent >= kTotal) return;
            sent += sock->Send(out.data(), kChunk);
        };
        s.OnSessionConnected = pump;
        s.OnDataSent = pump;
        s.OnSessionClosed = [&](TCustomWSocket*, uint16_t) { senderLoop.quit(); };
        s.SetAddr(QStringLiteral("127.0.0.1"));
        s.SetPort(port);
        s.Connect();
        senderLoop.exec();
    });
    timer.start();
    sender->start();
    loop.exec();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    receiver.Close();
    sender->wait();
    delete sender;
    return double(kTotal) / seconds / 1e6;
}

double plainRate() {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener, 1);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    const int big = 4 << 20;

    std::thread sender([addr, big] {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        ::setsockopt(s, SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
        ::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
        std::vector<char> out(kChunk, 'x');
        for (qint64 sent = 0; sent < kTotal;) {
            const ssize_t n = ::send(s, out.data(), out.size(), 0);
            if (n <= 0) break;
            sent += n;
        }
        ::close(s);
    });
    const int r = ::accept(listener, nullptr, nullptr);
    ::setsockopt(r, SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
    std::vector<char> in(kChunk);
    QElapsedTimer timer;
    timer.start();
    qint64 received = 0;
    while (received < kTotal) {
        const ssize_t n = ::recv(r, in.data(), in.size(), 0);
        if (n <= 0) break;
        received += n;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    sender.join();
    ::close(r);
    ::close(listener);
    return double(received) / seconds / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const double plain = plainRate();
    const double events = eventDrivenRate();
    std::printf("socket_plain_rate: %.0f MB/s\n", plain);
    std::printf("socket_twsocket_rate: %.0f MB/s\n", events);
    std::printf("socket_twsocket_to_plain_ratio: %.2f\n", events / plain);
    return 0;
}
