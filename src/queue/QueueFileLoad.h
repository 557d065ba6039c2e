// Reading a queue file at start-up without ever losing what it held: a file that cannot
// be read whole is set aside under a dated name beside it, and the queue is saved under
// the file's own name from then on (or, when the damaged file cannot be moved, under
// another name, so the next save never writes over it).
#pragma once

#include <QString>

class QueueModel;

struct QueueFileLoad {
    // The user's message: what was damaged and where it is kept; "" when the file was
    // read whole or there was none.
    QString problem;
    // Where the queue is saved from now on.
    QString savePath;
};

// Loads path into model (the items read before any damage stay in it).
QueueFileLoad LoadQueueFile(QueueModel& model, const QString& path);
