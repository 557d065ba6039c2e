// The icons of folders, sites and bookmarks in the site trees.
#pragma once

#include "SiteTree.h"

#include <QIcon>

namespace SiteIcons {
QIcon forKind(SiteKind kind);
}
