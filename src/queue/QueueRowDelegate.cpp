#include "QueueRowDelegate.h"

#include "QueueModel.h"
#include "ThemeIcon.h"

#include <QHash>

namespace {

QStyle::StandardPixmap styleIconFor(int state) {
    switch (state) {
    case FolderWaiting:
        return QStyle::SP_DirIcon;
    case FolderActive:
    case FolderExpanded:
        return QStyle::SP_DirOpenIcon;
    case DownloadFolderDone:
    case UploadFolderDone:
    case DownloadDone:
    case UploadDone:
        return QStyle::SP_DialogApplyButton;
    case FolderCancelled:
    case FileCancelled:
        return QStyle::SP_BrowserStop;
    case FileActive:
        return QStyle::SP_MediaPlay;
    case Failed:
        return QStyle::SP_MessageBoxCritical;
    case Skipped:
        return QStyle::SP_MediaSkipForward;
    default:
        return QStyle::SP_FileIcon;
    }
}

} // namespace

QIcon QueueRowDelegate::iconFor(int state) {
    static QHash<int, QIcon> icons;
    auto at = icons.find(state);
    if (at == icons.end())
        at = icons.insert(state, themeIcon(QueueStateIconName(state), styleIconFor(state)));
    return *at;
}

QColor QueueRowDelegate::textColourFor(int state) {
    if (state == Failed) return QColor(0xb0, 0x00, 0x20);
    if (QueueStateNeedsAttention(state)) return QColor(0x80, 0x80, 0x80);
    return {};
}

void QueueRowDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const int state = index.data(QueueModel::kStateRole).toInt();
    if (index.column() == 0) {
        option->icon = iconFor(state);
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(16, 16);
    }
    const QColor colour = textColourFor(state);
    if (colour.isValid()) {
        option->palette.setColor(QPalette::Text, colour);
        // Skipped and cancelled rows are set aside, not broken.
        if (state != Failed) option->font.setItalic(true);
    }
}
