// Downloads and uploads a 256 MiB file from and to vsftpd on loopback with TFtpClient
// (passive and active), and the same with curl, and prints the rates, the ratio of
// curl's time to the engine's, and the engine's peak memory. Needs root (vsftpd logs
// in a local user). The files live in /dev/shm when it is there.
#include "Ftpcli.h"
#include "RealServers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kSize = qint64(256) << 20;

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}
double rate(double s) {
    return double(kSize) / s / 1e6;
}

long peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

bool makeFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(i * 131 + (i >> 9));
    for (qint64 done = 0; done < kSize; done += block.size())
        f.write(block);
    return true;
}

double curlTime(const QStringList& args) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral("curl"), args);
    p.waitForFinished(600000);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "curl failed: %s\n", p.readAllStandardError().constData());
    return seconds(t);
}

} // namespace

int main(int argc, char** argv) {
    // Files in memory: the disk's write-back would otherwise decide the figures.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) qputenv("TMPDIR", "/dev/shm");
    QCoreApplication app(argc, argv);
    RealFtpServer server = StartVsftpd();
    if (!server.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.failure));
        return 1;
    }
    const QString remoteFile = server.root + QStringLiteral("/big.bin");
    const QString localDir = server.dir->path();
    if (!makeFile(remoteFile)) return 1;
    const QString local = localDir + QStringLiteral("/local.bin");
    const QString url = QStringLiteral("ftp://%1:%2@127.0.0.1:%3/")
                            .arg(server.user, server.password)
                            .arg(server.port);
    const long rssBefore = peakRssMb();

    TFtpClient client;
    client.SetHostName(QStringLiteral("127.0.0.1"));
    client.SetPort(QString::number(server.port));
    client.SetUserName(server.user);
    client.SetPassWord(server.password);
    client.SetTimeout(120);
    if (!client.Connect() || !client.TypeBinary()) {
        std::fprintf(stderr, "login failed: %s\n", qPrintable(client.ErrorMessage()));
        return 1;
    }
    // Each figure is the median of three runs: the disk and the second core make single
    // runs on this machine vary a lot.
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    for (bool passive : {true, false}) {
        const char* mode = passive ? "passive" : "active";
        client.SetPassive(passive);
        QStringList modeArgs = {QStringLiteral("-s"), QStringLiteral("-S")};
        if (!passive) modeArgs << QStringLiteral("-P") << QStringLiteral("127.0.0.1");
        std::vector<double> engineDown, engineUp, curlDown, curlUp;
        for (int round = 0; round < 3; ++round) {
            client.SetHostFileName(QStringLiteral("big.bin"));
            client.SetLocalFileName(local);
            QElapsedTimer t;
            t.start();
            const bool got = client.Get();
            engineDown.push_back(seconds(t));
            if (!got || QFileInfo(local).size() != kSize) std::fprintf(stderr, "download failed\n");

            client.SetHostFileName(QStringLiteral("up.bin"));
            t.restart();
            const bool put = client.Put();
            engineUp.push_back(seconds(t));
            if (!put || QFileInfo(server.root + QStringLiteral("/up.bin")).size() != kSize) {
                std::fprintf(stderr, "upload failed\n");
            }
            curlDown.push_back(curlTime(
                modeArgs + QStringList{QStringLiteral("-o"), localDir + QStringLiteral("/curl.bin"),
                                       url + QStringLiteral("big.bin")}));
            curlUp.push_back(curlTime(modeArgs + QStringList{QStringLiteral("-T"), local,
                                                             url + QStringLiteral("curl-up.bin")}));
        }
        std::printf("ftp_download_%s_engine: %.0f MB/s\n", mode, rate(median(engineDown)));
        std::printf("ftp_download_%s_curl: %.0f MB/s\n", mode, rate(median(curlDown)));
        std::printf("ftp_download_%s_time_ratio: %.2f\n", mode,
                    median(engineDown) / median(curlDown));
        std::printf("ftp_upload_%s_engine: %.0f MB/s\n", mode, rate(median(engineUp)));
        std::printf("ftp_upload_%s_curl: %.0f MB/s\n", mode, rate(median(curlUp)));
        std::printf("ftp_upload_%s_time_ratio: %.2f\n", mode, median(engineUp) / median(curlUp));
    }
    client.Quit();
    std::printf("ftp_engine_peak_rss_before: %ld MB\n", rssBefore);
    std::printf("ftp_engine_peak_rss_after: %ld MB\n", peakRssMb());
    return 0;
}
