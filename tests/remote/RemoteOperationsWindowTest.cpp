// The remote pane's operations through the real main window (offscreen) against
// pyftpdlib and vsftpd: a tree deleted and gone from the server's disk, rename in place,
// a new directory, CHMOD checked on the disk, and View and Edit with a recording editor;
// and the CHMOD dialog's own rules.
#include "ChmodDialog.h"
#include "RemoteListing.h"
#include "RemoteViewerHost.h"
#include "ServerWindowTest.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <sys/stat.h>

namespace {

class RemoteOperationsTest : public ServerWindowTest {
protected:
    void SetUp() override {
        ServerWindowTest::SetUp();
        if (stopped()) return;
        editorLog = server.root + QStringLiteral("/../editor-log");
        QFile::remove(editorLog);
        const QString script = server.root + QStringLiteral("/../editor.sh");
        writeFile(script, ("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + editorLog + "'\n").toUtf8());
        QFile::setPermissions(script, QFileDevice::Permissions(0x7700));
        qputenv("QUILLON_EDITOR", script.toUtf8());
    }
    void TearDown() override { qunsetenv("QUILLON_EDITOR"); }
    // The files the editor was started on, in order.
    QStringList edited() const {
        if (!QFileInfo::exists(editorLog)) return {};
        return QString::fromUtf8(readFile(editorLog)).split(u'\n', Qt::SkipEmptyParts);
    }
    static mode_t modeOf(const QString& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }
    // The visible "Save File?" box, once it is open.
    QMessageBox* saveFileBox() {
        QMessageBox* found = nullptr;
        waitFor(
            [&] {
                // Boxes answered before may not be gone yet.
                for (QMessageBox* box :
                     w->findChildren<QMessageBox*>(QStringLiteral("save_file"))) {
                    if (box->isVisible()) found = box;
                }
                return found != nullptr;
            },
            10000);
        return found;
    }

    // The session log, for failure messages.
    std::string logText() const {
        QStringList text;
        for (const auto& l : w->Log().lines())
            text << l.text;
        return text.join(u'\n').toStdString();
    }

    QString editorLog;
};

TEST_P(RemoteOperationsTest, ATreeIsDeletedAndGoneFromTheDisk) {
    for (const char* folder : {"/tree", "/tree/one", "/tree/one/deeper", "/tree/two"})
        makeDir(server.root + QLatin1String(folder));
    writeShared(server.root + "/tree/top.txt", "t");
    writeShared(server.root + "/tree/one/a.bin", pattern(5000, 1));
    writeShared(server.root + "/tree/one/deeper/b.bin", "b");
    writeShared(server.root + "/tree/two/c.bin", "c");
    writeShared(server.root + "/keep.txt", "k");
    connectSession();
    selectRemote({"tree"});
    // No keeps everything.
    answerNextQuestion(QMessageBox::No);
    act("Remote_Delete")->trigger();
    spinFor(200);
    EXPECT_TRUE(QFileInfo::exists(server.root + "/tree/one/deeper/b.bin"));

    answerNextQuestion(QMessageBox::Yes);
    act("Remote_Delete")->trigger();
    ASSERT_TRUE(waitFor([&] { return !QFileInfo::exists(server.root + "/tree"); }, 20000))
        << logText();
    ASSERT_TRUE(
        waitFor([&] { return remoteRow("tree") == nullptr && w->Navigation()->IsIdle(); }, 10000))
        << shownRows().toStdString();
    EXPECT_TRUE(remoteRow("keep.txt"));
    EXPECT_TRUE(QFileInfo::exists(server.root + "/keep.txt"));
}

TEST_P(RemoteOperationsTest, RenameInPlaceNewDirectoryAndChmodReachTheDisk) {
    writeShared(server.root + "/old.txt", "o");
    connectSession();

    // Rename: the name is edited in place, Enter sends it.
    selectRemote({"old.txt"});
    act("Remote_Rename")->trigger();
    QLineEdit* editor = nullptr;
    ASSERT_TRUE(waitFor([&] {
        editor = remoteList()->viewport()->findChild<QLineEdit*>();
        return editor && editor->isVisible();
    }));
    editor->setText(QStringLiteral("new.txt"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(server.root + "/new.txt"); }, 10000));
    EXPECT_FALSE(QFileInfo::exists(server.root + "/old.txt"));
    ASSERT_TRUE(remoteShows("new.txt"));

    // New directory, by its input box.
    onNextModal([](QWidget* modal) {
        auto* input = qobject_cast<QInputDialog*>(modal);
        ASSERT_TRUE(input);
        EXPECT_EQ(input->objectName(), QStringLiteral("new_directory"));
        EXPECT_EQ(input->windowTitle(), QStringLiteral("Directory Name"));
        EXPECT_EQ(input->labelText(),
                  QStringLiteral("Please Specify the name of the New Directory"));
        input->setTextValue(QStringLiteral("made"));
        input->accept();
    });
    act("Remote_NewFolder")->trigger();
    ASSERT_TRUE(waitFor([&] { return QFileInfo(server.root + "/made").isDir(); }, 10000));
    ASSERT_TRUE(remoteShows("made"));

    // CHMOD of the folder the server's user made: group write off, others read off.
    const mode_t before = modeOf(server.root + "/made");
    ASSERT_EQ(before, 0755u) << std::oct << before;
    selectRemote({"made"});
    onNextModal([](QWidget* modal) {
        auto* form = qobject_cast<Tchmod_form*>(modal);
        ASSERT_TRUE(form);
        EXPECT_EQ(control<QLabel>(form, "file_name")->text(), QStringLiteral("made"));
        EXPECT_EQ(control<QLineEdit>(form, "owner_right")->text(), QStringLiteral("7"));
        control<QCheckBox>(form, "others_read")->click();
        control<QCheckBox>(form, "others_execute")->click();
        EXPECT_EQ(form->modeOut(), QStringLiteral("750"));
        control<QPushButton>(form, "apply_changes")->click();
    });
    act("Remote_CHMOD")->trigger();
    ASSERT_TRUE(waitFor([&] { return modeOf(server.root + "/made") == 0750; }, 10000))
        << std::oct << modeOf(server.root + "/made");
    ASSERT_TRUE(waitFor([&] { return w->Navigation()->IsIdle(); }));
    ASSERT_TRUE(remoteRow("made"));
    EXPECT_EQ(remoteRow("made")->text(4), QStringLiteral("drwxr-x---"));
}

TEST_P(RemoteOperationsTest, ViewAndEditWorkOnTemporaryCopiesAndYesSendsTheChangedBytes) {
    writeShared(server.root + "/doc.txt", "first version\n");
    writeShared(server.root + "/other.txt", "other\n");
    connectSession();

    selectRemote({"doc.txt"});
    act("Remote_View")->trigger();
    ASSERT_TRUE(waitFor([&] { return edited().size() == 1; }, 10000));
    const QString copy = edited().first();
    EXPECT_TRUE(copy.endsWith("/doc.txt")) << copy.toStdString();
    EXPECT_EQ(readFile(copy), QByteArray("first version\n"));
    EXPECT_EQ(QFileInfo(QFileInfo(copy).absolutePath()).permissions() & 0x0077, 0);

    // Edit, the editor saves, Yes: the changed bytes are on the server.
    act("Remote_Edit")->trigger();
    QMessageBox* box = saveFileBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), QStringLiteral("Save File?"));
    ASSERT_EQ(edited().size(), 2);
    writeFile(edited()[1], "second version\n");
    box->button(QMessageBox::Yes)->click();
    ASSERT_TRUE(
        waitFor([&] { return readFile(server.root + "/doc.txt") == "second version\n"; }, 10000))
        << readFile(server.root + "/doc.txt").toStdString();
    // The row shows the size the file has now ("second version\n": 15 bytes).
    EXPECT_TRUE(waitFor(
        [&] {
            QTreeWidgetItem* row = remoteRow("doc.txt");
            return row && row->text(1) == RemoteListing::kilobytes("15");
        },
        10000))
        << (remoteRow("doc.txt") ? remoteRow("doc.txt")->text(1).toStdString() : "no row");
    // The save made while the question was open went with the Yes: not asked about again.
    spinFor(700);
    for (QMessageBox* open : w->findChildren<QMessageBox*>(QStringLiteral("save_file")))
        EXPECT_FALSE(open->isVisible()) << "asked again about bytes already sent";

    // Edit the other file, save, No: nothing is sent.
    selectRemote({"other.txt"});
    act("Remote_Edit")->trigger();
    box = saveFileBox();
    ASSERT_TRUE(box);
    ASSERT_EQ(edited().size(), 3);
    writeFile(edited()[2], "not to be sent\n");
    box->button(QMessageBox::No)->click();
    spinFor(800);
    EXPECT_EQ(readFile(server.root + "/other.txt"), QByteArray("other\n"));
    EXPECT_EQ(readFile(edited()[2]), QByteArray("not to be sent\n")); // the copy stays
    // The session went on browsing undisturbed.
    EXPECT_TRUE(w->Navigation()->IsIdle());
}

INSTANTIATE_TEST_SUITE_P(Servers, RemoteOperationsTest, ::testing::Values("pyftpdlib", "vsftpd"));

// Hidden entries on the four servers: two of them list dot-files only when asked.
using HiddenEntriesTest = RemoteOperationsTest;

TEST_P(HiddenEntriesTest, AFolderWithHiddenFilesAtEveryLevelIsDeletedWhole) {
    for (const char* folder : {"/tree", "/tree/.config", "/tree/one"})
        makeDir(server.root + QLatin1String(folder));
    writeShared(server.root + "/tree/.hidden", "h");
    writeShared(server.root + "/tree/.config/settings", "s");
    writeShared(server.root + "/tree/one/.z", "z");
    writeShared(server.root + "/tree/one/seen.txt", "v");
    writeShared(server.root + "/.keep", "k");
    connectSession();
    // "Show Hidden Files" lists the shown folder again with them.
    act("ShowHidden1")->setChecked(true);
    ASSERT_TRUE(
        waitFor([&] { return remoteRow(".keep") != nullptr && w->Navigation()->IsIdle(); }, 10000))
        << shownRows().toStdString();
    selectRemote({"tree"});
    answerNextQuestion(QMessageBox::Yes);
    act("Remote_Delete")->trigger();
    ASSERT_TRUE(waitFor([&] { return !QFileInfo::exists(server.root + "/tree"); }, 20000))
        << logText();
    EXPECT_TRUE(QFileInfo::exists(server.root + "/.keep"));
    act("ShowHidden1")->setChecked(false);
}

INSTANTIATE_TEST_SUITE_P(Servers, HiddenEntriesTest, EveryServer(), ServerTestName);

// The CHMOD dialog without a server.
class ChmodDialogTest : public ::testing::Test {
protected:
    QLineEdit* edit(const char* name) { return control<QLineEdit>(&form, name); }
    QCheckBox* box(const char* name) { return control<QCheckBox>(&form, name); }
    QPushButton* apply() { return control<QPushButton>(&form, "apply_changes"); }
    Tchmod_form form;
};

TEST_F(ChmodDialogTest, OpensFromTheModeWithBothButtonsOff) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("CHMOD Attributes"));
    form.setTexts("f.txt", "-rwsr-xr-x");
    EXPECT_FALSE(box("owner_execute")->isChecked());
    EXPECT_TRUE(box("owner_read")->isChecked());
    EXPECT_EQ(edit("owner_right")->text(), QStringLiteral("6"));
    EXPECT_EQ(edit("group_right")->text(), QStringLiteral("5"));
    EXPECT_FALSE(apply()->isEnabled());
    EXPECT_FALSE(control<QPushButton>(&form, "discard_changes")->isEnabled());
    EXPECT_EQ(form.modeOut(), QStringLiteral("655"));

    // Two rows that differ: nothing checked, every digit 0.
    form.setTexts("Multiple Files", "----------");
    for (const char* name : {"owner_read", "group_write", "others_execute"})
        EXPECT_FALSE(box(name)->isChecked()) << name;
    EXPECT_EQ(form.modeOut(), QStringLiteral("000"));
}

TEST_F(ChmodDialogTest, ClicksAndTypingChangeTheDigitsAndOnlyValidDigitsApply) {
    form.setTexts("f", "-rw-r--r--");
    box("group_write")->click();
    EXPECT_EQ(edit("group_right")->text(), QStringLiteral("6"));
    EXPECT_TRUE(apply()->isEnabled());
    // An emptied edit stays empty when its box is unchecked, and cannot be applied.
    edit("others_right")->clear();
    box("others_read")->click();
    EXPECT_EQ(edit("others_right")->text(), QString());
    EXPECT_FALSE(apply()->isEnabled());
    // Typing: the edit takes one digit from 0 to 7 and nothing else.
    edit("others_right")->setFocus();
    for (const char* key : {"9", "x", "5"}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QLatin1String(key));
        QApplication::sendEvent(edit("others_right"), &press);
    }
    EXPECT_EQ(edit("others_right")->text(), QStringLiteral("5"));
    EXPECT_TRUE(apply()->isEnabled());
    EXPECT_EQ(form.modeOut(), QStringLiteral("665"));
    // A click that would make 7 + 4: not a digit any more, not applied.
    edit("owner_right")->setText(QStringLiteral("7"));
    box("owner_execute")->click(); // unchecked before: checked now, 7 + 1
    EXPECT_EQ(edit("owner_right")->text(), QStringLiteral("8"));
    EXPECT_FALSE(apply()->isEnabled());
    EXPECT_TRUE(form.modeOut().isEmpty());
}

} // namespace

namespace {

TEST(ServerTextInBoxes, AReplyWithMarkupIsShownAsItsOwnCharacters) {
    QWidget window;
    RemoteViewerHost host(&window);
    const QString reply = QStringLiteral("550 <b>secret.txt</b> <a href=\"x\">click</a>");
    host.ShowMessage(reply + QStringLiteral(" occured while retreiving secret.txt"));
    QMessageBox* box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = window.findChild<QMessageBox*>()) != nullptr; }));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    bool literal = false;
    for (const QLabel* label : box->findChildren<QLabel*>())
        literal =
            literal || (label->text().contains(reply) && label->textFormat() == Qt::PlainText);
    EXPECT_TRUE(literal);
    box->close();
}

} // namespace
