#include "FakeFtpServer.h"

#include <QTimer>

#include <sys/socket.h>

FakeFtpServer::FakeFtpServer() {
    m_control.listen(QHostAddress::LocalHost, 0);
    connect(&m_control, &QTcpServer::newConnection, this, [this] {
        m_conn = m_control.nextPendingConnection();
        if (!banner.isEmpty()) m_conn->write(banner);
        connect(m_conn, &QTcpSocket::readyRead, this, [this] {
            m_pending += m_conn->readAll();
            for (qsizetype end; (end = m_pending.indexOf("\r\n")) >= 0;) {
                const QString line = QString::fromUtf8(m_pending.left(end));
                m_pending.remove(0, end + 2);
                transcript << line;
                onCommand(line);
                if (!m_conn) return;
            }
        });
    });
    connect(&m_pasv, &QTcpServer::newConnection, this, [this] {
        m_data = m_pasv.nextPendingConnection();
        ++dataConnections;
        if (m_waitingForData) std::exchange(m_waitingForData, nullptr)(m_data);
    });
}

QStringList FakeFtpServer::commands() const {
    QStringList c;
    for (const QString& line : transcript) {
        if (!line.startsWith(QLatin1String("PORT"))) c << line;
    }
    return c;
}

void FakeFtpServer::send(const QByteArray& raw) {
    if (m_conn) m_conn->write(raw);
}

void FakeFtpServer::closeControl() {
    if (!m_conn) return;
    m_conn->flush();
    m_conn->disconnectFromHost();
}

void FakeFtpServer::withData(const std::function<void(QTcpSocket*)>& then) {
    if (!m_passive) {
        auto* s = new QTcpSocket(this);
        m_data = s;
        ++dataConnections;
        connect(s, &QTcpSocket::connected, this, [s, then] { then(s); });
        s->connectToHost(QHostAddress::LocalHost, m_portTarget);
        return;
    }
    if (m_data && m_data->state() == QAbstractSocket::ConnectedState) return then(m_data);
    m_waitingForData = then;
}

void FakeFtpServer::startDownload() {
    const QByteArray payload = ignoreRest ? downloadData : downloadData.mid(restOffset);
    restOffset = 0;
    if (!refuseAfterDataReset.isEmpty()) {
        const QByteArray refusal = refuseAfterDataReset;
        return withData([this, refusal](QTcpSocket* d) {
            const linger l{1, 0};
            ::setsockopt(int(d->socketDescriptor()), SOL_SOCKET, SO_LINGER, &l, sizeof l);
            d->abort();
            send(refusal);
        });
    }
    if (endlessChunk > 0) {
        send(preliminaryReply);
        return withData([this](QTcpSocket* d) {
            const QByteArray chunk(endlessChunk, 'x');
            d->write(chunk);
            connect(d, &QTcpSocket::bytesWritten, d, [d, chunk] {
                if (d->bytesToWrite() < chunk.size()) d->write(chunk);
            });
        });
    }
    if (!dataBeforePreliminary) send(preliminaryReply);
    withData([this, payload](QTcpSocket* d) {
        d->write(payload);
        connect(d, &QTcpSocket::disconnected, this, [this] {
            if (dataBeforePreliminary) {
                // The client has seen the data close long before it hears about it.
                QTimer::singleShot(100, this,
                                   [this] { send("150 Opening data connection\r\n226 Done\r\n"); });
            } else {
                send(finalDownloadReply);
            }
        });
        if (!keepDataOpen) d->disconnectFromHost();
    });
}

void FakeFtpServer::startUpload() {
    send("150 Ok to send data\r\n");
    withData([this](QTcpSocket* d) {
        if (resetUpload) {
            // A zero linger turns the close into a reset.
            const linger l{1, 0};
            ::setsockopt(int(d->socketDescriptor()), SOL_SOCKET, SO_LINGER, &l, sizeof l);
            d->abort();
            send("226 Transfer complete\r\n");
            return;
        }
        auto take = [this, d] { uploaded += d->readAll(); };
        connect(d, &QTcpSocket::readyRead, this, take);
        connect(d, &QTcpSocket::disconnected, this, [this, take] {
            take();
            send("226 Transfer complete\r\n");
        });
    });
}

void FakeFtpServer::onCommand(const QString& line) {
    if (intercept && intercept(*this, line)) return;
    answer(line);
}

void FakeFtpServer::answer(const QString& line) {
    const QString verb = line.section(u' ', 0, 0).toUpper();
    const QString arg = line.section(u' ', 1);
    if (replies.contains(verb)) return send(replies.value(verb));
    if (verb == QLatin1String("USER")) return send("331 Password required\r\n");
    if (verb == QLatin1String("PASS")) return send("230 Logged in\r\n");
    if (verb == QLatin1String("PWD"))
        return send("257 \"" + (followCwd ? cwd : QStringLiteral("/home/test")).toUtf8() +
                    "\" is the current directory\r\n");
    if (verb == QLatin1String("CWD")) {
        if (arg.startsWith(u'/')) cwd = arg;
        return send("250 Directory changed\r\n");
    }
    if (verb == QLatin1String("CDUP")) {
        if (followCwd && cwd != QLatin1String("/"))
            cwd =
                cwd.lastIndexOf(u'/') == 0 ? QStringLiteral("/") : cwd.left(cwd.lastIndexOf(u'/'));
        return send("250 Directory changed\r\n");
    }
    if (verb == QLatin1String("DELE") || verb == QLatin1String("RMD")) {
        const qsizetype slash = arg.lastIndexOf(u'/');
        const QString parent = slash <= 0 ? QStringLiteral("/") : arg.left(slash);
        QStringList& lines = folders[parent];
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i].section(u' ', -1) == arg.mid(slash + 1)) lines.removeAt(i--);
        }
        if (verb == QLatin1String("RMD")) folders.remove(arg);
        return send(verb == QLatin1String("DELE") ? "250 Deleted\r\n" : "250 Removed\r\n");
    }
    if (verb == QLatin1String("MKD")) return send("257 \"" + arg.toUtf8() + "\" created\r\n");
    if (verb == QLatin1String("TYPE")) return send("200 Type set\r\n");
    if (verb == QLatin1String("NOOP")) return send("200 NOOP ok\r\n");
    if (verb == QLatin1String("SIZE"))
        return send("213 " + QByteArray::number(downloadData.size()) + "\r\n");
    if (verb == QLatin1String("REST")) {
        restOffset = arg.toLongLong();
        return send("350 Restarting at " + arg.toUtf8() + "\r\n");
    }
    if (verb == QLatin1String("PASV")) {
        m_passive = true;
        if (!m_pasv.isListening()) m_pasv.listen(QHostAddress::LocalHost, 0);
        const quint16 p = m_pasv.serverPort();
        return send(QStringLiteral("227 Entering Passive Mode (%1,%2,%3)\r\n")
                        .arg(pasvHost)
                        .arg(p >> 8)
                        .arg(p & 0xff)
                        .toUtf8());
    }
    if (verb == QLatin1String("PORT")) {
        m_passive = false;
        const QStringList n = arg.split(u',');
        m_portTarget = quint16(n.value(4).toInt() * 256 + n.value(5).toInt());
        return send("200 PORT command successful\r\n");
    }
    if (verb == QLatin1String("LIST") && followCwd && folders.contains(cwd)) {
        const QStringList& lines = folders[cwd];
        downloadData = lines.isEmpty() ? QByteArray() : (lines.join("\r\n") + "\r\n").toUtf8();
        return startDownload();
    }
    if (verb == QLatin1String("RETR") || verb == QLatin1String("LIST") ||
        verb == QLatin1String("NLST")) {
        return startDownload();
    }
    if (verb == QLatin1String("STOR") || verb == QLatin1String("APPE")) return startUpload();
    if (verb == QLatin1String("QUIT")) {
        send("221 Goodbye\r\n");
        return closeControl();
    }
    send("500 Unknown command\r\n");
}
