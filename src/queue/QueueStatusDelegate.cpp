#include "QueueStatusDelegate.h"

#include "WinColour.h"

#include <QPainter>

void QueueStatusDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QString text = index.data().toString();
    const int percent = std::clamp(text.toInt(), 0, 100);
    const QRect cell = option.rect;
    painter->save();
    // 0x00BBGGRR: 0xFFFF (yellow) at 0 %, less red toward 100 %.
    painter->fillRect(
        QRect(cell.left(), cell.top(), int(percent * (cell.width() * 0.01)), cell.height()),
        ColourFromWin(0xFFFF - 2 * percent));
    painter->setPen(Qt::black);
    painter->drawText(cell, Qt::AlignHCenter | Qt::AlignTop, text + u'%');
    painter->drawRect(cell.adjusted(0, 0, -1, -1));
    painter->restore();
}
