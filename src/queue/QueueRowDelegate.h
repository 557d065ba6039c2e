// Every queue row: its state's icon before the remote path, and a failed, skipped or
// cancelled row in a colour of its own, so that it reads at a glance.
#pragma once

#include <QStyledItemDelegate>

class QueueRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // The icon of a state (by its freedesktop name, the style's where the theme has none).
    static QIcon iconFor(int state);
    // The text colour of a row in that state; invalid for an ordinary row.
    static QColor textColourFor(int state);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
