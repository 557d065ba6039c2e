#pragma once

#include <QStyle>

class QToolButton;
class QWidget;

// A flat tool button with an object name, a hint and one of the style's icons.
QToolButton* makeToolButton(QWidget* parent, const char* name, const QString& hint,
                            QStyle::StandardPixmap icon);

// Sets the base (background) colour of a list or edit from a Windows colour value.
void paintBase(QWidget* widget, int winColour);
