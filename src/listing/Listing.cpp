#include "Listing.h"

#include "ListingText.h"

#include <QDate>
#include <QFile>

#include <algorithm>
#include <limits>

using namespace listing;

namespace {

struct Entry {
    QByteArray name, size, type, date, time, linkTarget, attributes, owner, group;
};

Text view(const QByteArray& b) { return Text(b.constData(), size_t(b.size())); }

// Splits at CR LF, LF or CR.
QByteArrayList splitLines(const QByteArray& data) {
    QByteArrayList lines;
    const char* p = data.constData();
    const char* end = p + data.size();
    const char* start = p;
    while (p < end) {
        if (*p == '\r' || *p == '\n') {
            lines.append(QByteArray(start, p - start));
            if (*p == '\r' && p + 1 < end && p[1] == '\n') ++p;
            start = ++p;
        } else {
            ++p;
        }
    }
    if (start < end) lines.append(QByteArray(start, end - start));
    return lines;
}

// The first line that is not empty, cut to 299 characters, holds ":[" in a VMS listing.
bool vmsHintOf(const QByteArrayList& lines) {
    for (const QByteArray& line : lines) {
        if (!line.isEmpty()) return line.left(299).contains(":[");
    }
    return false;
}

bool looksUnix(Text line) {
    if (line.size() < 8) return false;
    for (size_t i = 0; i < 8; ++i) {
        switch (line[i]) {
        case 'c': case 'l': case 'd': case 'w': case 'r': case 'x': case '-': break;
        default: return false;
        }
    }
    return true;
}

bool looksDos(Text line) {
    if (line.size() < 6) return false;
    return (line[2] == '-' && line[5] == '-') || (line[2] == '/' && line[5] == '/');
}

void parseUnix(Text line, int year, Entry& e) {
    Text attributes = NextToken(line);
    e.attributes = toBytes(attributes);
    if (!attributes.empty() && attributes[0] == 'd') e.type = QByteArrayLiteral("<DIR>");
    std::array<Text, 20> t{};
    for (size_t i = 1; i < t.size(); ++i) t[i] = NextToken(line);
    const QByteArray rebuilt = UnixFieldRebuild(t);
    Text s = view(rebuilt);
    e.owner = toBytes(NextToken(s));
    e.group = toBytes(NextToken(s));
    e.size = toBytes(NextToken(s));
    const QByteArray month = toBytes(NextToken(s));
    const QByteArray day = toBytes(NextToken(s));
    const QByteArray tt = ListingTime(NextToken(s));
    QByteArray date;
    if (tt.contains(':')) {
        date = NormaliseDate(view(day + '/' + month + '/' + QByteArray::number(year)));
        e.time = tt;
    } else {
        date = NormaliseDate(view(day + '/' + month + '/' + tt));
        e.time = QByteArrayLiteral("00:00");
    }
    e.date = NormaliseDate(view(date));
    // A line without a month token was rebuilt as "BAD INPUT LINE!", which leaves no
    // name, so the line is dropped.
    const size_t arrow = s.find("->");
    if (arrow == Text::npos) {
        e.name = toBytes(s);
    } else {
        e.name = toBytes(Trim(s.substr(0, arrow)));
        e.linkTarget = toBytes(Trim(s.substr(arrow + 2)));
    }
}

void parseDos(Text line, Entry& e) {
    e.date = DosDate(NextToken(line));
    e.time = ListingTime(NextToken(line));
    Text t = NextToken(line);
    if (!t.empty() && t[0] != '<') {
        e.size = toBytes(t);
    } else {
        e.type = toBytes(t);
    }
    e.name = toBytes(line);
}

void parseAs400(Text line, Entry& e) {
    static const Text kTypes[] = {"*DDIR", "*DIR", "*LIB",  "*MEM",  "*FLR", "*BLKSF",
                                  "*DOC",  "*DSTMF", "*FILE", "*PGM", "*STMF"};
    NextToken(line); // owner, not kept
    Text size = NextToken(line);
    Text type;
    if (size == "*MEM") {
        e.size = e.date = e.time = QByteArrayLiteral("N/A");
        type = size;
    } else {
        e.size = toBytes(size);
        e.date = toBytes(NextToken(line));
        e.time = toBytes(NextToken(line));
        type = NextToken(line);
    }
    e.name = toBytes(line);
    if (std::find(std::begin(kTypes), std::end(kTypes), type) == std::end(kTypes)) e.name.clear();
    if (type == "*DIR" || type == "*DDIR" || type == "*LIB" || type == "*FLR") {
        e.type = QByteArrayLiteral("<DIR>");
    }
}

// A VMS name alone on its line continues on the next line, which is consumed.
void parseVms(Text line, QByteArrayList& names, qsizetype index, Entry& e) {
    QByteArray name = toBytes(NextToken(line));
    QByteArray continuation;
    if (line.empty() && index + 1 < names.size()) {
        continuation = BlankOut(view(names[index + 1]));
        line = Trim(view(continuation));
        names[index + 1].clear();
    }
    const int64_t blocks = LeadingInteger(NextToken(line));
    int64_t bytes = 0;
    if (__builtin_mul_overflow(blocks, int64_t(512), &bytes)) {
        bytes = blocks < 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    }
    e.size = QByteArray::number(qint64(bytes));
    const Text date = NextToken(line);
    e.time = ListingTime(NextToken(line));
    e.date = NormaliseDate(date);
    e.group = toBytes(BracketToken(line));
    e.attributes = toBytes(NextToken(line));
    const qsizetype semicolon = name.indexOf(';');
    const QByteArray base = semicolon < 0 ? QByteArray() : name.left(semicolon);
    if (name.toUpper().contains(".DIR")) {
        e.type = QByteArrayLiteral("<DIR>");
        e.name = toBytes(WithoutExtension(view(base)));
    } else {
        e.name = base;
    }
}

bool vmsListing(const QByteArrayList& names, bool hint) {
    for (const QByteArray& raw : names) {
        if (raw.isEmpty()) continue;
        Text first = Trim(view(raw));
        if (first.empty()) return hint;
        size_t colon = first.find(':');
        size_t next = colon == Text::npos ? 0 : colon + 1;
        if (next < first.size() && first[next] == '[' && first.back() == ']') return true;
        return hint;
    }
    return hint;
}

} // namespace

void ListingColumns::clear() {
    for (QByteArrayList* list :
         {&names, &sizes, &types, &dates, &times, &linkTargets, &attributes, &owners, &groups}) {
        list->clear();
    }
}

void ParseListing(ListingColumns& columns, bool vmsHint, int currentYear) {
    QByteArrayList& names = columns.names;
    const qsizetype n = names.size();
    ListingColumns out;
    if (n == 0) {
        columns = out;
        return;
    }
    const bool vms = vmsListing(names, vmsHint);
    const int year = currentYear != 0 ? currentYear : QDate::currentDate().year();
    for (QByteArrayList* list : {&out.names, &out.sizes, &out.types, &out.dates, &out.times,
                                 &out.linkTargets, &out.attributes, &out.owners, &out.groups}) {
        list->reserve(n);
    }
    for (qsizetype i = 0; i < n; ++i) {
        const QByteArray blanked = BlankOut(view(names[i]));
        const Text line = Trim(view(blanked));
        if (line.empty()) continue;
        Entry e;
        if (vms) {
            parseVms(line, names, i, e);
        } else if (looksUnix(line)) {
            parseUnix(line, year, e);
        } else if (looksDos(line)) {
            parseDos(line, e);
        } else {
            const Text tok5 = TokenN(line, 5), tok2 = TokenN(line, 2);
            if (tok5[0] == '*' || tok2[0] == '*') parseAs400(line, e);
        }
        if (Trim(view(BlankOut(view(e.name)))).empty()) continue;
        out.names.append(std::move(e.name));
        out.sizes.append(std::move(e.size));
        out.types.append(std::move(e.type));
        out.dates.append(std::move(e.date));
        out.times.append(std::move(e.time));
        out.linkTargets.append(std::move(e.linkTarget));
        out.attributes.append(std::move(e.attributes));
        out.owners.append(std::move(e.owner));
        out.groups.append(std::move(e.group));
    }
    columns = std::move(out);
}

void ReadListingFile(const QString& file, ListingColumns& columns) {
    columns.clear();
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return;
    const QByteArray data = f.readAll();
    columns.names = splitLines(data);
    const bool hint = vmsHintOf(columns.names);
    ParseListing(columns, hint);
}
