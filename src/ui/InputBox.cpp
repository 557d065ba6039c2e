#include "InputBox.h"

#include "DialogFit.h"

#include <QInputDialog>

std::optional<QString> askText(QWidget* parent, const char* name, const QString& title,
                               const QString& prompt, const QString& value) {
    QInputDialog input(parent);
    input.setObjectName(QLatin1String(name));
    input.setWindowTitle(title);
    input.setLabelText(prompt);
    input.setTextValue(value);
    fitDialog(&input);
    if (input.exec() != QDialog::Accepted) return std::nullopt;
    return input.textValue();
}
