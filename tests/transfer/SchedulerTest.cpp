// The scheduler on the queue model without a window or a server: workers of the test's
// own record what they are given and finish when the test says so.
#include "FileDecisions.h"
#include "GlobalTask.h"
#include "TestLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <gtest/gtest.h>

namespace {

class FakeWorker : public TransferWorker {
public:
    FakeWorker(QObject* parent, QStringList& started, int& stops)
        : TransferWorker(parent), m_started(started), m_stops(stops) {}
    void StartItem() override {
        m_started << QString::fromUtf8(queue_manager::GetField(Item(), "remote_path"));
    }
    void Stop() override { ++m_stops; }

private:
    QStringList& m_started;
    int& m_stops;
};

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        task.SetWorkerFactory([this](Global_Task& t) {
            auto* w = new FakeWorker(&t, started, stops);
            workers.append(w);
            return w;
        });
    }
    QueueItem* file(const QString& remote, QueueItem* parent = nullptr) {
        return manager.AddItem(queue, "download", "/tmp/x" + remote, remote, "100", "h", "u", "p",
                               false, parent);
    }
    QueueItem* folder(const QString& remote, QueueItem* parent = nullptr) {
        return manager.AddItem(queue, "download", "/tmp/d/", remote, "", "h", "u", "p", true,
                               parent);
    }
    QueueItem* top(int row) const { return queue.root()->children[size_t(row)].get(); }
    void finish(QueueItem* item, QueueEvent event = QueueEvent::DownloadFinished,
                const QString& text = {}) {
        task.FinishItem(item, event, text);
    }

    SettingsSource settings;
    QueueModel queue{false};
    QueueModel failQueue{true};
    queue_manager manager{queue, failQueue, settings};
    Global_Task task{manager, settings, QStringLiteral("/tmp/")};
    QStringList started;
    int stops = 0;
    QList<QPointer<TransferWorker>> workers;
};

TEST_F(SchedulerTest, ThreeThreadsAndFiveFilesStartThreeTwoOneThenFiveWhileFourWaits) {
    for (int i = 1; i <= 5; ++i)
        file(QStringLiteral("/f%1").arg(i));
    task.ScanQueue();
    EXPECT_EQ(started, (QStringList{"/f3", "/f2", "/f1"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(top(i)->state(), FileActive);
        EXPECT_EQ(top(i)->column(5), QByteArray("1"));
    }
    EXPECT_EQ(top(3)->state(), FileWaiting);

    // The first to finish: files 4 and 5 are chosen, 5 starts at once, 4 stays pending.
    finish(top(0));
    EXPECT_EQ(started.mid(3), (QStringList{"/f5"}));
    EXPECT_EQ(top(3)->state(), FileActive);
    EXPECT_EQ(task.PendingCount(), 1);
    EXPECT_EQ(task.RunningCount(), 3);
    // The next worker to finish takes it.
    finish(top(1));
    EXPECT_EQ(started.mid(4), (QStringList{"/f4"}));
    EXPECT_EQ(task.PendingCount(), 0);
}

TEST_F(SchedulerTest, OneThreadRunsTwoFilesOneAfterTheOtherOnOneWorker) {
    settings.setInteger(Setting::ThreadsAllowed, 1);
    file("/a");
    file("/b");
    task.ScanQueue();
    EXPECT_EQ(started, (QStringList{"/a"}));
    finish(top(0));
    EXPECT_EQ(started, (QStringList{"/a", "/b"}));
    EXPECT_EQ(workers.size(), 1); // the connection serves the second file too
    finish(top(1));
    EXPECT_EQ(task.RunningCount(), 0);
    // Released workers go once the loop is back, never inside their own callback.
    ASSERT_FALSE(workers[0].isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(workers[0].isNull());
}

TEST_F(SchedulerTest, WhatTheScanChooses) {
    QueueItem* used = file("/used");
    manager.SetCount(queue, used, "attempts", 3); // at the limit: not chosen
    QueueItem* odd = file("/odd");
    queue.setColumn(odd, 5, "x"); // not a number: counts as 0
    queue.setState(file("/done"), DownloadDone);
    task.ScanQueue();
    EXPECT_EQ(started, (QStringList{"/odd"}));
    EXPECT_EQ(odd->column(5), QByteArray("1"));
    EXPECT_EQ(used->state(), FileWaiting);
    // A higher limit makes it a candidate again.
    settings.setInteger(Setting::AttemptsAllowed, 4);
    task.ScanQueue();
    EXPECT_EQ(started, (QStringList{"/odd", "/used"}));
}

TEST_F(SchedulerTest, StoppedProcessingLetsRunningTransfersFinishButStartsNothing) {
    settings.setInteger(Setting::ThreadsAllowed, 1);
    file("/a");
    file("/b");
    task.ScanQueue();
    settings.setFlag(Setting::QueueProcessing, true);
    finish(top(0));
    EXPECT_EQ(started, (QStringList{"/a"}));
    EXPECT_EQ(top(1)->state(), FileWaiting);
    settings.setFlag(Setting::QueueProcessing, false);
    task.ScanQueue();
    EXPECT_EQ(started, (QStringList{"/a", "/b"}));
}

TEST_F(SchedulerTest, AFailureIsRetriedAfterAPauseAndTheThirdGoesToTheFailedQueue) {
    task.SetRetryDelays({300, 600});
    QueueItem* f = file("/gone");
    file("/other");
    settings.setInteger(Setting::ThreadsAllowed, 1);
    task.ScanQueue();
    ASSERT_EQ(started, QStringList{"/gone"});
    QElapsedTimer clock;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        if (attempt > 1) {
            // Not at once: the row says when, and another item runs meanwhile.
            const int pause = attempt == 2 ? 300 : 600;
            EXPECT_EQ(queue.data(queue.indexOf(f, 5)).toString(),
                      QStringLiteral("%1 (retry in 1 s)").arg(attempt - 1));
            ASSERT_TRUE(waitFor([&] { return started.count("/gone") == attempt; }, 5000));
            EXPECT_GE(clock.elapsed(), pause - 50);
            EXPECT_EQ(queue.data(queue.indexOf(f, 5)).toString(), QString::number(attempt));
        }
        EXPECT_EQ(f->column(5), QByteArray::number(attempt));
        clock.start();
        finish(f, QueueEvent::AttemptFailed, QStringLiteral("550 No such file"));
        if (attempt == 1) {
            EXPECT_EQ(started.last(), "/other");
            finish(top(1));
        }
    }
    EXPECT_EQ(f->state(), Failed);
    ASSERT_EQ(failQueue.root()->children.size(), 1u);
    EXPECT_EQ(failQueue.root()->children[0]->column(9), QByteArray("550 No such file"));
    task.ScanQueue();
    EXPECT_EQ(started.count("/gone"), 3);
}

TEST_F(SchedulerTest, TwoTransfersIntoOneFileNeverRunAtOnce) {
    // Two downloads into one local file, two uploads onto one remote file, and one of
    // each that collides with nothing.
    QueueItem* first =
        manager.AddItem(queue, "download", "/tmp/same", "/a/f", "1", "h", "u", "p", false);
    QueueItem* second =
        manager.AddItem(queue, "download", "/tmp/same", "/b/f", "1", "h", "u", "p", false);
    manager.AddItem(queue, "upload", "/tmp/u1", "/up/g", "1", "h", "u", "p", false);
    QueueItem* upAgain =
        manager.AddItem(queue, "upload", "/tmp/u2", "/up/g", "1", "h", "u", "p", false);
    manager.AddItem(queue, "download", "/tmp/other", "/c/f", "1", "h", "u", "p", false);
    settings.setInteger(Setting::ThreadsAllowed, 5);
    task.ScanQueue();
    EXPECT_EQ(started, (QStringList{"/c/f", "/up/g", "/a/f"}));
    EXPECT_EQ(second->state(), FileWaiting);
    EXPECT_EQ(upAgain->state(), FileWaiting);
    // Once the first has ended, the second runs.
    finish(first);
    EXPECT_EQ(started.last(), "/b/f");
    EXPECT_EQ(second->state(), FileActive);
}

TEST(ExistingFileQuestions, OneQuestionAtATimeAndAnAllAnswerDecidesThoseWaiting) {
    SettingsSource settings;
    ExistingFileDecisions decisions(settings);
    QStringList asked, decided;
    QStringList answers = {"skip_all"};
    decisions.ask = [&](const ExistingFile& f) {
        asked << f.name;
        // While the question is open, two more conflicts come in (other workers).
        if (asked.size() == 1) {
            decisions.Decide({"b", "1", "1", {}, {}},
                             [&](const QString& d) { decided << "b:" + d; });
            decisions.Decide({"c", "1", "1", {}, {}},
                             [&](const QString& d) { decided << "c:" + d; });
            EXPECT_TRUE(decided.isEmpty()); // they wait for the open question
            EXPECT_EQ(decisions.Waiting(), 2);
        }
        return answers.takeFirst();
    };
    decisions.Decide({"a", "1", "1", {}, {}}, [&](const QString& d) { decided << "a:" + d; });
    EXPECT_EQ(asked, QStringList{"a"});
    EXPECT_EQ(decided, (QStringList{"a:skip_all", "b:skip_all", "c:skip_all"}));
    // And every later conflict of the run.
    decisions.Decide({"d", "1", "1", {}, {}}, [&](const QString& d) { decided << "d:" + d; });
    EXPECT_EQ(decided.last(), "d:skip_all");
    EXPECT_EQ(asked.size(), 1);
}

TEST(ExistingFileQuestions, ACountdownOverwritesOnlyWhenTheUserChoseToBefore) {
    SettingsSource settings; // the remembered decision starts as "overwrite"
    ExistingFileDecisions decisions(settings);
    QString result;
    auto decide = [&] {
        decisions.Decide({"f", "1", "1", {}, {}}, [&](const QString& d) { result = d; });
        return result;
    };
    // Nobody answers: the countdown skips, and remembers nothing.
    decisions.ask = [&](const ExistingFile&) {
        EXPECT_EQ(decisions.CountdownAnswer(), "skip");
        decisions.NoteCountdown();
        return decisions.CountdownAnswer();
    };
    EXPECT_EQ(decide(), "skip");
    EXPECT_EQ(decide(), "skip");
    EXPECT_TRUE(decisions.Prompt());
    // The user overwrites once; from then on the countdown may overwrite too.
    decisions.ask = [](const ExistingFile&) { return QStringLiteral("overwrite"); };
    EXPECT_EQ(decide(), "overwrite");
    EXPECT_EQ(decisions.CountdownAnswer(), "overwrite");
    // A countdown answer never becomes the remembered "All" decision.
    decisions.ask = [&](const ExistingFile&) {
        decisions.NoteCountdown();
        return QStringLiteral("skip_all");
    };
    EXPECT_EQ(decide(), "skip");
    EXPECT_TRUE(decisions.Prompt());
    EXPECT_EQ(decisions.Decision(), "overwrite");
}

TEST_F(SchedulerTest, CancellingAFolderCancelsItsFilesAndStopsTheirWorkers) {
    QueueItem* pub = folder("/pub");
    QueueItem* a = file("a", pub);
    QueueItem* b = file("b", pub);
    manager.ApplyEvent(queue, pub, QueueEvent::ExpansionDone);
    settings.setInteger(Setting::ThreadsAllowed, 1);
    task.ScanQueue();
    ASSERT_EQ(started, (QStringList{"/pub/a"}));
    task.CancelItem(pub);
    EXPECT_EQ(a->state(), FileCancelled);
    EXPECT_EQ(b->state(), FileCancelled);
    EXPECT_EQ(pub->state(), FolderCancelled);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(task.RunningCount(), 0);
    EXPECT_EQ(task.RetiredCount(), 1);
    EXPECT_EQ(started, (QStringList{"/pub/a"}));
    task.RetireWorkers();
    EXPECT_EQ(task.RetiredCount(), 0);
}

TEST_F(SchedulerTest, ACancelledItemStillPendingIsNeverStarted) {
    for (int i = 1; i <= 5; ++i)
        file(QStringLiteral("/f%1").arg(i));
    task.ScanQueue();
    finish(top(0)); // f5 starts, f4 pending
    ASSERT_EQ(task.PendingCount(), 1);
    task.CancelItem(top(3));
    EXPECT_EQ(top(3)->state(), FileCancelled);
    finish(top(1));
    EXPECT_FALSE(started.contains("/f4"));
    EXPECT_EQ(task.RunningCount(), 2);
}

TEST_F(SchedulerTest, ACancelOnAWorkerEndsItsTransferBeforeItTakesTheNextItem) {
    for (int i = 1; i <= 5; ++i)
        file(QStringLiteral("/f%1").arg(i));
    task.ScanQueue();
    TransferWorker* worker = task.Workers().first();
    QueueItem* cancelled = worker->Item();
    task.CancelWorkerItem(worker);
    EXPECT_EQ(cancelled->state(), FileCancelled);
    EXPECT_EQ(stops, 1);
    EXPECT_NE(worker->Item(), nullptr); // reused for the next item, after the stop
}

TEST_F(SchedulerTest, RemovedItemsStopTheirTransfersAndAreNeverTouchedAgain) {
    QueueItem* pub = folder("/pub");
    QueueItem* a = file("a", pub);
    file("b", pub);
    manager.ApplyEvent(queue, pub, QueueEvent::ExpansionDone);
    file("/c");
    task.ScanQueue();
    ASSERT_EQ(task.RunningCount(), 3);
    // A folder and one of its children deleted together.
    queue_manager::DeleteSelected(queue, {a, pub});
    EXPECT_EQ(stops, 2);
    EXPECT_EQ(task.RunningCount(), 1);
    // Clearing stops the rest.
    queue.clear();
    EXPECT_EQ(task.RunningCount(), 0);
    EXPECT_EQ(stops, 3);
    // New work after the removal is started normally.
    file("/d");
    task.ScanQueue();
    EXPECT_EQ(started.last(), "/d");
}

TEST_F(SchedulerTest, AFinishedItemRemovedByDeleteCompletedDoesNotStopItsOwnWorker) {
    settings.setFlag(Setting::DeleteCompleted, true);
    settings.setInteger(Setting::ThreadsAllowed, 1);
    file("/a");
    file("/b");
    task.ScanQueue();
    finish(top(0));
    EXPECT_EQ(queue.root()->children.size(), 1u);
    EXPECT_EQ(started, (QStringList{"/a", "/b"}));
    EXPECT_EQ(stops, 0);
}

TEST_F(SchedulerTest, ItemsThatWaitAgainAreFoundInALongQueue) {
    task.SetRetryDelays({0});
    settings.setInteger(Setting::ThreadsAllowed, 1);
    for (int i = 0; i < 50; ++i)
        file(QStringLiteral("/f%1").arg(i));
    task.ScanQueue();
    for (int i = 0; i < 10; ++i)
        finish(top(i));
    // A failed early item goes back to waiting and is chosen before the rest.
    finish(top(10), QueueEvent::AttemptFailed, "421 busy");
    EXPECT_EQ(started.last(), "/f10");
    // Items appended behind a scanned region, and children of a done folder.
    finish(top(10));
    EXPECT_EQ(started.last(), "/f11");
}

} // namespace
