// Directory listing parser: turns the raw text of a LIST reply (Unix long listing,
// DOS/Windows, AS/400 or VMS style) into nine parallel lists of texts.
//
// It never reports an error: a line that fits no style, or that gives no name, is
// dropped. It converts nothing to numbers or dates; sizes, dates and times stay
// texts in the forms the remote pane and the transfer worker expect.
#pragma once

#include <QString>

#include <string>
#include <vector>

// Texts are the bytes the server sent (UTF-8 for names from a modern server). Most
// fields are short enough to live inside std::string itself, which keeps a listing of
// a million entries from costing millions of allocations.
using ListingTexts = std::vector<std::string>;

struct ListingColumns {
    ListingTexts names;
    ListingTexts sizes;
    ListingTexts types;       // "<DIR>" for a folder, "" otherwise
    ListingTexts dates;       // MM/DD/YYYY (AS/400: as the server gave it)
    ListingTexts times;       // HH:MM (AS/400: as given, "N/A" for members)
    ListingTexts linkTargets; // text after "->" of a Unix symbolic link
    ListingTexts attributes;  // Unix permissions, VMS protection
    ListingTexts owners;
    ListingTexts groups;

    size_t count() const { return names.size(); }
    void clear();
};

// Fills the columns from a listing file. A missing or unreadable file gives empty
// columns.
void ReadListingFile(const QString& file, ListingColumns& columns);

// Parses the raw lines held in columns.names (the other lists hold one empty text per
// line). vmsHint forces the VMS rules. currentYear dates the Unix entries that show a
// time instead of a year; 0 means the year of the local clock.
void ParseListing(ListingColumns& columns, bool vmsHint, int currentYear = 0);
