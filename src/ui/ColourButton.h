// A button that shows a colour and lets the user pick another (a palette of 20, 16
// custom colours and "Other" for a free choice, as the desktop's colour dialog offers).
// It holds the value as the settings store it.
#pragma once

#include <QPushButton>

#include <functional>

class ColourButton : public QPushButton {
    Q_OBJECT
public:
    explicit ColourButton(QWidget* parent = nullptr);

    int value() const { return m_value; }
    // Sets the value; a value equal to the current one changes nothing and reports
    // nothing.
    void setValue(int value);

    std::function<void(int)> onChange;

private:
    void pick();
    void repaintSwatch();

    int m_value = 0;
};
