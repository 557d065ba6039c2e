#include "SiteIcons.h"

#include <QApplication>
#include <QStyle>

QIcon SiteIcons::forKind(SiteKind kind) {
    QStyle* style = QApplication::style();
    switch (kind) {
    case SiteKind::Folder:
        return style->standardIcon(QStyle::SP_DirIcon);
    case SiteKind::Site:
        return style->standardIcon(QStyle::SP_DriveNetIcon);
    case SiteKind::Bookmark:
        return style->standardIcon(QStyle::SP_FileLinkIcon);
    }
    return {};
}
