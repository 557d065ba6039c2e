#pragma once

#include <QStyle>

class QToolButton;
class QWidget;

// A flat tool button with an object name, a hint and one of the style's icons.
QToolButton* makeToolButton(QWidget* parent, const char* name, const QString& hint,
                            QStyle::StandardPixmap icon);

// The same with the theme's icon of a freedesktop name, the style's icon where it has none.
QToolButton* makeToolButton(QWidget* parent, const char* name, const QString& hint,
                            const QString& iconName, QStyle::StandardPixmap fallback);

// Sets the base (background) colour of a list or edit from a Windows colour value.
void paintBase(QWidget* widget, int winColour);
