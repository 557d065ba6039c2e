// Text operations of the directory listing parser.
//
// Every operation works on 8-bit text exactly as the listing arrives from the server
// (remote names are UTF-8 bytes, but nothing here depends on that). None of them
// allocates more than its result, and none reads outside the view it was given, so
// any byte sequence a server sends is safe to feed through them.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace listing {

using Text = std::string_view;

inline QByteArray toBytes(Text t) {
    return QByteArray(t.data(), qsizetype(t.size()));
}

// Every character with a code below 28 becomes a space.
void BlankOutInto(Text s, std::string& out);
inline std::string BlankOut(Text s) {
    std::string out;
    BlankOutInto(s, out);
    return out;
}
// Removes leading and trailing spaces (only the space character counts).
Text Trim(Text s);
// Takes the token before the first space and leaves the trimmed rest in s.
Text NextToken(Text& s);
// The n-th token of s; "-" when that token is empty.
Text TokenN(Text s, int n);
// Like NextToken, but the token runs up to and including the first "]".
Text BracketToken(Text& s);
// Optional sign and digits after leading spaces; "$", "x", "X" or "0x" selects
// hexadecimal. Saturates instead of overflowing.
int64_t LeadingInteger(Text s);
// Decimal text with a "0" in front when shorter than two characters.
std::string TwoDigits(int64_t n);
// 1..12 for the first month name that contains the upper-cased token, else 0.
int MonthNumber(Text token);
// True for a three-letter month abbreviation, in any letter case ("Jan", "SEP").
bool IsMonthToken(Text token);
// HH:MM from the time forms servers print (10:30, 03:45PM, 10:30:15).
std::string ListingTime(Text token);
// DD/Mon/YYYY, DD-MON-YYYY, MM/DD/YYYY and the like to MM/DD/YYYY.
std::string NormaliseDate(Text d);
// MM-DD-YY to MM/DD/YYYY (years below 30 are 20xx).
std::string DosDate(Text token);
// The name without the part from its last "." on.
Text WithoutExtension(Text name);
// Rebuilds the fields after a Unix permission field from the 19 tokens that follow it
// (t[0] is always empty): "owner group size month ..." or "BAD INPUT LINE!".
void UnixFieldRebuildInto(const std::array<Text, 20>& t, std::string& out);
inline std::string UnixFieldRebuild(const std::array<Text, 20>& t) {
    std::string out;
    UnixFieldRebuildInto(t, out);
    return out;
}

} // namespace listing
