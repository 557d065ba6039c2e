// Real FTP servers started by the tests on free loopback ports: pyftpdlib (any user)
// and vsftpd (as root, logging in a local user the fixture creates).
#pragma once

#include "TestLoop.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

struct RealFtpServer {
    QString name;
    quint16 port = 0;
    QString user, password;
    // The folder the user logs into.
    QString root;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ServerProcess> process;
    QString failure; // why it could not start

    bool ok() const { return failure.isEmpty(); }
};

// bytesPerSecond > 0 limits its data connections to that rate.
RealFtpServer StartPyftpdlib(qint64 bytesPerSecond = 0);
// Stops a pyftpdlib server and starts it again on the same port and folder.
void RestartPyftpdlib(RealFtpServer& server, qint64 bytesPerSecond = 0);
RealFtpServer StartVsftpd();
RealFtpServer StartServer(const QString& name);
