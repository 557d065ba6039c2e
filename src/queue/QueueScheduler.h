// What the queue commands ask of the transfer scheduler: a scan for waiting items, and
// the cancel of an item with whatever is transferring it.
#pragma once

struct QueueItem;

class QueueScheduler {
public:
    virtual ~QueueScheduler() = default;
    virtual void ScanQueue() = 0;
    virtual void CancelItem(QueueItem* item) = 0;
};
