#include "ColourButton.h"

#include "WinColour.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

ColourButton::ColourButton(QWidget* parent) : QPushButton(parent) {
    setMinimumWidth(80);
    connect(this, &QPushButton::clicked, this, &ColourButton::pick);
    repaintSwatch();
}

void ColourButton::setValue(int value) {
    if (value == m_value) return;
    m_value = value;
    repaintSwatch();
    if (onChange) onChange(value);
}

void ColourButton::pick() {
    const QColor chosen = QColorDialog::getColor(ColourFromWin(m_value), this);
    if (chosen.isValid()) setValue(WinFromColour(chosen));
}

void ColourButton::repaintSwatch() {
    QPixmap swatch(40, 14);
    swatch.fill(ColourFromWin(m_value));
    QPainter(&swatch).drawRect(0, 0, 39, 13);
    setIcon(QIcon(swatch));
    setIconSize(swatch.size());
}
