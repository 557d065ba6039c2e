// The working queue's "Status" cell: a bar from yellow at 0 % toward green at 100 %,
// the percentage centred on it in black, and a black frame.
#pragma once

#include <QStyledItemDelegate>

class QueueStatusDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
