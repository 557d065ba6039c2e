// Message boxes whose text is shown as it is: a server's reply or a file name that holds
// markup is never rendered as rich text.
#pragma once

#include <QMessageBox>

namespace PlainMessage {

// A box like the QMessageBox constructor's, with plain text.
QMessageBox* make(QMessageBox::Icon icon, const QString& title, const QString& text,
                  QMessageBox::StandardButtons buttons, QWidget* parent);
// Sets plain text on a box made elsewhere.
void plain(QMessageBox& box);

// The modal forms of QMessageBox's static functions, with plain text.
QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                     QMessageBox::StandardButtons buttons = QMessageBox::Yes |
                                                                            QMessageBox::No);
QMessageBox::StandardButton information(QWidget* parent, const QString& title, const QString& text);
QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text);
QMessageBox::StandardButton critical(QWidget* parent, const QString& title, const QString& text);

} // namespace PlainMessage
