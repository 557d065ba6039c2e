// The windows' side of the remote viewer: the user's editor, the desktop's default
// program, the "Save File?" question and the viewer's messages.
#pragma once

#include "FileEditingViewing.h"

class QWidget;

class RemoteViewerHost : public ViewerHost {
public:
    explicit RemoteViewerHost(QWidget* window) : m_window(window) {}

    QString OpenInEditor(const QString& path) override;
    QString OpenWithDefault(const QString& path) override;
    void AskSaveFile(const QString& remotePath, std::function<void(bool)> answer) override;
    void ShowMessage(const QString& text) override;

private:
    QWidget* m_window;
};
