// The rules of the site and bookmark dialogs that need no window: the ten values each
// command hands the dialog, the fields they fill (with the anonymous defaults), the
// validation messages, the column texts a closed dialog gives back, the enabling of the
// site tree's pop-up menu per kind, and where a new site goes.
#pragma once

#include "SiteTree.h"

#include <QString>
#include <QStringList>

namespace SiteInfo {

enum class Mode { Site, Bookmark };

// [0] site label, [1] host, [2] user, [3] password, [4] port, [5] local directory,
// [6] remote directory, [7] bookmark label, [8] bookmark local, [9] bookmark remote.
using Values = QStringList;
inline constexpr int kValueCount = 10;

struct Fields {
    QString label, host, user, password, port, localDir, remoteDir;
    bool anonymous = true;
    QString bookmarkLabel, bookmarkLocal, bookmarkRemote;
};

inline const QString kAnonymous = QStringLiteral("anonymous");
inline const QString kAnonymousPassword = QStringLiteral("rover@");

Values forNewSite();
Values forSite(const SiteEntry& site);
Values forNewBookmark(const SiteEntry& site);
Values forBookmark(const SiteEntry& bookmark);

// The fields as the dialog shows them for the values.
Fields fill(const Values& values);
// "" when the fields may be saved, else the message that keeps the dialog open.
QString validate(const Fields& fields, Mode mode);
// Why a host or port cannot be connected to ("" when they can): a host that is empty or
// holds spaces or control characters, a port that is not a number from 1 to 65535.
QString connectionProblem(const QString& host, const QString& port);

// The six column texts a site or a bookmark takes from the closed dialog.
QStringList siteColumns(const Fields& fields);
QStringList bookmarkColumns(const Fields& fields);

// What "Connect" in the closed dialog connects with: the site's folders in site mode,
// the bookmark's in bookmark mode, on the site at siteIndex.
SiteConnection connectionFor(const Fields& fields, Mode mode, int siteIndex, uint64_t siteId);

// The pop-up menu over an entry of the kind (none: empty space).
struct MenuStates {
    bool connect = false, rename = false, del = false, edit = false, newFolder = false,
         newSite = false, newBookmark = false;
};
MenuStates menuFor(const SiteEntry* under);

// The folder a new site goes into for the selected entry (none selected: the root).
int newSiteParent(const SiteTree& tree, const SiteEntry* selected);

} // namespace SiteInfo
