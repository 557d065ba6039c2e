// A worker as the scheduler sees it: it is given one queue item at a time, reports the
// outcome through the scheduler's FinishItem, and can be stopped. The transfer worker
// Transfer_Manager is one; tests use workers of their own.
#pragma once

#include <QObject>

struct QueueItem;

class TransferWorker : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    QueueItem* Item() const { return m_item; }
    void SetItem(QueueItem* item) { m_item = item; }

    // Starts the item the worker holds, by its state.
    virtual void StartItem() = 0;
    // Ends whatever the worker is doing for its item (the connection is closed); its
    // callbacks for that item do nothing afterwards.
    virtual void Stop() = 0;
    // The panel leaves the thread panel (retired) or goes (released).
    virtual void HidePanel() {}

private:
    QueueItem* m_item = nullptr;
};
