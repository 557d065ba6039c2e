// What the settings dialog reads from and applies to the main window: the values the
// window's menus and controls hold rather than the dialog.
#pragma once

#include "SettingsRecord.h"

class SettingsHost {
public:
    virtual ~SettingsHost() = default;

    // ToolBar, QuickBar, LogWindow, QueueWindow, LocalTab, QueueProcessing.
    virtual bool viewFlag(Setting s) const = 0;
    // Runs the menu (or button) command that flips the flag.
    virtual void toggleView(Setting s) = 0;
    virtual QString connectionType() const = 0;
    virtual void selectConnectionType(const QString& type) = 0;
    virtual int threads() const = 0;
    virtual void setThreads(int n) = 0;
    virtual int attempts() const = 0;
    virtual void setAttempts(int n) = 0;
    // QueueColor, FtpLogColor, LocalListColor, RemoteListColor.
    virtual int backgroundColour(Setting s) const = 0;
    virtual void setBackgroundColour(Setting s, int colour) = 0;
    // The "Smart Keep Alive" box was clicked (or set by a load).
    virtual void keepAliveChanged(bool on) = 0;
};
