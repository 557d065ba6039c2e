#include "FtpReply.h"
#include "TestLoop.h"

#include <gtest/gtest.h>

namespace {

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
        if (c.ok) EXPECT_EQ(port, c.port) << c.reply;
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

TEST(ReplyValues, Size) {
    EXPECT_EQ(FtpReply::size(QStringLiteral("213 5368709120")), 5368709120LL); // over 4 GiB
    EXPECT_EQ(FtpReply::size(QStringLiteral("213  42 bytes")), 42);
    EXPECT_EQ(FtpReply::size(QStringLiteral("213 unknown")), 0);
    EXPECT_EQ(FtpReply::size(QStringLiteral("213")), 0);
}

} // namespace
