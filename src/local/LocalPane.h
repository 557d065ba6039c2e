// The "Local Listing" page: the volume box, refresh and one level up, the current folder
// and the list of the local folder's entries.
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QToolButton;
class QTreeWidget;

class LocalPane : public QWidget {
    Q_OBJECT
public:
    explicit LocalPane(QWidget* parent = nullptr);

    bool listHasFocus() const;
    void setListBackground(int winColour);

private:
    QComboBox* m_localadd = nullptr;
    QToolButton* m_refresh = nullptr;
    QToolButton* m_goUp = nullptr;
    QLabel* m_currDir = nullptr;
    QTreeWidget* m_list = nullptr;
};
