// The queue panel "Panel1": the start button, the close button and the two pages
// "Working Queue" and "Failed Queue", views of the two queue models.
#pragma once

#include <QWidget>

class QTabWidget;
class QToolButton;
class QTreeView;
class QueueModel;

class QueuePages : public QWidget {
    Q_OBJECT
public:
    QueuePages(QueueModel& queue, QueueModel& failQueue, QWidget* parent = nullptr);

    // "Start Transfer" pressed in.
    bool processing() const;
    void toggleProcessing();
    void setQueueBackground(int winColour);

signals:
    void closeRequested();
    void processingChanged(bool on);

private:
    QToolButton* m_toggleProcessing = nullptr;
    QToolButton* m_close = nullptr;
    QTabWidget* m_pages = nullptr;
    QTreeView* m_queue = nullptr;
    QTreeView* m_failQueue = nullptr;
};
