// Colour values as the settings store them: 0x00BBGGRR, or a negative value naming a
// system colour (0x80000000 | index), which maps onto the desktop palette.
#pragma once

#include <QColor>

QColor ColourFromWin(int value);
int WinFromColour(const QColor& colour);
