// The site manager through the real main window (offscreen): the tree and its pop-up
// commands, the site and bookmark dialogs, the folder selection, export from the
// quick-connect bar, "BookMark Current Folder", and connecting with a double-click on a
// saved site or bookmark to pyftpdlib.
#include "AppPaths.h"
#include "FolderSelDialog.h"
#include "LocalPane.h"
#include "Main.h"
#include "NavigationManager.h"
#include "RealServers.h"
#include "SiteInfoDialog.h"
#include "SiteManagerPane.h"
#include "SiteTree.h"
#include "TestFiles.h"
#include "WindowControls.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString siteFile() {
    return AppPaths::programDir() + SiteTree::kFileName;
}

QLineEdit* edit(QWidget* form, const char* name) {
    return control<QLineEdit>(form, name);
}
void click(QWidget* form, const char* name) {
    control<QPushButton>(form, name)->click();
}
// Clicks an entry of the folder-selection tree.
void clickFolderEntry(QWidget* form, const QString& label) {
    auto* t = control<QTreeWidget>(form, "folder_sel_tree");
    const QList<QTreeWidgetItem*> found =
        t->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << label.toStdString();
    t->setCurrentItem(found.first());
    emit t->itemClicked(found.first(), 0);
}
// A double-click on the entry, as the mouse gives it.
void doubleClickEntry(QTreeWidget* tree, const QString& label) {
    QTreeWidgetItem* i = tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    ASSERT_TRUE(i) << label.toStdString();
    const QPoint at = tree->visualItemRect(i).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(at), tree->viewport()->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      held, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &e);
    }
}

// Brings the "Site Manager" page to the front, as a click on its tab does.
void showSitePage(QWidget* window) {
    auto* sites = control<SiteManagerPane>(window, "site_manager");
    for (QWidget* p = sites->parentWidget(); p; p = p->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
            tabs->setCurrentWidget(sites);
            return;
        }
    }
}

class SiteWindowTest : public ::testing::Test {
protected:
    // `prepare` writes the site file the window starts with; none: no file at all.
    void start(const std::function<void(SiteTree&)>& prepare = {}) {
        QFile::remove(siteFile());
        if (prepare) {
            SiteTree t(siteFile());
            t.load();
            prepare(t);
        }
        w = startWithEmptyQueues();
        QApplication::setActiveWindow(w.get());
        showSitePage(w.get());
        tree()->setFocus();
    }
    void TearDown() override {
        if (w && w->Navigation()) w->Navigation()->CloseSession();
    }
    SiteManagerPane* tree() const { return control<SiteManagerPane>(w.get(), "site_manager"); }
    QAction* act(const char* name) const { return control<QAction>(w.get(), name); }
    QTreeWidgetItem* item(const QString& label) const {
        for (QTreeWidgetItemIterator it(tree()); *it; ++it) {
            if ((*it)->text(0) == label) return *it;
        }
        return nullptr;
    }
    void select(const QString& label) {
        QTreeWidgetItem* i = item(label);
        ASSERT_TRUE(i) << label.toStdString();
        tree()->clearSelection();
        i->setSelected(true);
        tree()->setCurrentItem(i);
    }
    void doubleClick(const QString& label) { doubleClickEntry(tree(), label); }
    SiteTree stored() const {
        SiteTree t(siteFile());
        t.read();
        return t;
    }

    std::unique_ptr<TMainform> w;
};

TEST_F(SiteWindowTest, FirstStartTheRootStaysNewFolderAndSiteAreSavedByteForByte) {
    start();
    // The first file holds the invisible top entry and the root folder: 74 + 83 bytes,
    // readable by its owner only.
    EXPECT_EQ(QFileInfo(siteFile()).size(), 157);
    EXPECT_EQ(QFile::permissions(siteFile()) & 0x0077, 0);
    select(SiteTree::kRootLabel);
    act("Delete1")->trigger();
    EXPECT_EQ(takeMessage(), QStringLiteral("You Cannot Delete this Item"));

    // New Folder under the root, its label edited in place: Del edits the text meanwhile.
    select(SiteTree::kRootLabel);
    act("NewFolder1")->trigger();
    QLineEdit* editor = nullptr;
    ASSERT_TRUE(waitFor([&] {
        editor = tree()->viewport()->findChild<QLineEdit*>();
        return editor && editor->isVisible();
    }));
    EXPECT_TRUE(act("Delete1")->shortcut().isEmpty());
    editor->setText(QStringLiteral("Work"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    ASSERT_TRUE(
        waitFor([&] { return stored().entryAt(1) && stored().entryAt(1)->label == "Work"; }));
    EXPECT_EQ(act("Delete1")->shortcut(), QKeySequence(Qt::Key_Delete));

    // New Site in the folder: an empty label, then a port out of range, are refused with
    // their messages and the dialog stays; then it is saved.
    select("Work");
    int refusals = 0;
    onNextModal([&](QWidget* modal) {
        auto* form = qobject_cast<Tsite_info_form*>(modal);
        ASSERT_TRUE(form);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Site Info"));
        // The first field takes the typing; a fixed dialog has no maximise button.
        EXPECT_TRUE(waitFor([&] { return form->focusWidget() == edit(form, "txtLabel"); }, 2000));
        EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(edit(form, "txtUsername")->text(), QStringLiteral("anonymous"));
        EXPECT_EQ(edit(form, "txtPassword")->echoMode(), QLineEdit::Password);
        edit(form, "txtHost")->setText(QStringLiteral("127.0.0.1"));
        const auto refusedWith = [&](const QString& text) {
            onNextModal([&, text](QWidget* box) {
                EXPECT_EQ(qobject_cast<QMessageBox*>(box)->text(), text);
                ++refusals;
                box->close();
            });
            click(form, "save_changes");
            EXPECT_TRUE(form->isVisible());
        };
        refusedWith(QStringLiteral("Please Enter the Values of\n\t'Site "
                                   "Label'\n\t'Host/IP'\n\t'Username'\n\t'Password'\n\t'Port'"));
        edit(form, "txtLabel")->setText(QStringLiteral("Demo"));
        edit(form, "txtPort")->setText(QStringLiteral("70000"));
        refusedWith(QStringLiteral("The port must be a number from 1 to 65535."));
        edit(form, "txtUsername")->setText(QStringLiteral("bob"));
        edit(form, "txtPassword")->setText(QStringLiteral("pw"));
        edit(form, "txtPort")->setText(QStringLiteral("2121"));
        edit(form, "txtLocalDir")->clear();
        edit(form, "txtRemoteDir")->clear();
        click(form, "save_changes");
    });
    act("NewSite1")->trigger();
    EXPECT_EQ(refusals, 2);
    ASSERT_TRUE(item("Demo"));
    EXPECT_EQ(item("Demo")->parent(), item("Work"));
    EXPECT_EQ(item("Demo")->text(3), QStringLiteral("****")); // the password is masked
    // The bytes: top 74, root 74 + 9, folder 74 + 4, site 74 + 4 + six texts of 4 + length.
    EXPECT_EQ(QFileInfo(siteFile()).size(), 74 + 83 + 78 + (78 + 24 + 9 + 3 + 2 + 4));
    const QByteArray bytes = readFile(siteFile());
    for (const char* text : {"FTP Sites", "Work", "Demo", "127.0.0.1", "bob", "pw", "2121"})
        EXPECT_TRUE(bytes.contains(text)) << text;
    const SiteTree saved = stored();
    ASSERT_EQ(saved.count(), 3);
    EXPECT_EQ(saved.entryAt(2)->columns, (QStringList{"127.0.0.1", "bob", "pw", "2121", "", ""}));

    // Delete asks first; No keeps it, Yes removes it.
    select("Demo");
    answerNextQuestion(QMessageBox::No);
    act("Delete1")->trigger();
    EXPECT_EQ(stored().count(), 3);
    select("Demo");
    answerNextQuestion(QMessageBox::Yes);
    act("Delete1")->trigger();
    EXPECT_EQ(stored().count(), 2);
    EXPECT_FALSE(item("Demo"));
}

TEST_F(SiteWindowTest, TheDialogOpensAnonymousAndEmptyPasswordSitesWithTheirDefaults) {
    start([](SiteTree& t) {
        t.addEntry("Anon", 0, "ftp.example.org", "anonymous", "", "", "", "", true);
        t.addEntry("Bob", 0, "ftp.example.org", "bob", "", "21", "", "", true);
    });
    for (const char* label : {"Anon", "Bob"}) {
        select(QLatin1String(label));
        onNextModal([label](QWidget* modal) {
            auto* form = qobject_cast<Tsite_info_form*>(modal);
            ASSERT_TRUE(form);
            EXPECT_EQ(control<QCheckBox>(form, "anonymous_login")->isChecked(),
                      QLatin1String(label) == QLatin1String("Anon"))
                << label;
            EXPECT_EQ(edit(form, "txtPassword")->text(), QStringLiteral("rover@")) << label;
            EXPECT_FALSE(control<QWidget>(form, "gbBookMark")->isEnabled());
            // The password can be shown on request.
            control<QAction>(form, "show_password")->trigger();
            EXPECT_EQ(edit(form, "txtPassword")->echoMode(), QLineEdit::Normal);
            control<QAction>(form, "show_password")->trigger();
            click(form, "bCancel");
        });
        act("Edit1")->trigger();
    }
    // Alt+E, also the Edit menu's key, opens the dialog while the tree has the focus.
    select("Bob");
    bool opened = false;
    onNextModal([&opened](QWidget* modal) {
        opened = qobject_cast<Tsite_info_form*>(modal) != nullptr;
        modal->close();
    });
    tree()->setFocus();
    QKeyEvent altE(QEvent::ShortcutOverride, Qt::Key_E, Qt::AltModifier);
    QApplication::sendEvent(tree(), &altE);
    EXPECT_TRUE(altE.isAccepted());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_E, Qt::AltModifier);
    QApplication::sendEvent(tree(), &press);
    EXPECT_TRUE(opened);

    // Checking "Anonymous Login" gives the anonymous user and password.
    select("Bob");
    onNextModal([](QWidget* modal) {
        auto* box = control<QCheckBox>(modal, "anonymous_login");
        box->click();
        EXPECT_EQ(edit(modal, "txtUsername")->text(), QStringLiteral("anonymous"));
        EXPECT_EQ(edit(modal, "txtPassword")->text(), QStringLiteral("rover@"));
        EXPECT_TRUE(control<QPushButton>(modal, "save_changes")->isEnabled());
        click(modal, "save_changes");
    });
    act("Edit1")->trigger();
    EXPECT_EQ(stored().entryAt(2)->columns.value(ColUser), QStringLiteral("anonymous"));
}

TEST_F(SiteWindowTest, ExportFromTheQuickBarAndBookmarksWithTheFolderDialog) {
    start([](SiteTree& t) {
        t.addFolder("Work", 0);
        t.addEntry("Alpha", 1, "alpha.example.org", "u", "p", "21", "", "", true);
    });
    auto* host = control<QLineEdit>(w.get(), "Quickhost");
    auto* user = control<QLineEdit>(w.get(), "QuickUser");
    auto* pass = control<QLineEdit>(w.get(), "Quickpass");
    auto* port = control<QLineEdit>(w.get(), "quickport");
    host->setText(QStringLiteral("quick.example.org"));
    user->setText(QStringLiteral("qu"));
    pass->clear();
    port->setText(QStringLiteral("2121"));
    control<QToolButton>(w.get(), "export_site")->click();
    EXPECT_EQ(takeMessage(), QStringLiteral("Please Enter the valid values for:\n\tHost "
                                            "Name\n\tUser Name\n\tPassword\n\tPort"));

    pass->setText(QStringLiteral("qp"));
    onNextModal([&](QWidget* modal) {
        auto* input = qobject_cast<QInputDialog*>(modal);
        ASSERT_TRUE(input);
        EXPECT_EQ(input->windowTitle(), QStringLiteral("New Site Label"));
        EXPECT_EQ(input->labelText(), QStringLiteral("Pleas Enter New Site Label"));
        input->setTextValue(QStringLiteral("Exported"));
        onNextModal([&](QWidget* folders) {
            auto* form = qobject_cast<Tfolder_sel_form*>(folders);
            ASSERT_TRUE(form);
            clickFolderEntry(form, "Alpha"); // a site: not a folder for a site
            EXPECT_FALSE(control<QPushButton>(form, "bOk")->isEnabled());
            clickFolderEntry(form, "Work");
            EXPECT_TRUE(control<QPushButton>(form, "bOk")->isEnabled());
            click(form, "bOk");
        });
        input->accept();
    });
    control<QToolButton>(w.get(), "export_site")->click();
    ASSERT_TRUE(item("Exported"));
    EXPECT_EQ(item("Exported")->parent(), item("Work"));
    EXPECT_EQ(stored().entryAt(3)->columns,
              (QStringList{"quick.example.org", "qu", "qp", "2121", "", ""}));

    // A bookmark of a quick connection: the label box cancelled gives "New Bookmark", and
    // the folder dialog in bookmark mode takes a site only.
    SiteConnection now{"quick.example.org", "qu", "qp", "2121", "/pub", "/tmp"};
    onNextModal([&](QWidget* modal) {
        auto* input = qobject_cast<QInputDialog*>(modal);
        ASSERT_TRUE(input);
        EXPECT_EQ(input->textValue(), QStringLiteral("New Bookmark"));
        onNextModal([&](QWidget* folders) {
            clickFolderEntry(folders, "Work");
            EXPECT_FALSE(control<QPushButton>(folders, "bOk")->isEnabled());
            clickFolderEntry(folders, "Exported");
            EXPECT_TRUE(control<QPushButton>(folders, "bOk")->isEnabled());
            click(folders, "bOk");
        });
        input->reject();
    });
    tree()->BookmarkFolder(now, 0);
    ASSERT_TRUE(item("New Bookmark"));
    EXPECT_EQ(item("New Bookmark")->parent(), item("Exported"));
    EXPECT_EQ(stored().entryAt(4)->columns,
              (QStringList{"quick.example.org", "qu", "qp", "2121", "/tmp", "/pub"}));
}

TEST_F(SiteWindowTest, AStoredSiteWithABadPortIsRefusedWithAMessage) {
    start([](SiteTree& t) {
        t.addEntry("Odd", 0, "ftp.example.org", "u", "p", "99999", "", "", true);
    });
    doubleClick("Odd");
    EXPECT_EQ(takeMessage(), QStringLiteral("This site cannot be connected to: The port must be "
                                            "a number from 1 to 65535."));
    EXPECT_FALSE(w->Navigation()->IsConnected());
}

TEST(SiteWindowServer, DoubleClicksConnectSitesAndBookmarksAndBookmarksFindTheirSite) {
    RealFtpServer server = StartPyftpdlib();
    ASSERT_TRUE(server.ok()) << server.failure.toStdString();
    QDir(server.root).mkpath(QStringLiteral("pub/deeper"));
    writeFile(server.root + QStringLiteral("/pub/readme.txt"), "hello");
    writeFile(server.root + QStringLiteral("/pub/deeper/inner.txt"), "inner");
    const QString local =
        QDir::cleanPath(QDir(AppPaths::programDir()).filePath(QStringLiteral("../site-local")));
    QDir().mkpath(local + QStringLiteral("/sub"));
    const QString port = QString::number(server.port);

    QFile::remove(siteFile());
    {
        SiteTree t(siteFile());
        t.load();
        t.addEntry("First", 0, "first.example.org", "", "", "", "", "", true);
        const int py = t.addEntry("Py", 0, "127.0.0.1", server.user, server.password, port, local,
                                  QStringLiteral("pub"), true);
        t.addEntry("deep", py, "127.0.0.1", server.user, server.password, port,
                   local + QStringLiteral("/sub"), QStringLiteral("pub/deeper"), false);
    }
    std::unique_ptr<TMainform> w = startWithEmptyQueues();
    showSitePage(w.get());
    auto* sites = control<SiteManagerPane>(w.get(), "site_manager");
    auto* remote = control<QTreeWidget>(w.get(), "remoteListView");
    const auto shows = [&](const QString& name) {
        return waitFor(
            [&] {
                if (!w->Navigation()->IsIdle()) return false;
                for (int i = 0; i < remote->topLevelItemCount(); ++i) {
                    if (remote->topLevelItem(i)->text(0) == name) return true;
                }
                return false;
            },
            15000);
    };
    const auto dblClick = [&](const QString& label) { doubleClickEntry(sites, label); };

    dblClick("Py");
    ASSERT_TRUE(shows("readme.txt"));
    EXPECT_TRUE(w->Navigation()->DisplayedDirectory().endsWith("/pub"));
    EXPECT_EQ(w->Navigation()->SiteIndex(), 2);
    EXPECT_EQ(QDir::cleanPath(control<LocalPane>(w.get(), "local_pane")->CurrentFolder()), local);

    // The site's local folder brought the local page to the front: back to the sites.
    showSitePage(w.get());
    answerNextQuestion(QMessageBox::Yes); // break the connection to Py's folder
    dblClick("deep");
    ASSERT_TRUE(shows("inner.txt")) << [&] {
        QStringList text;
        for (const auto& l : w->Log().lines())
            text << l.text;
        return text.join('\n').toStdString();
    }();
    EXPECT_TRUE(w->Navigation()->DisplayedDirectory().endsWith("/pub/deeper"));
    EXPECT_EQ(QDir::cleanPath(control<LocalPane>(w.get(), "local_pane")->CurrentFolder()),
              local + QStringLiteral("/sub"));

    // A bookmark added under "First" moves Py to another index: "BookMark Current Folder"
    // still goes under Py, the site the session was opened from.
    const QList<QTreeWidgetItem*> first =
        sites->findItems("First", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(first.size(), 1);
    sites->setCurrentItem(first.first());
    onNextModal([](QWidget* modal) {
        edit(modal, "txtBookMark_Label")->setText(QStringLiteral("firstmark"));
        edit(modal, "txtLocal")->setText(QStringLiteral("/tmp"));
        edit(modal, "txtRemote")->setText(QStringLiteral("/"));
        click(modal, "save_changes");
    });
    control<QAction>(w.get(), "NewBookMark1")->trigger();
    onNextModal([](QWidget* modal) {
        qobject_cast<QInputDialog*>(modal)->setTextValue(QStringLiteral("here"));
        qobject_cast<QInputDialog*>(modal)->accept();
    });
    // The command takes one selected row, as its menu item does.
    remote->topLevelItem(0)->setSelected(true);
    remotePane(w.get())->updateSelectionCommands();
    control<QAction>(w.get(), "Remote_BookMark")->trigger();
    SiteTree t(siteFile());
    ASSERT_TRUE(t.read());
    const SiteEntry* here = nullptr;
    for (int i = 0; i < t.count(); ++i) {
        if (t.entryAt(i)->label == QLatin1String("here")) here = t.entryAt(i);
    }
    ASSERT_TRUE(here);
    ASSERT_TRUE(here->parent);
    EXPECT_EQ(here->parent->label, QStringLiteral("Py"));
    EXPECT_TRUE(here->columns.value(ColRemoteDir).endsWith("/pub/deeper"));
    EXPECT_TRUE(here->columns.value(ColLocalDir).endsWith("/sub"));
    w->Navigation()->CloseSession();
}

} // namespace
