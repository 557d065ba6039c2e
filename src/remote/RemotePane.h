// What the browsing session asks of the windows: a question and a message, the remote
// pane's rows and address box (RemotePane), and the enabling of the session's commands
// in the menus and toolbar (SessionControls).
#pragma once

#include "RemoteListing.h"

class RemotePane {
public:
    virtual ~RemotePane() = default;

    virtual bool AskBreakConnection() = 0;
    virtual void ShowMessage(const QString& text) = 0;

    virtual void ClearAddressBox() = 0;
    virtual void AddToAddressHistory(const QString& directory) = 0;
    virtual void SetAddressText(const QString& directory) = 0;
    virtual void ShowRows(const QList<RemoteRow>& rows) = 0;
    virtual void ClearRows() = 0;
    // The list, the address box, refresh and one level up.
    virtual void SetPaneEnabled(bool enabled) = 0;
    // The address box, refresh and one level up: usable only while no request runs.
    virtual void SetIdle(bool idle) = 0;
};

class SessionControls {
public:
    virtual ~SessionControls() = default;

    // Abort/Disconnect and Reconnect after the greeting; off when the session closes.
    virtual void SetSessionControls(bool connected) = 0;
    // Idle (true) or busy with a request (false), while connected.
    virtual void SetIdleControls(bool idle) = 0;
    // The session's state in words: connecting, connected, or why it is not.
    virtual void ShowStatus(const QString& text) = 0;
    // A site's local folder, opened in the local pane when its session opens.
    virtual void OpenLocalFolder(const QString& folder) { (void)folder; }
};
