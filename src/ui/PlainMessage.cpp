#include "PlainMessage.h"

namespace PlainMessage {

QMessageBox* make(QMessageBox::Icon icon, const QString& title, const QString& text,
                  QMessageBox::StandardButtons buttons, QWidget* parent) {
    auto* box = new QMessageBox(icon, title, text, buttons, parent);
    plain(*box);
    return box;
}

void plain(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
}

namespace {

QMessageBox::StandardButton run(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                                const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, parent);
    plain(box);
    if (box.exec() == -1) return QMessageBox::Cancel;
    return box.standardButton(box.clickedButton());
}

} // namespace

QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                     QMessageBox::StandardButtons buttons) {
    return run(QMessageBox::Question, parent, title, text, buttons);
}

QMessageBox::StandardButton information(QWidget* parent, const QString& title,
                                        const QString& text) {
    return run(QMessageBox::Information, parent, title, text, QMessageBox::Ok);
}

QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text) {
    return run(QMessageBox::Warning, parent, title, text, QMessageBox::Ok);
}

QMessageBox::StandardButton critical(QWidget* parent, const QString& title, const QString& text) {
    return run(QMessageBox::Critical, parent, title, text, QMessageBox::Ok);
}

} // namespace PlainMessage
