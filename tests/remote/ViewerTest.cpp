// The remote viewer against the scripted server: the files of one command on one
// connection from the bottom row up, the "Save File?" answers, the watch on an edited
// copy, and the message of a file that cannot be fetched.
#include "FakeFtpServer.h"
#include "FileEditingViewing.h"
#include "ScriptedFtpTest.h"
#include "TestLoop.h"

#include <QFile>
#include <QPointer>

#include <deque>

#include <gtest/gtest.h>

namespace {

struct RecordingHost : ViewerHost {
    QStringList opened, defaults, messages, questions;
    std::deque<bool> answers; // given in order; none left: the question stays open
    std::function<void(bool)> open;

    QString OpenInEditor(const QString& path) override {
        opened << path;
        return {};
    }
    QString OpenWithDefault(const QString& path) override {
        defaults << path;
        return {};
    }
    void AskSaveFile(const QString& remotePath, std::function<void(bool)> answer) override {
        questions << remotePath;
        if (answers.empty()) {
            open = answer;
            return;
        }
        const bool yes = answers.front();
        answers.pop_front();
        // Answered from the loop, as a click on the box is.
        QTimer::singleShot(0, [answer, yes] { answer(yes); });
    }
    void ShowMessage(const QString& text) override { messages << text; }
};

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        aimAt(session, server);
        viewer = new File_Editing_Viewing(host);
        viewer->CopyConnection(session);
        QObject::connect(viewer, &File_Editing_Viewing::finished, [this] { finished = true; });
    }
    void TearDown() override { delete viewer.data(); }
    QStringList commands() const { return server.commands(); }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    FakeFtpServer server;
    TFtpClient session;
    RecordingHost host;
    QPointer<File_Editing_Viewing> viewer;
    bool finished = false;
};

TEST_F(ViewerTest, ViewFetchesEveryFileFromTheBottomRowUpOnOneConnectionThenQuits) {
    server.downloadData = "the bytes\r\nof a file\n";
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        viewer->AddFileJob(QLatin1String(name), "/www", File_Editing_Viewing::View);
    viewer->StartNextFileJob();
    ASSERT_TRUE(waitFor([&] { return finished; }, 10000)) << commands().join('|').toStdString();
    EXPECT_EQ(commands(),
              (QStringList{"USER tester", "PASS s3cret-pass", "TYPE I", "RETR /www/c.txt",
                           "RETR /www/b.txt", "RETR /www/a.txt", "QUIT"}));
    ASSERT_EQ(host.opened.size(), 3);
    EXPECT_TRUE(host.opened[0].endsWith("/c.txt"));
    EXPECT_EQ(read(host.opened[0]), server.downloadData); // the file's own bytes
    EXPECT_TRUE(host.questions.isEmpty());
    EXPECT_TRUE(waitFor([&] { return viewer.isNull(); }, 1000)); // it discarded itself
}

TEST_F(ViewerTest, OpenHandsTheCopyToTheDefaultProgramAndARootFileHasOneSlash) {
    server.downloadData = "x";
    viewer->AddFileJob("top.pdf", "/", File_Editing_Viewing::Open);
    viewer->StartNextFileJob();
    ASSERT_TRUE(waitFor([&] { return finished; }, 10000));
    EXPECT_TRUE(commands().contains("RETR /top.pdf"));
    ASSERT_EQ(host.defaults.size(), 1);
    EXPECT_TRUE(host.opened.isEmpty());
}

TEST_F(ViewerTest, EditSendsTheCopyBackOnYesOnlyAndAsksAgainWhenTheEditorSaves) {
    server.downloadData = "old text\n";
    viewer->AddFileJob("a.txt", "/www", File_Editing_Viewing::Edit);
    viewer->AddFileJob("b.txt", "/www", File_Editing_Viewing::Edit);
    host.answers = {true, false}; // b.txt: Yes; a.txt: No
    viewer->StartNextFileJob();
    ASSERT_TRUE(waitFor([&] { return server.transcript.contains("QUIT"); }, 10000))
        << commands().join('|').toStdString();
    EXPECT_EQ(commands(),
              (QStringList{"USER tester", "PASS s3cret-pass", "TYPE I", "RETR /www/b.txt",
                           "STOR /www/b.txt", "RETR /www/a.txt", "QUIT"}));
    EXPECT_EQ(host.questions, (QStringList{"/www/b.txt", "/www/a.txt"}));
    EXPECT_EQ(server.uploaded, QByteArray("old text\n")); // Yes before any save: unchanged
    EXPECT_FALSE(finished);                               // it watches the edited copies

    // The editor saves a.txt (answered No before): asked again, Yes sends the new bytes
    // on a new connection.
    ASSERT_EQ(host.opened.size(), 2);
    const QString a = host.opened[1];
    ASSERT_TRUE(a.endsWith("/a.txt"));
    server.transcript.clear();
    server.uploaded.clear();
    host.answers = {true};
    {
        QFile f(a);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("new text\n");
    }
    ASSERT_TRUE(waitFor([&] { return server.transcript.contains("QUIT"); }, 10000))
        << commands().join('|').toStdString();
    EXPECT_EQ(host.questions.last(), QStringLiteral("/www/a.txt"));
    EXPECT_EQ(commands(), (QStringList{"USER tester", "PASS s3cret-pass", "TYPE I",
                                       "STOR /www/a.txt", "QUIT"}));
    EXPECT_EQ(server.uploaded, QByteArray("new text\n"));

    // A save answered No sends nothing; nothing is asked while the copy is unchanged.
    server.transcript.clear();
    host.answers = {false};
    const qsizetype asked = host.questions.size();
    {
        QFile f(a);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("third\n");
    }
    ASSERT_TRUE(waitFor([&] { return host.questions.size() == asked + 1; }, 5000));
    spinFor(500);
    EXPECT_TRUE(server.transcript.isEmpty());
    EXPECT_EQ(read(a), QByteArray("third\n")); // the copy stays
}

TEST_F(ViewerTest, AFileThatCannotBeFetchedIsSaidAndTheOthersStillCome) {
    server.downloadData = "fine";
    server.intercept = [](FakeFtpServer& s, const QString& line) {
        if (line != QLatin1String("RETR /www/gone.txt")) return false;
        s.send("550 gone.txt: No such file\r\n");
        return true;
    };
    viewer->AddFileJob("ok.txt", "/www", File_Editing_Viewing::View);
    viewer->AddFileJob("gone.txt", "/www", File_Editing_Viewing::View);
    viewer->StartNextFileJob();
    ASSERT_TRUE(waitFor([&] { return finished; }, 10000)) << commands().join('|').toStdString();
    EXPECT_EQ(host.messages,
              QStringList{"550 gone.txt: No such file occured while retreiving /www/gone.txt"});
    ASSERT_EQ(host.opened.size(), 1);
    EXPECT_TRUE(host.opened[0].endsWith("/ok.txt"));
    EXPECT_TRUE(commands().endsWith("QUIT"));
}

TEST_F(ViewerTest, AServerThatIsGoneIsSaidOnceAndNothingHangs) {
    const quint16 nobody = freePort();
    session.SetPort(QString::number(nobody));
    viewer->CopyConnection(session);
    viewer->AddFileJob("a.txt", "/www", File_Editing_Viewing::View);
    viewer->StartNextFileJob();
    ASSERT_TRUE(waitFor([&] { return finished; }, 10000));
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].endsWith(" occured while retreiving /www/a.txt"))
        << host.messages[0].toStdString();
}

} // namespace
