#include "ListingText.h"

#include <limits>
#include <unordered_map>

namespace listing {

namespace {

constexpr Text kMonths[12] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                              "MAY",       "JUNE",     "JULY",     "AUGUST",
                              "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

std::string upperCopy(Text s) {
    std::string out(s);
    for (char& c : out)
        c = upper(c);
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

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

void BlankOutInto(Text s, std::string& out) {
    out.assign(s);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 28) c = ' ';
    }
}

Text Trim(Text s) {
    size_t b = s.find_first_not_of(' ');
    if (b == Text::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

Text NextToken(Text& s) {
    const char* p = s.data();
    const char* const end = p + s.size();
    while (p < end && *p != ' ')
        ++p;
    const Text token(s.data(), size_t(p - s.data()));
    while (p < end && *p == ' ')
        ++p;
    const char* e = end;
    while (e > p && e[-1] == ' ')
        --e;
    s = Text(p, size_t(e - p));
    return token;
}

Text TokenN(Text s, int n) {
    Text token;
    for (int i = 0; i < n; ++i)
        token = NextToken(s);
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
    while (i < s.size() && s[i] == ' ')
        ++i;
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
        value = value > (kMax - digit) / base ? kMax : value * base + digit;
    }
    return negative ? -value : value;
}

std::string TwoDigits(int64_t n) {
    std::string text = std::to_string(n);
    if (text.size() < 2) text.insert(text.begin(), '0');
    return text;
}

int MonthNumber(Text token) {
    // Every piece of every month name, with the number of the first month holding it.
    static const std::unordered_map<Text, int> pieces = [] {
        std::unordered_map<Text, int> map;
        for (int m = 0; m < 12; ++m) {
            const Text name = kMonths[m];
            for (size_t from = 0; from < name.size(); ++from) {
                for (size_t len = 1; from + len <= name.size(); ++len)
                    map.try_emplace(name.substr(from, len), m + 1);
            }
        }
        return map;
    }();
    if (token.empty() || token.size() > 9) return 0;
    char buf[9];
    for (size_t i = 0; i < token.size(); ++i) {
        buf[i] = upper(token[i]);
        if (buf[i] < 'A' || buf[i] > 'Z') return 0; // month names hold letters only
    }
    const auto it = pieces.find(Text(buf, token.size()));
    return it == pieces.end() ? 0 : it->second;
}

bool IsMonthToken(Text token) {
    if (token.size() != 3) return false;
    for (const Text name : kMonths) {
        if (upper(token[0]) == name[0] && upper(token[1]) == name[1] && upper(token[2]) == name[2])
            return true;
    }
    return false;
}

std::string ListingTime(Text token) {
    std::string t = upperCopy(token);
    if (t.size() < 6) return t;
    // "3:45PM": a one-digit hour would otherwise give a malformed time.
    if (t[1] == ':') t.insert(t.begin(), '0');
    if (t.find("PM") != std::string::npos) {
        int64_t h = LeadingInteger(Text(t).substr(0, 2));
        if (h < 12) h += 12;
        return TwoDigits(h) + t.substr(2, 3);
    }
    return t.substr(0, 5);
}

std::string NormaliseDate(Text d) {
    const size_t p = dateSeparator(d);
    if (p == Text::npos) return std::string(d);
    const Text rest = d.substr(p + 1);
    const size_t q = dateSeparator(rest);
    if (q == Text::npos) return std::string(d);
    const std::string a = TwoDigits(LeadingInteger(d.substr(0, p)));
    std::string b = upperCopy(rest.substr(0, q));
    const Text c = rest.substr(q + 1);
    std::string result;
    result.reserve(a.size() + b.size() + c.size() + 2);
    if (!b.empty() && isDigit(b[0])) {
        result.append(a).append(1, '/').append(b);
    } else {
        const int month = MonthNumber(b);
        if (month != 0) b = TwoDigits(month);
        result.append(b).append(1, '/').append(a);
    }
    result.append(1, '/').append(c);
    return result;
}

std::string DosDate(Text token) {
    std::string t(token);
    for (char& c : t) {
        if (c == '-') c = '/';
    }
    const int64_t y = LeadingInteger(chars(t, 7, 8));
    const int64_t year = y < 30 ? y + 2000 : y + 1900;
    return std::string(chars(t, 1, 6)) + std::to_string(year);
}

Text WithoutExtension(Text name) {
    size_t p = name.rfind('.');
    return p == Text::npos ? name : name.substr(0, p);
}

void UnixFieldRebuildInto(const std::array<Text, 20>& t, std::string& out) {
    size_t i = 0;
    // A whole month token: a one-letter owner or group ("u", "g") is no month.
    while (i < t.size() && !IsMonthToken(t[i]))
        ++i;
    if (i == t.size()) {
        out.assign("BAD INPUT LINE!");
        return;
    }
    Text found[2];
    int met = 0;
    for (size_t j = i - 1; j-- > 0 && met < 2;) {
        if (t[j] != "@") found[met++] = t[j];
    }
    const Text group = found[0], owner = found[1];
    out.clear();
    out.append(owner).append(1, ' ').append(group).append(1, ' ');
    for (size_t j = i - 1; j < t.size(); ++j)
        out.append(t[j]).append(1, ' ');
}

} // namespace listing
