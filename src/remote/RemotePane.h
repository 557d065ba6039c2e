// What the browsing session asks of the main window: questions, the log, the remote
// pane's rows and address box, and the enabling of the session's controls.
#pragma once

#include "RemoteListing.h"
#include "SettingsRecord.h"

class RemotePane {
public:
    virtual ~RemotePane() = default;

    // "Direct", "Proxy", "Socks4", "Socks4A" or "Socks5".
    virtual QString ConnectionTypeText() const = 0;
    // The current settings (proxy and SOCKS values).
    virtual SettingsRecord CurrentSettings() const = 0;
    virtual bool KeepAliveChecked() const = 0;
    virtual QString ProgramDir() const = 0;

    virtual bool AskBreakConnection() = 0;
    virtual void ShowMessage(const QString& text) = 0;
    virtual void AppendLog(const QString& text, int kind) = 0;
    virtual void TraceLine(const QString& display) = 0;

    virtual void ClearAddressBox() = 0;
    virtual void AddToAddressHistory(const QString& directory) = 0;
    virtual void SetAddressText(const QString& directory) = 0;
    virtual void ShowRows(const QList<RemoteRow>& rows) = 0;
    virtual void ClearRows() = 0;
    // The list, the address box, refresh and one level up.
    virtual void SetPaneEnabled(bool enabled) = 0;
    // Abort/Disconnect and Reconnect after the greeting; off when the session closes.
    virtual void SetSessionControls(bool connected) = 0;
    // Idle (true) or busy with a request (false), while connected.
    virtual void SetIdleControls(bool idle) = 0;
    virtual void OpenLocalFolder(const QString& folder) = 0;
};
