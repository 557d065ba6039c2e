#include "RealServers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

namespace {

// A server that runs as root and logs in a local user: the folder, the user and the port.
bool prepareRootServer(RealFtpServer& s, const QString& name,
                       const QString& user = QStringLiteral("quillontest")) {
    s.name = name;
    if (geteuid() != 0) {
        s.failure = name + QStringLiteral(" needs root");
        return false;
    }
    s.dir = std::make_unique<QTemporaryDir>();
    s.root = s.dir->path() + QStringLiteral("/root");
    s.remoteRoot = s.root;
    QDir().mkpath(s.root);
    s.user = user;
    s.password = QStringLiteral("quillon-pw-1");
    if (!run(QStringLiteral("id"), {s.user})) {
        run(QStringLiteral("useradd"),
            {QStringLiteral("-m"), QStringLiteral("-s"), QStringLiteral("/bin/bash"), s.user});
    }
    run(QStringLiteral("chpasswd"), {}, (s.user + u':' + s.password + u'\n').toUtf8());
    ::chmod(s.dir->path().toLocal8Bit().constData(), 0755);
    ::chmod(s.root.toLocal8Bit().constData(), 0777);
    s.port = freePort();
    return true;
}

void writeText(const QString& path, const QString& text) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text.toUtf8());
}

// Where scripts/install-deps unpacks the servers that cannot be installed beside vsftpd.
QString unpacked(const QString& program) {
    return QStringLiteral(QUILLON_TEST_SERVERS_DIR "/usr/sbin/") + program;
}

} // namespace

RealFtpServer StartVsftpd() {
    RealFtpServer s;
    if (!prepareRootServer(s, QStringLiteral("vsftpd"))) return s;
    const QString empty = s.dir->path() + QStringLiteral("/empty");
    QDir().mkpath(empty);
    const quint16 pasv = freePort();
    const QString conf = s.dir->path() + QStringLiteral("/vsftpd.conf");
    writeText(conf, QStringLiteral(
                        "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=%1\n"
                        "local_enable=YES\nwrite_enable=YES\nanonymous_enable=NO\nlocal_umask=022\n"
                        "pasv_enable=YES\npasv_min_port=%2\npasv_max_port=%3\nport_enable=YES\n"
                        "connect_from_port_20=NO\nseccomp_sandbox=NO\nbackground=NO\n"
                        "secure_chroot_dir=%4\npam_service_name=vsftpd\nlocal_root=%5\n"
                        "check_shell=NO\nuserlist_enable=NO\nxferlog_enable=NO\nuse_localtime=YES\n"
                        "ascii_upload_enable=YES\nascii_download_enable=YES\n")
                        .arg(s.port)
                        .arg(pasv)
                        .arg(pasv + 20)
                        .arg(empty, s.root));
    s.process =
        std::make_unique<ServerProcess>(QStringLiteral("/usr/sbin/vsftpd"), QStringList{conf});
    if (!s.process->started() || !waitForPort(s.port)) {
        s.failure = QStringLiteral("vsftpd did not start: ") + s.process->output();
    }
    return s;
}

RealFtpServer StartPureFtpd() {
    RealFtpServer s;
    // pure-ftpd starts a session in the user's home folder: a user of its own, whose
    // home is this server's folder.
    if (!prepareRootServer(s, QStringLiteral("pure-ftpd"), QStringLiteral("quillonpure"))) return s;
    run(QStringLiteral("usermod"), {QStringLiteral("-d"), s.root, s.user});
    const quint16 pasv = freePort();
    // Unix accounts, no anonymous logins, no name lookups, in the foreground.
    s.process = std::make_unique<ServerProcess>(
        unpacked(QStringLiteral("pure-ftpd")),
        QStringList{QStringLiteral("-S"), QStringLiteral("127.0.0.1,%1").arg(s.port),
                    QStringLiteral("-p"), QStringLiteral("%1:%2").arg(pasv).arg(pasv + 20),
                    QStringLiteral("-l"), QStringLiteral("unix"), QStringLiteral("-E"),
                    QStringLiteral("-H")});
    if (!s.process->started() || !waitForPort(s.port))
        s.failure = QStringLiteral("pure-ftpd did not start: ") + s.process->output();
    return s;
}

RealFtpServer StartProftpd() {
    RealFtpServer s;
    if (!prepareRootServer(s, QStringLiteral("proftpd"))) return s;
    const quint16 pasv = freePort();
    const QString d = s.dir->path();
    const QString conf = d + QStringLiteral("/proftpd.conf");
    writeText(conf, QStringLiteral("ServerName \"quillon test\"\nServerType standalone\n"
                                   "DefaultServer on\nPort %1\nDefaultAddress 127.0.0.1\n"
                                   "SocketBindTight on\nUseIPv6 off\nUser nobody\nGroup nogroup\n"
                                   "Umask 022\nPidFile %3/proftpd.pid\n"
                                   "ScoreboardFile %3/proftpd.scoreboard\nDelayTable none\n"
                                   "WtmpLog off\nTransferLog none\nSystemLog %3/proftpd.log\n"
                                   "PassivePorts %2 %4\nRequireValidShell off\n"
                                   "AuthOrder mod_auth_unix.c\nAllowOverwrite on\n"
                                   "AllowStoreRestart on\nUseReverseDNS off\nDefaultChdir %3/root\n"
                                   "<IfModule mod_ident.c>\nIdentLookups off\n</IfModule>\n")
                        .arg(s.port)
                        .arg(pasv)
                        .arg(d)
                        .arg(pasv + 20));
    s.process = std::make_unique<ServerProcess>(
        unpacked(QStringLiteral("proftpd")),
        QStringList{QStringLiteral("-n"), QStringLiteral("-c"), conf});
    if (!s.process->started() || !waitForPort(s.port))
        s.failure = QStringLiteral("proftpd did not start: ") + s.process->output();
    return s;
}

RealFtpServer StartServer(const QString& name) {
    if (name == QLatin1String("vsftpd")) return StartVsftpd();
    if (name == QLatin1String("pure-ftpd")) return StartPureFtpd();
    if (name == QLatin1String("proftpd")) return StartProftpd();
    return StartPyftpdlib();
}
