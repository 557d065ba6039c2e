#include "FtpReply.h"
#include "TestLoop.h"

#include <gtest/gtest.h>

namespace {

void feed(FtpReplyReader& reader, const char* bytes) {
    reader.append(bytes, int(qstrlen(bytes)));
}

struct CodeCase {
    const char* line;
    int code;
    bool final;
};

class ReplyCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(ReplyCode, CodeAndEnd) {
    const CodeCase& c = GetParam();
    const QString line = QString::fromUtf8(c.line);
    EXPECT_EQ(FtpReply::code(line), c.code) << c.line;
    EXPECT_EQ(FtpReply::isFinal(line), c.final) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReplyCode,
    ::testing::Values(CodeCase{"220 ready", 220, true}, CodeCase{"230", 230, true},
                      CodeCase{"230-Welcome", 230, false}, // opens a multi-line reply
                      CodeCase{"   continuation text", -1, false},
                      CodeCase{" 230 leading blank", 230, false}, // text of a multi-line reply
                      CodeCase{"", -1, false}, CodeCase{"abc", -1, false},
                      CodeCase{"1234567890123 long", 123456789, true}, // nine digits at most
                      CodeCase{"-5 signed", -5, false}, CodeCase{"550-", 550, false},
                      CodeCase{"226Transfer", 226, true}));

TEST(ReplyValues, PassivePort) {
    struct Case {
        const char* reply;
        bool ok;
        int port;
    };
    for (const Case& c : {
             Case{"227 Entering Passive Mode (127,0,0,1,195,80)", true, 195 * 256 + 80},
             Case{"227 =( 10, 0, 0, 1, 4, 1 )", true, 1025},
             Case{"227 Entering Passive Mode (127,0,0,1,256,1)", false, 0},
             Case{"227 Entering Passive Mode (127,0,0,1,1)", false, 0},
             Case{"227 Entering Passive Mode 127,0,0,1,1,1", false, 0},
             Case{"227 Entering Passive Mode (a,b,c,d,e,f)", false, 0},
             Case{"227 Entering Passive Mode )127,0,0,1,1,1(", false, 0},
         }) {
        int port = 0;
        EXPECT_EQ(FtpReply::passivePort(QString::fromUtf8(c.reply), port), c.ok) << c.reply;
        if (c.ok) {
            EXPECT_EQ(port, c.port) << c.reply;
        }
    }
}

TEST(ReplyValues, QuotedPath) {
    const std::pair<const char*, const char*> cases[] = {
        {"257 \"/home/test\" is the current directory", "/home/test"},
        {"257 \"/a \"\"quoted\"\" dir\" created", "/a \"quoted\" dir"},
        {"257 \"/unterminated", "/unterminated"},
        {"257 /no/quotes", ""},
        {"250 CWD command successful", ""},
        {"257 \"\"", ""},
    };
    for (const auto& [reply, path] : cases)
        EXPECT_EQ(FtpReply::quotedPath(QString::fromUtf8(reply)), QString::fromUtf8(path)) << reply;
}

TEST(ReplyValues, SizesAreSoundNumbersOrUnknown) {
    const std::pair<const char*, qint64> sizes[] = {
        {"213 5368709120", 5368709120LL}, // over 4 GiB
        {"213  42 bytes", 42},
        {"213 0", 0},
        {"213 4611686018427387904", qint64(1) << 62},
        {"213 4611686018427387905", -1},
        {"213 99999999999999999999", -1}, // would overflow
        {"213 -1", -1},
        {"213 +5", -1},
        {"213 12abc", -1},
        {"213 unknown", -1},
        {"213", -1},
    };
    for (const auto& [reply, size] : sizes)
        EXPECT_EQ(FtpReply::size(QString::fromUtf8(reply)), size) << reply;

    const std::pair<const char*, qint64> announced[] = {
        {"150 Opening BINARY mode data connection for big.bin (1048576 bytes)", 1048576},
        {"150 Opening data connection for a.txt (1 byte)", 1},
        {"150 Here comes the directory listing.", -1},
        {"150 Opening (99999999999999999999 bytes)", -1},
        {"150 Opening (-5 bytes)", -1},
    };
    for (const auto& [reply, size] : announced)
        EXPECT_EQ(FtpReply::announcedSize(QString::fromUtf8(reply)), size) << reply;
}

TEST(ReplyReader, SplitsLinesWithinItsLimits) {
    FtpReplyReader reader;
    FtpReplyReader::Line line;
    feed(reader, "230-Welcome\r\n text\r\n230 Done\r\n22");
    ASSERT_EQ(reader.next(line), FtpReplyReader::Result::Line);
    EXPECT_EQ(line.text, QStringLiteral("230-Welcome"));
    EXPECT_FALSE(line.final);
    ASSERT_EQ(reader.next(line), FtpReplyReader::Result::Line);
    EXPECT_EQ(line.code, -1);
    ASSERT_EQ(reader.next(line), FtpReplyReader::Result::Line);
    EXPECT_TRUE(line.final);
    EXPECT_EQ(line.code, 230);
    EXPECT_EQ(reader.next(line), FtpReplyReader::Result::NeedMore);

    // What arrived before a command went out cannot be its reply, even once completed.
    reader.commandSent();
    feed(reader, "0 ok\r\n200 next\r\n");
    ASSERT_EQ(reader.next(line), FtpReplyReader::Result::Line);
    EXPECT_EQ(line.text, QStringLiteral("220 ok"));
    EXPECT_TRUE(line.early);
    ASSERT_EQ(reader.next(line), FtpReplyReader::Result::Line);
    EXPECT_FALSE(line.early);

    // A line that fills the buffer, and a reply that never ends.
    FtpReplyReader full;
    const QByteArray longLine(FtpReplyReader::kBufferSize - 1, 'x');
    full.append(longLine.constData(), int(longLine.size()));
    EXPECT_EQ(full.room(), 0);
    EXPECT_EQ(full.next(line), FtpReplyReader::Result::LineTooLong);
    FtpReplyReader endless;
    FtpReplyReader::Result r = FtpReplyReader::Result::Line;
    int lines = 0;
    while (r == FtpReplyReader::Result::Line) {
        feed(endless, "220-more\r\n");
        r = endless.next(line);
        ++lines;
    }
    EXPECT_EQ(r, FtpReplyReader::Result::ReplyTooLong);
    EXPECT_EQ(lines, FtpReplyReader::kMaxReplyLines + 1);

    // Without AcceptLF only CR LF ends a line.
    FtpReplyReader strict;
    strict.setAcceptLF(false);
    feed(strict, "220 a\n220 b\r\n");
    ASSERT_EQ(strict.next(line), FtpReplyReader::Result::Line);
    EXPECT_EQ(line.text, QStringLiteral("220 a\n220 b"));
}

} // namespace
