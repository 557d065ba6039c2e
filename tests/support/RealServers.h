// Real FTP servers started by the tests on free loopback ports: pyftpdlib (any user),
// and, as root, logging in a local user the fixture creates: vsftpd, and pure-ftpd and
// proftpd run from the folder scripts/install-deps unpacks them into.
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
    // The path the server knows root by: "" where root is the user's "/" (pyftpdlib),
    // root itself where the login sees the whole file system.
    QString remoteRoot;
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
RealFtpServer StartPureFtpd();
RealFtpServer StartProftpd();
// "pyftpdlib", "vsftpd", "pure-ftpd" or "proftpd".
RealFtpServer StartServer(const QString& name);
