// Directory listing parser: turns the raw text of a LIST reply (Unix long listing,
// DOS/Windows, AS/400 or VMS style) into nine parallel lists of texts.
//
// It never reports an error: a line that fits no style, or that gives no name, is
// dropped. It converts nothing to numbers or dates; sizes, dates and times stay
// texts in the forms the remote pane and the transfer worker expect.
#pragma once

#include <QByteArrayList>
#include <QString>

struct ListingColumns {
    QByteArrayList names;
    QByteArrayList sizes;
    QByteArrayList types;       // "<DIR>" for a folder, "" otherwise
    QByteArrayList dates;       // MM/DD/YYYY (AS/400: as the server gave it)
    QByteArrayList times;       // HH:MM (AS/400: as given, "N/A" for members)
    QByteArrayList linkTargets; // text after "->" of a Unix symbolic link
    QByteArrayList attributes;  // Unix permissions, VMS protection
    QByteArrayList owners;
    QByteArrayList groups;

    qsizetype count() const { return names.size(); }
    void clear();
};

// Fills the columns from a listing file. A missing or unreadable file gives empty
// columns.
void ReadListingFile(const QString& file, ListingColumns& columns);

// Parses the raw lines held in columns.names (the other lists hold one empty text per
// line). vmsHint forces the VMS rules. currentYear dates the Unix entries that show a
// time instead of a year; 0 means the year of the local clock.
void ParseListing(ListingColumns& columns, bool vmsHint, int currentYear = 0);
