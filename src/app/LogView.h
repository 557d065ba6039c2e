// The log panel "log_panel": the session log shown in "ftplog", each line in the colour
// it was appended with, with its pop-up menu (Copy, Clear All, Save Log, Select All) and
// the close button "log_close".
#pragma once

#include "SessionLog.h"

#include <QWidget>

class QTextEdit;
class QToolButton;

class LogView : public QWidget {
    Q_OBJECT
public:
    LogView(SessionLog& log, QWidget* parent = nullptr);

    void setLogBackground(int winColour);
    // Each line with the time it was logged in front ("Show Time Stamps" in the pop-up).
    bool timeStamps() const;
    void setTimeStamps(bool on);

signals:
    void closeRequested();
    void timeStampsChanged(bool on);

private:
    void append(const SessionLog::Line& line);
    // Every line again (after the time stamps were switched).
    void redraw();
    void buildActions();
    void showMenu(const QPoint& at);
    void saveLog();

    SessionLog& m_log;
    QToolButton* m_close = nullptr;
    QTextEdit* m_text = nullptr;
    // The pop-up's commands; their shortcuts work whenever the log has the focus.
    QAction *m_undo = nullptr, *m_copy = nullptr, *m_cut = nullptr, *m_clearSelected = nullptr,
            *m_clearAll = nullptr, *m_save = nullptr, *m_selectAll = nullptr, *m_times = nullptr;
};
