#include "ListingText.h"

#include <limits>

namespace listing {

namespace {

constexpr const char* kMonths[12] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",
                                     "MAY",     "JUNE",     "JULY",      "AUGUST",
                                     "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};

char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1-based, inclusive character range, clipped to the text.
Text chars(Text s, size_t from, size_t to) {
    if (from < 1) from = 1;
    if (to > s.size()) to = s.size();
    if (from > to) return {};
    return s.substr(from - 1, to - from + 1);
}

// First "-", or when there is none the first "/".
size_t dateSeparator(Text s) {
    size_t p = s.find('-');
    return p != Text::npos ? p : s.find('/');
}

} // namespace

QByteArray BlankOut(Text s) {
    QByteArray out(qsizetype(s.size()), Qt::Uninitialized);
    char* d = out.data();
    for (char c : s) *d++ = (static_cast<unsigned char>(c) < 28) ? ' ' : c;
    return out;
}

Text Trim(Text s) {
    size_t b = s.find_first_not_of(' ');
    if (b == Text::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

Text NextToken(Text& s) {
    if (s.empty()) return {};
    size_t p = s.find(' ');
    if (p == Text::npos) p = s.size();
    Text token = s.substr(0, p);
    s = Trim(s.substr(p));
    return token;
}

Text TokenN(Text s, int n) {
    Text token;
    for (int i = 0; i < n; ++i) token = NextToken(s);
    return token.empty() ? Text("-") : token;
}

Text BracketToken(Text& s) {
    size_t p = s.find(']');
    if (p == Text::npos) {
        s = Trim(s);
        return {};
    }
    Text token = s.substr(0, p + 1);
    s = Trim(s.substr(p + 1));
    return token;
}

int64_t LeadingInteger(Text s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int base = 10;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (; i < s.size(); ++i) {
        int digit = base == 16 ? hexValue(s[i]) : (isDigit(s[i]) ? s[i] - '0' : -1);
        if (digit < 0) break;
        if (value > (kMax - digit) / base) {
            value = kMax;
        } else {
            value = value * base + digit;
        }
    }
    return negative ? -value : value;
}

QByteArray TwoDigits(int64_t n) {
    QByteArray text = QByteArray::number(qint64(n));
    if (text.size() < 2) text.prepend('0');
    return text;
}

int MonthNumber(Text token) {
    if (token.empty() || token.size() > 9) return 0;
    char buf[9];
    for (size_t i = 0; i < token.size(); ++i) buf[i] = upper(token[i]);
    Text up(buf, token.size());
    for (int m = 0; m < 12; ++m) {
        if (Text(kMonths[m]).find(up) != Text::npos) return m + 1;
    }
    return 0;
}

QByteArray ListingTime(Text token) {
    QByteArray t = toBytes(token).toUpper();
    if (t.size() < 6) return t;
    // "3:45PM": a one-digit hour would otherwise give a malformed time.
    if (t.at(1) == ':') t.prepend('0');
    if (t.contains("PM")) {
        int64_t h = LeadingInteger(Text(t.constData(), 2));
        if (h < 12) h += 12;
        return TwoDigits(h) + t.mid(2, 3);
    }
    return t.left(5);
}

QByteArray NormaliseDate(Text d) {
    size_t p = dateSeparator(d);
    if (p == Text::npos) return toBytes(d);
    QByteArray a = TwoDigits(LeadingInteger(d.substr(0, p)));
    Text rest = d.substr(p + 1);
    size_t q = dateSeparator(rest);
    if (q == Text::npos) return toBytes(d);
    QByteArray b = toBytes(rest.substr(0, q)).toUpper();
    Text c = rest.substr(q + 1);
    QByteArray result;
    result.reserve(a.size() + b.size() + qsizetype(c.size()) + 2);
    if (!b.isEmpty() && isDigit(b.at(0))) {
        result.append(a).append('/').append(b);
    } else {
        int month = MonthNumber(Text(b.constData(), size_t(b.size())));
        if (month != 0) b = TwoDigits(month);
        result.append(b).append('/').append(a);
    }
    result.append('/').append(c.data(), qsizetype(c.size()));
    return result;
}

QByteArray DosDate(Text token) {
    QByteArray t = toBytes(token).replace('-', '/');
    Text tv(t.constData(), size_t(t.size()));
    int64_t y = LeadingInteger(chars(tv, 7, 8));
    int64_t year = y < 30 ? y + 2000 : y + 1900;
    return toBytes(chars(tv, 1, 6)) + QByteArray::number(qint64(year));
}

Text WithoutExtension(Text name) {
    size_t p = name.rfind('.');
    return p == Text::npos ? name : name.substr(0, p);
}

QByteArray UnixFieldRebuild(const std::array<Text, 20>& t) {
    int i = 0;
    while (i < 20 && MonthNumber(t[size_t(i)]) == 0) ++i;
    if (i == 20) return QByteArrayLiteral("BAD INPUT LINE!");
    Text found[2];
    int met = 0;
    for (int j = i - 2; j >= 0 && met < 2; --j) {
        if (t[size_t(j)] == "@") continue;
        found[met++] = t[size_t(j)];
    }
    const Text group = found[0], owner = found[1];
    QByteArray out;
    out.reserve(96);
    out.append(owner.data(), qsizetype(owner.size())).append(' ');
    out.append(group.data(), qsizetype(group.size())).append(' ');
    for (int j = i - 1; j < 20; ++j) out.append(t[size_t(j)].data(), qsizetype(t[size_t(j)].size())).append(' ');
    return out;
}

} // namespace listing
