// The program's one-line input boxes: a caption, a prompt and a starting text.
#pragma once

#include <QString>

#include <optional>

class QWidget;

// The text the user gave; none on Cancel. The box is named `name` for the tests.
std::optional<QString> askText(QWidget* parent, const char* name, const QString& title,
                               const QString& prompt, const QString& value = {});
