// "CHMOD Attributes": nine boxes for the read, write and execute rights of owner, group
// and others, a digit under each column, and Apply or Discard. It opens with a label and
// a permission field and hands back the three digits.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class Tchmod_form : public QDialog {
    Q_OBJECT
public:
    explicit Tchmod_form(QWidget* parent = nullptr);

    // The label over the boxes and the mode they show (-rwxr-xr-x); call before showing.
    void setTexts(const QString& label, const QString& mode);
    // The three digits ("755"); empty while an edit holds no valid digit.
    QString modeOut() const;

private:
    void boxClicked(int column, int bit);
    void edited();

    QLabel* m_fileName = nullptr;
    QCheckBox* m_boxes[3][3] = {};
    QLineEdit* m_rights[3] = {};
    QPushButton* m_apply = nullptr;
    QPushButton* m_discard = nullptr;
    bool m_changed = false;
};
