// The "Thread Panel" page: how many workers run at once ("Concurrent Threads"), how many
// attempts an item gets, and the area the workers' progress panels go into, one under
// the other.
#pragma once

#include "WorkerPanel.h"

#include <QWidget>

#include <memory>

class QScrollArea;
class QSpinBox;

class ThreadPanel : public QWidget {
    Q_OBJECT
public:
    explicit ThreadPanel(QWidget* parent = nullptr);

    int threads() const;
    void setThreads(int n);
    int attempts() const;
    void setAttempts(int n);
    // A progress panel for a new worker, shown in "thread_window" once attached.
    std::unique_ptr<WorkerPanel> makePanel();

signals:
    void threadsChanged(int n);
    void attemptsChanged(int n);

private:
    QSpinBox* m_threads = nullptr;
    QSpinBox* m_attempts = nullptr;
    QScrollArea* m_threadWindow = nullptr;
};
