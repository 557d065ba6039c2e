// The queue run through the real main window (offscreen) against pyftpdlib and vsftpd:
// "Start Transfer", the workers' progress panels, the existing-file dialog, the queues
// saved at exit and restored at the next start.
#include "AppPaths.h"
#include "FileReplaceDialog.h"
#include "Main.h"
#include "QueueManager.h"
#include "RealServerTest.h"
#include "TransferText.h"
#include "WindowControls.h"
#include "WorkerPanelWidget.h"

#include "TestFiles.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// The dialog runs its own loop inside the worker's callback. done turns true once the
// action ran.
void onNextReplaceDialog(std::function<void(Tfile_replace*)> action, bool& done) {
    done = false;
    onNextModal([action, &done](QWidget* modal) {
        auto* dialog = qobject_cast<Tfile_replace*>(modal);
        if (!dialog) return;
        action(dialog);
        done = true;
    });
}

class TransferWindowTest : public RealServerTest {
protected:
    void SetUp() override {
        RealServerTest::SetUp();
        if (stopped()) return;
        local = QDir::cleanPath(
            QDir(AppPaths::programDir())
                .filePath(QStringLiteral("../transfer-window-") + QLatin1String(GetParam())));
        QDir(local).removeRecursively();
        QDir().mkpath(local);
        w = startWithEmptyQueues();
        site = TransferText::SiteText(QStringLiteral("127.0.0.1"), QString::number(server.port));
    }
    QString remote(const QString& name) const { return server.remoteRoot + u'/' + name; }
    QueueItem* add(const char* op, const QString& localPath, const QString& remotePath, bool folder,
                   qint64 size = 0) {
        return w->Queues().AddItem(w->Queues().Queue(), QLatin1String(op), localPath, remotePath,
                                   folder ? QString() : QString::number(size), site, server.user,
                                   server.password, folder);
    }
    QueueItem* top(int row) const {
        return w->Queues().Queue().root()->children[size_t(row)].get();
    }
    void start() { control<QToolButton>(w.get(), "Queue_StartTransfer")->click(); }

    QString local, site;
    std::unique_ptr<TMainform> w;
};

TEST_P(TransferWindowTest, StartTransferRunsTheQueueWithProgressPanelsAndAsksAboutExistingFiles) {
    const QByteArray big = pattern(4 << 20, 5);
    writeFile(server.root + "/w/big.bin", big);
    writeFile(server.root + "/w/small.txt", "text\n");
    writeFile(server.root + "/w/sub/c.bin", pattern(3000, 6));
    add("download", local + "/w/", remote("w"), true);
    start();
    // A worker shows its panel in the thread panel.
    auto* area = control<QScrollArea>(w.get(), "thread_window");
    ASSERT_TRUE(
        waitFor([&] { return !area->findChildren<WorkerPanelWidget*>().isEmpty(); }, 10000));
    ASSERT_TRUE(waitFor([&] { return top(0)->state() == DownloadFolderDone; }, 60000))
        << top(0)->state();
    EXPECT_EQ(readFile(local + "/w/big.bin"), big);
    EXPECT_EQ(readFile(local + "/w/small.txt"), QByteArray("text\n"));
    EXPECT_EQ(readFile(local + "/w/sub/c.bin"), pattern(3000, 6));

    // The same file again: the dialog asks, with the sizes of both sides.
    bool done = false;
    QString title, text, size, countdown;
    onNextReplaceDialog(
        [&](Tfile_replace* d) {
            title = d->windowTitle();
            text = control<QLabel>(d, "Label1")->text();
            size = control<QLabel>(d, "original_file_size")->text();
            countdown = control<QLabel>(d, "time_elapsed")->text();
            control<QToolButton>(d, "skip")->click();
        },
        done);
    QueueItem* again =
        add("download", local + "/w/big.bin", remote("w/big.bin"), false, big.size());
    w->Tasks().ScanQueue();
    ASSERT_TRUE(waitFor([&] { return again->state() == Skipped; }, 20000)) << again->state();
    EXPECT_TRUE(done);
    EXPECT_EQ(title, QStringLiteral("Confirm File Replace"));
    EXPECT_TRUE(text.contains("big.bin")) << text.toStdString();
    EXPECT_EQ(size, QString::number(big.size()) + " bytes");
    EXPECT_EQ(countdown, QStringLiteral("10"));

    // Unanswered, the countdown takes the decision made last (here "skip"), and the
    // default button is then "Rename".
    bool renameFocused = false;
    onNextReplaceDialog(
        [&](Tfile_replace* d) {
            renameFocused = d->focusWidget() == control<QToolButton>(d, "rename");
            d->findChild<QTimer*>("Timer1")->setInterval(5);
        },
        done);
    QueueItem* third =
        add("download", local + "/w/big.bin", remote("w/big.bin"), false, big.size());
    w->Tasks().ScanQueue();
    ASSERT_TRUE(waitFor([&] { return third->state() == Skipped; }, 20000)) << third->state();
    EXPECT_TRUE(done);
    EXPECT_TRUE(renameFocused);

    // The close box skips this file.
    onNextReplaceDialog([](Tfile_replace* d) { d->reject(); }, done);
    QueueItem* fourth =
        add("download", local + "/w/big.bin", remote("w/big.bin"), false, big.size());
    w->Tasks().ScanQueue();
    ASSERT_TRUE(waitFor([&] { return fourth->state() == Skipped; }, 20000)) << fourth->state();
    EXPECT_TRUE(done);
    EXPECT_EQ(readFile(local + "/w/big.bin"), big);
}

TEST_P(TransferWindowTest, ThreeConflictsAtOnceAskOneQuestionAndSkipAllSkipsThemAll) {
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("c%1.bin").arg(i);
        writeFile(server.root + u'/' + name, pattern(100000, 60 + i));
        writeFile(local + u'/' + name, "mine");
        add("download", local + u'/' + name, remote(name), false, 100000);
    }
    int dialogsAtOnce = 0, dialogsSeen = 0;
    bool done = false;
    onNextReplaceDialog(
        [&](Tfile_replace* d) {
            ++dialogsSeen;
            // Every worker has reached its conflict by now: still one question.
            spinFor(1500);
            for (QWidget* top : QApplication::topLevelWidgets())
                dialogsAtOnce += qobject_cast<Tfile_replace*>(top) && top->isVisible();
            d->findChild<QAction*>("skip_all")->trigger();
        },
        done);
    start(); // the queue is made afresh: its rows are looked up from here on
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(waitFor([&] { return top(i) && top(i)->state() == Skipped; }, 20000)) << i;
    EXPECT_TRUE(done);
    EXPECT_EQ(dialogsSeen, 1);
    EXPECT_EQ(dialogsAtOnce, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(readFile(local + QStringLiteral("/c%1.bin").arg(i)), QByteArray("mine"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_P(TransferWindowTest, QueuesAreSavedAtExitAndComeBackAtTheNextStart) {
    writeFile(local + "/up.bin", pattern(1000, 9));
    add("upload", local + "/up.bin", remote("up.bin"), false, 1000);
    w->Queues().CopyToFailedQueue(top(0), "550 test");
    const QString file = AppPaths::programDir() + AppPaths::kWorkingQueueFile;
    w->ExitApplication();
    const QByteArray saved = readFile(file);
    w.reset();
    w = std::make_unique<TMainform>();
    w->quitApplication = [] {};
    w->FormCreate();
    ASSERT_EQ(w->Queues().Queue().root()->children.size(), 1u);
    EXPECT_EQ(top(0)->text, remote("up.bin").toUtf8());
    EXPECT_EQ(w->Queues().FailQueue().root()->children.size(), 1u);
    w->SaveAllState();
    EXPECT_EQ(readFile(file), saved);
    // And it still runs.
    start();
    ASSERT_TRUE(waitFor([&] { return top(0)->state() == UploadDone; }, 20000)) << top(0)->state();
    EXPECT_EQ(readFile(server.root + "/up.bin"), pattern(1000, 9));
}

INSTANTIATE_TEST_SUITE_P(Servers, TransferWindowTest, ::testing::Values("pyftpdlib", "vsftpd"));

} // namespace

namespace {

// Every regular file below root with its bytes, by relative path.
QMap<QString, QByteArray> filesBelow(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), readFile(path));
    }
    return files;
}

TEST(KilledProgram, StartedAgainItFinishesEveryItemByteIdentical) {
    RealFtpServer server = StartPyftpdlib(512 * 1024);
    ASSERT_TRUE(server.ok()) << server.failure.toStdString();
    for (int i = 0; i < 4; ++i)
        writeFile(server.root + QStringLiteral("/tree/big%1.bin").arg(i), pattern(3 << 20, 40 + i));
    writeFile(server.root + "/tree/sub/small.txt", "small\n");
    writeFile(server.root + "/tree/sub/more.bin", pattern(700000, 50));
    const QString dataDir = AppPaths::programDir();
    const QString local = QDir::cleanPath(dataDir + "/../killed/tree");
    QDir(QDir(dataDir).filePath("../killed")).removeRecursively();
    // The queue the program finds at its start: one folder to fetch, processing on.
    {
        SettingsSource settings;
        QueueModel queue(false), failed(true);
        queue_manager manager(queue, failed, settings);
        manager.AddItem(queue, "download", local + u'/', "/tree", QString(),
                        TransferText::SiteText("127.0.0.1", QString::number(server.port)),
                        server.user, server.password, true);
        QString error;
        ASSERT_TRUE(queue.save(dataDir + AppPaths::kWorkingQueueFile, &error))
            << error.toStdString();
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess first;
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(QStringLiteral(QUILLON_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    // Killed in the middle of the run, with parts of files written.
    ASSERT_TRUE(waitFor(
        [&] {
            qint64 bytes = 0;
            for (const QByteArray& f : filesBelow(local))
                bytes += f.size();
            return bytes > (2 << 20);
        },
        30000))
        << first.readAll().toStdString();
    spinFor(1200); // the queue file has been saved since
    first.kill();
    ASSERT_TRUE(first.waitForFinished(5000));
    const QMap<QString, QByteArray> expected = filesBelow(server.root + "/tree");
    ASSERT_FALSE(filesBelow(local) == expected) << "the run ended before the kill";

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(QUILLON_BINARY), {});
    ASSERT_TRUE(second.waitForStarted());
    EXPECT_TRUE(waitFor([&] { return filesBelow(local) == expected; }, 60000))
        << filesBelow(local).keys().join(u' ').toStdString();
    second.terminate();
    second.waitForFinished(10000);
}

} // namespace
