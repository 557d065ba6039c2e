// The queues and their operations without a window.
#include "QueueManager.h"
#include "Scramble.h"
#include "Scratch.h"
#include "TestLoop.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class QueueTest : public ::testing::Test {
protected:
    QueueItem* file(const char* remote, const char* size, QueueItem* parent = nullptr,
                    const char* op = "download") {
        return manager.AddItem(queue, QLatin1String(op), QStringLiteral("/home/u/x"),
                               QLatin1String(remote), QLatin1String(size),
                               QStringLiteral("ftp.example.org"), QStringLiteral("u"),
                               QStringLiteral("secret"), false, parent);
    }
    QueueItem* folder(const char* remote, QueueItem* parent = nullptr,
                      const char* op = "download") {
        return manager.AddItem(queue, QLatin1String(op), QStringLiteral("/home/u/d/"),
                               QLatin1String(remote), QString(), QStringLiteral("ftp.example.org"),
                               QStringLiteral("u"), QStringLiteral("secret"), true, parent);
    }
    static QStringList topTexts(const QueueModel& model) {
        QStringList texts;
        for (const auto& item : model.root()->children)
            texts << QString::fromUtf8(item->text);
        return texts;
    }

    SettingsSource settings;
    QueueModel queue{false};
    QueueModel failQueue{true};
    queue_manager manager{queue, failQueue, settings};
};

TEST_F(QueueTest, AddedItemsHoldTheirRowAndTheirPathFromTheAncestors) {
    QueueItem* f = file("/pub/a.bin", "1234");
    EXPECT_EQ(f->columns, (QByteArrayList{"-->", "/home/u/x", "1234", "0", "0", "ftp.example.org",
                                          "u", Scramble("secret")}));
    EXPECT_EQ(f->state(), FileWaiting);
    EXPECT_EQ(queue_manager::GetField(f, "pass"), QByteArray("secret"));
    EXPECT_NE(f->column(8), QByteArray("secret"));                    // never in clear
    EXPECT_EQ(queue.data(queue.indexOf(f, 8)).toString(), QString()); // nor shown
    EXPECT_EQ(file("/up.txt", "5", nullptr, "upload")->column(1), QByteArray("<--"));

    QueueItem* pub = folder("/pub");
    EXPECT_EQ(pub->column(3), QByteArray());
    EXPECT_EQ(pub->state(), FolderWaiting);
    QueueItem* docs = folder("docs", pub);
    QueueItem* a = file("a.txt", "1", docs);
    EXPECT_EQ(queue_manager::GetField(a, "remote_path"), QByteArray("/pub/docs/a.txt"));
    EXPECT_EQ(queue_manager::GetField(pub, "remote_path"), QByteArray("/pub"));
    EXPECT_EQ(queue_manager::GetField(a, "nonsense"), QByteArray());
    // The model shows the same tree.
    const QModelIndex pubIndex = queue.indexOf(pub);
    ASSERT_EQ(queue.rowCount(pubIndex), 1);
    EXPECT_EQ(queue.data(queue.index(0, 0, queue.index(0, 0, pubIndex))).toString(),
              QStringLiteral("a.txt"));
    EXPECT_EQ(queue.parent(queue.indexOf(a)), queue.indexOf(docs));
    EXPECT_EQ(queue.columnCount(), 9);
    EXPECT_EQ(failQueue.columnCount(), 10);
    EXPECT_EQ(failQueue.headerData(9, Qt::Horizontal).toString(), QStringLiteral("Error"));
}

TEST_F(QueueTest, InProxyModeTheServerComesFromTheUserName) {
    settings.setText(Setting::ConnectionType, QStringLiteral("Proxy"));
    QueueItem* viaProxy = manager.AddItem(queue, "download", "/l", "/r", "1", "proxy.local",
                                          "bob@ftp.example.org", "", false);
    EXPECT_EQ(queue_manager::GetField(viaProxy, "host"), QByteArray("ftp.example.org"));
    EXPECT_EQ(queue_manager::GetField(viaProxy, "user"), QByteArray("bob"));
    QueueItem* bare =
        manager.AddItem(queue, "download", "/l", "/r", "1", "proxy.local", "bob", "", false);
    EXPECT_EQ(queue_manager::GetField(bare, "host"), QByteArray("bob"));
    EXPECT_EQ(queue_manager::GetField(bare, "user"), QByteArray());
}

TEST_F(QueueTest, TheLastAttemptGoesToTheFailedQueue) {
    settings.setInteger(Setting::AttemptsAllowed, 3);
    QueueItem* f = file("/pub/a.bin", "10");
    for (int attempt = 1; attempt <= 2; ++attempt) {
        manager.ApplyEvent(queue, f, QueueEvent::FileStart);
        manager.SetCount(queue, f, "attempts", attempt);
        manager.ApplyEvent(queue, f, QueueEvent::AttemptFailed, "550 No such file");
        EXPECT_EQ(f->state(), FileWaiting) << attempt;
        EXPECT_TRUE(failQueue.root()->children.empty());
    }
    manager.ApplyEvent(queue, f, QueueEvent::FileStart);
    manager.SetCount(queue, f, "attempts", 3);
    manager.ApplyEvent(queue, f, QueueEvent::AttemptFailed, "550 No such file");
    EXPECT_EQ(f->state(), Failed);
    ASSERT_EQ(failQueue.root()->children.size(), 1u);
    const QueueItem* failed = failQueue.root()->children[0].get();
    EXPECT_EQ(failed->text, QByteArray("/pub/a.bin"));
    EXPECT_EQ(failed->state(), FileWaiting);
    EXPECT_EQ(failed->column(9), QByteArray("550 No such file"));
    EXPECT_EQ(failed->column(5), QByteArray("3"));
}

TEST_F(QueueTest, FolderRollUp) {
    QueueItem* top = folder("/pub");
    QueueItem* a = file("a", "100", top);
    QueueItem* b = file("b", "300", top);
    QueueItem* c = file("c", "600", top);
    manager.ApplyEvent(queue, top, QueueEvent::ExpansionDone);
    manager.SetCount(queue, a, "status", 100);
    EXPECT_EQ(top->column(3), QByteArray("1000")); // sizes summed once all are known
    manager.SetCount(queue, b, "status", 50);
    manager.SetCount(queue, c, "status", 0);
    EXPECT_EQ(top->column(4), QByteArray("25"));
    EXPECT_EQ(top->state(), FolderExpanded);
    manager.SetCount(queue, b, "status", 100);
    manager.SetCount(queue, c, "status", 100);
    EXPECT_EQ(top->column(4), QByteArray("100"));
    EXPECT_EQ(top->state(), DownloadFolderDone);

    // A size or status that is no number counts as 0.
    QueueItem* odd = folder("/odd");
    QueueItem* x = file("x", "abc", odd);
    QueueItem* y = file("y", "100", odd);
    manager.SetCount(queue, x, "status", 100);
    manager.SetColumn(queue, y, 4, "lots");
    manager.SetCount(queue, x, "status", 100);
    EXPECT_EQ(odd->column(3), QByteArray("100"));
    EXPECT_EQ(odd->column(4), QByteArray("0"));
}

TEST_F(QueueTest, AnEmptyFolderIsDoneAtOnceAndCompletesItsParent) {
    QueueItem* top = folder("/pub", nullptr, "upload");
    QueueItem* done = file("done.txt", "10", top, "upload");
    QueueItem* empty = folder("empty", top, "upload");
    manager.SetCount(queue, done, "status", 100);
    EXPECT_EQ(top->state(), FolderWaiting); // the empty folder's size is not known yet
    manager.ApplyEvent(queue, empty, QueueEvent::ExpansionDone);
    EXPECT_EQ(empty->column(3), QByteArray("0"));
    EXPECT_EQ(empty->column(4), QByteArray("100"));
    EXPECT_EQ(empty->state(), UploadFolderDone);
    EXPECT_EQ(top->column(3), QByteArray("10"));
    EXPECT_EQ(top->state(), UploadFolderDone);

    // With "Delete completed" on, the completed folder leaves the queue at once.
    settings.setFlag(Setting::DeleteCompleted, true);
    QueueItem* other = folder("/other");
    QueueItem* inner = folder("inner", other);
    manager.ApplyEvent(queue, inner, QueueEvent::ExpansionDone);
    EXPECT_EQ(topTexts(queue), QStringList{});
}

TEST_F(QueueTest, DeleteCommands) {
    QueueItem* unfinished = folder("/pub");
    QueueItem* doneChild = file("done", "1", unfinished);
    file("waiting", "1", unfinished);
    manager.ApplyEvent(queue, doneChild, QueueEvent::DownloadFinished);
    QueueItem* doneTop = file("/top-done", "1");
    manager.ApplyEvent(queue, doneTop, QueueEvent::DownloadFinished);
    file("/top-waiting", "1");
    queue_manager::DeleteCompleted(queue);
    EXPECT_EQ(topTexts(queue), (QStringList{"/pub", "/top-waiting"}));
    EXPECT_EQ(unfinished->children.size(), 2u); // the completed child stays

    // A folder selected together with one of its children: children go first.
    queue_manager::DeleteSelected(queue, {unfinished, unfinished->children[1].get()});
    EXPECT_EQ(topTexts(queue), QStringList{"/top-waiting"});
}

TEST_F(QueueTest, MovingAFolderAndItsChildToTheFailedQueueVisitsTheChildOnce) {
    QueueItem* pub = folder("/pub");
    QueueItem* child = file("a", "1", pub);
    manager.CopySelectedToFailed({pub, child}, true);
    EXPECT_TRUE(queue.root()->children.empty());
    EXPECT_EQ(topTexts(failQueue), QStringList{"/pub"});
    EXPECT_EQ(failQueue.root()->children[0]->column(9), QByteArray());

    QueueItem* again = file("/b", "1");
    manager.CopySelectedToFailed({again}, false);
    EXPECT_EQ(topTexts(queue), QStringList{"/b"});
    EXPECT_EQ(topTexts(failQueue), (QStringList{"/pub", "/b"}));
}

TEST_F(QueueTest, ResubmittingAndStartingOver) {
    // "Submit Selected for Transfer": the failed items stay, copies wait with zero attempts.
    QueueItem* f =
        manager.AddItem(failQueue, "download", "/l", "/pub/f", "5", "h", "u", "p", false);
    manager.SetCount(failQueue, f, "attempts", 3);
    manager.SetColumn(failQueue, f, 9, "550 gone");
    queue_manager::CopyItemsForRetry({f}, queue);
    ASSERT_EQ(queue.root()->children.size(), 1u);
    EXPECT_EQ(queue.root()->children[0]->columns.size(), 8);
    EXPECT_EQ(queue.root()->children[0]->column(5), QByteArray("0"));
    EXPECT_EQ(failQueue.root()->children.size(), 1u);

    // "Submit for Transfer" with an empty failed queue empties the working queue.
    QueueModel empty(true);
    queue_manager::ReplaceFromTree(queue, empty);
    EXPECT_TRUE(queue.root()->children.empty());

    // "Start Transfer" on an expanded folder: its entries wait again, the folder itself
    // not (it would expand once more beside them).
    QueueItem* pub = folder("/pub");
    QueueItem* a = file("a", "1", pub);
    manager.SetCount(queue, a, "attempts", 2);
    manager.ApplyEvent(queue, pub, QueueEvent::ExpansionDone);
    manager.ApplyEvent(queue, file("/done", "1"), QueueEvent::DownloadFinished);
    ASSERT_TRUE(manager.RestartFlat());
    EXPECT_EQ(topTexts(queue), (QStringList{"/pub/a"}));
    EXPECT_EQ(queue.root()->children[0]->state(), FileWaiting);
    EXPECT_EQ(queue.root()->children[0]->column(5), QByteArray("0"));
    queue.clear();
    EXPECT_FALSE(manager.RestartFlat());
}

TEST_F(QueueTest, ItemsThatWereRunningWhenTheQueueWasSavedWaitAgain) {
    QueueItem* pub = folder("/pub");
    QueueItem* a = file("a", "10", pub);
    QueueItem* done = file("/b", "1");
    manager.ApplyEvent(queue, pub, QueueEvent::FolderStart);
    manager.ApplyEvent(queue, a, QueueEvent::FileStart);
    manager.ApplyEvent(queue, done, QueueEvent::DownloadFinished);
    queue_manager::ResumeInterrupted(queue);
    EXPECT_EQ(pub->state(), FolderWaiting);
    EXPECT_EQ(a->state(), FileWaiting);
    EXPECT_EQ(done->state(), DownloadDone);
}

TEST_F(QueueTest, AQueueFileLoadedAndSavedIsUnchanged) {
    TreeRecord root, item;
    item.text = QByteArray("/caf\xe9", 5); // not UTF-8
    item.hint = "hint";
    item.state.imageIndex = FileActive;
    item.state.textColour = 77;
    item.state.flags = TreeItemState::Bold;
    item.columns = {"-->", "/l", "1", "50", "2", "h", "u", QByteArray("\xf0", 1), "extra"};
    root.children.push_back(item);
    const QString path = scratchDir() + QStringLiteral("/model.uque");
    ASSERT_TRUE(treestream::SaveFile(root, path, nullptr));
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray before = in.readAll();
    in.close();

    QString error;
    ASSERT_TRUE(queue.load(path, &error)) << error.toStdString();
    EXPECT_EQ(queue.root()->children[0]->state(), FileActive);
    const QString again = scratchDir() + QStringLiteral("/model-again.uque");
    ASSERT_TRUE(queue.save(again, &error));
    QFile out(again);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_TRUE(out.readAll() == before);
}

} // namespace
