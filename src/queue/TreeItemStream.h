// The tree item stream: the binary file form of the queue trees and of the site tree.
//
// A file is one item record for an invisible root whose children are the top-level
// items. Every record carries the version marker -10, the main text, a 48-byte state
// block, a hint text, the column texts and the child records, all little-endian, texts
// as 8-bit bytes preceded by a signed 32-bit length.
//
// Reading trusts nothing in the file: every length is checked against the bytes left,
// nesting is bounded, and a damaged file stops the read with a message while the
// records read before the damage stay in the tree.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <cstdint>
#include <vector>

// The 48-byte state block. Defaults are the values written for queue items.
struct TreeItemState {
    enum Flag : uint16_t {
        Focused = 1 << 1,
        Selected = 1 << 2,
        Cut = 1 << 3,
        Underlined = 1 << 4,
        Bold = 1 << 5,
        Italic = 1 << 6,
        Expanded = 1 << 7,
        StruckOut = 1 << 8,
    };

    uint16_t flags = 0;
    int32_t imageIndex = -1;
    int32_t stateImageIndex = -1;
    int32_t forceButtons = 0;
    int32_t textColour = 0;
    int32_t rowBackgroundColour = 0;
    int32_t backgroundColour = 0;
    uint8_t parentColours = 1;
    uint8_t parentStyle = 1;
    uint8_t checkBoxEnabled = 1;
    uint8_t checkBoxState = 0;
    uint8_t showCheckBox = 0;
    uint8_t checkBoxType = 0;
    int32_t secondImageIndex = -1;
    int32_t secondStateImageIndex = -1;
    uint8_t enabled = 1;
    uint8_t hidden = 0;
    uint8_t useBackgroundColour = 1;

    bool operator==(const TreeItemState&) const = default;
};

struct TreeRecord {
    QByteArray text;
    TreeItemState state;
    QByteArray hint;
    QByteArrayList columns;
    std::vector<TreeRecord> children;

    bool operator==(const TreeRecord&) const = default;
};

namespace treestream {

constexpr int32_t kVersionMarker = -10;
constexpr int kBlockSize = 48;
// Deeper nesting than any folder tree can have is taken for a damaged file.
constexpr int kMaxDepth = 4096;

QByteArray Write(const TreeRecord& root);

// Empties root and reads the stream into it. On damage returns false with a message
// in *error; root then holds the complete records read before the damage.
bool Read(const QByteArray& data, TreeRecord& root, QString* error);

// Writes the whole tree to path. The old file is replaced only once the new one has
// been written completely.
bool SaveFile(const TreeRecord& root, const QString& path, QString* error);

// Empties root and reads the file into it (see Read).
bool LoadFile(TreeRecord& root, const QString& path, QString* error);

} // namespace treestream
