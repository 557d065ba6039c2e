// The workers and the scheduler against real servers (pyftpdlib and vsftpd) and the
// scripted server: whole folder trees both ways with three workers, retries, the
// existing-file decisions on both sides, a resumed download, a hostile listing.
#include "FakeFtpServer.h"
#include "GlobalTask.h"
#include "RealServerTest.h"
#include "Scratch.h"
#include "TransferManager.h"
#include "TransferText.h"
#include "WorkerPanel.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <unistd.h>

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

// Every file below root with its bytes, by relative path; folders as "name/".
QMap<QString, QByteArray> treeOf(const QString& root) {
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(root).relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            tree.insert(rel + u'/', QByteArray());
        } else {
            tree.insert(rel, readFile(path));
        }
    }
    return tree;
}

// The queue and the scheduler with real workers, and what the test answers when a
// file is already there.
struct Transfers {
    explicit Transfers(const QString& programDir) : task(manager, settings, programDir) {
        task.SetRetryDelays({200}); // the pause between attempts, short for the tests
        task.Decisions().ask = [this](const ExistingFile& f) {
            asked << f.name;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
    }
    QueueItem* add(const char* op, const QString& local, const QString& remote, const QString& site,
                   const QString& user, const QString& pass, bool folder, qint64 size = 0) {
        return manager.AddItem(queue, QLatin1String(op), local, remote,
                               folder ? QString() : QString::number(size), site, user, pass,
                               folder);
    }
    bool waitState(QueueItem* item, int state, int ms = 60000) {
        return waitFor([&] { return item->state() == state; }, ms);
    }

    SettingsSource settings;
    QueueModel queue{false};
    QueueModel failQueue{true};
    queue_manager manager{queue, failQueue, settings};
    Global_Task task;
    QStringList answers, asked;
};

class TransferServersTest : public RealServerTest {
protected:
    void SetUp() override {
        RealServerTest::SetUp();
        if (stopped()) return;
        local = scratchDir() + QStringLiteral("/transfer-") + QLatin1String(GetParam()) + u'-' +
                QString::number(QRandomGenerator::global()->generate());
        QDir().mkpath(local);
        t = std::make_unique<Transfers>(local + QStringLiteral("/program/"));
        site = TransferText::SiteText(QStringLiteral("127.0.0.1"), QString::number(server.port));
    }
    QueueItem* add(const char* op, const QString& localPath, const QString& remote, bool folder,
                   qint64 size = 0) {
        return t->add(op, localPath, remote, site, server.user, server.password, folder, size);
    }
    QString serverPath(const QString& name) const { return server.root + u'/' + name; }
    // The path the server knows a file by: vsftpd logs in without a chroot.
    QString remote(const QString& name) const { return server.remoteRoot + u'/' + name; }

    // A folder tree with hidden entries down and up again, byte-identical.
    void treeBothWays(const QString& tag);

    QString local, site;
    std::unique_ptr<Transfers> t;
};

void TransferServersTest::treeBothWays(const QString& tag) {
    const QString tree = QStringLiteral("tree-") + tag;
    writeFile(serverPath(tree + "/readme.txt"), "line one\nline two\n");
    writeFile(serverPath(tree + "/big.bin"), pattern(5 << 20, 1));
    writeFile(serverPath(tree + "/empty.dat"), QByteArray());
    writeFile(serverPath(tree + "/sub/b.bin"), pattern(70000, 2));
    writeFile(serverPath(tree + "/sub/deep/c.bin"), pattern(1000, 3));
    QDir().mkpath(serverPath(tree + "/sub/deep/none"));
    // Hidden entries at every level come along (servers that list them only on "-a").
    writeFile(serverPath(tree + "/.profile"), "hidden at the top");
    writeFile(serverPath(tree + "/sub/.dot/inside.txt"), "in a hidden folder");
    writeFile(serverPath(tree + "/sub/deep/.z"), "deep and hidden");

    QueueItem* down = add("download", local + "/down/" + tree + u'/', remote(tree), true);
    t->task.ScanQueue();
    ASSERT_TRUE(t->waitState(down, DownloadFolderDone))
        << "state " << down->state() << ", failed: " << t->failQueue.root()->children.size();
    EXPECT_EQ(treeOf(local + "/down/" + tree), treeOf(serverPath(tree)));
    EXPECT_EQ(down->column(4), QByteArray("100"));
    EXPECT_EQ(down->column(3), QByteArray::number((5 << 20) + 18 + 70000 + 1000 + 17 + 18 + 15));

    QueueItem* up = add("upload", local + "/down/" + tree + u'/', remote("back-" + tag), true);
    t->task.ScanQueue();
    ASSERT_TRUE(t->waitState(up, UploadFolderDone)) << "state " << up->state();
    EXPECT_EQ(treeOf(serverPath("back-" + tag)), treeOf(serverPath(tree)));
    EXPECT_TRUE(t->asked.isEmpty());
    EXPECT_TRUE(t->failQueue.root()->children.empty());
}

TEST_P(TransferServersTest, AFolderTreeGoesDownAndBackUpByteIdenticalWithThreeWorkers) {
    treeBothWays(QStringLiteral("direct"));
}

TEST_P(TransferServersTest, TheTreeGoesBothWaysThroughSocks5AndSocks4) {
    const quint16 socks5 = freePort();
    ServerProcess microsocks(QStringLiteral("microsocks"),
                             {"-i", "127.0.0.1", "-p", QString::number(socks5)});
    ASSERT_TRUE(microsocks.started() && waitForPort(socks5));
    t->settings.setText(Setting::SocksServer, QStringLiteral("127.0.0.1"));
    t->settings.setText(Setting::SocksPort, QString::number(socks5));
    t->settings.setText(Setting::ConnectionType, QStringLiteral("Socks5"));
    treeBothWays(QStringLiteral("socks5"));
    if (HasFailure() || geteuid() != 0) return; // dante needs root

    QTemporaryDir dir;
    const quint16 socks4 = freePort();
    writeFile(dir.filePath("danted.conf"),
              QStringLiteral("logoutput: %1/danted.log\ninternal: 127.0.0.1 port = %2\n"
                             "external: 127.0.0.1\nclientmethod: none\nsocksmethod: none\n"
                             "user.privileged: root\nuser.unprivileged: nobody\n"
                             "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                             "socks pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n")
                  .arg(dir.path())
                  .arg(socks4)
                  .toUtf8());
    ServerProcess dante(QStringLiteral("/usr/sbin/danted"),
                        {"-f", dir.filePath("danted.conf"), "-p", dir.filePath("danted.pid")});
    ASSERT_TRUE(dante.started() && waitForPort(socks4)) << dante.output().toStdString();
    t->settings.setText(Setting::SocksPort, QString::number(socks4));
    t->settings.setText(Setting::ConnectionType, QStringLiteral("Socks4"));
    treeBothWays(QStringLiteral("socks4"));
}

TEST_P(TransferServersTest, AMissingFileIsTriedAsOftenAsAllowedThenFailsWithTheServersReply) {
    t->settings.setInteger(Setting::AttemptsAllowed, 2);
    QueueItem* f = add("download", local + "/gone.bin", remote("no-such-file.bin"), false, 10);
    // A local file of that name is not asked about (there is nothing to replace it
    // with), and stays as it was.
    writeFile(local + "/kept.bin", "mine, whole");
    QueueItem* kept = add("download", local + "/kept.bin", remote("no-such-file.bin"), false, 10);
    // Each attempt ends back in the queue, and the scheduler tries again a moment later.
    t->task.ScanQueue();
    ASSERT_TRUE(t->waitState(f, Failed, 20000)) << f->state();
    ASSERT_TRUE(t->waitState(kept, Failed, 20000)) << kept->state();
    EXPECT_TRUE(t->asked.isEmpty());
    EXPECT_EQ(readFile(local + "/kept.bin"), QByteArray("mine, whole"));
    EXPECT_EQ(QDir(local).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.bin"});
    t->failQueue.remove(t->failQueue.root()->children[1].get());
    EXPECT_EQ(f->column(5), QByteArray("2"));
    ASSERT_EQ(t->failQueue.root()->children.size(), 1u);
    const QByteArray error = t->failQueue.root()->children[0]->column(9);
    EXPECT_TRUE(error.startsWith("550")) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(local + "/gone.bin"));
}

// Records what a worker draws, in order: "G n" for the bar, "P text" for the line and
// "T type" for the transfer type.
class RecordingPanel : public WorkerPanel {
public:
    explicit RecordingPanel(QStringList& log) : m_log(log) {}
    void SetGauge(int percent) override {
        WorkerPanel::SetGauge(percent);
        m_log << QStringLiteral("G %1").arg(percent);
    }
    void SetProgress(const QString& text) override {
        WorkerPanel::SetProgress(text);
        m_log << QStringLiteral("P ") + text;
    }
    void SetTransferType(const QString& type) override {
        WorkerPanel::SetTransferType(type);
        m_log << QStringLiteral("T ") + type;
    }

private:
    QStringList& m_log;
};

TEST_P(TransferServersTest, TheBarAndTheLineMoveTogetherAndTheRowTakesTheExactSize) {
    QStringList drawn;
    t->task.hooks.makePanel = [&drawn] { return std::make_unique<RecordingPanel>(drawn); };
    writeFile(serverPath("progress.bin"), pattern(3 << 20, 7));
    // Queued with a size estimated from a listing's KB column.
    QueueItem* f =
        add("download", local + "/progress.bin", remote("progress.bin"), false, (3 << 20) + 1000);
    t->task.ScanQueue();
    ASSERT_TRUE(t->waitState(f, DownloadDone)) << f->state();
    EXPECT_EQ(f->column(3), QByteArray::number(3 << 20));
    EXPECT_TRUE(drawn.contains("T Binary"));
    // Every step of the bar short of the end comes with its line, drawn from the same count.
    int steps = 0;
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        if (!drawn[i].startsWith("G ") || drawn[i] == "G 0" || drawn[i] == "G 100") continue;
        ++steps;
        ASSERT_LT(i + 1, drawn.size());
        EXPECT_TRUE(drawn[i + 1].startsWith("P ")) << drawn.mid(i, 2).join(" | ").toStdString();
        EXPECT_FALSE(drawn[i + 1].startsWith("P 0.00")) << drawn[i + 1].toStdString();
    }
    EXPECT_GT(steps, 0);
}

TEST_P(TransferServersTest, ExistingFileDecisionsOnBothSides) {
    const QByteArray remote = pattern(300000, 7);
    writeFile(serverPath("d.bin"), remote);
    struct Case {
        const char* answer;
        QByteArray before;
        int state;
    };
    const Case cases[] = {{"skip", "mine", Skipped},
                          {"overwrite", "mine", DownloadDone},
                          {"transfer_rest", remote.left(123456), DownloadDone},
                          {"rename", "mine", DownloadDone}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        const QString path = local + "/d-" + QLatin1String(c.answer) + ".bin";
        writeFile(path, c.before);
        t->answers = {QLatin1String(c.answer)};
        QueueItem* item = add("download", path, this->remote("d.bin"), false, remote.size());
        t->task.ScanQueue();
        ASSERT_TRUE(t->waitState(item, c.state, 20000)) << item->state();
        if (QLatin1String(c.answer) == QLatin1String("skip")) {
            EXPECT_EQ(readFile(path), c.before);
        } else if (QLatin1String(c.answer) == QLatin1String("rename")) {
            EXPECT_EQ(readFile(path), c.before);
            const QString renamed = QString::fromUtf8(item->column(2));
            EXPECT_NE(renamed, path);
            EXPECT_TRUE(renamed.startsWith(local + "/d-rename") && renamed.endsWith(".bin"));
            EXPECT_EQ(readFile(renamed), remote);
        } else {
            EXPECT_EQ(readFile(path), remote);
        }
    }
    EXPECT_EQ(t->asked.size(), 4);

    // Uploads: the remote file is the one that exists.
    const QByteArray mine = pattern(200000, 8);
    writeFile(local + "/u.bin", mine);
    const Case uploads[] = {{"skip", "theirs", Skipped},
                            {"overwrite", "theirs", UploadDone},
                            {"transfer_rest", mine.left(50000), UploadDone},
                            {"rename", "theirs", UploadDone}};
    for (const Case& c : uploads) {
        SCOPED_TRACE(c.answer);
        const QString name = QStringLiteral("u-%1.bin").arg(QLatin1String(c.answer));
        writeFile(serverPath(name), c.before);
        // The server's user replaces it (vsftpd runs as another user than the test).
        QFile::setPermissions(serverPath(name), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ReadOther |
                                                    QFileDevice::WriteOther);
        t->answers = {QLatin1String(c.answer)};
        QueueItem* item = add("upload", local + "/u.bin", this->remote(name), false, mine.size());
        t->task.ScanQueue();
        ASSERT_TRUE(t->waitState(item, c.state, 20000)) << item->state();
        if (QLatin1String(c.answer) == QLatin1String("rename")) {
            EXPECT_EQ(readFile(serverPath(name)), c.before);
            const QString renamed = QString::fromUtf8(item->text);
            EXPECT_NE(renamed, this->remote(name));
            EXPECT_EQ(readFile(serverPath(TransferText::FileName(renamed))), mine);
        } else if (QLatin1String(c.answer) == QLatin1String("skip")) {
            EXPECT_EQ(readFile(serverPath(name)), c.before);
        } else {
            EXPECT_EQ(readFile(serverPath(name)), mine);
        }
    }
}

TEST_P(TransferServersTest, WithoutThePromptTheOverwriteOptionDecidesEveryConflict) {
    t->settings.setFlag(Setting::PromptOverwrite, false);
    t->settings.setInteger(Setting::OverwriteOption, 3); // skip
    writeFile(serverPath("s.bin"), "remote");
    writeFile(local + "/s.bin", "local");
    QueueItem* item = add("download", local + "/s.bin", remote("s.bin"), false, 6);
    t->task.ScanQueue();
    ASSERT_TRUE(t->waitState(item, Skipped, 20000));
    EXPECT_TRUE(t->asked.isEmpty());
    EXPECT_EQ(readFile(local + "/s.bin"), QByteArray("local"));
}

INSTANTIATE_TEST_SUITE_P(Servers, TransferServersTest, EveryServer(), ServerTestName);

TEST(TransferResume, ADownloadCutOffByTheServerResumesWhereItStopped) {
    RealFtpServer server = StartPyftpdlib(512 * 1024);
    ASSERT_TRUE(server.ok()) << server.failure.toStdString();
    const QByteArray data = pattern(3 << 20, 11);
    writeFile(server.root + "/slow.bin", data);
    const QString local = scratchDir() + "/resume";
    QDir().mkpath(local);
    // An older copy is there, and the user chose to overwrite it: it stays whole until
    // the new one is.
    const QByteArray older = pattern(9000, 12);
    writeFile(local + "/slow.bin", older);
    const QString part = Transfer_Manager::PartFile(local + "/slow.bin");
    Transfers t(local + "/program/");
    t.answers = {"overwrite"};
    t.settings.setInteger(Setting::AttemptsAllowed, 5);
    QueueItem* item = t.add("download", local + "/slow.bin", "/slow.bin",
                            TransferText::SiteText("127.0.0.1", QString::number(server.port)),
                            server.user, server.password, false, data.size());
    t.task.ScanQueue();
    ASSERT_TRUE(waitFor([&] { return QFileInfo(part).size() > 600000; }, 20000));
    EXPECT_EQ(readFile(local + "/slow.bin"), older);
    RestartPyftpdlib(server); // the transfer breaks off; the server comes back at full speed
    ASSERT_TRUE(server.ok());
    ASSERT_TRUE(waitFor([&] { return item->column(5).toInt() >= 2 || item->state() != FileActive; },
                        20000));
    EXPECT_EQ(readFile(local + "/slow.bin"), older); // the failed attempt kept it
    // The failed attempt goes back to the queue and the next one resumes.
    ASSERT_TRUE(t.waitState(item, DownloadDone, 20000)) << item->state();
    EXPECT_EQ(readFile(local + "/slow.bin"), data);
    EXPECT_FALSE(QFileInfo::exists(part));
    EXPECT_GE(item->column(5).toInt(), 2);
    EXPECT_EQ(t.asked.size(), 1); // its own part is resumed without a second question
    EXPECT_FALSE(queue_manager::PartialDownload(item));
    // The restarted server sent only what was missing.
    const QRegularExpressionMatch sent =
        QRegularExpression("slow\\.bin\"? completed=1 bytes=(\\d+)")
            .match(server.process->output());
    ASSERT_TRUE(sent.hasMatch()) << server.process->output().toStdString();
    EXPECT_GT(sent.captured(1).toLongLong(), 0);
    EXPECT_LT(sent.captured(1).toLongLong(), data.size() - 600000);
}

// A scripted server and one download of its file into local, with a part of it there.
struct ScriptedDownload {
    explicit ScriptedDownload(const QString& name) : local(scratchDir() + u'/' + name) {
        QDir(local).removeRecursively();
        QDir().mkpath(local);
        t = std::make_unique<Transfers>(local + "/program/");
    }
    QueueItem* add(const QString& file, qint64 size) {
        return t->add("download", local + u'/' + file, u'/' + file,
                      TransferText::SiteText("127.0.0.1", server.port()), "tester", "pw", false,
                      size);
    }
    FakeFtpServer server;
    QString local;
    std::unique_ptr<Transfers> t;
};

TEST(TransferResume, AServerThatIgnoresRestIsFetchedWholeOnTheNextAttempt) {
    ScriptedDownload d("ignored-rest");
    const QByteArray data = pattern(1 << 20, 21);
    d.server.downloadData = data;
    d.server.ignoreRest = true;
    writeFile(d.local + "/f.bin", data.left(524288));
    QueueItem* item = d.add("f.bin", data.size());
    queue_manager::SetPartialDownload(d.t->queue, item, true); // an earlier attempt's part
    d.t->task.ScanQueue();
    ASSERT_TRUE(d.t->waitState(item, DownloadDone, 20000)) << item->state();
    EXPECT_EQ(readFile(d.local + "/f.bin"), data);
    EXPECT_EQ(item->column(5), QByteArray("2"));
    EXPECT_TRUE(d.t->asked.isEmpty());
    EXPECT_EQ(d.server.commands().filter("REST").size(), 1); // the second attempt did not resume
}

TEST(TransferResume, APartLongerThanTheServersFileIsNotResumed) {
    const QByteArray data = pattern(5000, 22);
    for (const bool prompt : {true, false}) {
        SCOPED_TRACE(prompt ? "asked" : "option");
        ScriptedDownload d(prompt ? "longer-asked" : "longer-option");
        d.server.downloadData = data;
        writeFile(d.local + "/f.bin", pattern(8000, 23));
        QueueItem* item = d.add("f.bin", data.size());
        queue_manager::SetPartialDownload(d.t->queue, item, true);
        if (prompt) {
            d.t->answers = {"transfer_rest"};
        } else {
            d.t->settings.setFlag(Setting::PromptOverwrite, false);
            d.t->settings.setInteger(Setting::OverwriteOption, 2); // transfer the rest
        }
        d.t->task.ScanQueue();
        ASSERT_TRUE(d.t->waitState(item, DownloadDone, 20000)) << item->state();
        EXPECT_EQ(d.t->asked.size(), prompt ? 1 : 0);
        EXPECT_EQ(readFile(d.local + "/f.bin"), data);
        EXPECT_TRUE(d.server.commands().filter("REST").isEmpty());
    }
}

TEST(TransferLinks, AFolderDownloadNeverWritesThroughALinkOutOfItsFolder) {
    FakeFtpServer server;
    server.followCwd = true;
    server.folders["/pub"] =
        QStringList{"drwxr-xr-x 2 u g 0 Jan 01 2020 sub", "-rw-r--r-- 1 u g 5 Jan 01 2020 top.txt"};
    server.folders["/pub/sub"] = QStringList{"-rw-r--r-- 1 u g 5 Jan 01 2020 f.txt"};
    const QString local = scratchDir() + "/links";
    QDir(local).removeRecursively();
    QDir().mkpath(local + "/in");
    QDir().mkpath(local + "/elsewhere");
    // The target holds a link to a folder outside it, with the name of a remote folder.
    ASSERT_TRUE(QFile::link(local + "/elsewhere", local + "/in/sub"));
    Transfers t(local + "/program/");
    t.settings.setInteger(Setting::ThreadsAllowed, 1); // the scripted server takes one client
    QueueItem* folder =
        t.add("download", local + "/in/", "/pub",
              TransferText::SiteText("127.0.0.1", server.port()), "tester", "pw", true);
    t.task.ScanQueue();
    ASSERT_TRUE(waitFor([&] { return t.failQueue.root()->children.size() == 1; }, 20000));
    ASSERT_TRUE(waitFor([&] { return !t.task.RunningCount(); }, 20000));
    const QueueItem* failed = t.failQueue.root()->children[0].get();
    EXPECT_EQ(failed->text, QByteArray("/pub/sub/f.txt"));
    EXPECT_TRUE(failed->column(9).contains("through a symbolic link"))
        << failed->column(9).toStdString();
    EXPECT_TRUE(QDir(local + "/elsewhere").isEmpty());
    EXPECT_TRUE(QFileInfo(local + "/in/top.txt").isFile()); // the rest still came
    EXPECT_NE(folder->state(), FolderWaiting);
}

TEST(TransferHostileListing, NamesThatCannotBeLocalFilesAreLeftOutAndReported) {
    FakeFtpServer server;
    server.replies["SIZE"] = "550 Not here\r\n";
    server.downloadData = "-rw-r--r-- 1 u g 5 Jan 01 2020 ../x\r\n"
                          "-rw-r--r-- 1 u g 5 Jan 01 2020 a/b\r\n"
                          "-rw-r--r-- 1 u g 5 Jan 01 2020 c\\d\r\n"
                          "drwxr-xr-x 2 u g 0 Jan 01 2020 .\r\n"
                          "drwxr-xr-x 2 u g 0 Jan 01 2020 ..\r\n"
                          "-rw-r--r-- 1 u g 5 Jan 01 2020 ok.txt\r\n";
    const QString local = scratchDir() + "/hostile";
    Transfers t(local + "/program/");
    QueueItem* folder =
        t.add("download", local + "/in/", "/pub",
              TransferText::SiteText("127.0.0.1", server.port()), "tester", "pw", true);
    t.task.ScanQueue();
    ASSERT_TRUE(
        waitFor([&] { return folder->state() != FolderActive && folder->state() != FolderWaiting; },
                20000));
    ASSERT_EQ(folder->children.size(), 1u);
    EXPECT_EQ(folder->children[0]->text, QByteArray("ok.txt"));
    QStringList reported;
    for (const auto& f : t.failQueue.root()->children)
        reported << QString::fromUtf8(f->text) + u'|' + QString::fromUtf8(f->column(9));
    ASSERT_EQ(reported.size(), 3) << reported.join(u'\n').toStdString();
    EXPECT_TRUE(reported[0].startsWith("/pub/../x|Not transferred")) << reported[0].toStdString();
    EXPECT_TRUE(reported[2].startsWith("/pub/c\\d|")) << reported[2].toStdString();
    // Nothing was written outside the folder.
    EXPECT_FALSE(QFileInfo::exists(local + "/x"));
    EXPECT_EQ(QDir(local + "/in").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"ok.txt"});
}

} // namespace
