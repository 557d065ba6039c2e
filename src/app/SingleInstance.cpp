#include "SingleInstance.h"

#include <QLocalSocket>

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), m_socketPath(folder + QStringLiteral("/1Quillon.socket")),
      m_lock(folder + QStringLiteral("/1Quillon.lock")) {
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::claim() {
    if (!m_lock.tryLock(0)) {
        QLocalSocket running;
        running.connectToServer(m_socketPath);
        if (running.waitForConnected(2000)) {
            running.write("show\n");
            running.waitForBytesWritten(2000);
            running.disconnectFromServer();
        }
        return false;
    }
    // The lock is ours, so a socket left behind is a dead copy's.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socketPath);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* copy = m_server.nextPendingConnection()) {
            connect(copy, &QLocalSocket::disconnected, copy, &QObject::deleteLater);
            if (onLaterCopy) onLaterCopy();
        }
    });
    return true;
}
