// Reaching the main window's parts from a window test, by object name.
#pragma once

#include "FindControl.h"
#include "RemotePaneWidget.h"
#include "SettingsDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

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

// Forgets every stored setting, so a window starts from the defaults whatever an
// earlier test confirmed with OK.
inline void clearStoredSettings() {
    QSettings stored(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("1Quillon"),
                     QStringLiteral("1Quillon"));
    stored.clear();
    stored.sync();
}
