// The local browser's rules without a window: listing, path rules, the list model's
// sorting, the command enabling table and the desktop clipboard forms.
#include "LocalBrowse.h"
#include "LocalClipboard.h"
#include "LocalCommands.h"
#include "LocalListModel.h"
#include "Scratch.h"
#include "TestLoop.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, qint64 size, const QDateTime& modified = {}) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
    if (modified.isValid()) f.setFileTime(modified, QFileDevice::FileModificationTime);
}

const LocalEntry* find(const QList<LocalEntry>& entries, const QString& name) {
    for (const LocalEntry& e : entries) {
        if (e.name == name) return &e;
    }
    return nullptr;
}

TEST(LocalBrowse, AFolderListsItsEntriesWithoutHiddenOnesAndWithTheirTexts) {
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    writeFile(root + "half.bin", 512);
    writeFile(root + "report.qqzz", 10);
    writeFile(root + "noext", 2048);
    // Links count as what they point to; a broken one is left out.
    ASSERT_TRUE(QFile::link(root + "sub", root + "to-sub"));
    ASSERT_TRUE(QFile::link(root + "nowhere", root + "broken"));
    writeFile(root + ".hidden", 1);
    QDir().mkpath(root + "sub");
    QDir().mkpath(root + ".config");
    // A pipe is no file to show.
    ASSERT_EQ(::system(("mkfifo " + root + "pipe").toUtf8().constData()), 0);

    Local_Browse browse;
    const QList<LocalEntry> entries = browse.ListFolder(dir.path(), true);
    EXPECT_EQ(browse.CurrentFolder(), root);
    QStringList names;
    for (const LocalEntry& e : entries)
        names << e.name;
    names.sort();
    EXPECT_EQ(names, (QStringList{"half.bin", "noext", "report.qqzz", "sub", "to-sub"}));
    EXPECT_TRUE(find(entries, "to-sub")->isFolder());

    const LocalEntry* listed = find(entries, "half.bin");
    ASSERT_TRUE(listed);
    // Size and time are read when first needed.
    LocalEntry half = *listed;
    Local_Browse::Complete(half);
    EXPECT_EQ(half.path, root + "half.bin");
    EXPECT_EQ(Local_Browse::SizeText(half.size), QStringLiteral("0.50"));
    EXPECT_TRUE(half.modified.isValid());
    EXPECT_FALSE(half.isFolder());
    const LocalEntry* sub = find(entries, "sub");
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->path, root + "sub/");
    EXPECT_EQ(sub->type, Local_Browse::kFolderType);
    EXPECT_TRUE(sub->isFolder());
    // A type the desktop does not know: the MIME database's "unknown", as in the remote
    // pane.
    LocalEntry report = *find(entries, "report.qqzz");
    Local_Browse::Complete(report);
    EXPECT_EQ(report.type, QStringLiteral("Unknown"));
    EXPECT_EQ(Local_Browse::SizeText(1264199), QStringLiteral("1234.57"));
}

TEST(LocalBrowse, AFolderThatCannotBeReadListsNothing) {
    Local_Browse browse;
    EXPECT_TRUE(browse.ListFolder(QStringLiteral("/no/such/folder"), false).isEmpty());
    EXPECT_TRUE(browse.CurrentFolder().isEmpty());
}

TEST(LocalBrowse, TheVolumeListHasTheRootFirstAndEmptiesTheCurrentFolder) {
    Local_Browse browse;
    browse.SetCurrentFolder(QStringLiteral("/tmp/"));
    const QList<LocalEntry> drives = browse.ListDrives();
    ASSERT_FALSE(drives.isEmpty());
    EXPECT_EQ(drives.first().path, QStringLiteral("/"));
    EXPECT_EQ(drives.first().kind, LocalEntry::Volume);
    EXPECT_TRUE(browse.CurrentFolder().isEmpty());
    EXPECT_TRUE(browse.IsDriveRoot(QStringLiteral("/")));
    EXPECT_FALSE(browse.IsDriveRoot(QStringLiteral("/no/such/mount/")));
    for (const LocalEntry& d : drives) {
        EXPECT_FALSE(d.path.startsWith(QLatin1String("/proc"))) << d.path.toStdString();
        EXPECT_FALSE(d.path.startsWith(QLatin1String("/sys"))) << d.path.toStdString();
    }
}

TEST(LocalBrowse, PathRules) {
    const struct {
        const char *path, *parent, *stripped, *name;
    } cases[] = {
        {"/a/b/", "/a/", "/a/b", "b"},
        {"/a/b", "/a/", "/a/b", "b"},
        {"/a/", "/", "/a", "a"},
        {"/", "", "/", ""},
    };
    for (const auto& c : cases) {
        const QString path = QLatin1String(c.path);
        EXPECT_EQ(Local_Browse::ParentFolder(path), QLatin1String(c.parent)) << c.path;
        EXPECT_EQ(Local_Browse::StripTrailingSlash(path), QLatin1String(c.stripped)) << c.path;
        EXPECT_EQ(Local_Browse::NamePart(path), QLatin1String(c.name)) << c.path;
    }
}

TEST(LocalBrowse, RowsLieInOneFolderOrNot) {
    EXPECT_TRUE(Local_Browse::InOneFolder({"/a/x.txt", "/a/sub/"}));
    EXPECT_FALSE(Local_Browse::InOneFolder({"/a/x.txt", "/b/y.txt"}));
    EXPECT_FALSE(Local_Browse::InOneFolder({"/a/x.txt", "/a/sub/z"}));
    EXPECT_FALSE(Local_Browse::InOneFolder({}));
}

TEST(LocalBrowse, RenameNeedsAnExistingEntryAndNeverReplacesOne) {
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    QDir().mkpath(root + "a/b");
    writeFile(root + "a/taken", 1);
    EXPECT_TRUE(Local_Browse::Rename(root + "a/b/", root + "a/c"));
    EXPECT_TRUE(QFileInfo(root + "a/c").isDir());
    EXPECT_FALSE(Local_Browse::Rename(root + "a/missing", root + "a/d"));
    EXPECT_FALSE(Local_Browse::Rename(root + "a/c/", root + "a/taken"));
    EXPECT_TRUE(QFileInfo(root + "a/c").isDir());
}

LocalEntry entry(const QString& name, bool folder, qint64 size, const QString& type,
                 const QDateTime& modified) {
    LocalEntry e;
    e.kind = folder ? LocalEntry::Folder : LocalEntry::File;
    e.name = name;
    e.path = QStringLiteral("/x/") + name + (folder ? QStringLiteral("/") : QString());
    e.size = size;
    e.type = type;
    e.modified = modified;
    e.stated = true;
    return e;
}

QStringList namesIn(const LocalListModel& model, const QModelIndex& parent = {}) {
    QStringList names;
    for (int r = 0; r < model.rowCount(parent); ++r)
        names << model.index(r, LocalListModel::Name, parent).data().toString();
    return names;
}

TEST(LocalListModel, SortsByNameWithoutCaseAndEachColumnByItsMeaning) {
    const QDateTime t0(QDate(2024, 1, 2), QTime(9, 0));
    LocalListModel model;
    // "Type" texts out of alphabetical order of names; dates out of order of types.
    model.setRows({entry("beta.txt", false, 2048, "Plain text", t0.addDays(2)),
                   entry("Alpha.zip", false, 100, "Zip archive", t0.addDays(1)),
                   entry("gamma", true, 0, "File Folder", t0.addYears(-1)),
                   entry("delta.png", false, 999999, "PNG image", t0)});
    // Folders stay above the files, whichever column sorts which way.
    EXPECT_EQ(namesIn(model), (QStringList{"gamma", "Alpha.zip", "beta.txt", "delta.png"}));
    model.sort(LocalListModel::Size, Qt::AscendingOrder);
    EXPECT_EQ(namesIn(model), (QStringList{"gamma", "Alpha.zip", "beta.txt", "delta.png"}));
    model.sort(LocalListModel::Size, Qt::DescendingOrder);
    EXPECT_EQ(namesIn(model), (QStringList{"gamma", "delta.png", "beta.txt", "Alpha.zip"}));
    model.sort(LocalListModel::Type, Qt::AscendingOrder);
    EXPECT_EQ(namesIn(model), (QStringList{"gamma", "beta.txt", "delta.png", "Alpha.zip"}));
    model.sort(LocalListModel::Modified, Qt::AscendingOrder);
    EXPECT_EQ(namesIn(model), (QStringList{"gamma", "delta.png", "Alpha.zip", "beta.txt"}));

    // The texts of a file row and a folder row.
    const QModelIndex beta = model.index(3, 0);
    EXPECT_EQ(beta.siblingAtColumn(LocalListModel::FullPath).data().toString(), "/x/beta.txt");
    EXPECT_EQ(beta.siblingAtColumn(LocalListModel::Size).data().toString(), "2.00");
    const QModelIndex gamma = model.index(0, 0);
    EXPECT_EQ(gamma.siblingAtColumn(LocalListModel::FullPath).data().toString(), "/x/gamma/");
    EXPECT_EQ(gamma.siblingAtColumn(LocalListModel::Size).data().toString(), QString());
    EXPECT_TRUE(model.hasChildren(gamma)); // a folder offers to unfold until listed
    EXPECT_EQ(model.headerData(LocalListModel::FullPath, Qt::Horizontal).toString(), "Full path");
}

TEST(LocalListModel, NamesCompareNumbersByValueWithFoldersFirstBothWays) {
    LocalListModel model;
    model.setRows({entry("file_10", false, 1, "x", {}), entry("file_2", false, 1, "x", {}),
                   entry("z_dir", true, 0, "File Folder", {}), entry("File_1", false, 1, "x", {}),
                   entry("a_dir10", true, 0, "File Folder", {}),
                   entry("a_dir9", true, 0, "File Folder", {})});
    EXPECT_EQ(namesIn(model),
              (QStringList{"a_dir9", "a_dir10", "z_dir", "File_1", "file_2", "file_10"}));
    model.sort(LocalListModel::Name, Qt::DescendingOrder);
    EXPECT_EQ(namesIn(model),
              (QStringList{"z_dir", "a_dir10", "a_dir9", "file_10", "file_2", "File_1"}));
}

TEST(LocalListModel, ChildrenOfAnUnfoldedFolderAreSortedAndFoundByPath) {
    LocalListModel model;
    model.setRows({entry("d", true, 0, "File Folder", {})});
    const QModelIndex d = model.index(0, 0);
    LocalEntry b = entry("b", false, 1, "x", {}), a = entry("A", false, 2, "x", {});
    b.path = "/x/d/b";
    a.path = "/x/d/A";
    model.setChildren(d, {b, a});
    EXPECT_TRUE(model.isListed(d));
    EXPECT_EQ(namesIn(model, d), (QStringList{"A", "b"}));
    EXPECT_EQ(model.findPath("/x/d/b").data(Qt::DisplayRole).toString(), "/x/d/b");
    model.clearChildren(d);
    EXPECT_EQ(model.rowCount(d), 0);
    EXPECT_FALSE(model.findPath("/x/d/b").isValid());
    // Listed and empty: no expand button any more.
    model.setChildren(d, {});
    EXPECT_FALSE(model.hasChildren(d));
}

TEST(LocalCommands, TheEnablingTableBySelection) {
    EXPECT_FALSE(LocalCommandsFor(1, false, false)); // no focused row: left as it was
    EXPECT_FALSE(LocalCommandsFor(1, true, true));   // a volume root focused: the same
    const LocalCommandStates none = *LocalCommandsFor(0, true, false);
    EXPECT_TRUE(none.newFolder && none.refresh && none.selectAll && none.invertSelect);
    EXPECT_FALSE(none.upload || none.open || none.view || none.cut || none.copy || none.paste ||
                 none.rename || none.del || none.properties);
    const LocalCommandStates one = *LocalCommandsFor(1, true, false);
    EXPECT_TRUE(one.upload && one.open && one.view && one.cut && one.copy && one.paste &&
                one.rename && one.del && one.newFolder && one.properties);
    const LocalCommandStates many = *LocalCommandsFor(3, true, false);
    EXPECT_TRUE(many.upload && many.cut && many.copy && many.paste && many.del);
    EXPECT_FALSE(many.rename || many.newFolder || many.properties || many.open || many.view);
}

TEST(LocalClipboard, WritesAndReadsTheFileManagersForms) {
    std::unique_ptr<QMimeData> data(LocalClipboard::encode({"/a/b c.txt", "/a/d/"}, true));
    EXPECT_EQ(data->data("x-special/gnome-copied-files"),
              QByteArray("cut\nfile:///a/b%20c.txt\nfile:///a/d"));
    EXPECT_EQ(data->urls().size(), 2);
    const ClipboardFiles back = LocalClipboard::decode(data.get());
    EXPECT_TRUE(back.cut);
    EXPECT_EQ(back.paths, (QStringList{"/a/b c.txt", "/a/d"}));

    // As Nautilus writes a copy, and as Dolphin writes a cut.
    QMimeData gnome;
    gnome.setData("x-special/gnome-copied-files", "copy\nfile:///home/u/x.txt\n");
    EXPECT_EQ(LocalClipboard::decode(&gnome).paths, QStringList{"/home/u/x.txt"});
    EXPECT_FALSE(LocalClipboard::decode(&gnome).cut);
    QMimeData kde;
    kde.setUrls({QUrl::fromLocalFile("/k/y"), QUrl("https://example.org/z")});
    kde.setData("application/x-kde-cutselection", "1");
    EXPECT_TRUE(LocalClipboard::decode(&kde).cut);
    EXPECT_EQ(LocalClipboard::decode(&kde).paths, QStringList{"/k/y"}); // local files only
    QMimeData text;
    text.setText("just text");
    EXPECT_TRUE(LocalClipboard::decode(&text).paths.isEmpty());
}

} // namespace
