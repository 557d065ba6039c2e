#include "RemoteListing.h"

#include <gtest/gtest.h>

#include <tuple>

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
    EXPECT_EQ(RemoteListing::cacheFile(dir, QStringLiteral("h"), QStringLiteral("/")),
              QStringLiteral("/data/Listings/h/_"));
    EXPECT_EQ(RemoteListing::cacheFile(dir, QStringLiteral("h"), QStringLiteral("/pub/linux")),
              QStringLiteral("/data/Listings/h/_pub_linux"));
    EXPECT_EQ(RemoteListing::cacheFile(dir, QStringLiteral("h"), QStringLiteral("/pub/linux/")),
              QStringLiteral("/data/Listings/h/_pub_linux_"));
    // Nothing a server or a host name says may lead outside the cache folder.
    const std::tuple<QString, QString, QString> hostile[] = {
        {"..", "..", "/data/Listings/_../_.."},
        {".", ".", "/data/Listings/_./_."},
        {"", "", "/data/Listings/_/_"},
        {"../../etc", "/x", "/data/Listings/.._.._etc/_x"},
        {QStringLiteral("h") + QChar(0) + "x", QStringLiteral("/a") + QChar(0),
         "/data/Listings/h_x/_a_"},
    };
    for (const auto& [host, directory, file] : hostile) {
        EXPECT_EQ(RemoteListing::cacheFile(dir, host, directory), file) << host.toStdString();
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

} // namespace
