#include "Listing.h"
#include "Scratch.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

constexpr int kYear = 2002;

struct Fields {
    const char *name = "", *size = "", *type = "", *date = "", *time = "", *link = "",
               *attributes = "", *owner = "", *group = "";
};

struct LineCase {
    const char* label;
    const char* line;
    bool kept;
    Fields f;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.label << ": " << c.line;
}

ListingColumns parseLines(const ListingTexts& lines, bool vmsHint = false) {
    ListingColumns c;
    c.names = lines;
    for (ListingTexts* l : {&c.sizes, &c.types, &c.dates, &c.times, &c.linkTargets, &c.attributes,
                            &c.owners, &c.groups}) {
        *l = ListingTexts(lines.size());
    }
    ParseListing(c, vmsHint, kYear);
    return c;
}

ListingTexts row(const ListingColumns& c, size_t i) {
    return {c.names[i],       c.sizes[i],      c.types[i],  c.dates[i], c.times[i],
            c.linkTargets[i], c.attributes[i], c.owners[i], c.groups[i]};
}

ListingTexts row(const Fields& f) {
    return {f.name, f.size, f.type, f.date, f.time, f.link, f.attributes, f.owner, f.group};
}

void expectSameLength(const ListingColumns& c) {
    for (const ListingTexts* l : {&c.sizes, &c.types, &c.dates, &c.times, &c.linkTargets,
                                  &c.attributes, &c.owners, &c.groups}) {
        ASSERT_EQ(l->size(), c.names.size());
    }
}

class ListingLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ListingLineTest, GivesTheFields) {
    const LineCase& c = GetParam();
    const ListingColumns cols = parseLines({c.line});
    expectSameLength(cols);
    if (!c.kept) {
        EXPECT_EQ(cols.count(), 0u) << "kept as " << cols.names.front();
        return;
    }
    ASSERT_EQ(cols.count(), 1u);
    EXPECT_EQ(row(cols, 0), row(c.f));
}

// Fields: name, size, type, date, time, link, attributes, owner, group.
INSTANTIATE_TEST_SUITE_P(
    Unix, ListingLineTest,
    ::testing::Values(
        LineCase{
            "folder",
            "drwxr-xr-x   2 owner    group        4096 Jan 15 10:30 pub",
            true,
            {"pub", "4096", "<DIR>", "01/15/2002", "10:30", "", "drwxr-xr-x", "owner", "group"}},
        LineCase{"link",
                 "lrwxrwxrwx   1 root     root           11 Dec  3  1999 latest -> files/v2.tgz",
                 true,
                 {"latest", "11", "", "12/03/1999", "00:00", "files/v2.tgz", "lrwxrwxrwx", "root",
                  "root"}},
        LineCase{
            "spaces_in_name",
            "-rw-r--r--   1 owner group  1234 Mar  5 09:05 my   file.txt",
            true,
            {"my file.txt", "1234", "", "03/05/2002", "09:05", "", "-rw-r--r--", "owner", "group"}},
        LineCase{"tab_separated",
                 "-rw-r--r--\t1\towner\tgroup\t7\tFeb\t1\t2001\tt.txt",
                 true,
                 {"t.txt", "7", "", "02/01/2001", "00:00", "", "-rw-r--r--", "owner", "group"}},
        LineCase{"sticky_bit_in_tenth_character",
                 "drwxrwxrwt 9 root root 4096 Jun 30 2020 tmp",
                 true,
                 {"tmp", "4096", "<DIR>", "06/30/2020", "00:00", "", "drwxrwxrwt", "root", "root"}},
        LineCase{"future_month_with_time_is_this_year",
                 "-rw-r--r-- 1 qq zz 1 Dec 31 23:59 late",
                 true,
                 {"late", "1", "", "12/31/2002", "23:59", "", "-rw-r--r--", "qq", "zz"}},
        LineCase{"no_group_column",
                 "-rw-r--r-- 1 ftp 512 Apr 1 2003 readme",
                 true,
                 {"readme", "512", "", "04/01/2003", "00:00", "", "-rw-r--r--", "1", "ftp"}},
        LineCase{"owner_named_like_a_month",
                 "-rw-r--r-- 1 jun staff 100 Jan 1 2000 f",
                 true,
                 {"1 2000 f", "jun", "", "00/100/JAN", "00:00", "", "-rw-r--r--", "", "1"}},
        LineCase{"one_letter_owner_and_group_are_no_months",
                 "-rw-r--r-- 1 u g 5 Jan 15 10:30 evil",
                 true,
                 {"evil", "5", "", "01/15/2002", "10:30", "", "-rw-r--r--", "u", "g"}},
        LineCase{"owner_holding_part_of_a_month_name",
                 "-rw-r--r-- 1 ju ly 77 Oct 2 2001 notes",
                 true,
                 {"notes", "77", "", "10/02/2001", "00:00", "", "-rw-r--r--", "ju", "ly"}},
        LineCase{"more_than_19_tokens",
                 "-rw-r--r-- 1 qq zz 5 Jan 1 2000 a b c d e f g h i j k l m n",
                 true,
                 {"a b c d e f g h i j k l", "5", "", "01/01/2000", "00:00", "", "-rw-r--r--", "qq",
                  "zz"}},
        LineCase{"setuid_fails_every_rule", "-rwsr-xr-x 1 root root 100 Jan 1 2000 su", false, {}},
        LineCase{"no_month_token", "-rw-r--r-- 1 root root 100 17 1 2000 qq", false, {}},
        LineCase{"total_line", "total 24", false, {}},
        LineCase{"too_short", "drwxr-x", false, {}}));

INSTANTIATE_TEST_SUITE_P(
    Dos, ListingLineTest,
    ::testing::Values(LineCase{"folder",
                               "01-15-02  03:45PM       <DIR>          incoming",
                               true,
                               {"incoming", "", "<DIR>", "01/15/2002", "15:45"}},
                      LineCase{"file",
                               "11-30-99  11:05AM              1048576 setup.exe",
                               true,
                               {"setup.exe", "1048576", "", "11/30/1999", "11:05"}},
                      LineCase{"four_digit_year",
                               "01-15-2002  10:00AM  100 x.txt",
                               true,
                               {"x.txt", "100", "", "01/15/2020", "10:00"}},
                      LineCase{"midnight_half_past",
                               "02-02-03  12:30AM  1 y",
                               true,
                               {"y", "1", "", "02/02/2003", "12:30"}},
                      LineCase{"slashes",
                               "02/02/03  09:15PM  1 two words",
                               true,
                               {"two words", "1", "", "02/02/2003", "21:15"}},
                      LineCase{"no_name", "02-02-03  09:15PM  1", false, {}}));

INSTANTIATE_TEST_SUITE_P(
    As400, ListingLineTest,
    ::testing::Values(
        LineCase{"folder",
                 "QSYS            4096 02/23/00 15:09:55 *DIR       QSYS/",
                 true,
                 {"QSYS/", "4096", "<DIR>", "02/23/00", "15:09:55"}},
        LineCase{"member",
                 "QSYS                                    *MEM       "
                 "QSYS.LIB/QGPL.LIB/QCLSRC.FILE/MYPGM.MBR",
                 true,
                 {"QSYS.LIB/QGPL.LIB/QCLSRC.FILE/MYPGM.MBR", "N/A", "", "N/A", "N/A"}},
        LineCase{"stream_file",
                 "OWNER 12 01/01/01 00:00:01 *STMF a.txt",
                 true,
                 {"a.txt", "12", "", "01/01/01", "00:00:01"}},
        LineCase{"library_is_a_folder",
                 "OWNER 12 01/01/01 00:00:01 *LIB LIBX",
                 true,
                 {"LIBX", "12", "<DIR>", "01/01/01", "00:00:01"}},
        LineCase{"unknown_object_type", "QSYS 4096 02/23/00 15:09:55 *USRPRF JOHN", false, {}}));

TEST(Listing, EmptyAndBlankListingsGiveNoEntries) {
    for (const ListingTexts& lines : {ListingTexts{}, ListingTexts{"", "   ", "\t", ""}}) {
        const ListingColumns c = parseLines(lines);
        expectSameLength(c);
        EXPECT_EQ(c.count(), 0u);
    }
}

TEST(Listing, KeepsTheOrderOfTheListing) {
    const ListingColumns c = parseLines({"total 3", "drwxr-xr-x 2 qq zz 1 Jan 1 2000 zeta", "",
                                         "-rw-r--r-- 1 qq zz 2 Jan 1 2000 alpha", "garbage line",
                                         "-rw-r--r-- 1 qq zz 3 Jan 1 2000 mid"});
    EXPECT_EQ(c.names, (ListingTexts{"zeta", "alpha", "mid"}));
    EXPECT_EQ(c.sizes, (ListingTexts{"1", "2", "3"}));
}

TEST(Listing, VmsListingWithWrappedNames) {
    const ListingTexts lines = {
        "Directory DISK$USER:[JOHN]",
        "",
        "FILE.TXT;1             3  15-JAN-2002 10:30:15  [GROUP,JOHN]  (RWED,RWED,RE,)",
        "SUBDIR.DIR;1           1   3-FEB-2002 09:00:00  [GROUP,JOHN]  (RWE,RWE,RE,E)",
        "LONG_NAME_THAT_WRAPS.DAT;2",
        "          12  20-MAR-2002 14:45:00  [GROUP,JOHN]  (RWED,RWED,RE,)",
        "MY.DIRECTORY;1         2  01-APR-2002 08:00:00  [GROUP,JOHN]  (RWE,RWE,RE,E)",
        "NOVERSION.TXT          2  01-APR-2002 08:00:00  [GROUP,JOHN]  (RWE,RWE,RE,E)",
        "",
        "Total of 3 files, 16 blocks.",
    };
    const ListingColumns c = parseLines(lines);
    expectSameLength(c);
    ASSERT_EQ(c.count(), 4u);
    EXPECT_EQ(row(c, 0), row(Fields{"FILE.TXT", "1536", "", "01/15/2002", "10:30", "",
                                    "(RWED,RWED,RE,)", "", "[GROUP,JOHN]"}));
    EXPECT_EQ(row(c, 1), row(Fields{"SUBDIR", "512", "<DIR>", "02/03/2002", "09:00", "",
                                    "(RWE,RWE,RE,E)", "", "[GROUP,JOHN]"}));
    EXPECT_EQ(row(c, 2), row(Fields{"LONG_NAME_THAT_WRAPS.DAT", "6144", "", "03/20/2002", "14:45",
                                    "", "(RWED,RWED,RE,)", "", "[GROUP,JOHN]"}));
    EXPECT_EQ(c.names[3], "MY");
    EXPECT_EQ(c.types[3], "<DIR>");
}

TEST(Listing, VmsNameAloneOnTheLastLineIsKeptWithEmptyFields) {
    const ListingColumns c = parseLines({"Directory USER1:[JOHN]", "A.DAT;1"});
    ASSERT_EQ(c.count(), 1u);
    EXPECT_EQ(row(c, 0), row(Fields{"A.DAT", "0"}));
}

QString writeFile(const QString& name, const QByteArray& data) {
    const QString path = scratchDir() + QLatin1Char('/') + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
    return path;
}

TEST(Listing, ReadListingFileSplitsAtEveryLineEnd) {
    const QString path =
        writeFile(QStringLiteral("mixed.lst"), "-rw-r--r-- 1 qq zz 1 Jan 1 2000 one\r\n"
                                               "-rw-r--r-- 1 qq zz 2 Jan 1 2000 two\n"
                                               "-rw-r--r-- 1 qq zz 3 Jan 1 2000 three\r"
                                               "-rw-r--r-- 1 qq zz 4 Jan 1 2000 four");
    ListingColumns c;
    ReadListingFile(path, c);
    EXPECT_EQ(c.names, (ListingTexts{"one", "two", "three", "four"}));
}

TEST(Listing, ReadListingFileTakesTheVmsHintFromTheFirstLine) {
    // The first line is not of the "DISK:[DIR]" form the parser itself checks, but it
    // holds ":[", which marks the listing as VMS.
    const QString path = writeFile(QStringLiteral("vms.lst"),
                                   "Directory USER1:[JOHN.SUB] on node X\n\n"
                                   "A.TXT;3  1  15-JAN-2002 10:30:15  [G,J]  (RWED,RWED,RE,)\n");
    ListingColumns c;
    ReadListingFile(path, c);
    ASSERT_EQ(c.count(), 1u);
    EXPECT_EQ(c.names[0], "A.TXT");
    EXPECT_EQ(c.sizes[0], "512");

    ReadListingFile(scratchDir() + QStringLiteral("/missing.lst"), c);
    EXPECT_EQ(c.count(), 0u);
    ReadListingFile(writeFile(QStringLiteral("empty.lst"), {}), c);
    EXPECT_EQ(c.count(), 0u);
}

// Listing text comes from the server; no byte sequence may crash the parser, make it
// read out of bounds (the sanitizers watch) or hang.
TEST(Listing, HostileInputIsParsedSafely) {
    ListingTexts hostile = {
        std::string(1 << 20, 'x'),
        std::string(1 << 20, ' '),
        std::string(1 << 20, '-'),
        std::string(1 << 20, '*'),
        std::string(1 << 20, '9'),
        "drwxrwxrwx " + std::string(1 << 20, 'J'),
        "-rwxrwxrwx " + std::string(1 << 20, '1') + " Jan 1 2000 x",
        "01-01-01 " + std::string(1 << 20, '$'),
        "a *MEM",
        std::string("-\0-\0-\0-\0", 8),
        "--------",
        "-- -- -- -- -> ->",
        "X;1 " + std::string(1 << 16, ']'),
    };
    QRandomGenerator rng(42);
    for (int i = 0; i < 200; ++i) {
        std::string line(rng.bounded(200), '\0');
        for (char& ch : line)
            ch = char(rng.bounded(256));
        hostile.push_back(line);
    }
    for (bool vms : {false, true}) {
        const ListingColumns c = parseLines(hostile, vms);
        expectSameLength(c);
        EXPECT_LE(c.count(), hostile.size());
    }
    QByteArray joined;
    for (const std::string& line : hostile)
        joined.append(line.data(), qsizetype(line.size())).append('\n');
    ListingColumns c;
    ReadListingFile(writeFile(QStringLiteral("hostile.lst"), joined), c);
    expectSameLength(c);
}

} // namespace
