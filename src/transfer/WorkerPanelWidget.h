// A worker's progress panel in the thread panel: the cancel button, the status line,
// the gauge, the local path (shortened to fit) and the progress line.
#pragma once

#include "WorkerPanel.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QToolButton;

class WorkerPanelWidget : public QWidget, public WorkerPanel {
    Q_OBJECT
public:
    static constexpr int kHeight = 110;

    // parentArea: the thread panel's inner widget, which stacks the panels.
    explicit WorkerPanelWidget(QWidget* parentArea);

    void Attach() override;
    void Hide() override;
    void SetStatus(const QString& text) override;
    void SetPath(const QString& prefix, const QString& path, const QString& suffix) override;
    void SetProgress(const QString& text) override;
    void SetGauge(int percent) override;
    void SetTransferType(const QString& type) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    QPointer<QWidget> m_area;
    QToolButton* m_cancel = nullptr;
    QLabel* m_status = nullptr;
    QWidget* m_gaugePanel = nullptr;
    QProgressBar* m_gauge = nullptr;
    QLabel* m_path = nullptr;
    QLabel* m_progress = nullptr;
    QLabel* m_type = nullptr;
    QString m_prefix, m_fullPath, m_suffix;
};
