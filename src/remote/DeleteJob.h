// The records of the recursive delete and the rules of its walk that need no connection:
// which names it may enter or delete, what lies inside the folder being deleted, and
// which entries of a folder's listing it takes next.
#pragma once

#include "Listing.h"

#include <QList>
#include <QString>

// One entry to delete, with the account it lives on.
struct DeleteEntry {
    QString path, host, user, password, port;
    bool folder = false;
};

namespace RemoteDelete {

// Every text cut to 255 characters.
DeleteEntry entry(const QString& path, const QString& host, const QString& user,
                  const QString& password, const QString& port, bool folder);
// path is top itself or lies below it, by whole path components: with top /a/b,
// /a/b/c is inside, /a/bc and /x/a/b/y are not.
bool inside(const QString& path, const QString& top);
// A name the walk may delete or go into: not empty, not "." or "..", without "/".
bool walkable(const QString& name);
// The entries of the listing of `folder` in listing order, up to and including the first
// folder; on the account of `account`. Names the walk may not take are left out.
QList<DeleteEntry> folderContents(const ListingColumns& columns, const QString& folder,
                                  const DeleteEntry& account);
// The entries that could not be deleted, for the user.
QString failureMessage(int count);

} // namespace RemoteDelete
