// "Upload As Zipped Archive" through the real main window (offscreen) against pyftpdlib:
// a folder row and a file row packed and uploaded byte for byte, the self-extracting
// program uploaded in its place, the name rules of the box, the packing error, and the
// archive's folder removed once it has been sent.
#include "AppPaths.h"
#include "ServerWindowTest.h"
#include "SettingsSource.h"
#include "ZipContents.h"
#include "ZipFolders.h"

#include <QInputDialog>
#include <QProcess>

namespace {

class ZipUploadTest : public ServerWindowTest {
protected:
    void SetUp() override {
        ServerWindowTest::SetUp();
        if (stopped()) return;
        local = QDir::cleanPath(AppPaths::programDir() + QStringLiteral("/../zip-local"));
        QDir(local).removeRecursively();
        writeFile(local + "/tree/a.txt", "alpha\n");
        writeFile(local + "/tree/sub/b.bin", pattern(250000, 4));
        writeFile(local + "/single.txt", "single\n");
        writeShared(server.root + "/keep.txt", "k"); // a listing with a row
        connectSession();
        pane()->ListFolder(local);
    }
    // Answers the name box with each text in turn.
    void nameBox(QStringList texts) {
        onNextModal([this, texts](QWidget* modal) mutable {
            auto* input = qobject_cast<QInputDialog*>(modal);
            ASSERT_TRUE(input);
            EXPECT_EQ(input->windowTitle(), QStringLiteral("Zip Archive Name"));
            EXPECT_EQ(input->labelText(),
                      QStringLiteral("Please Enter name of the Zip Archive (abc.zip)"));
            const QString text = texts.takeFirst();
            if (!texts.isEmpty()) nameBox(texts); // asked again
            input->setTextValue(text);
            input->accept();
        });
    }
    static QMap<QString, QByteArray> entries(const QString& archive) {
        QMap<QString, QByteArray> out;
        for (const auto& [name, data] : zipContents(archive))
            out.insert(name, data);
        return out;
    }
    // The number of archive folders this run still keeps.
    static int archiveFolders() {
        return int(QDir(ZipFolders::root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
    }

    QString local;
};

TEST_P(ZipUploadTest, AFolderAndAFileGoAsOneArchiveThatArrivesWhole) {
    const int before = archiveFolders();
    selectLocal({localRow("tree"), localRow("single.txt")});
    ASSERT_TRUE(act("Local_UploadAsZip")->isEnabled());
    ASSERT_TRUE(act("Local_UploadAsZip")->isVisible());
    EXPECT_FALSE(act("UploadAsZip_Button")->isVisible());
    nameBox({"", "Backup"}); // an empty name is asked for again
    act("Local_UploadAsZip")->trigger();
    ASSERT_EQ(queued(), 1u);
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(0), "remote_path")),
              join("Backup.zip"));
    ASSERT_TRUE(waitFor([&] { return top(0)->state() == UploadDone; }, 30000)) << top(0)->state();
    const QMap<QString, QByteArray> got = entries(onDisk("Backup.zip"));
    EXPECT_EQ(got.keys(),
              (QStringList{"single.txt", "tree/", "tree/a.txt", "tree/sub/", "tree/sub/b.bin"}));
    EXPECT_EQ(got.value("tree/sub/b.bin"), pattern(250000, 4));
    EXPECT_EQ(got.value("single.txt"), QByteArray("single\n"));
    // Sent: its folder goes.
    EXPECT_TRUE(waitFor([&] { return archiveFolders() == before; }, 5000));
}

TEST_P(ZipUploadTest, TheSelfExtractingProgramGoesInsteadAndExtractsTheTree) {
    w->Settings().setInteger(Setting::ZipOptions, 1);
    selectLocal({localRow("tree")});
    nameBox({"Site.ZIP"});
    act("UploadAsZip1")->trigger();
    ASSERT_EQ(queued(), 1u);
    const QString queuedPath = QString::fromUtf8(queue_manager::GetField(top(0), "local_path"));
    EXPECT_TRUE(queuedPath.endsWith("/Site.exe")) << queuedPath.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(queuedPath).path() + "/Site.ZIP"));
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(0), "remote_path")), join("Site.exe"));
    ASSERT_TRUE(waitFor([&] { return top(0)->state() == UploadDone; }, 30000)) << top(0)->state();
    const QString program = local + "/Site.exe";
    writeFile(program, readFile(onDisk("Site.exe")));
    QFile::setPermissions(program, QFileDevice::Permissions(0x7700));
    QProcess run;
    run.start(program, {local + "/extracted"});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_EQ(fileTree(local + "/extracted/tree"), fileTree(local + "/tree"));
    // Asked for help, it says how it is used and extracts nothing.
    QProcess help;
    help.setWorkingDirectory(local);
    help.start(program, {"--help"});
    ASSERT_TRUE(help.waitForFinished(30000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("Usage:"));
    EXPECT_FALSE(QFileInfo::exists(local + "/--help"));
    // Sent, its folder and (being the run's only archive) the run's folder go.
    const QString runFolder = QFileInfo(QFileInfo(queuedPath).path()).path();
    EXPECT_TRUE(waitFor([&] { return !QFileInfo::exists(runFolder); }, 5000))
        << runFolder.toStdString();
}

TEST_P(ZipUploadTest, APackingErrorQueuesNothingAndCancelEndsTheCommand) {
    selectLocal({localRow("single.txt")});
    QFile::remove(local + "/single.txt"); // gone before it is packed
    nameBox({"Broken"});
    act("Local_UploadAsZip")->trigger();
    EXPECT_EQ(takeMessage(), QStringLiteral("Error Occured while creating a zip archive"));
    EXPECT_EQ(queued(), 0u);

    pane()->ListFolder(local);
    selectLocal({localRow("tree")});
    // A path is refused with a message and the name asked for again; Cancel ends it.
    onNextModal([](QWidget* first) {
        onNextModal([](QWidget* refusal) {
            ASSERT_TRUE(qobject_cast<QMessageBox*>(refusal));
            onNextModal([](QWidget* again) {
                ASSERT_TRUE(qobject_cast<QInputDialog*>(again));
                qobject_cast<QInputDialog*>(again)->reject();
            });
            qobject_cast<QMessageBox*>(refusal)->accept();
        });
        qobject_cast<QInputDialog*>(first)->setTextValue(QStringLiteral("a/b"));
        qobject_cast<QInputDialog*>(first)->accept();
    });
    act("Local_UploadAsZip")->trigger();
    EXPECT_EQ(queued(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Servers, ZipUploadTest, ::testing::Values("pyftpdlib"));

} // namespace
