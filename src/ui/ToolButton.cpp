#include "ToolButton.h"

#include "ThemeIcon.h"
#include "WinColour.h"

#include <QToolButton>

QToolButton* makeToolButton(QWidget* parent, const char* name, const QString& hint,
                            QStyle::StandardPixmap icon) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoRaise(true);
    return b;
}

QToolButton* makeToolButton(QWidget* parent, const char* name, const QString& hint,
                            const QString& iconName, QStyle::StandardPixmap fallback) {
    QToolButton* b = makeToolButton(parent, name, hint, fallback);
    b->setIcon(themeIcon(iconName, fallback));
    return b;
}

void paintBase(QWidget* widget, int winColour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, ColourFromWin(winColour));
    widget->setPalette(p);
}
