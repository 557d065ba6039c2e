#include "RemoteListing.h"
#include "ChmodMode.h"
#include "DeleteJob.h"
#include "FileEditingViewing.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TEST(RemoteListing, KilobytesWithTwoDecimals) {
    const std::pair<const char*, const char*> cases[] = {{"1536", "1.50"},
                                                         {"100", "0.10"},
                                                         {"1048576", "1024.00"},
                                                         {"0", "0.00"},
                                                         {"2", "0.00"},
                                                         {"", ""},
                                                         {"N/A", ""},
                                                         {"5368709120", "5242880.00"}};
    for (const auto& [size, kb] : cases)
        EXPECT_EQ(RemoteListing::kilobytes(QLatin1String(size)), QLatin1String(kb)) << size;
}

TEST(RemoteListing, CacheFileNames) {
    const QString dir = QStringLiteral("/data/");
    auto file = [&](const QString& directory) {
        return RemoteListing::cacheFile(dir, QStringLiteral("h"), QStringLiteral("21"),
                                        QStringLiteral("u"), directory);
    };
    EXPECT_EQ(file(QStringLiteral("/")), QStringLiteral("/data/Listings/u@h_21/_"));
    EXPECT_EQ(file(QStringLiteral("/pub/linux")),
              QStringLiteral("/data/Listings/u@h_21/_pub_linux"));
    EXPECT_EQ(file(QStringLiteral("/pub/linux/")),
              QStringLiteral("/data/Listings/u@h_21/_pub_linux_"));
    // Two servers on one host, or two users of one server, have folders of their own.
    EXPECT_NE(RemoteListing::cacheFile(dir, "h", "2121", "u", "/"),
              RemoteListing::cacheFile(dir, "h", "2122", "u", "/"));
    EXPECT_NE(RemoteListing::cacheFile(dir, "h", "21", "alice", "/"),
              RemoteListing::cacheFile(dir, "h", "21", "bob", "/"));

    // Nothing a server, a site or a user name says may lead outside the cache folder.
    struct Case {
        QString host, user, directory, file;
    };
    const Case hostile[] = {
        {"..", "..", "..", "/data/Listings/..@.._21/_.."},
        {".", "", ".", "/data/Listings/@._21/_."},
        {"", "", "", "/data/Listings/@_21/_"},
        {"../../etc", "../x", "/x", "/data/Listings/.._x@.._.._etc_21/_x"},
        {QStringLiteral("h") + QChar(0) + "x", "u", QStringLiteral("/a") + QChar(0),
         "/data/Listings/u@h_x_21/_a_"},
    };
    for (const Case& c : hostile) {
        EXPECT_EQ(RemoteListing::cacheFile(dir, c.host, QStringLiteral("21"), c.user, c.directory),
                  c.file)
            << c.host.toStdString();
    }
}

TEST(RemoteListing, RowsFollowTheFolderAndLinkRules) {
    ListingColumns c;
    auto add = [&](const char* name, const char* size, const char* type, const char* link) {
        c.names.emplace_back(name);
        c.sizes.emplace_back(size);
        c.types.emplace_back(type);
        c.dates.emplace_back("01/15/2002");
        c.times.emplace_back("10:30");
        c.linkTargets.emplace_back(link);
        c.attributes.emplace_back("-rw-r--r--");
        c.owners.emplace_back("o");
        c.groups.emplace_back("g");
    };
    add(".", "0", "<DIR>", "");
    add("..", "0", "<DIR>", "");
    add("pub", "4096", "<DIR>", "");
    add("data.qqq", "1536", "", "");
    add("latest", "11", "", "files/v2.tar.gz");
    add("docs", "11", "", "documents");
    add("page", "11", "", "x.shtml");
    add("up", "11", "", "../x");
    const QList<RemoteRow> rows = RemoteListing::rows(c);
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0].name, QStringLiteral("pub"));
    EXPECT_EQ(rows[0].type, QStringLiteral("File Folder"));
    EXPECT_EQ(rows[0].size, QString());
    EXPECT_EQ(rows[1].size, QStringLiteral("1.50"));
    // Every type name is the MIME database's: one the database does not know is its
    // "unknown", as in the local pane.
    EXPECT_EQ(rows[1].type, QStringLiteral("Unknown"));
    EXPECT_EQ(rows[1].bytes, QStringLiteral("1536"));
    EXPECT_EQ(rows[1].modified, QStringLiteral("01/15/2002 10:30"));
    EXPECT_FALSE(rows[2].folder); // a target with a short extension is a file
    EXPECT_EQ(rows[2].size, QStringLiteral("0.01"));
    EXPECT_TRUE(rows[3].folder);
    EXPECT_TRUE(rows[4].folder); // five characters after the dot
    EXPECT_FALSE(rows[5].folder);
}

TEST(RemoteListing, Paths) {
    EXPECT_EQ(RemoteListing::parent(QStringLiteral("/pub")), QStringLiteral("/"));
    EXPECT_EQ(RemoteListing::parent(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(RemoteListing::parent(QStringLiteral("/pub/linux")), QStringLiteral("/pub"));
    EXPECT_EQ(RemoteListing::parent(QStringLiteral("pub")), QString());
    EXPECT_EQ(RemoteListing::join(QStringLiteral("/"), QStringLiteral("pub")),
              QStringLiteral("/pub"));
    EXPECT_EQ(RemoteListing::join(QStringLiteral("/pub"), QStringLiteral("x")),
              QStringLiteral("/pub/x"));
}

TEST(RemoteListing, CutAndPasteMoveEveryCutRowIntoTheTarget) {
    using RemoteListing::RemoteMove;
    // One row cut in /pub, pasted with nothing selected in /other.
    RemoteListing::CutState one = RemoteListing::cut("/pub", {"a.txt"});
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.path, QStringLiteral("/pub/a.txt"));
    EXPECT_TRUE(one.names.isEmpty());
    RemoteListing::PastePlan plan = RemoteListing::paste(one, "/other", nullptr);
    EXPECT_EQ(plan.moves, (QList<RemoteMove>{{"/pub/a.txt", "/other/a.txt"}}));
    // The same row still selected where it was cut.
    const QString same = "a.txt";
    plan = RemoteListing::paste(one, "/pub", &same);
    EXPECT_EQ(
        plan.message,
        QStringLiteral("Source and Destination are same, Please Choose different destination"));
    EXPECT_TRUE(plan.moves.isEmpty());

    // Three rows at "/", pasted onto the folder row "dest": every one moves.
    RemoteListing::CutState three = RemoteListing::cut("/", {"x", "y", "z"});
    EXPECT_EQ(three.path, QStringLiteral("/z"));
    const QString dest = "dest";
    plan = RemoteListing::paste(three, "/", &dest);
    EXPECT_EQ(plan.moves,
              (QList<RemoteMove>{{"/x", "/dest/x"}, {"/y", "/dest/y"}, {"/z", "/dest/z"}}));
    // Pasted back where they are: nothing to move.
    EXPECT_TRUE(RemoteListing::paste(three, "/", nullptr).moves.isEmpty());
    // A cut row selected as the target: refused before anything moves.
    const QString y = "y";
    plan = RemoteListing::paste(three, "/", &y);
    EXPECT_FALSE(plan.message.isEmpty());
    EXPECT_TRUE(plan.moves.isEmpty());
}

TEST(RemoteListing, DraggedRowsMoveIntoTheFolderRowTheyAreDroppedOn) {
    using RemoteListing::RemoteMove;
    EXPECT_EQ(RemoteListing::dragMoves("/pub", "in", {"a", "in", "b"}),
              (QList<RemoteMove>{{"/pub/a", "/pub/in/a"}, {"/pub/b", "/pub/in/b"}}));
    EXPECT_EQ(RemoteListing::dragMoves("/", "in", {"a"}), (QList<RemoteMove>{{"/a", "/in/a"}}));
    const QString longName(300, u'n');
    const QList<RemoteMove> cut = RemoteListing::dragMoves("/", "in", {longName});
    EXPECT_EQ(cut.first().from.size(), 255);
    EXPECT_EQ(cut.first().to.size(), 255);
}

TEST(RemoteDelete, InsideComparesWholePathComponents) {
    struct Case {
        const char *path, *top;
        bool inside;
    };
    for (const Case& c :
         {Case{"/a/b", "/a/b", true}, Case{"/a/b/c", "/a/b", true}, Case{"/a/b/c/d", "/a/b", true},
          Case{"/a/bc", "/a/b", false}, Case{"/x/a/b/y", "/a/b", false}, Case{"/a", "/a/b", false},
          Case{"", "/a/b", false}, Case{"/anything", "/", true}}) {
        EXPECT_EQ(RemoteDelete::inside(QLatin1String(c.path), QLatin1String(c.top)), c.inside)
            << c.path << " in " << c.top;
    }
}

TEST(RemoteDelete, AFolderListingGivesItsEntriesUpToTheFirstFolderWithoutDotsOrSlashes) {
    ListingColumns c;
    for (const char* line :
         {"drwxr-xr-x 2 u g 0 Jan 1 2000 .", "drwxr-xr-x 2 u g 0 Jan 1 2000 ..",
          "-rw-r--r-- 1 u g 5 Jan 1 2000 f1", "-rw-r--r-- 1 u g 5 Jan 1 2000 ../../etc/passwd",
          "lrwxrwxrwx 1 u g 5 Jan 1 2000 home -> /home", "drwxr-xr-x 2 u g 0 Jan 1 2000 s",
          "-rw-r--r-- 1 u g 5 Jan 1 2000 f2"})
        c.names.emplace_back(line);
    c.sizes = c.types = c.dates = c.times = c.linkTargets = c.attributes = c.owners = c.groups =
        ListingTexts(c.names.size());
    ParseListing(c, false, 2026);
    const DeleteEntry account = RemoteDelete::entry({}, "h", "u", "p", "21", false);
    const QList<DeleteEntry> entries = RemoteDelete::folderContents(c, "/a/b", account);
    QStringList paths;
    for (const DeleteEntry& e : entries)
        paths << e.path + (e.folder ? "/" : "");
    // A link is an entry of its own, removed, never entered.
    EXPECT_EQ(paths, (QStringList{"/a/b/f1", "/a/b/home", "/a/b/s/"}));
    EXPECT_EQ(entries.first().host, QStringLiteral("h"));
    EXPECT_EQ(RemoteDelete::entry(QString(300, u'p'), "h", "u", "p", "21", true).path.size(), 255);
}

TEST(ChmodMode, AModeFieldGivesBoxesAndDigits) {
    const ChmodMode::Boxes b = ChmodMode::read("-rwxr-xr--");
    EXPECT_EQ(b.digit[0], 7);
    EXPECT_EQ(b.digit[1], 5);
    EXPECT_EQ(b.digit[2], 4);
    EXPECT_TRUE(b.checked[1][2]);
    EXPECT_FALSE(b.checked[2][2]);
    // s and t are not x: the box stays unchecked and adds nothing.
    const ChmodMode::Boxes setuid = ChmodMode::read("-rwsr-xr-t");
    EXPECT_FALSE(setuid.checked[0][2]);
    EXPECT_EQ(setuid.digit[0], 6);
    EXPECT_EQ(setuid.digit[2], 4);
    // Letters out of place and short texts count for nothing.
    EXPECT_EQ(ChmodMode::read("-xwr").digit[0], 2);
    EXPECT_EQ(ChmodMode::read("").digit[0], 0);
}

TEST(ChmodMode, SeveralRowsShowTheirCommonModeOrNone) {
    EXPECT_EQ(ChmodMode::forRows({"-rw-r--r--", "-rwxr-xr-x"}), ChmodMode::kNoMode);
    EXPECT_EQ(ChmodMode::forRows({"-rw-r--r--", "-rw-r--r--", "-rw-r--r--"}), "-rw-r--r--");
    EXPECT_EQ(ChmodMode::forRows({"-rw-r--r--", "-rw-r--r--", "drwxr-xr-x"}), ChmodMode::kNoMode);
    EXPECT_EQ(ChmodMode::forRows({""}), ChmodMode::kNoMode);
    EXPECT_EQ(ChmodMode::forRows({"-r--------"}), "-r--------");
}

TEST(ChmodMode, ClicksChangeTheDigitAndOnlyValidDigitsMakeAMode) {
    EXPECT_EQ(ChmodMode::afterClick("5", true, 2), "7");
    EXPECT_EQ(ChmodMode::afterClick("7", false, 4), "3");
    EXPECT_EQ(ChmodMode::afterClick("", false, 4), ""); // an empty edit stays empty
    EXPECT_EQ(ChmodMode::afterClick("", true, 1), "");
    EXPECT_EQ(ChmodMode::afterClick("7", true, 4), "11"); // not a mode: cannot be applied
    EXPECT_EQ(ChmodMode::modeOut("7", "5", "5"), "755");
    for (const char* bad : {"", "8", "11", "x", "-1", " 5"})
        EXPECT_TRUE(ChmodMode::modeOut("7", QLatin1String(bad), "5").isEmpty()) << bad;
}

TEST(FileEditingViewing, RemotePathsAndTemporaryCopiesStayInTheirFolder) {
    using Job = File_Editing_Viewing::FileJob;
    EXPECT_EQ(File_Editing_Viewing::RemotePath(Job{"/", "a.txt"}), "/a.txt");
    EXPECT_EQ(File_Editing_Viewing::RemotePath(Job{"/www", "a.txt"}), "/www/a.txt");
    const QString root = File_Editing_Viewing::TemporaryFolder();
    ASSERT_FALSE(root.isEmpty());
    EXPECT_EQ(QFileInfo(root).permissions() & 0x0077, 0) << "others may read the copies";
    struct NullHost : ViewerHost {
        QString OpenInEditor(const QString&) override { return {}; }
        QString OpenWithDefault(const QString&) override { return {}; }
        void AskSaveFile(const QString&, std::function<void(bool)>) override {}
        void ShowMessage(const QString&) override {}
    } host;
    File_Editing_Viewing viewer(host);
    for (const char* name : {"../../x", "..", ".", "", "a/b", "plain.txt"}) {
        const QString copy = viewer.TemporaryCopy(Job{"/www", QLatin1String(name)});
        ASSERT_FALSE(copy.isEmpty()) << name;
        const QString folder = QFileInfo(copy).absolutePath();
        EXPECT_EQ(QFileInfo(folder).absolutePath(), root) << name;
        EXPECT_NE(QFileInfo(copy).fileName(), QStringLiteral("..")) << name;
        EXPECT_NE(QFileInfo(copy).fileName(), QStringLiteral(".")) << name;
    }
    // Two folders' files of one name never share a copy.
    EXPECT_NE(viewer.TemporaryCopy(Job{"/www", "index.html"}),
              viewer.TemporaryCopy(Job{"/old", "index.html"}));
    EXPECT_EQ(viewer.TemporaryCopy(Job{"/www", "index.html"}),
              viewer.TemporaryCopy(Job{"/www", "index.html"}));
}

} // namespace

TEST(RemoteListing, TheUserReadsAFailureInWordsAndTheServersRepliesAsTheyAre) {
    const std::pair<const char*, const char*> cases[] = {
        {"500 Connection refused by 127.0.0.1:2121 (Winsock error #10061)",
         "Connection refused by 127.0.0.1:2121"},
        {"500 Host not found connecting to no-such-host.invalid:21 (Winsock error #11001)",
         "Host not found: no-such-host.invalid:21"},
        {"500 Connection timed out (Winsock error #10060)", "Connection timed out"},
        {"500 SOCKS5 server 127.0.0.1:1080 rejected the user name or password (the FTP server "
         "h:21, error #20013)",
         "500 SOCKS5 server 127.0.0.1:1080 rejected the user name or password (the FTP server "
         "h:21, error #20013)"},
        {"530 Login incorrect.", "530 Login incorrect."},
        {"550 Rename failed.", "550 Rename failed."}};
    for (const auto& [engine, shown] : cases)
        EXPECT_EQ(RemoteListing::userReason(engine), QString::fromUtf8(shown)) << engine;
}
