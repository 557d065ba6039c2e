// The queue panel "Panel1": the start button, the close button and the two pages
// "Working Queue" and "Failed Queue", views of the two queue models, each with its
// buttons and pop-up menu for the queue commands.
#pragma once

#include <QList>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class QTabWidget;
class QToolButton;
class QTreeView;
class QueueModel;
struct QueueItem;
class queue_manager;
class QueueScheduler;

class QueuePages : public QWidget {
    Q_OBJECT
public:
    QueuePages(queue_manager& queues, QueueScheduler& scheduler, QWidget* parent = nullptr);

    // "Stop Queue Processing" pressed in: the scheduler starts nothing new.
    bool processing() const;
    void toggleProcessing();
    void setQueueBackground(int winColour);

signals:
    void closeRequested();
    void processingChanged(bool on);

private:
    struct Command {
        const char* button;  // the page's tool button, or nullptr
        const char* menu;    // the pop-up menu's item
        const char* hint;    // the button's hint
        const char* caption; // the menu item's caption
        std::function<void()> run;
    };
    QWidget* page(QTreeView* view, const char* menuName, std::initializer_list<Command> commands);
    // The selected items of a view, in the order they were selected.
    QList<QueueItem*> selected(QTreeView* view) const;
    void exportQueue(QueueModel& model);
    void importQueue(QueueModel& model);

    void showProcessingState();
    // Asks before a non-empty working queue is replaced; true when it may be.
    bool replaceWorkingQueue(const QueueModel& working);
    void showFailedCount();

    queue_manager& m_queues;
    QueueScheduler& m_scheduler;
    QToolButton* m_toggleProcessing = nullptr;
    QToolButton* m_startTransfer = nullptr;
    QToolButton* m_close = nullptr;
    QTabWidget* m_pages = nullptr;
    QTreeView* m_queue = nullptr;
    QTreeView* m_failQueue = nullptr;
};
