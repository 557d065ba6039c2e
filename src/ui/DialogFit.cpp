#include "DialogFit.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>

void fitDialog(QDialog* dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint);
    // Room for the title in the title bar's (often bolder) font, with the close button.
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const int title = QFontMetrics(titleFont).horizontalAdvance(dialog->windowTitle());
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), title + 140));
}
