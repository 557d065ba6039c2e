#include "RealServers.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Free ports for passive data connections, away from the control port.
QPair<quint16, quint16> passiveRange() {
    const quint16 low = freePort();
    return {low, quint16(low)};
}

bool run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(program, args);
    if (!input.isEmpty()) {
        p.write(input);
        p.closeWriteChannel();
    }
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

namespace {

void runPyftpdlib(RealFtpServer& s, qint64 bytesPerSecond) {
    const auto range = passiveRange();
    s.process = std::make_unique<ServerProcess>(
        QStringLiteral("/usr/bin/python3"),
        QStringList{QStringLiteral(QUILLON_TEST_SUPPORT_DIR "/pyftpd_server.py"),
                    QString::number(s.port), s.root, s.user, s.password,
                    QString::number(range.first), QString::number(range.first + 20),
                    QString::number(bytesPerSecond)});
    if (!s.process->started() || !waitForPort(s.port))
        s.failure = QStringLiteral("pyftpdlib did not start");
}

} // namespace

RealFtpServer StartPyftpdlib(qint64 bytesPerSecond) {
    RealFtpServer s;
    s.name = QStringLiteral("pyftpdlib");
    s.dir = std::make_unique<QTemporaryDir>();
    s.root = s.dir->path() + QStringLiteral("/root");
    QDir().mkpath(s.root);
    s.user = QStringLiteral("tester");
    s.password = QStringLiteral("tester-pw");
    s.port = freePort();
    runPyftpdlib(s, bytesPerSecond);
    return s;
}

void RestartPyftpdlib(RealFtpServer& s, qint64 bytesPerSecond) {
    s.process.reset();
    s.failure.clear();
    runPyftpdlib(s, bytesPerSecond);
}

RealFtpServer StartVsftpd() {
    RealFtpServer s;
    s.name = QStringLiteral("vsftpd");
    if (geteuid() != 0) {
        s.failure = QStringLiteral("vsftpd needs root");
        return s;
    }
    s.dir = std::make_unique<QTemporaryDir>();
    s.root = s.dir->path() + QStringLiteral("/root");
    QDir().mkpath(s.root);
    const QString empty = s.dir->path() + QStringLiteral("/empty");
    QDir().mkpath(empty);
    s.user = QStringLiteral("quillontest");
    s.password = QStringLiteral("quillon-pw-1");
    if (!run(QStringLiteral("id"), {s.user})) {
        run(QStringLiteral("useradd"),
            {QStringLiteral("-m"), QStringLiteral("-s"), QStringLiteral("/bin/bash"), s.user});
    }
    run(QStringLiteral("chpasswd"), {}, (s.user + u':' + s.password + u'\n').toUtf8());
    ::chmod(s.dir->path().toLocal8Bit().constData(), 0755);
    ::chmod(s.root.toLocal8Bit().constData(), 0777);
    s.port = freePort();
    const quint16 pasv = freePort();
    const QString conf = s.dir->path() + QStringLiteral("/vsftpd.conf");
    QFile f(conf);
    f.open(QIODevice::WriteOnly);
    f.write(
        QStringLiteral("listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=%1\n"
                       "local_enable=YES\nwrite_enable=YES\nanonymous_enable=NO\nlocal_umask=022\n"
                       "pasv_enable=YES\npasv_min_port=%2\npasv_max_port=%3\nport_enable=YES\n"
                       "connect_from_port_20=NO\nseccomp_sandbox=NO\nbackground=NO\n"
                       "secure_chroot_dir=%4\npam_service_name=vsftpd\nlocal_root=%5\n"
                       "check_shell=NO\nuserlist_enable=NO\nxferlog_enable=NO\nuse_localtime=YES\n"
                       "ascii_upload_enable=YES\nascii_download_enable=YES\n")
            .arg(s.port)
            .arg(pasv)
            .arg(pasv + 20)
            .arg(empty, s.root)
            .toUtf8());
    f.close();
    s.process =
        std::make_unique<ServerProcess>(QStringLiteral("/usr/sbin/vsftpd"), QStringList{conf});
    if (!s.process->started() || !waitForPort(s.port)) {
        s.failure = QStringLiteral("vsftpd did not start: ") + s.process->output();
    }
    return s;
}

RealFtpServer StartServer(const QString& name) {
    return name == QLatin1String("vsftpd") ? StartVsftpd() : StartPyftpdlib();
}
