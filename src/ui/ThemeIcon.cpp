#include "ThemeIcon.h"

#include <QApplication>
#include <QDir>

QIcon themeIcon(const QString& name, QStyle::StandardPixmap fallback) {
    // Without a desktop session Qt names no theme; GNOME's, where it is installed, stands in.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        for (const QString& base : QIcon::themeSearchPaths()) {
            if (QDir(base + QStringLiteral("/Adwaita")).exists()) {
                QIcon::setThemeName(QStringLiteral("Adwaita"));
                break;
            }
        }
    }
    // A theme may name an icon it cannot draw here (a symbolic SVG without the SVG plug-in).
    const QIcon themed = QIcon::fromTheme(name);
    if (!themed.isNull() && !themed.pixmap(16, 16).isNull()) return themed;
    return QApplication::style()->standardIcon(fallback);
}
