#include "PopupMenu.h"

#include <QAbstractItemView>
#include <QAction>
#include <QMenu>

QAction* addMenuAction(QMenu* menu, const char* name, const QString& text,
                       const QKeySequence& key) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

void attachPopupMenu(QAbstractItemView* list, QMenu* menu) {
    for (QAction* a : menu->actions())
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    list->addActions(menu->actions());
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        list, &QWidget::customContextMenuRequested, menu,
        [list, menu](const QPoint& at) { menu->exec(list->viewport()->mapToGlobal(at)); });
}
