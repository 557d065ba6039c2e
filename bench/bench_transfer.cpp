// The transfer queue headless against vsftpd on loopback, beside the command-line peers
// in the same run: one big file down and up (curl), a folder of small files down and up
// with three workers (lftp mirror), a queue of 10,000 items (adding, scanning, and the
// longest stall of the event loop while three workers run through 10,000 small files),
// and peak memory through a 1 GiB download. Needs root (vsftpd logs in a local user).
#include "GlobalTask.h"
#include "RealServers.h"
#include "TestLoop.h"
#include "TransferText.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>

namespace {

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

bool makeFile(const QString& path, qint64 size) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QByteArray block(int(std::min<qint64>(size, 1 << 20)), Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(i * 131 + (i >> 9));
    for (qint64 done = 0; done < size; done += block.size())
        f.write(block.constData(), std::min<qint64>(block.size(), size - done));
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther |
                     QFileDevice::WriteOther);
    return true;
}

double run(const QString& program, const QStringList& args) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(1200000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     p.readAllStandardError().constData());
        return -1;
    }
    return seconds(t);
}

long peakKib() {
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

struct Bench {
    explicit Bench(RealFtpServer& s, const QString& programDir)
        : server(s), task(manager, settings, programDir) {
        site = TransferText::SiteText(QStringLiteral("127.0.0.1"), QString::number(s.port));
        settings.setFlag(Setting::PromptOverwrite, false); // overwrite every time
    }
    QueueItem* add(const char* op, const QString& local, const QString& remote, bool folder,
                   qint64 size = 0) {
        return manager.AddItem(queue, QLatin1String(op), local, remote,
                               folder ? QString() : QString::number(size), site, server.user,
                               server.password, folder);
    }
    // Runs the queue until every top-level item is done; seconds, or -1.
    double runQueue() {
        QElapsedTimer t;
        t.start();
        task.ScanQueue();
        const bool ok = waitFor(
            [&] {
                for (const auto& item : queue.root()->children) {
                    if (!queue_manager::Completed(item->state())) return false;
                }
                return true;
            },
            1200000);
        return ok ? seconds(t) : -1;
    }

    RealFtpServer& server;
    QString site;
    SettingsSource settings;
    QueueModel queue{false};
    QueueModel failQueue{true};
    queue_manager manager{queue, failQueue, settings};
    Global_Task task;
};

void ratio(const char* name, double ours, double theirs) {
    if (ours > 0 && theirs > 0) std::printf("%s_ratio: %.2f\n", name, ours / theirs);
}

} // namespace

int main(int argc, char** argv) {
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) qputenv("TMPDIR", "/dev/shm");
    QCoreApplication app(argc, argv);
    RealFtpServer server = StartVsftpd();
    if (!server.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.failure));
        return 1;
    }
    const QString root = server.root;
    const QString local = server.dir->path() + QStringLiteral("/local");
    QDir().mkpath(local);
    const QString url = QStringLiteral("ftp://%1:%2@127.0.0.1:%3")
                            .arg(server.user, server.password)
                            .arg(server.port);
    const qint64 big = qint64(256) << 20;
    if (!makeFile(root + QStringLiteral("/big.bin"), big)) return 1;

    {
        Bench b(server, local + QStringLiteral("/program/"));
        b.add("download", local + QStringLiteral("/big.bin"), root + QStringLiteral("/big.bin"),
              false, big);
        const double ours = b.runQueue();
        if (QFileInfo(local + QStringLiteral("/big.bin")).size() != big)
            std::fprintf(stderr, "download incomplete\n");
        const double curl = run(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"),
                                                         local + QStringLiteral("/curl.bin"),
                                                         url + "/%2F" + root.mid(1) + "/big.bin"});
        std::printf("download_256MiB_queue: %.3f s\ndownload_256MiB_curl: %.3f s\n", ours, curl);
        ratio("download_256MiB_queue_vs_curl", ours, curl);
        b.queue.clear();
        b.add("upload", local + QStringLiteral("/big.bin"), root + QStringLiteral("/up.bin"), false,
              big);
        const double up = b.runQueue();
        const double curlUp =
            run(QStringLiteral("curl"),
                {QStringLiteral("-s"), QStringLiteral("-T"), local + QStringLiteral("/big.bin"),
                 url + "/%2F" + root.mid(1) + "/up-curl.bin"});
        std::printf("upload_256MiB_queue: %.3f s\nupload_256MiB_curl: %.3f s\n", up, curlUp);
        ratio("upload_256MiB_queue_vs_curl", up, curlUp);
    }

    // 2,000 files of 16 KiB, three at a time.
    for (int i = 0; i < 2000; ++i)
        makeFile(root + QStringLiteral("/many/f%1.bin").arg(i, 4, 10, QLatin1Char('0')), 16384);
    {
        Bench b(server, local + QStringLiteral("/program/"));
        b.add("download", local + QStringLiteral("/many/"), root + QStringLiteral("/many"), true);
        const double ours = b.runQueue();
        const bool haveLftp = !QStandardPaths::findExecutable(QStringLiteral("lftp")).isEmpty();
        const double lftp =
            haveLftp ? run(QStringLiteral("lftp"),
                           {QStringLiteral("-e"),
                            QStringLiteral("mirror --parallel=3 %1/many %2/lftp-many; quit")
                                .arg(root, local),
                            url})
                     : -1;
        std::printf("download_2000x16KiB_queue: %.3f s\ndownload_2000x16KiB_lftp: %.3f s\n", ours,
                    lftp);
        ratio("download_2000x16KiB_queue_vs_lftp", ours, lftp);
        b.queue.clear();
        b.add("upload", local + QStringLiteral("/many/"), root + QStringLiteral("/many-up"), true);
        const double up = b.runQueue();
        const double lftpUp =
            haveLftp ? run(QStringLiteral("lftp"),
                           {QStringLiteral("-e"),
                            QStringLiteral("mirror -R --parallel=3 %1/many %2/many-lftp; quit")
                                .arg(local, root),
                            url})
                     : -1;
        std::printf("upload_2000x16KiB_queue: %.3f s\nupload_2000x16KiB_lftp: %.3f s\n", up,
                    lftpUp);
        ratio("upload_2000x16KiB_queue_vs_lftp", up, lftpUp);
    }

    // A queue of 10,000 small files: adding, scanning, and the loop's longest stall.
    for (int i = 0; i < 10000; ++i)
        makeFile(root + QStringLiteral("/small/s%1").arg(i), 16);
    {
        Bench b(server, local + QStringLiteral("/program/"));
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 10000; ++i)
            b.add("download", local + QStringLiteral("/small/s%1").arg(i),
                  root + QStringLiteral("/small/s%1").arg(i), false, 16);
        std::printf("add_10000_items: %.3f s\n", seconds(t));
        QDir().mkpath(local + QStringLiteral("/small"));
        // The worst scan: no item may start (attempts used up), so it walks them all;
        // the next scan skips what the first found finished.
        for (QueueItem* item : b.queue.items())
            b.manager.SetCount(b.queue, item, QStringLiteral("attempts"), 99);
        t.restart();
        b.task.ScanQueue();
        std::printf("scan_10000_items_first: %.6f s\n", seconds(t));
        t.restart();
        b.task.ScanQueue();
        std::printf("scan_10000_items_again: %.6f s\n", seconds(t));
        for (QueueItem* item : b.queue.items())
            b.manager.SetCount(b.queue, item, QStringLiteral("attempts"), 0);
        b.queue.resetScanHints();
        QElapsedTimer beat;
        qint64 longest = 0;
        QTimer probe;
        probe.setInterval(5);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (beat.isValid()) longest = std::max(longest, beat.elapsed());
            beat.start();
        });
        probe.start();
        const double total = b.runQueue();
        probe.stop();
        std::printf("run_10000_small_files: %.3f s\nloop_longest_stall: %lld ms\n", total,
                    static_cast<long long>(longest));
    }

    // Peak memory through a 1 GiB download.
    {
        const qint64 gib = qint64(1) << 30;
        makeFile(root + QStringLiteral("/gib.bin"), gib);
        QFile::remove(root + QStringLiteral("/big.bin"));
        Bench b(server, local + QStringLiteral("/program/"));
        const long before = peakKib();
        b.add("download", local + QStringLiteral("/gib.bin"), root + QStringLiteral("/gib.bin"),
              false, gib);
        const double t = b.runQueue();
        if (QFileInfo(local + QStringLiteral("/gib.bin")).size() != gib)
            std::fprintf(stderr, "1 GiB download incomplete\n");
        std::printf("download_1GiB_queue: %.3f s\npeak_memory_before: %.1f MB\n"
                    "peak_memory_1GiB: %.1f MB\n",
                    t, before / 1024.0, peakKib() / 1024.0);
    }
    return 0;
}
