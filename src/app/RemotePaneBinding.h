// The main window's side of the browsing session: the remote pane's widgets, the log,
// and the session's controls, behind the interface the session talks to.
#pragma once

#include "RemotePane.h"

class TMainform;

class RemotePaneBinding : public RemotePane {
public:
    explicit RemotePaneBinding(TMainform& window) : m_window(window) {}

    QString ConnectionTypeText() const override;
    SettingsRecord CurrentSettings() const override;
    bool KeepAliveChecked() const override;
    QString ProgramDir() const override;
    bool AskBreakConnection() override;
    void ShowMessage(const QString& text) override;
    void AppendLog(const QString& text, int kind) override;
    void TraceLine(const QString& display) override;
    void ClearAddressBox() override;
    void AddToAddressHistory(const QString& directory) override;
    void SetAddressText(const QString& directory) override;
    void ShowRows(const QList<RemoteRow>& rows) override;
    void ClearRows() override;
    void SetPaneEnabled(bool enabled) override;
    void SetSessionControls(bool connected) override;
    void SetIdleControls(bool idle) override;
    void OpenLocalFolder(const QString& folder) override;

    // Answers the "break current connection" question without a box (tests).
    int autoAnswer = -1; // -1 ask, 0 No, 1 Yes

private:
    TMainform& m_window;
};
