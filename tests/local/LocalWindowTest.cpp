// The local pane and the transfer requests between the panes, through the real main
// window (offscreen) against pyftpdlib and vsftpd: uploads of folder rows, downloads,
// drops from a file manager and between the lists, remote cut and paste; and the local
// file operations on a scratch folder.
#include "AppPaths.h"
#include "DragData.h"
#include "LocalListModel.h"
#include "LocalPane.h"
#include "Main.h"
#include "NavigationManager.h"
#include "RealServerTest.h"
#include "ServerWindowTest.h"
#include "WindowControls.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

class LocalWindowTest : public ServerWindowTest {
protected:
    void SetUp() override {
        ServerWindowTest::SetUp();
        if (stopped()) return;
        local = QDir(AppPaths::programDir())
                    .filePath(QStringLiteral("../local-window-") + QLatin1String(GetParam()));
        QDir(local).removeRecursively();
        QDir().mkpath(local);
    }
    bool finished(QueueItem* item, QueueState state) {
        return item && waitFor([&] { return item->state() == state; }, 30000);
    }

    QString local;
};

TEST_P(LocalWindowTest, UploadOfAFolderRowAndDownloadsInTheLoginFolderAndASubfolder) {
    writeShared(server.root + "/top.bin", QByteArray(1536, 'x'));
    makeDir(server.root + "/sub");
    writeShared(server.root + "/sub/s.bin", pattern(70000, 2));
    writeShared(local + "/up/a.bin", pattern(200000, 1));
    writeShared(local + "/up/inner/b.txt", "inner\n");
    connectSession();

    pane()->ListFolder(local);
    EXPECT_FALSE(act("Local_Upload")->isEnabled());
    selectLocal({localRow("up")});
    ASSERT_TRUE(act("Local_Upload")->isEnabled());
    EXPECT_TRUE(act("Upload_Button")->isEnabled());
    act("Local_Upload")->trigger();
    ASSERT_EQ(queued(), 1u);
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(0), "remote_path")), join("up"));
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(0), "local_path")), local + "/up/");
    ASSERT_TRUE(finished(top(0), UploadFolderDone)) << top(0)->state();
    EXPECT_EQ(fileTree(onDisk("up")), fileTree(local + "/up"));

    // The size column's 1.50 is queued as 1536 bytes; the file lands in the local folder.
    ASSERT_TRUE(remoteShows("top.bin"));
    selectRemote({"top.bin"});
    EXPECT_EQ(remoteRow("top.bin")->text(1), QStringLiteral("1.50"));
    act("Remote_Download")->trigger();
    ASSERT_EQ(queued(), 2u);
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(1), "size")), QStringLiteral("1536"));
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(1), "local_path")), local + "/top.bin");
    ASSERT_TRUE(finished(top(1), DownloadDone)) << top(1)->state();
    EXPECT_EQ(readFile(local + "/top.bin"), QByteArray(1536, 'x'));

    // In a subfolder, with the toolbar's Download.
    w->Navigation()->ChangeDirectory(join("sub"), false);
    ASSERT_TRUE(remoteShows("s.bin"));
    selectRemote({"s.bin"});
    ASSERT_TRUE(act("Download_Button")->isEnabled());
    act("Download_Button")->trigger();
    ASSERT_EQ(queued(), 3u);
    EXPECT_TRUE(
        QString::fromUtf8(queue_manager::GetField(top(2), "remote_path")).endsWith("/sub/s.bin"));
    ASSERT_TRUE(finished(top(2), DownloadDone)) << top(2)->state();
    EXPECT_EQ(readFile(local + "/s.bin"), pattern(70000, 2));
}

TEST_P(LocalWindowTest, FilesDroppedFromAFileManagerAreQueuedInTheDroppedOrder) {
    makeDir(server.root + "/x");
    writeShared(local + "/drop/one.bin", pattern(5000, 3));
    writeShared(local + "/drop/two.txt", "two\n");
    writeShared(local + "/drop/folder/three.bin", pattern(9000, 4));
    connectSession();
    w->Navigation()->ChangeDirectory(join("x"), false);
    ASSERT_TRUE(waitFor([&] { return w->Navigation()->IsIdle() && D().endsWith("/x"); }, 15000));
    // Processing waits until the queue is checked.
    control<QToolButton>(w.get(), "Queue_ToggleProcessing")->click();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(local + "/drop/two.txt"),
                  QUrl::fromLocalFile(local + "/drop/folder"),
                  QUrl::fromLocalFile(local + "/drop/one.bin")});
    QWidget* viewport = remoteList()->viewport();
    ASSERT_TRUE(dropOn(viewport, QPoint(5, viewport->height() - 3), &data));
    ASSERT_EQ(queued(), 3u);
    const char* names[] = {"two.txt", "folder", "one.bin"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(i), "remote_path")),
                  D() + u'/' + QLatin1String(names[i]));
    }
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(1), "local_path")),
              local + "/drop/folder/");
    control<QToolButton>(w.get(), "Queue_ToggleProcessing")->click();
    ASSERT_TRUE(finished(top(0), UploadDone));
    ASSERT_TRUE(finished(top(1), UploadFolderDone));
    ASSERT_TRUE(finished(top(2), UploadDone));
    EXPECT_EQ(fileTree(onDisk()), fileTree(local + "/drop"));

    // A dropped path that is gone is not queued as an empty file: the user is told.
    QMimeData gone;
    gone.setUrls({QUrl::fromLocalFile(local + "/drop/vanished.bin")});
    ASSERT_TRUE(dropOn(viewport, QPoint(5, viewport->height() - 3), &gone));
    EXPECT_EQ(queued(), 3u);
    EXPECT_TRUE(takeMessage().contains("vanished.bin"));

    // Text dragged from elsewhere is no upload.
    QMimeData text;
    text.setText("not files");
    EXPECT_FALSE(dropOn(viewport, QPoint(5, viewport->height() - 3), &text));
}

TEST_P(LocalWindowTest,
       RowsDraggedBetweenTheListsUploadAndDownloadIntoTheFolderRowUnderThePointer) {
    makeDir(server.root + "/in");
    writeShared(server.root + "/get.bin", pattern(12345, 5));
    writeShared(local + "/put.bin", pattern(4321, 6));
    QDir().mkpath(local + "/dl");
    connectSession();
    pane()->ListFolder(local);

    // A local row dropped on the remote folder row "in".
    std::unique_ptr<QMimeData> up(DragData::fromLocalList({local + "/put.bin"}));
    ASSERT_TRUE(remoteShows("in"));
    const QRect inRow = remoteList()->visualItemRect(remoteRow("in"));
    ASSERT_TRUE(dropOn(remoteList()->viewport(), inRow.center(), up.get()));
    ASSERT_EQ(queued(), 1u);
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(0), "remote_path")),
              join("in/put.bin"));
    ASSERT_TRUE(finished(top(0), UploadDone));
    EXPECT_EQ(readFile(onDisk("in/put.bin")), pattern(4321, 6));

    // A remote row dropped on the local folder row "dl".
    selectRemote({"get.bin"});
    std::unique_ptr<QMimeData> down(
        DragData::fromRemoteList({{"get.bin", remoteRow("get.bin")->text(1), false}}));
    const QRect dlRow = localList()->visualRect(localRow("dl"));
    ASSERT_TRUE(dropOn(localList()->viewport(), dlRow.center(), down.get()));
    ASSERT_EQ(queued(), 2u);
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(1), "local_path")),
              local + "/dl/get.bin");
    ASSERT_TRUE(finished(top(1), DownloadDone));
    EXPECT_EQ(readFile(local + "/dl/get.bin"), pattern(12345, 5));
    // A file row is no drop target for a download.
    const QRect fileRow = localList()->visualRect(localRow("put.bin"));
    EXPECT_FALSE(dropOn(localList()->viewport(), fileRow.center(), down.get()));
}

TEST_P(LocalWindowTest, RemoteRowsDraggedOntoTheLocalListQueueEveryTimeWhereverTheyComeIn) {
    for (const char* name : {"d1.bin", "d2.bin", "d3.bin"})
        writeShared(server.root + "/" + name, pattern(3000, name[1]));
    writeShared(local + "/here.txt", "x");
    QDir().mkpath(local + "/dl");
    connectSession();
    pane()->ListFolder(local);
    ASSERT_TRUE(remoteShows("d3.bin"));
    QWidget* viewport = localList()->viewport();
    const QPoint fileRow = localList()->visualRect(localRow("here.txt")).center();
    const QPoint dlRow = localList()->visualRect(localRow("dl")).center();
    const QPoint empty(5, viewport->height() - 3);
    // Each drag comes in over a file row (no target) and goes on to a target: the folder
    // row, then the empty space, then the folder row again; every one is queued.
    const QPoint targets[] = {dlRow, empty, dlRow};
    const char* names[] = {"d1.bin", "d2.bin", "d3.bin"};
    for (int i = 0; i < 3; ++i) {
        selectRemote({names[i]});
        const DraggedRemoteRow row{names[i], remoteRow(names[i])->text(1), false,
                                   QStringLiteral("3000")};
        std::unique_ptr<QMimeData> drag(DragData::fromRemoteList({row}));
        ASSERT_TRUE(dragAcross(viewport, fileRow, targets[i], drag.get())) << i;
        ASSERT_EQ(queued(), size_t(i + 1));
        // The exact size from the listing, not an estimate from the KB column.
        EXPECT_EQ(queue_manager::GetField(top(i), "size"), QByteArray("3000"));
    }
    EXPECT_EQ(QString::fromUtf8(queue_manager::GetField(top(1), "local_path")), local + "/d2.bin");
    ASSERT_TRUE(finished(top(2), DownloadDone));
    EXPECT_EQ(readFile(local + "/dl/d3.bin"), pattern(3000, '3'));
    // The local pane shows what arrived in its folder without a Refresh.
    ASSERT_TRUE(finished(top(1), DownloadDone));
    EXPECT_TRUE(
        waitFor([&] { return pane()->Model().findPath(local + "/d2.bin").isValid(); }, 5000));
    // A file row is still no target for the drop.
    std::unique_ptr<QMimeData> again(DragData::fromRemoteList({{"d1.bin", "2.93", false}}));
    EXPECT_FALSE(dragAcross(viewport, dlRow, fileRow, again.get()));
}

TEST_P(LocalWindowTest, TheToolbarFollowsTheRemoteSelectionAndTheSessionAndKeysNavigate) {
    makeDir(server.root + "/sub");
    writeShared(server.root + "/sub/inner.txt", "inner");
    writeShared(server.root + "/file_10.txt", "ten");
    writeShared(server.root + "/file_2.txt", "two");
    connectSession();
    pane()->ListFolder(local);
    ASSERT_TRUE(remoteShows("file_2.txt"));
    EXPECT_EQ(w->windowTitle(), server.user + QStringLiteral("@127.0.0.1 \u2014 1Quillon"));
    // The folder first, then the names with their numbers by value.
    QStringList order;
    for (int i = 0; i < remoteList()->topLevelItemCount(); ++i)
        order << remoteList()->topLevelItem(i)->text(0);
    EXPECT_EQ(order.indexOf("sub"), 0) << order.join(' ').toStdString();
    EXPECT_LT(order.indexOf("file_2.txt"), order.indexOf("file_10.txt"));

    // A folder row: downloaded, deleted, never viewed, opened or edited.
    selectRemote({"sub"});
    for (const char* name : {"View_Button", "Open_Button", "Remote_View", "Remote_Edit"})
        EXPECT_FALSE(act(name)->isEnabled()) << name;
    for (const char* name : {"Download_Button", "Delete_Button", "Rename_Button"})
        EXPECT_TRUE(act(name)->isEnabled()) << name;
    // A file row: viewed too; the server has no clipboard to copy to.
    selectRemote({"file_2.txt"});
    for (const char* name : {"View_Button", "Open_Button", "Remote_Edit", "Download_Button"})
        EXPECT_TRUE(act(name)->isEnabled()) << name;
    EXPECT_FALSE(act("Copy_Button")->isEnabled());
    // The same row clicked again after a transfer: Download still follows it.
    act("Download_Button")->trigger();
    ASSERT_TRUE(finished(top(0), DownloadDone));
    selectRemote({"file_2.txt"});
    EXPECT_TRUE(act("Download_Button")->isEnabled());

    // Enter on a folder row goes into it, Backspace one level up.
    selectRemote({"sub"});
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(remoteList(), &enter);
    ASSERT_TRUE(waitFor([&] { return remoteRow("inner.txt") != nullptr; }, 10000));
    ASSERT_TRUE(idle());
    focus(remoteList());
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(remoteList(), &back);
    ASSERT_TRUE(waitFor([&] { return remoteRow("file_10.txt") != nullptr; }, 10000));

    // After Disconnect nothing on the toolbar acts on the remote pane.
    ASSERT_TRUE(idle());
    selectRemote({"file_10.txt"});
    act("Abort_Button")->trigger();
    ASSERT_TRUE(waitFor([&] { return !w->Navigation()->IsConnected(); }, 10000));
    for (const char* name : {"View_Button", "Open_Button", "Delete_Button", "Download_Button",
                             "Rename_Button", "Cut_Button"})
        EXPECT_FALSE(act(name)->isEnabled()) << name;
    EXPECT_EQ(w->windowTitle(), QStringLiteral("1Quillon "));
}

TEST_P(LocalWindowTest, RemoteCutAndPasteMovesEveryRowAndRefusesTheSameRow) {
    for (const char* name : {"m1", "m2", "m3", "alone"})
        writeShared(server.root + "/" + name, name);
    makeDir(server.root + "/dest");
    makeDir(server.root + "/dest2");
    connectSession();
    ASSERT_TRUE(remoteShows("m3"));
    const QString here = onDisk();

    // One row cut and pasted onto itself.
    selectRemote({"alone"});
    act("Remote_Cut")->trigger();
    ASSERT_TRUE(act("Remote_Paste")->isEnabled());
    act("Remote_Paste")->trigger();
    EXPECT_EQ(
        takeMessage(),
        QStringLiteral("Source and Destination are same, Please Choose different destination"));

    // Three rows cut with the Edit menu, pasted onto the folder row "dest": all move.
    selectRemote({"m1", "m2", "m3"});
    ASSERT_TRUE(remoteList()->hasFocus());
    act("Cut1")->trigger();
    // One of them goes away behind the program's back: its refused move does not stop
    // the ones after it.
    QFile::remove(here + "/m2");
    selectRemote({"dest"});
    act("Remote_Paste")->trigger();
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(here + "/dest/m3"); }, 15000));
    // The cut rows have moved: nothing is left to paste, in the menu or on the toolbar.
    EXPECT_FALSE(act("Remote_Paste")->isEnabled());
    EXPECT_FALSE(act("Paste_Button")->isEnabled());
    for (const char* name : {"m1", "m3"}) {
        EXPECT_EQ(readFile(here + "/dest/" + name), QByteArray(name));
        EXPECT_FALSE(QFileInfo::exists(here + "/" + name)) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(here + "/dest/m2"));
    ASSERT_TRUE(remoteShows("m1", false));
    EXPECT_TRUE(control<QTextEdit>(w.get(), "ftplog")->toPlainText().contains("RNFR"));

    // A row dragged within the list onto a folder row moves into it.
    ASSERT_TRUE(remoteShows("alone")) << shownRows().toStdString();
    selectRemote({"alone"});
    std::unique_ptr<QMimeData> drag(DragData::fromRemoteList({{"alone", "0.01", false}}));
    const QRect dest2 = remoteList()->visualItemRect(remoteRow("dest2"));
    ASSERT_TRUE(dropOn(remoteList()->viewport(), dest2.center(), drag.get()));
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(here + "/dest2/alone"); }, 15000));
    EXPECT_FALSE(QFileInfo::exists(here + "/alone"));
}

TEST_P(LocalWindowTest, DownloadWithTheVolumeListShownAsksForALocalFolder) {
    writeShared(server.root + "/f.bin", "f");
    connectSession();
    pane()->ListDrives();
    ASSERT_TRUE(remoteShows("f.bin"));
    selectRemote({"f.bin"});
    act("Remote_Download")->trigger();
    EXPECT_EQ(takeMessage(), QStringLiteral("Please Choose Valid Local Path for Downloading"));
    EXPECT_EQ(queued(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Servers, LocalWindowTest, ::testing::Values("pyftpdlib", "vsftpd"));

// ---------------------------------------------------------------------------------
// Local file operations, no server.

class LocalOperationsTest : public ::testing::Test, public PaneFixture {
protected:
    void SetUp() override {
        root = QDir(AppPaths::programDir()).filePath(QStringLiteral("../local-operations"));
        QDir(root).removeRecursively();
        QDir().mkpath(root);
    }
    QString root;
};

TEST_F(LocalOperationsTest, CopyAndPasteIntoAFolderRowThenFromAFileManagersClipboard) {
    writeShared(root + "/src/f1.txt", "one");
    writeShared(root + "/src/f2.bin", pattern(3 << 20, 7));
    QDir().mkpath(root + "/dst");
    pane()->ListFolder(root);
    const QModelIndex src = localRow("src");
    localList()->expand(src);
    ASSERT_EQ(model().rowCount(src), 2);
    selectLocal({localRow("f1.txt", src), localRow("f2.bin", src)});
    ASSERT_TRUE(act("Local_Copy")->isEnabled());
    act("Local_Copy")->trigger();
    EXPECT_TRUE(act("Paste1")->isEnabled());
    selectLocal({localRow("dst")});
    act("Local_Paste")->trigger();
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(root + "/dst/f2.bin"); }, 20000));
    ASSERT_TRUE(waitFor([&] { return readFile(root + "/dst/f2.bin").size() == (3 << 20); }));
    EXPECT_EQ(readFile(root + "/dst/f1.txt"), QByteArray("one"));
    EXPECT_EQ(readFile(root + "/dst/f2.bin"), pattern(3 << 20, 7));
    EXPECT_FALSE(act("Local_Paste")->isEnabled());
    EXPECT_FALSE(act("Paste1")->isEnabled());

    // What a file manager put on the clipboard: a cut of a file elsewhere.
    writeShared(root + "/elsewhere/moved.txt", "moved");
    auto* data = new QMimeData;
    data->setData("x-special/gnome-copied-files",
                  "cut\n" + QUrl::fromLocalFile(root + "/elsewhere/moved.txt").toEncoded());
    QApplication::clipboard()->setMimeData(data);
    selectLocal({localRow("dst")});
    act("Local_Paste")->trigger();
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(root + "/dst/moved.txt"); }));
    EXPECT_FALSE(QFileInfo::exists(root + "/elsewhere/moved.txt"));

    // A file of the same name: the program asks, and "Skip" keeps the file there.
    writeShared(root + "/src/f1.txt", "changed");
    localList()->collapse(localRow("src"));
    pane()->ListFolder(root);
    localList()->expand(localRow("src"));
    selectLocal({localRow("f1.txt", localRow("src"))});
    act("Local_Copy")->trigger();
    QString asked;
    onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        asked = box->text();
        box->findChild<QAbstractButton*>("skip")->click();
    });
    selectLocal({localRow("dst")});
    act("Local_Paste")->trigger();
    ASSERT_TRUE(waitFor([&] { return !asked.isEmpty(); }));
    EXPECT_TRUE(asked.contains("f1.txt")) << asked.toStdString();
    spinFor(100);
    EXPECT_EQ(readFile(root + "/dst/f1.txt"), QByteArray("one"));
}

TEST_F(LocalOperationsTest, PasteRefusesTheVolumeListAndAFolderIntoItself) {
    QDir().mkpath(root + "/a/b");
    pane()->ListDrives();
    act("Local_Paste")->setEnabled(true);
    localList()->setFocus();
    localList()->clearSelection();
    act("Local_Paste")->trigger();
    EXPECT_EQ(
        takeMessage(),
        QStringLiteral("You Cannot Paste any item over here\nPlease Choose Some Valid Folder..."));
    EXPECT_TRUE(act("Local_Paste")->isEnabled());

    pane()->ListFolder(root);
    selectLocal({localRow("a")});
    ASSERT_TRUE(act("Local_Copy")->isEnabled());
    act("Local_Copy")->trigger();
    const QModelIndex a = localRow("a");
    localList()->expand(a);
    selectLocal({localRow("b", a)});
    act("Local_Paste")->trigger();
    const QString refusal = takeMessage();
    EXPECT_TRUE(refusal.contains("cannot be pasted into itself")) << refusal.toStdString();
    EXPECT_FALSE(QFileInfo::exists(root + "/a/b/a"));
}

TEST_F(LocalOperationsTest, DeleteGoesIntoTheTrashAndRowsFromTwoFoldersAreRefused) {
    writeShared(root + "/one/x.txt", "x");
    writeShared(root + "/two/y.txt", "y");
    pane()->ListFolder(root);
    localList()->expand(localRow("one"));
    localList()->expand(localRow("two"));
    const std::pair<const char*, const char*> refusals[] = {
        {"Local_Delete", "deleted"}, {"Local_Copy", "copied"}, {"Local_Cut", "moved"}};
    for (const auto& [command, verb] : refusals) {
        selectLocal({localRow("x.txt", localRow("one")), localRow("y.txt", localRow("two"))});
        act(command)->trigger();
        EXPECT_EQ(takeMessage(),
                  QStringLiteral("Multiple Files present in different directories cannot be ") +
                      QLatin1String(verb));
    }
    EXPECT_TRUE(QFileInfo::exists(root + "/one/x.txt"));
    // Nothing was put on the clipboard.
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    EXPECT_FALSE(clip && clip->urls().contains(QUrl::fromLocalFile(root + "/one/x.txt")));

    selectLocal({localRow("x.txt", localRow("one"))});
    answerNextQuestion(QMessageBox::Yes);
    act("Local_Delete")->trigger();
    EXPECT_FALSE(QFileInfo::exists(root + "/one/x.txt"));
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/x.txt";
    EXPECT_EQ(readFile(trash), QByteArray("x"));
    // The refreshed folder no longer shows it.
    EXPECT_EQ(model().rowCount(localRow("one")), 0);

    // "No" deletes nothing.
    selectLocal({localRow("two")});
    answerNextQuestion(QMessageBox::No);
    act("Local_Delete")->trigger();
    EXPECT_TRUE(QFileInfo::exists(root + "/two/y.txt"));
}

TEST_F(LocalOperationsTest, EnterOpensAFolderBackspaceGoesUpAndTypingFindsAName) {
    QDir().mkpath(root + "/k/inner");
    writeFile(root + "/k/zeta.txt", "z");
    writeFile(root + "/k/beta.txt", "b");
    pane()->ListFolder(root + "/k");
    focus(localList());
    // Typing finds the row by its name, not by the hidden full path.
    localList()->keyboardSearch("z");
    EXPECT_EQ(model().entry(localList()->currentIndex()).name, QStringLiteral("zeta.txt"));
    selectLocal({localRow("inner")});
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(localList(), &enter);
    EXPECT_EQ(pane()->CurrentFolder(), root + "/k/inner/");
    focus(localList());
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(localList(), &back);
    EXPECT_EQ(pane()->CurrentFolder(), root + "/k/");
    // The address box: it shows the folder, takes a typed one, and keeps the history.
    auto* address = control<QComboBox>(w.get(), "localadd");
    EXPECT_EQ(address->currentText(), root + "/k/");
    EXPECT_GE(address->findData(root + "/k/inner/"), 0);
    // A typed path is taken as it is meant: "..", doubled slashes and all.
    const QString inner = QDir::cleanPath(root + "/k/inner") + u'/';
    address->lineEdit()->setText(root + "/k//inner");
    QApplication::sendEvent(address->lineEdit(), &enter);
    EXPECT_EQ(pane()->CurrentFolder(), inner);
    address->lineEdit()->setText(root + "/no-such-folder");
    QApplication::sendEvent(address->lineEdit(), &enter);
    EXPECT_TRUE(takeMessage().contains("not found"));
    EXPECT_EQ(pane()->CurrentFolder(), inner);
}

TEST_F(LocalOperationsTest, RenameInPlaceNewFolderAndGoingUpToTheVolumes) {
    QDir().mkpath(root + "/a/b");
    pane()->ListFolder(root + "/a");
    selectLocal({localRow("b")});
    act("Local_Rename")->trigger();
    // While the name is edited Del is the editor's.
    EXPECT_TRUE(act("Local_Delete")->shortcut().isEmpty());
    auto* editor = localList()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    editor->setText("c");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    ASSERT_TRUE(waitFor([&] { return QFileInfo(root + "/a/c").isDir(); }));
    EXPECT_FALSE(QFileInfo::exists(root + "/a/b"));
    EXPECT_EQ(act("Local_Delete")->shortcut(), QKeySequence(Qt::Key_Delete));
    ASSERT_TRUE(waitFor(
        [&] { return model().rowCount() == 1 && model().entry(model().index(0, 0)).name == "c"; }));

    onNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        if (!dialog) return;
        dialog->setTextValue("made");
        dialog->accept();
    });
    localList()->setFocus();
    localList()->clearSelection();
    spinFor(5);
    pane()->NewFolder();
    EXPECT_TRUE(QFileInfo(root + "/a/made").isDir());

    // Up and up until the volumes: the label is empty there.
    auto* up = control<QToolButton>(w.get(), "go_up");
    auto* label = control<QLabel>(w.get(), "curr_dir");
    EXPECT_EQ(label->toolTip(), root + "/a/");
    for (int i = 0; i < 64 && !pane()->CurrentFolder().isEmpty(); ++i)
        up->click();
    EXPECT_TRUE(pane()->CurrentFolder().isEmpty());
    EXPECT_TRUE(label->text().isEmpty());
    ASSERT_GT(model().rowCount(), 0);
    EXPECT_EQ(model().entry(model().index(0, 0)).path, QStringLiteral("/"));
    EXPECT_EQ(model().entry(model().index(0, 0)).kind, LocalEntry::Volume);
    // A double-click on a volume lists it.
    localList()->doubleClicked(model().index(0, 0));
    EXPECT_EQ(pane()->CurrentFolder(), QStringLiteral("/"));
}

TEST_F(LocalOperationsTest, ASessionsLocalFolderTheDesktopPropertiesAndTheSelectionCommands) {
    writeShared(root + "/site/a.txt", QByteArray(512, 'a'));
    writeShared(root + "/site/b.txt", "b");
    QDir().mkpath(root + "/site/c");
    // A site's local folder opens with its session (the server need not answer).
    const QString port = QString::number(freePort());
    w->Navigation()->OpenSession("127.0.0.1", "u", "p", port, "/", root + "/site", 0);
    EXPECT_EQ(pane()->CurrentFolder(), root + "/site/");
    w->Navigation()->CloseSession();
    w->Navigation()->OpenSession("127.0.0.1", "u", "p", port, "/", root + "/nowhere", 0);
    EXPECT_EQ(takeMessage(), u'"' + root + "/nowhere\" not found");
    EXPECT_EQ(pane()->CurrentFolder(), root + "/site/");
    w->Navigation()->CloseSession();

    // Show Desktop lists the desktop folder of the user's folders file.
    const QString desktop = root + "/MyDesktop";
    QDir().mkpath(desktop);
    writeShared(qEnvironmentVariable("XDG_CONFIG_HOME") + "/user-dirs.dirs",
                ("XDG_DESKTOP_DIR=\"" + desktop + "\"\n").toUtf8());
    selectLocal({localRow("a.txt")});
    act("Local_ShowDesktop")->trigger();
    EXPECT_EQ(pane()->CurrentFolder(), desktop + u'/');
    QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + "/user-dirs.dirs");

    // Properties of a file.
    pane()->ListFolder(root + "/site");
    selectLocal({localRow("a.txt")});
    act("Local_Properties")->trigger();
    auto* properties = control<QDialog>(w.get(), "local_properties");
    EXPECT_EQ(control<QLabel>(properties, "property_name")->text(), QStringLiteral("a.txt"));
    EXPECT_TRUE(control<QLabel>(properties, "property_size")->text().contains("512 bytes"));
    EXPECT_EQ(control<QLabel>(properties, "property_permissions")->text().size(), 9);
    properties->close();

    // Select All, then Invert Select: nothing is left selected; Invert again: all.
    act("Local_SelectAll")->trigger();
    EXPECT_EQ(pane()->SelectedPaths().size(), 3);
    act("Local_InvertSelect")->trigger();
    EXPECT_TRUE(pane()->SelectedPaths().isEmpty());
    selectLocal({localRow("b.txt")});
    act("Local_InvertSelect")->trigger();
    QStringList inverted = pane()->SelectedPaths();
    inverted.sort();
    EXPECT_EQ(inverted, (QStringList{root + "/site/a.txt", root + "/site/c/"}));
    // Several rows: no rename, no properties.
    EXPECT_FALSE(act("Local_Rename")->isEnabled());
    EXPECT_FALSE(act("Local_Properties")->isEnabled());
    EXPECT_TRUE(act("Local_Delete")->isEnabled());

    // The volume box lists the chosen volume's root.
    auto* volumes = control<QComboBox>(w.get(), "localadd");
    ASSERT_GT(volumes->count(), 0);
    volumes->activated(0);
    EXPECT_EQ(pane()->CurrentFolder(), QStringLiteral("/"));
}

TEST_F(LocalOperationsTest, ViewStartsTheEditorWithThePath) {
    writeShared(root + "/v/binary.bin", pattern(100, 9));
    const QString record = root + "/editor-args";
    const QString script = root + "/editor.sh";
    writeShared(script, ("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + "'\n").toUtf8());
    QFile::setPermissions(script, QFileDevice::Permissions(0x7700));
    qputenv("QUILLON_EDITOR", script.toUtf8());
    pane()->ListFolder(root + "/v");
    selectLocal({localRow("binary.bin")});
    act("Local_View")->trigger();
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(record); }));
    ASSERT_TRUE(waitFor([&] { return readFile(record).endsWith('\n'); }));
    EXPECT_EQ(readFile(record), (root + "/v/binary.bin\n").toUtf8());
    qunsetenv("QUILLON_EDITOR");
}

} // namespace
