#pragma once

#include <QIcon>
#include <QStyle>

// The desktop theme's icon of that freedesktop name, or the style's own where the
// theme has none (a bare desktop, the offscreen platform).
QIcon themeIcon(const QString& name, QStyle::StandardPixmap fallback);
