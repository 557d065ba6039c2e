// A list's pop-up menu: actions found by their object names, opened on the list's
// context-menu request, with shortcuts that work while the list has the focus.
#pragma once

#include <QKeySequence>
#include <QString>

class QAbstractItemView;
class QAction;
class QMenu;

QAction* addMenuAction(QMenu* menu, const char* name, const QString& text,
                       const QKeySequence& key = {});
// Call once every action is in the menu.
void attachPopupMenu(QAbstractItemView* list, QMenu* menu);
