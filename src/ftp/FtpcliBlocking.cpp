// Blocking forms of the engine's operations: run one operation and pump the event
// loop until it is reported or Timeout seconds pass without progress.
#include "Ftpcli.h"

#include <QCoreApplication>

bool TFtpClient::Progress() {
    m_deadline = Now() + qint64(m_timeout) * 1000;
    return TCustomFtpCli::Progress();
}

bool TFtpClient::Synchronize(void (TCustomFtpCli::*operation)()) {
    try {
        (this->*operation)();
    } catch (...) {
        return false;
    }
    return WaitUntilReady();
}

bool TFtpClient::WaitUntilReady() {
    QPointer<TFtpClient> self(this);
    m_deadline = Now() + qint64(m_timeout) * 1000;
    for (;;) {
        if (!self) return false;
        if (m_state == ftpReady || m_state == ftpInternalReady) return m_requestError == 0;
        if (QCoreApplication::closingDown() || (m_timeout > 0 && Now() > m_deadline)) break;
        WSocketPumpEvents(50, m_multiThreaded);
    }
    AbortAsync();
    m_errorMessage = QStringLiteral("426 Timeout");
    m_replyCode = 426;
    return false;
}
