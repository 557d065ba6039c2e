#include "ListingText.h"

#include <gtest/gtest.h>

using namespace listing;

namespace {

struct TextCase {
    const char* input;
    const char* expected;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << '"' << c.input << "\" -> \"" << c.expected << '"';
}

class TimeTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(TimeTest, Converts) {
    EXPECT_EQ(ListingTime(GetParam().input), std::string(GetParam().expected));
}
INSTANTIATE_TEST_SUITE_P(
    Listing, TimeTest,
    ::testing::Values(TextCase{"03:45PM", "15:45"}, TextCase{"12:10PM", "12:10"},
                      TextCase{"11:05AM", "11:05"}, TextCase{"10:30:15", "10:30"},
                      TextCase{"10:30", "10:30"}, TextCase{"12:30AM", "12:30"},
                      TextCase{"3:45PM", "15:45"}, TextCase{"3:45AM", "03:45"},
                      TextCase{"2000", "2000"}, TextCase{"", ""}, TextCase{"pm", "PM"}));

class DateTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(DateTest, Normalises) {
    EXPECT_EQ(NormaliseDate(GetParam().input), std::string(GetParam().expected));
}
INSTANTIATE_TEST_SUITE_P(
    Listing, DateTest,
    ::testing::Values(TextCase{"15-JAN-2002", "01/15/2002"}, TextCase{"25/Dec/1999", "12/25/1999"},
                      TextCase{"01/15/2002", "01/15/2002"}, TextCase{"3/feb/2002", "02/03/2002"},
                      TextCase{"5/Xyz/2002", "XYZ/05/2002"}, TextCase{"20020115", "20020115"},
                      TextCase{"1/2", "1/2"}, TextCase{"-/", "/00/"}, TextCase{"", ""}));

class DosDateTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(DosDateTest, Converts) {
    EXPECT_EQ(DosDate(GetParam().input), std::string(GetParam().expected));
}
INSTANTIATE_TEST_SUITE_P(Listing, DosDateTest,
                         ::testing::Values(TextCase{"01-15-02", "01/15/2002"},
                                           TextCase{"11-30-99", "11/30/1999"},
                                           TextCase{"01-15-2002", "01/15/2020"},
                                           TextCase{"12/31/29", "12/31/2029"},
                                           TextCase{"12/31/30", "12/31/1930"},
                                           TextCase{"1-1", "1/12000"}, TextCase{"", "2000"}));

TEST(ListingText, MonthNumberMatchesAnySubstringOfAMonthName) {
    const std::pair<const char*, int> cases[] = {
        {"JAN", 1}, {"Dec", 12}, {"SEPT", 9},      {"AN", 1},        {"R", 1},
        {"jun", 6}, {"e", 2},    {"may", 5},       {"", 0},          {"JUNEX", 0},
        {"15", 0},  {"-", 0},    {"SEPTEMBER", 9}, {"SEPTEMBERS", 0}};
    for (const auto& [token, month] : cases)
        EXPECT_EQ(MonthNumber(token), month) << token;
}

TEST(ListingText, LeadingIntegerReadsSignDigitsAndHexPrefixes) {
    const std::pair<const char*, int64_t> cases[] = {{"42", 42},
                                                     {"  -12abc", -12},
                                                     {"+7", 7},
                                                     {"abc", 0},
                                                     {"", 0},
                                                     {"$1F", 31},
                                                     {"x10", 16},
                                                     {"X10", 16},
                                                     {"0x10", 16},
                                                     {"0X1g", 1},
                                                     {"007", 7},
                                                     {"1.5", 1},
                                                     {"99999999999999999999999", INT64_MAX}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(LeadingInteger(text), value) << text;
}

TEST(ListingText, TwoDigitsPadsOnlyShortNumbers) {
    EXPECT_EQ(TwoDigits(5), "05");
    EXPECT_EQ(TwoDigits(0), "00");
    EXPECT_EQ(TwoDigits(12), "12");
    EXPECT_EQ(TwoDigits(100), "100");
    EXPECT_EQ(TwoDigits(-5), "-5");
}

TEST(ListingText, TokensSplitAtSpacesAndTrimTheRest) {
    Text s = "alpha   beta gamma ";
    EXPECT_EQ(NextToken(s), "alpha");
    EXPECT_EQ(s, "beta gamma");
    EXPECT_EQ(NextToken(s), "beta");
    EXPECT_EQ(NextToken(s), "gamma");
    EXPECT_EQ(s, "");
    EXPECT_EQ(NextToken(s), "");

    Text leading = " x y";
    EXPECT_EQ(NextToken(leading), "");
    EXPECT_EQ(leading, "x y");

    EXPECT_EQ(TokenN("a b c d e f", 5), "e");
    EXPECT_EQ(TokenN("a b", 5), "-");
    EXPECT_EQ(TokenN("a *MEM", 2), "*MEM");

    Text bracket = "[GROUP,JOHN]  (RWED,RWED,RE,)";
    EXPECT_EQ(BracketToken(bracket), "[GROUP,JOHN]");
    EXPECT_EQ(bracket, "(RWED,RWED,RE,)");
    Text none = "  no bracket ";
    EXPECT_EQ(BracketToken(none), "");
    EXPECT_EQ(none, "no bracket");
}

TEST(ListingText, BlankOutAndTrim) {
    EXPECT_EQ(BlankOut(std::string_view("a\tb\r\n\x1b\x1c", 7)), std::string("a b   \x1c"));
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\ta "), "\ta");
    EXPECT_EQ(Trim("    "), "");
    EXPECT_EQ(WithoutExtension("MY.DIRECTORY"), "MY");
    EXPECT_EQ(WithoutExtension("a.b.c"), "a.b");
    EXPECT_EQ(WithoutExtension("plain"), "plain");
}

TEST(ListingText, UnixFieldRebuildDropsTheLinkCountAndFindsOwnerAndGroup) {
    std::array<Text, 20> t{};
    const char* words[] = {"2", "owner", "group", "4096", "Jan", "15", "10:30", "pub"};
    for (size_t i = 0; i < std::size(words); ++i)
        t[i + 1] = words[i];
    EXPECT_EQ(UnixFieldRebuild(t), "owner group 4096 Jan 15 10:30 pub" + std::string(12, ' '));

    // "@" tokens between owner, group and size are skipped.
    const char* at[] = {"1", "me", "@", "staff", "@", "9", "Feb", "1", "2001", "f"};
    std::array<Text, 20> u{};
    for (size_t i = 0; i < std::size(at); ++i)
        u[i + 1] = at[i];
    EXPECT_EQ(UnixFieldRebuild(u).rfind("me staff 9 Feb ", 0), 0u) << UnixFieldRebuild(u);

    std::array<Text, 20> none{};
    none[1] = "1";
    none[2] = "x";
    EXPECT_EQ(UnixFieldRebuild(none), "BAD INPUT LINE!");
}

} // namespace
