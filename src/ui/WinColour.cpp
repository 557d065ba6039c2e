#include "WinColour.h"

#include <QApplication>
#include <QPalette>

QColor ColourFromWin(int value) {
    if (value < 0) {
        const QPalette palette = QApplication::palette();
        switch (value & 0xff) {
        case 5:
            return palette.color(QPalette::Base); // window background
        case 8:
            return palette.color(QPalette::Text); // window text
        case 15:
            return palette.color(QPalette::Button); // button face
        case 13:
            return palette.color(QPalette::Highlight); // selection
        case 14:
            return palette.color(QPalette::HighlightedText);
        default:
            return palette.color(QPalette::Window);
        }
    }
    const unsigned v = unsigned(value);
    return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

int WinFromColour(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}
