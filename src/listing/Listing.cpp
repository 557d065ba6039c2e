#include "Listing.h"

#include "ListingText.h"

#include <QDate>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

using namespace listing;

namespace {

// The fields of one entry; texts point into the parser's buffers or own short strings.
struct Entry {
    Text name, size, type, linkTarget, attributes, owner, group;
    std::string ownSize, date, time;
    bool sizeOwned = false;
};

// Buffers reused from line to line, so a line costs no allocation until its entry is
// stored.
struct Scratch {
    std::string blanked, rebuilt, continuation, composed;
    std::string year;
};

// Splits at CR LF, LF or CR; the views point into data.
std::vector<Text> splitLines(const QByteArray& data) {
    std::vector<Text> lines;
    lines.reserve(size_t(data.count('\n') + 1));
    const char* p = data.constData();
    const char* const end = p + data.size();
    const char* start = p;
    for (; p < end; ++p) {
        if (*p != '\r' && *p != '\n') continue;
        lines.emplace_back(start, size_t(p - start));
        if (*p == '\r' && p + 1 < end && p[1] == '\n') ++p;
        start = p + 1;
    }
    if (start < end) lines.emplace_back(start, size_t(end - start));
    return lines;
}

// The first line that is not empty, cut to 299 characters, holds ":[" in a VMS listing.
bool vmsHintOf(const std::vector<Text>& lines) {
    for (Text line : lines) {
        if (!line.empty()) return line.substr(0, 299).find(":[") != Text::npos;
    }
    return false;
}

bool vmsListing(const std::vector<Text>& lines, bool hint) {
    for (Text raw : lines) {
        if (raw.empty()) continue;
        const Text first = Trim(raw);
        if (first.empty()) return hint;
        const size_t colon = first.find(':');
        const size_t next = colon == Text::npos ? 0 : colon + 1;
        if (next < first.size() && first[next] == '[' && first.back() == ']') return true;
        return hint;
    }
    return hint;
}

// The line with control characters blanked out; a copy is made only when it has any.
Text blanked(Text raw, std::string& buffer) {
    for (char c : raw) {
        if (static_cast<unsigned char>(c) < 28) {
            BlankOutInto(raw, buffer);
            return buffer;
        }
    }
    return raw;
}

bool looksUnix(Text line) {
    if (line.size() < 8) return false;
    for (size_t i = 0; i < 8; ++i) {
        switch (line[i]) {
        case 'c':
        case 'l':
        case 'd':
        case 'w':
        case 'r':
        case 'x':
        case '-':
            break;
        default:
            return false;
        }
    }
    return true;
}

bool looksDos(Text line) {
    if (line.size() < 6) return false;
    return (line[2] == '-' && line[5] == '-') || (line[2] == '/' && line[5] == '/');
}

void parseUnix(Text line, Scratch& scratch, Entry& e) {
    e.attributes = NextToken(line);
    if (!e.attributes.empty() && e.attributes[0] == 'd') e.type = "<DIR>";
    std::array<Text, 20> t{};
    for (size_t i = 1; i < t.size(); ++i)
        t[i] = NextToken(line);
    // A line without a month token is rebuilt as "BAD INPUT LINE!", which leaves no
    // name, so the line is dropped.
    UnixFieldRebuildInto(t, scratch.rebuilt);
    Text s = scratch.rebuilt;
    e.owner = NextToken(s);
    e.group = NextToken(s);
    e.size = NextToken(s);
    const Text month = NextToken(s);
    const Text day = NextToken(s);
    std::string tt = ListingTime(NextToken(s));
    const bool hasTime = tt.find(':') != std::string::npos;
    std::string& composed = scratch.composed;
    composed.assign(day).append(1, '/').append(month).append(1, '/').append(hasTime ? scratch.year
                                                                                    : tt);
    if (hasTime) {
        e.time = std::move(tt);
    } else {
        e.time = "00:00";
    }
    e.date = NormaliseDate(NormaliseDate(composed));
    const size_t arrow = s.find("->");
    if (arrow == Text::npos) {
        e.name = s;
    } else {
        e.name = Trim(s.substr(0, arrow));
        e.linkTarget = Trim(s.substr(arrow + 2));
    }
}

void parseDos(Text line, Entry& e) {
    e.date = DosDate(NextToken(line));
    e.time = ListingTime(NextToken(line));
    const Text t = NextToken(line);
    if (!t.empty() && t[0] != '<') {
        e.size = t;
    } else {
        e.type = t;
    }
    e.name = line;
}

void parseAs400(Text line, Entry& e) {
    static constexpr Text kTypes[] = {"*DDIR", "*DIR",   "*LIB",  "*MEM", "*FLR", "*BLKSF",
                                      "*DOC",  "*DSTMF", "*FILE", "*PGM", "*STMF"};
    NextToken(line); // the owner, not kept
    const Text size = NextToken(line);
    Text type;
    if (size == "*MEM") {
        e.size = "N/A";
        e.date = e.time = "N/A";
        type = size;
    } else {
        e.size = size;
        e.date = NextToken(line);
        e.time = NextToken(line);
        type = NextToken(line);
    }
    if (std::find(std::begin(kTypes), std::end(kTypes), type) == std::end(kTypes)) return;
    e.name = line;
    if (type == "*DIR" || type == "*DDIR" || type == "*LIB" || type == "*FLR") e.type = "<DIR>";
}

// A VMS name alone on its line continues on the next line, which is consumed.
void parseVms(Text line, std::vector<Text>& lines, size_t index, Scratch& scratch, Entry& e) {
    const Text name = NextToken(line);
    if (line.empty() && index + 1 < lines.size()) {
        line = Trim(blanked(lines[index + 1], scratch.continuation));
        lines[index + 1] = {};
    }
    int64_t bytesUsed = 0;
    if (__builtin_mul_overflow(LeadingInteger(NextToken(line)), int64_t(512), &bytesUsed)) {
        bytesUsed = std::numeric_limits<int64_t>::max();
    }
    e.ownSize = std::to_string(bytesUsed);
    e.sizeOwned = true;
    const Text date = NextToken(line);
    e.time = ListingTime(NextToken(line));
    e.date = NormaliseDate(date);
    e.group = BracketToken(line);
    e.attributes = NextToken(line);
    const size_t semicolon = name.find(';');
    const Text base = semicolon == Text::npos ? Text() : name.substr(0, semicolon);
    std::string upperName(name);
    for (char& c : upperName)
        c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    if (upperName.find(".DIR") != std::string::npos) {
        e.type = "<DIR>";
        e.name = WithoutExtension(base);
    } else {
        e.name = base;
    }
}

void parseLines(std::vector<Text>& lines, bool vmsHint, int currentYear, ListingColumns& out) {
    out.clear();
    if (lines.empty()) return;
    const bool vms = vmsListing(lines, vmsHint);
    Scratch scratch;
    scratch.year = std::to_string(currentYear != 0 ? currentYear : QDate::currentDate().year());
    for (ListingTexts* list : {&out.names, &out.sizes, &out.types, &out.dates, &out.times,
                               &out.linkTargets, &out.attributes, &out.owners, &out.groups}) {
        list->reserve(lines.size());
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const Text line = Trim(blanked(lines[i], scratch.blanked));
        if (line.empty()) continue;
        Entry e;
        if (vms) {
            parseVms(line, lines, i, scratch, e);
        } else if (looksUnix(line)) {
            parseUnix(line, scratch, e);
        } else if (looksDos(line)) {
            parseDos(line, e);
        } else if (TokenN(line, 5)[0] == '*' || TokenN(line, 2)[0] == '*') {
            parseAs400(line, e);
        }
        // Names are cut from blanked, trimmed text, so an empty name is the only one
        // that trims to nothing.
        if (e.name.empty()) continue;
        out.names.emplace_back(e.name);
        out.sizes.emplace_back(e.sizeOwned ? Text(e.ownSize) : e.size);
        out.types.emplace_back(e.type);
        out.dates.push_back(std::move(e.date));
        out.times.push_back(std::move(e.time));
        out.linkTargets.emplace_back(e.linkTarget);
        out.attributes.emplace_back(e.attributes);
        out.owners.emplace_back(e.owner);
        out.groups.emplace_back(e.group);
    }
}

} // namespace

void ListingColumns::clear() {
    for (ListingTexts* list :
         {&names, &sizes, &types, &dates, &times, &linkTargets, &attributes, &owners, &groups}) {
        list->clear();
    }
}

void ParseListing(ListingColumns& columns, bool vmsHint, int currentYear) {
    std::vector<Text> lines;
    lines.reserve(columns.names.size());
    for (const std::string& raw : columns.names)
        lines.emplace_back(raw);
    ListingColumns out;
    parseLines(lines, vmsHint, currentYear, out);
    columns = std::move(out);
}

void ReadListingFile(const QString& file, ListingColumns& columns) {
    columns.clear();
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return;
    const QByteArray data = f.readAll();
    std::vector<Text> lines = splitLines(data);
    parseLines(lines, vmsHintOf(lines), 0, columns);
}
