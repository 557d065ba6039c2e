#include "TreeItemStream.h"
#include "Scratch.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray le32(int32_t v) {
    const uint32_t u = uint32_t(v);
    const char b[4] = {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
    return QByteArray(b, 4);
}

QByteArray text(const QByteArray& t) {
    return le32(int32_t(t.size())) + t;
}

// The state block as written for queue items, with the given flags and image index.
QByteArray defaultBlock(uint16_t flags, int32_t image) {
    QByteArray b;
    b += char(flags & 0xff);
    b += char(flags >> 8);
    b += QByteArray(2, '\0');
    b += le32(image) + le32(-1) + le32(0) + le32(0) + le32(0) + le32(0);
    b += QByteArray::fromHex("010101000000") + QByteArray(2, '\0');
    b += le32(-1) + le32(-1);
    b += QByteArray::fromHex("01000100");
    return b;
}

TreeRecord fileItem(const QByteArray& path, int state) {
    TreeRecord r;
    r.text = path;
    r.state.imageIndex = state;
    r.columns = {"download", "/home/u/" + path, "1234", "waiting",
                 "0",        "ftp.example.org", "user", "\xf0\xe1\xf3\xf3"};
    return r;
}

TEST(TreeItemStream, EmptyTreeIsSeventyFourBytesExactly) {
    const QByteArray expected = le32(-10) + text("") + defaultBlock(0, -1) + QByteArray(1, '\1') +
                                le32(-1) + text("") + le32(0) + QByteArray(1, '\0') + le32(0);
    const QByteArray written = treestream::Write(TreeRecord());
    EXPECT_EQ(written.size(), 74);
    EXPECT_EQ(written.toHex(' '), expected.toHex(' '));
}

TEST(TreeItemStream, FolderRecordHoldsItsChildrenAfterItsOwnColumns) {
    TreeRecord folder = fileItem("pub", 9);
    folder.state.flags = TreeItemState::Expanded;
    folder.children.push_back(fileItem("a.txt", 1));
    TreeRecord root;
    root.children.push_back(folder);

    QByteArray expectedFolder = le32(-10) + text("pub") + defaultBlock(TreeItemState::Expanded, 9) +
                                QByteArray(1, '\1') + le32(-1) + text("") + le32(8);
    for (const QByteArray& c : folder.columns)
        expectedFolder += text(c);
    expectedFolder += QByteArray(1, '\0') + le32(1);
    QByteArray expectedChild = le32(-10) + text("a.txt") + defaultBlock(0, 1) +
                               QByteArray(1, '\1') + le32(-1) + text("") + le32(8);
    for (const QByteArray& c : folder.children[0].columns)
        expectedChild += text(c);
    expectedChild += QByteArray(1, '\0') + le32(0);

    const QByteArray written = treestream::Write(root);
    EXPECT_EQ(written.mid(74 - 4 + 4).toHex(' '), (expectedFolder + expectedChild).toHex(' '));
    EXPECT_EQ(written.mid(74 - 4, 4), le32(1)); // the root's child count

    TreeRecord back;
    QString error;
    ASSERT_TRUE(treestream::Read(written, back, &error)) << error.toStdString();
    EXPECT_EQ(back, root);
}

TEST(TreeItemStream, QueueRoundTripKeepsTextsStatesAndOrder) {
    TreeRecord root;
    for (int i = 0; i < 50; ++i)
        root.children.push_back(fileItem("/f" + QByteArray::number(i), i % 15));
    root.children[3].children.push_back(fileItem("inner", 2));
    root.children[3].children[0].children.push_back(fileItem("deeper", 3));
    root.children[7].hint = "a hint";
    root.children[7].state.textColour = 0x123456;
    root.children[7].state.hidden = 1;

    const QString path = scratchDir() + QStringLiteral("/roundtrip.uque");
    QString error;
    ASSERT_TRUE(treestream::SaveFile(root, path, &error)) << error.toStdString();
    TreeRecord back;
    ASSERT_TRUE(treestream::LoadFile(back, path, &error)) << error.toStdString();
    EXPECT_EQ(back, root);
}

TEST(TreeItemStream, FocusedBitIsNotWrittenAndSelectionIsNotRead) {
    TreeRecord root;
    root.children.push_back(fileItem("x", 0));
    root.children[0].state.flags = TreeItemState::Focused | TreeItemState::Bold;
    QByteArray data = treestream::Write(root);
    const qsizetype flagsAt = 74 + 4 + 4 + 1; // root, marker, length of "x" and "x"
    EXPECT_EQ(uint8_t(data[flagsAt]), TreeItemState::Bold);

    data[flagsAt] = char(TreeItemState::Focused | TreeItemState::Selected | TreeItemState::Cut);
    TreeRecord back;
    ASSERT_TRUE(treestream::Read(data, back, nullptr));
    EXPECT_EQ(back.children[0].state.flags, TreeItemState::Cut);
}

TEST(TreeItemStream, ReadsRecordsWithoutAMarker) {
    // Root without marker and without hint, one child without marker but with a hint.
    const QByteArray data = text("") + le32(0) + le32(1) + //
                            text("old") + le32(-1) + text("h") + le32(2) + text("c1") + text("c2") +
                            le32(0);
    TreeRecord back;
    QString error;
    ASSERT_TRUE(treestream::Read(data, back, &error)) << error.toStdString();
    ASSERT_EQ(back.children.size(), 1u);
    EXPECT_EQ(back.children[0].text, "old");
    EXPECT_EQ(back.children[0].hint, "h");
    EXPECT_EQ(back.children[0].columns, (QByteArrayList{"c1", "c2"}));
    EXPECT_EQ(back.children[0].state, TreeItemState());
}

struct Damage {
    const char* label;
    qsizetype offset; // where in the one-item file the bytes are replaced; negative: from the end
    QByteArray bytes;
    size_t kept = 0; // complete items still read
};

void PrintTo(const Damage& d, std::ostream* os) {
    *os << d.label;
}

class DamagedStreamTest : public ::testing::TestWithParam<Damage> {};

// Offsets into a file holding one item "x" with 8 columns under the root.
constexpr qsizetype kItem = 74 - 4 + 4;                 // the item's marker
constexpr qsizetype kItemText = kItem + 4;              // its text length
constexpr qsizetype kItemHint = kItemText + 5 + 49 + 4; // its hint length
constexpr qsizetype kItemColumns = kItemHint + 4;

TEST_P(DamagedStreamTest, IsRefusedWithAMessage) {
    TreeRecord root;
    root.children.push_back(fileItem("x", 1));
    QByteArray data = treestream::Write(root);
    const qsizetype at =
        GetParam().offset < 0 ? data.size() + GetParam().offset : GetParam().offset;
    data.replace(at, GetParam().bytes.size(), GetParam().bytes);
    TreeRecord back;
    QString error;
    EXPECT_FALSE(treestream::Read(data, back, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(back.children.size(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    TreeItemStream, DamagedStreamTest,
    ::testing::Values(Damage{"negative_text_length", kItemText, le32(-5)},
                      Damage{"absurd_text_length", kItemText, le32(0x7fffffff)},
                      Damage{"unknown_marker", kItem, le32(-9)},
                      Damage{"negative_hint_length", kItemHint, le32(-2)},
                      Damage{"negative_column_count", kItemColumns, le32(-3)},
                      Damage{"absurd_column_count", kItemColumns, le32(0x40000000)},
                      Damage{"root_child_count_absurd", 70, le32(0x7fffffff), 1},
                      Damage{"root_child_count_negative", 70, le32(-1)},
                      Damage{"use_styles_set", -5, QByteArray(1, '\1')}));

TEST(TreeItemStream, TruncationAtAnyByteKeepsTheCompleteItems) {
    TreeRecord root;
    for (int i = 0; i < 3; ++i)
        root.children.push_back(fileItem("/top" + QByteArray::number(i), 1));
    root.children[1].children.push_back(fileItem("child", 2));
    const QByteArray data = treestream::Write(root);
    const qsizetype secondEnds = treestream::Write(TreeRecord()).size() +
                                 treestream::Write(root.children[0]).size() +
                                 treestream::Write(root.children[1]).size();
    for (qsizetype cut = 0; cut < data.size(); ++cut) {
        TreeRecord back;
        QString error;
        ASSERT_FALSE(treestream::Read(data.left(cut), back, &error)) << cut;
        ASSERT_FALSE(error.isEmpty());
        // Everything read before the damage stays, and only complete records.
        for (const TreeRecord& item : back.children)
            ASSERT_EQ(item.columns.size(), 8) << cut;
        if (cut >= secondEnds) {
            ASSERT_EQ(back.children.size(), 2u) << cut;
        }
    }
}

TEST(TreeItemStream, DeepNestingIsRefused) {
    QByteArray data;
    const int depth = treestream::kMaxDepth + 10;
    for (int i = 0; i < depth; ++i)
        data += text("") + le32(0) + le32(1);
    data += text("") + le32(0) + le32(0);
    TreeRecord back;
    QString error;
    EXPECT_FALSE(treestream::Read(data, back, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("nested"))) << error.toStdString();
}

TEST(TreeItemStream, FileErrorsAreReported) {
    QString error;
    TreeRecord back;
    back.children.push_back(TreeRecord());
    EXPECT_FALSE(treestream::LoadFile(back, scratchDir() + QStringLiteral("/none.uque"), &error));
    EXPECT_TRUE(back.children.empty()); // emptied before the open failed
    EXPECT_FALSE(treestream::SaveFile(
        TreeRecord(), scratchDir() + QStringLiteral("/no/such/dir/q.uque"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(TreeItemStream, SavingReplacesTheOldFileWhole) {
    const QString path = scratchDir() + QStringLiteral("/replace.uque");
    TreeRecord big;
    for (int i = 0; i < 100; ++i)
        big.children.push_back(fileItem("x", 1));
    ASSERT_TRUE(treestream::SaveFile(big, path, nullptr));
    ASSERT_TRUE(treestream::SaveFile(TreeRecord(), path, nullptr));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.size(), 74);
}

} // namespace
