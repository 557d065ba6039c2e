#include "RemoteListing.h"

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
    EXPECT_EQ(rows[1].type, QStringLiteral("QQQ File"));
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

} // namespace
