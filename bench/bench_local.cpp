// The local pane offscreen: a folder of 100,000 files listed into it (cold and warm); a
// 1 GiB file and a folder of 5,000 files copied by the paste job beside cp, with the
// longest stall of the loop; and
// drops onto the remote pane of the main window logged in to pyftpdlib on loopback: a
// local folder tree of 2,000 files (until the workers have queued every file of it) and
// 2,000 files dropped from a file manager (until they are queued).
#include "DragData.h"
#include "LocalBrowse.h"
#include "LocalFileJob.h"
#include "LocalListModel.h"
#include "LocalPane.h"
#include "Main.h"
#include "NavigationManager.h"
#include "QueueManager.h"
#include "RealServers.h"
#include "TestLoop.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include <cstdio>

namespace {

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

void touch(const QString& path, int bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    if (bytes > 0) f.write(QByteArray(bytes, 'b'));
}

int countItems(const QueueItem* item) {
    int n = 0;
    for (const auto& child : item->children)
        n += 1 + countItems(child.get());
    return n;
}

bool drop(QWidget* viewport, QMimeData* data) {
    const QPoint at(5, viewport->height() - 3);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    if (!move.isAccepted()) return false;
    QDropEvent event(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
    return event.isAccepted();
}

// Runs the job to its end; the longest gap of a 1 ms timer meanwhile, in ms.
qint64 runMeasuringStalls(LocalFileJob& job) {
    QTimer tick;
    tick.setInterval(1);
    QElapsedTimer gap;
    qint64 longest = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] { longest = std::max(longest, gap.restart()); });
    gap.start();
    tick.start();
    job.start();
    waitFor([&] { return !job.isRunning(); }, 600000);
    return std::max(longest, gap.elapsed());
}

double timeOf(const QString& program, const QStringList& args) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, args);
    p.waitForFinished(600000);
    return seconds(t);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.path() + "/data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path() + "/config"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("1Quillon"));

    // 100,000 files of a few kinds.
    constexpr int kEntries = 100000;
    const QString big = scratch.path() + QStringLiteral("/big");
    QDir().mkpath(big);
    const char* kinds[] = {".txt", ".jpg", ".bin", ".tar.gz", ""};
    for (int i = 0; i < kEntries; ++i)
        touch(big + QStringLiteral("/file_%1%2")
                        .arg(i, 6, 10, QLatin1Char('0'))
                        .arg(QLatin1String(kinds[i % 5])),
              0);

    {
        LocalPane pane;
        pane.resize(1000, 800);
        pane.show();
        QApplication::processEvents();
        auto* list = pane.findChild<QTreeView*>(QStringLiteral("localListView"));
        for (const char* pass : {"cold", "warm"}) {
            QElapsedTimer t;
            t.start();
            Local_Browse browse;
            const QList<LocalEntry> entries = browse.ListFolder(big, false);
            const double enumerate = seconds(t);
            t.restart();
            pane.ListFolder(big);
            list->viewport()->repaint();
            QApplication::processEvents();
            const double shown = seconds(t);
            if (pane.Model().rowCount() != kEntries || entries.size() != kEntries) {
                std::fprintf(stderr, "%d rows listed\n", pane.Model().rowCount());
                return 1;
            }
            std::printf("local_listing_%s_enumerate_time: %.3f s\n", pass, enumerate);
            std::printf("local_listing_%s_time: %.3f s\n", pass, shown);
        }
        std::printf("local_listing_entries: %d entries\n", kEntries);
    }

    // A 1 GiB file copied by the paste job, beside cp, with the longest gap of a 1 ms
    // timer while it runs: how long the window could not answer.
    {
        const QString source = scratch.path() + QStringLiteral("/gib.bin");
        QFile f(source);
        f.open(QIODevice::WriteOnly);
        const QByteArray block(1 << 20, 'g');
        for (int i = 0; i < 1024; ++i)
            f.write(block);
        f.close();
        QDir().mkpath(scratch.path() + QStringLiteral("/copy"));
        const double cpTime =
            timeOf(QStringLiteral("cp"), {source, scratch.path() + QStringLiteral("/cp.bin")});
        QFile::remove(scratch.path() + QStringLiteral("/cp.bin"));
        LocalFileJob job(LocalFileJob::Copy, {source}, scratch.path() + QStringLiteral("/copy"));
        QElapsedTimer t;
        t.start();
        const qint64 longest = runMeasuringStalls(job);
        const double jobTime = seconds(t);
        if (!job.errors().isEmpty() ||
            QFileInfo(scratch.path() + QStringLiteral("/copy/gib.bin")).size() !=
                (qint64(1) << 30)) {
            std::fprintf(stderr, "the copy failed\n");
            return 1;
        }
        std::printf("local_copy_1gib_time: %.3f s\n", jobTime);
        std::printf("local_copy_1gib_cp_time: %.3f s\n", cpTime);
        std::printf("local_copy_1gib_vs_cp_ratio: %.2f\n", cpTime / jobTime);
        std::printf("local_copy_longest_stall: %lld ms\n", longest);
        QFile::remove(source);
        QDir(scratch.path() + QStringLiteral("/copy")).removeRecursively();
    }

    // A folder of 5,000 small files in 50 folders, copied the same way, beside cp -r.
    {
        const QString source = scratch.path() + QStringLiteral("/many");
        for (int d = 0; d < 50; ++d) {
            const QString folder = source + QStringLiteral("/d%1").arg(d);
            QDir().mkpath(folder);
            for (int f = 0; f < 100; ++f)
                touch(folder + QStringLiteral("/f%1.dat").arg(f), 4096);
        }
        const QString target = scratch.path() + QStringLiteral("/many-copy");
        QDir().mkpath(target);
        const double cpTime =
            timeOf(QStringLiteral("cp"),
                   {QStringLiteral("-r"), source, scratch.path() + QStringLiteral("/many-cp")});
        LocalFileJob job(LocalFileJob::Copy, {source}, target);
        QElapsedTimer t;
        t.start();
        const qint64 longest = runMeasuringStalls(job);
        const double jobTime = seconds(t);
        if (!job.errors().isEmpty() ||
            !QFileInfo::exists(target + QStringLiteral("/many/d49/f99.dat"))) {
            std::fprintf(stderr, "the folder copy failed\n");
            return 1;
        }
        std::printf("local_copy_5000_files_time: %.3f s\n", jobTime);
        std::printf("local_copy_5000_files_cp_time: %.3f s\n", cpTime);
        std::printf("local_copy_5000_files_vs_cp_ratio: %.2f\n", cpTime / jobTime);
        std::printf("local_copy_5000_files_longest_stall: %lld ms\n", longest);
    }

    // A tree of 2,000 files in 50 folders, and 2,000 loose files.
    const QString tree = scratch.path() + QStringLiteral("/tree");
    const QString loose = scratch.path() + QStringLiteral("/loose");
    QStringList loosePaths;
    for (int d = 0; d < 50; ++d) {
        const QString folder = tree + QStringLiteral("/d%1").arg(d, 2, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        for (int f = 0; f < 40; ++f)
            touch(folder + QStringLiteral("/f%1.dat").arg(f), 100);
    }
    QDir().mkpath(loose);
    for (int f = 0; f < 2000; ++f) {
        loosePaths << loose + QStringLiteral("/l%1.dat").arg(f);
        touch(loosePaths.last(), 100);
    }

    RealFtpServer server = StartPyftpdlib();
    if (!server.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.failure));
        return 1;
    }
    TMainform w;
    w.quitApplication = [] {};
    w.FormCreate();
    w.CreateDialogs();
    w.findChild<QLineEdit*>(QStringLiteral("Quickhost"))->setText(QStringLiteral("127.0.0.1"));
    w.findChild<QLineEdit*>(QStringLiteral("QuickUser"))->setText(server.user);
    w.findChild<QLineEdit*>(QStringLiteral("Quickpass"))->setText(server.password);
    w.findChild<QLineEdit*>(QStringLiteral("quickport"))->setText(QString::number(server.port));
    w.findChild<QToolButton*>(QStringLiteral("quick_connect"))->click();
    auto* remoteList = w.findChild<QTreeWidget*>(QStringLiteral("remoteListView"));
    if (!waitFor([&] { return w.Navigation()->IsIdle() && remoteList->isEnabled(); }, 15000)) {
        std::fprintf(stderr, "no session\n");
        return 1;
    }
    QWidget* viewport = remoteList->viewport();
    QueueModel& queue = w.Queues().Queue();

    // Files from a file manager: queued at the drop.
    std::unique_ptr<QMimeData> files(new QMimeData);
    QList<QUrl> urls;
    for (const QString& p : loosePaths)
        urls << QUrl::fromLocalFile(p);
    files->setUrls(urls);
    w.findChild<QToolButton*>(QStringLiteral("Queue_ToggleProcessing"))->click(); // stopped
    QElapsedTimer t;
    t.start();
    if (!drop(viewport, files.get())) {
        std::fprintf(stderr, "the files' drop was refused\n");
        return 1;
    }
    const double looseTime = seconds(t);
    if (countItems(queue.root()) != 2000) {
        std::fprintf(stderr, "%d items queued\n", countItems(queue.root()));
        return 1;
    }
    std::printf("drop_2000_files_queue_time: %.3f s\n", looseTime);
    queue.clear();
    w.findChild<QToolButton*>(QStringLiteral("Queue_ToggleProcessing"))->click(); // running

    // The tree from the local list: one folder item, whose folders and files the workers
    // add as they make each remote folder.
    // Dragged from the local list, which shows the tree's folder.
    w.findChild<LocalPane*>(QStringLiteral("local_pane"))->ListFolder(scratch.path());
    std::unique_ptr<QMimeData> folder(DragData::fromLocalList({tree + u'/'}));
    t.restart();
    if (!drop(viewport, folder.get())) {
        std::fprintf(stderr, "the folder's drop was refused\n");
        return 1;
    }
    const double dropped = seconds(t);
    if (!waitFor([&] { return countItems(queue.root()) >= 1 + 50 + 2000; }, 120000)) {
        std::fprintf(stderr, "%d items queued\n", countItems(queue.root()));
        return 1;
    }
    std::printf("drop_folder_tree_drop_time: %.3f s\n", dropped);
    std::printf("drop_folder_tree_2000_files_queue_time: %.3f s\n", seconds(t));
    w.Navigation()->CloseSession();
    return 0;
}
