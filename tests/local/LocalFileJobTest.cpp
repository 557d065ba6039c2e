// Copying and moving local files on the event loop: byte-identical trees, free names,
// the existing-entry question, the refusal of a folder into itself, and cancel.
#include "LocalFileJob.h"
#include "TestLoop.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

bool run(LocalFileJob& job, int timeoutMs = 20000) {
    job.start();
    return waitFor([&] { return !job.isRunning(); }, timeoutMs);
}

class LocalFileJobTest : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return dir.path() + u'/' + relative; }
    QTemporaryDir dir;
};

TEST_F(LocalFileJobTest, CopiesFilesAndFolderTreesByteIdentical) {
    writeFile(path("src/a.bin"), pattern(3 << 20, 1)); // more than one slice
    writeFile(path("src/tree/.hidden"), "h");
    writeFile(path("src/tree/x/y/z.txt"), "deep");
    QDir().mkpath(path("src/tree/empty"));
    QDir().mkpath(path("dst"));
    LocalFileJob job(LocalFileJob::Copy, {path("src/a.bin"), path("src/tree/")}, path("dst"));
    ASSERT_TRUE(run(job));
    EXPECT_TRUE(job.errors().isEmpty()) << job.errors().join('\n').toStdString();
    EXPECT_EQ(readFile(path("dst/a.bin")), pattern(3 << 20, 1));
    EXPECT_EQ(fileTree(path("dst/tree")), fileTree(path("src/tree")));
    EXPECT_TRUE(QFileInfo(path("dst/tree/empty")).isDir());
    EXPECT_EQ(job.bytesDone(), job.bytesTotal());
    // The sources are still there after a copy.
    EXPECT_TRUE(QFileInfo::exists(path("src/a.bin")));
}

TEST_F(LocalFileJobTest, ACopyIntoItsOwnFolderGetsAFreeName) {
    writeFile(path("f/report.tar.gz"), "1");
    writeFile(path("f/report (2).tar.gz"), "taken");
    LocalFileJob job(LocalFileJob::Copy, {path("f/report.tar.gz")}, path("f/"));
    ASSERT_TRUE(run(job));
    EXPECT_EQ(readFile(path("f/report (3).tar.gz")), QByteArray("1"));
    EXPECT_EQ(readFile(path("f/report (2).tar.gz")), QByteArray("taken"));
    EXPECT_EQ(LocalFileJob::FreeName(path("f"), "noext"), QStringLiteral("noext (2)"));
}

TEST_F(LocalFileJobTest, AnExistingEntryIsReplacedSkippedOrKeptOnlyAsTheAnswerSays) {
    const struct {
        LocalFileJob::Answer answer;
        const char *kept, *copyName;
    } cases[] = {
        {LocalFileJob::Skip, "old", nullptr},
        {LocalFileJob::Replace, "new", nullptr},
        {LocalFileJob::KeepBoth, "old", "x (2).txt"},
        {LocalFileJob::Cancel, "old", nullptr},
    };
    for (const auto& c : cases) {
        QTemporaryDir d;
        writeFile(d.path() + "/src/x.txt", "new");
        writeFile(d.path() + "/dst/x.txt", "old");
        LocalFileJob job(LocalFileJob::Copy, {d.path() + "/src/x.txt"}, d.path() + "/dst");
        QStringList asked;
        job.askExisting = [&](const QString& existing, bool*) {
            asked << existing;
            return c.answer;
        };
        ASSERT_TRUE(run(job));
        EXPECT_EQ(asked, QStringList{d.path() + "/dst/x.txt"});
        EXPECT_EQ(readFile(d.path() + "/dst/x.txt"), QByteArray(c.kept)) << int(c.answer);
        if (c.copyName) {
            EXPECT_EQ(readFile(d.path() + "/dst/" + c.copyName), QByteArray("new"));
        }
        EXPECT_EQ(QDir(d.path() + "/dst").entryList(QDir::Files).size(), c.copyName ? 2 : 1);
        EXPECT_EQ(job.cancelled(), c.answer == LocalFileJob::Cancel);
    }
    // Without anyone to ask, nothing is overwritten.
    writeFile(path("src/y"), "new");
    writeFile(path("dst/y"), "old");
    LocalFileJob job(LocalFileJob::Copy, {path("src/y")}, path("dst"));
    ASSERT_TRUE(run(job));
    EXPECT_EQ(readFile(path("dst/y")), QByteArray("old"));
}

TEST_F(LocalFileJobTest, AFolderCannotGoIntoItselfOrItsOwnSubfolder) {
    QDir().mkpath(path("a/b/c"));
    QDir().mkpath(path("ab"));
    EXPECT_FALSE(LocalFileJob::Refusal({path("a")}, path("a")).isEmpty());
    EXPECT_FALSE(LocalFileJob::Refusal({path("a/")}, path("a/b/c/")).isEmpty());
    // A sibling whose name starts alike is another folder.
    EXPECT_TRUE(LocalFileJob::Refusal({path("a")}, path("ab")).isEmpty());
    EXPECT_TRUE(LocalFileJob::Refusal({path("a/b")}, path("a")).isEmpty());
}

TEST_F(LocalFileJobTest, AMoveTakesTheEntriesAwayFromWhereTheyWere) {
    writeFile(path("src/m.bin"), pattern(1000, 3));
    writeFile(path("src/folder/inner.txt"), "in");
    QDir().mkpath(path("dst"));
    LocalFileJob job(LocalFileJob::Move, {path("src/m.bin"), path("src/folder/")}, path("dst"));
    ASSERT_TRUE(run(job));
    EXPECT_TRUE(job.errors().isEmpty());
    EXPECT_EQ(readFile(path("dst/m.bin")), pattern(1000, 3));
    EXPECT_EQ(readFile(path("dst/folder/inner.txt")), QByteArray("in"));
    EXPECT_FALSE(QFileInfo::exists(path("src/m.bin")));
    EXPECT_FALSE(QFileInfo::exists(path("src/folder")));
}

TEST_F(LocalFileJobTest, CancelStopsMidFileAndLeavesNoPartialFile) {
    writeFile(path("src/big.bin"), pattern(32 << 20, 4));
    QDir().mkpath(path("dst"));
    LocalFileJob job(LocalFileJob::Copy, {path("src/big.bin")}, path("dst"));
    job.setSliceMs(0); // one chunk a turn
    QObject::connect(&job, &LocalFileJob::progress, &job, [&] {
        if (job.bytesDone() > 0) job.cancel();
    });
    ASSERT_TRUE(run(job));
    EXPECT_TRUE(job.cancelled());
    EXPECT_LT(job.bytesDone(), job.bytesTotal());
    EXPECT_TRUE(QDir(path("dst")).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(LocalFileJobTest, AMissingSourceIsReportedAndTheRestIsCopied) {
    writeFile(path("src/ok"), "ok");
    QDir().mkpath(path("dst"));
    LocalFileJob job(LocalFileJob::Copy, {path("src/gone"), path("src/ok")}, path("dst"));
    ASSERT_TRUE(run(job));
    ASSERT_EQ(job.errors().size(), 1);
    EXPECT_TRUE(job.errors().first().contains("gone"));
    EXPECT_EQ(readFile(path("dst/ok")), QByteArray("ok"));
}

} // namespace

namespace {

// A copy, and a move onto another file system (a copy, then the source removed), keep
// what the file was: its permission bits and its modification time.
TEST(LocalFileJobMetadata, CopiesAndMovesAcrossFileSystemsKeepModeAndTime) {
    QTemporaryDir home;
    QTemporaryDir other(QStringLiteral("/dev/shm/quillon-XXXXXX")); // tmpfs: another file system
    ASSERT_TRUE(home.isValid() && other.isValid());
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1500000000);
    struct Case {
        const char* what;
        LocalFileJob::Mode kind;
        QString target;
    };
    const Case cases[] = {{"copy", LocalFileJob::Copy, home.path() + "/copied"},
                          {"move to another file system", LocalFileJob::Move, other.path()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString source = home.path() + "/src-" + QString::number(int(c.kind)) + "/run.sh";
        writeFile(source, "#!/bin/sh\necho hi\n");
        ASSERT_TRUE(QFile::setPermissions(
            source, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        {
            QFile f(source);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
        }
        QDir().mkpath(c.target);
        LocalFileJob job(c.kind, {source}, c.target);
        ASSERT_TRUE(run(job));
        EXPECT_TRUE(job.errors().isEmpty()) << job.errors().join('\n').toStdString();
        const QFileInfo copy(c.target + "/run.sh");
        ASSERT_TRUE(copy.exists());
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(copy.filePath()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode_t(0755));
        EXPECT_EQ(copy.lastModified().toSecsSinceEpoch(), when.toSecsSinceEpoch());
        EXPECT_EQ(QFileInfo::exists(source), c.kind == LocalFileJob::Copy);
    }
}

} // namespace
