// The event pump of the blocking forms: runs the loop until an event or the wait ends.
#include "Wsocket.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void WSocketPumpEvents(int maxWaitMs, bool onlyThisThread) {
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(maxWaitMs);
    QCoreApplication::processEvents(onlyThisThread ? QEventLoop::WaitForMoreEvents |
                                                         QEventLoop::ExcludeUserInputEvents
                                                   : QEventLoop::WaitForMoreEvents);
}
