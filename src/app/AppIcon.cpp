#include "AppIcon.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>

namespace {

// A quill over a blue disc, drawn at the sizes the desktop asks for.
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1f, 0x5f, 0xbf));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    p.setPen(QPen(Qt::white, size / 10.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(size * 0.30, size * 0.72), QPointF(size * 0.72, size * 0.25));
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    QPolygonF feather;
    feather << QPointF(size * 0.72, size * 0.22) << QPointF(size * 0.52, size * 0.36)
            << QPointF(size * 0.62, size * 0.46);
    p.drawPolygon(feather);
    p.setPen(QPen(Qt::white, size / 16.0));
    p.setFont(QFont(QStringLiteral("Sans"), int(size * 0.28), QFont::Bold));
    p.drawText(QRectF(size * 0.08, size * 0.52, size * 0.4, size * 0.4), Qt::AlignCenter,
               QStringLiteral("1"));
    return pixmap;
}

} // namespace

QIcon AppIcon() {
    if (QFileInfo(QStringLiteral("1Quillon.ico")).isFile()) {
        QIcon fromFile(QStringLiteral("1Quillon.ico"));
        if (!fromFile.isNull()) return fromFile;
    }
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(drawIcon(size));
    return icon;
}
