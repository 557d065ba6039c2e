// The main window with its panes, offscreen, for window tests with or without a real
// server: finding rows, selecting them as a user does, the messages the window shows,
// drops, and the session logged in through the quick-connect bar.
#pragma once

#include "LocalListModel.h"
#include "LocalPane.h"
#include "Main.h"
#include "NavigationManager.h"
#include "QueueModel.h"
#include "RealServerTest.h"
#include "TestFiles.h"
#include "WindowControls.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

// A file the servers' users may rename and replace.
inline void writeShared(const QString& path, const QByteArray& data) {
    writeFile(path, data);
    QFile::setPermissions(path, QFileDevice::Permissions(0x6666));
}

// A folder the servers' users may write into.
inline void makeDir(const QString& path) {
    QDir().mkpath(path);
    QFile::setPermissions(path, QFileDevice::Permissions(0x7777));
}

// Sends a drag over `at` of the viewport and, when it was accepted, the drop.
inline bool dropOn(QWidget* viewport, const QPoint& at, QMimeData* data) {
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}

// A drag as a pointer makes it: it comes in at `from`, moves to `to` and drops there when
// the last move was accepted. Whether the drop was taken.
inline bool dragAcross(QWidget* viewport, const QPoint& from, const QPoint& to, QMimeData* data) {
    QDragEnterEvent enter(from, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    // Qt sends no moves to a widget that refused the enter.
    if (!enter.isAccepted()) return false;
    for (const QPoint& at : {from, to}) {
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        if (at == to && !move.isAccepted()) return false;
    }
    QDropEvent drop(QPointF(to), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}

// The window with its panes, for tests with or without a server.
class PaneFixture {
public:
    PaneFixture() : w(startWithEmptyQueues()) { QApplication::setActiveWindow(w.get()); }
    ~PaneFixture() {
        if (w && w->Navigation()) w->Navigation()->CloseSession();
    }
    LocalPane* pane() const { return control<LocalPane>(w.get(), "local_pane"); }
    QTreeView* localList() const { return control<QTreeView>(w.get(), "localListView"); }
    QTreeWidget* remoteList() const { return control<QTreeWidget>(w.get(), "remoteListView"); }
    LocalListModel& model() const { return pane()->Model(); }
    QAction* act(const char* name) const { return control<QAction>(w.get(), name); }

    // The window comes back to the front after a message box, and the list has the focus.
    void focus(QWidget* list) {
        waitFor([] { return QApplication::activeModalWidget() == nullptr; }, 1000);
        waitFor(
            [&] {
                w->activateWindow();
                QApplication::setActiveWindow(w.get());
                list->setFocus();
                return list->hasFocus();
            },
            2000);
        spinFor(5);
    }
    // The row of `name` under parent (top level when invalid).
    QModelIndex localRow(const QString& name, const QModelIndex& parent = {}) const {
        for (int r = 0; r < model().rowCount(parent); ++r) {
            const QModelIndex i = model().index(r, 0, parent);
            if (model().entry(i).name == name) return i;
        }
        ADD_FAILURE() << "no local row " << name.toStdString();
        return {};
    }
    // Selects the rows as a user clicks them, with the last one focused.
    void selectLocal(const QList<QModelIndex>& rows) {
        focus(localList());
        localList()->clearSelection();
        for (const QModelIndex& r : rows) {
            localList()->selectionModel()->setCurrentIndex(r, QItemSelectionModel::Select |
                                                                  QItemSelectionModel::Rows);
        }
        spinFor(5);
    }
    QTreeWidgetItem* remoteRow(const QString& name) const {
        for (int i = 0; i < remoteList()->topLevelItemCount(); ++i) {
            if (remoteList()->topLevelItem(i)->text(0) == name)
                return remoteList()->topLevelItem(i);
        }
        return nullptr;
    }
    void selectRemote(const QStringList& names) {
        focus(remoteList());
        remoteList()->clearSelection();
        for (const QString& n : names) {
            QTreeWidgetItem* item = remoteRow(n);
            if (!item) {
                ADD_FAILURE() << "no remote row " << n.toStdString();
                continue;
            }
            item->setSelected(true);
            remoteList()->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        }
        remotePane(w.get())->updateSelectionCommands();
    }
    QueueItem* top(int row) const {
        const auto& children = w->Queues().Queue().root()->children;
        return size_t(row) < children.size() ? children[size_t(row)].get() : nullptr;
    }
    size_t queued() const { return w->Queues().Queue().root()->children.size(); }

    std::unique_ptr<TMainform> w;
};

// The window and a real server (one test per server), logged in through the quick-connect
// fields.
class ServerWindowTest : public RealServerTest, public PaneFixture {
protected:
    // Logs in with the quick-connect fields and waits for the first listing.
    void connectSession() {
        control<QLineEdit>(w.get(), "Quickhost")->setText(QStringLiteral("127.0.0.1"));
        control<QLineEdit>(w.get(), "QuickUser")->setText(server.user);
        control<QLineEdit>(w.get(), "Quickpass")->setText(server.password);
        control<QLineEdit>(w.get(), "quickport")->setText(QString::number(server.port));
        control<QToolButton>(w.get(), "quick_connect")->click();
        ASSERT_TRUE(idle()) << "no listing";
    }
    bool idle() {
        return waitFor(
            [&] {
                return w->Navigation()->IsIdle() && remoteList()->isEnabled() &&
                       remoteList()->topLevelItemCount() > 0;
            },
            15000);
    }
    // Lists the remote folder again and waits until it shows `name` (or no longer does).
    bool remoteShows(const QString& name, bool shown = true) {
        return waitFor(
            [&] {
                if (!w->Navigation()->IsIdle()) return false;
                if ((remoteRow(name) != nullptr) == shown) return true;
                w->Navigation()->Refresh();
                return false;
            },
            15000);
    }
    QString shownRows() const {
        QStringList names;
        for (int i = 0; i < remoteList()->topLevelItemCount(); ++i)
            names << remoteList()->topLevelItem(i)->text(0);
        return names.join(u' ') + QStringLiteral(" in ") + D();
    }
    // The displayed folder on the server's disk.
    QString onDisk(const QString& name = {}) const {
        const QString shown = w->Navigation()->DisplayedDirectory();
        const QString base = !server.remoteRoot.isEmpty()
                                 ? shown
                                 : server.root + (shown == QLatin1String("/") ? QString() : shown);
        return name.isEmpty() ? base : base + u'/' + name;
    }
    QString D() const { return w->Navigation()->DisplayedDirectory(); }
    QString join(const QString& name) const {
        return D() == QLatin1String("/") ? u'/' + name : D() + u'/' + name;
    }
};
