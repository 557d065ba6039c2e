// Reaching the main window's parts from a window test, by object name.
#pragma once

#include "FindControl.h"
#include "Main.h"
#include "RemotePaneWidget.h"
#include "SettingsDialog.h"
#include "TestLoop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

#include <functional>
#include <memory>

inline TGlobalSettings* settingsDialog(const QObject* window) {
    return control<TGlobalSettings>(window, "GlobalSettings");
}

inline RemotePaneWidget* remotePane(const QObject* window) {
    return control<RemotePaneWidget>(window, "remote_pane");
}

// Answers the next modal question box with `button`, as a user would click it.
inline void answerNextQuestion(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return answerNextQuestion(button); // not open yet
        box->button(button)->click();
    });
}

// Runs action on the next modal dialog once it is open. The dialog runs its own loop,
// often inside a callback of the code under test, so the action comes from a timer
// inside that loop.
inline void onNextModal(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        poll->stop();
        poll->deleteLater();
        action(modal);
    });
    poll->start();
}

// The text of the message box the window shows (not waiting for an answer), closed.
inline QString takeMessage(int timeoutMs = 3000) {
    QString text;
    waitFor(
        [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(top);
                if (box && box->isVisible()) {
                    text = box->text();
                    box->close();
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return text;
}

// Forgets every stored setting, so a window starts from the defaults whatever an
// earlier test confirmed with OK.
inline void clearStoredSettings() {
    QSettings stored(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("1Quillon"),
                     QStringLiteral("1Quillon"));
    stored.clear();
    stored.sync();
}

// The main window started from the default settings, with both queues empty; its exit
// does not end the test program.
inline std::unique_ptr<TMainform> startWithEmptyQueues() {
    clearStoredSettings();
    auto w = std::make_unique<TMainform>();
    w->quitApplication = [] {};
    w->FormCreate();
    w->CreateDialogs();
    w->Queues().Queue().clear();
    w->Queues().FailQueue().clear();
    return w;
}
