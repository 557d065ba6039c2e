// Line mode (one OnDataAvailable per received line) and the blocking ReadLine.
#include "Wsocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <cstring>

void TCustomLineWSocket::SetLineMode(bool on) {
    if (on == m_lineMode) return;
    m_lineMode = on;
    m_lineLength = 0;
    // Bytes already collected are offered again, in the new mode, from the loop.
    if (!m_lineBuffer.isEmpty()) deliverLater();
}

void TCustomLineWSocket::deliverLater() {
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != m_generation || m_handle == INVALID_SOCKET) return;
            guarded([this] {
                if (m_lineMode) {
                    deliverLines(0);
                } else if (!m_lineBuffer.isEmpty()) {
                    TCustomSocksWSocket::TriggerDataAvailable(0);
                }
            });
        },
        Qt::QueuedConnection);
}

int TCustomLineWSocket::GetRcvdCount() {
    if (m_lineMode) return m_lineLength;
    if (!m_lineBuffer.isEmpty()) return int(m_lineBuffer.size());
    return TCustomSocksWSocket::GetRcvdCount();
}

int TCustomLineWSocket::DoRecv(char* buffer, int len, int flags) {
    const int offered = m_lineMode ? m_lineLength : int(m_lineBuffer.size());
    if (offered <= 0) {
        if (m_lineMode) {
            m_lastError = WSAEWOULDBLOCK;
            return -1;
        }
        return TCustomSocksWSocket::DoRecv(buffer, len, flags);
    }
    const int n = std::min(std::max(len, 0), offered);
    std::memcpy(buffer, m_lineBuffer.constData(), size_t(n));
    if (!(flags & MSG_PEEK)) {
        m_lineBuffer.remove(0, n);
        if (m_lineMode) m_lineLength -= n;
    }
    return n;
}

void TCustomLineWSocket::EditLine(QByteArray& received) {
    QByteArray out;
    out.reserve(received.size());
    int column = 0;
    for (char c : received) {
        if (c == '\b') {
            if (!out.isEmpty()) out.chop(1);
            column = std::max(0, column - 1);
        } else if (c == '\t') {
            do {
                out += ' ';
                ++column;
            } while (column % 8 != 0);
        } else {
            out += c;
            column = (c == '\n' || c == '\r') ? 0 : column + 1;
        }
    }
    received = out;
}

void TCustomLineWSocket::fillLineBuffer() {
    char chunk[8192];
    for (;;) {
        const int n = TCustomSocksWSocket::DoRecv(chunk, sizeof chunk, 0);
        if (n <= 0) return;
        m_readCount += n;
        QByteArray received(chunk, n);
        if (m_lineEcho) {
            try {
                Send(received.constData(), int(received.size()));
            } catch (...) {
            }
        }
        if (m_lineEdit) EditLine(received);
        m_lineBuffer += received;
        if (n < int(sizeof chunk)) return;
    }
}

void TCustomLineWSocket::TriggerLineLimitExceeded(int rcvdLength, bool& clearData) {
    if (OnLineLimitExceeded) OnLineLimitExceeded(this, rcvdLength, clearData);
}

void TCustomLineWSocket::deliverLines(int error) {
    QPointer<TCustomLineWSocket> self(this);
    const quint64 generation = m_generation;
    auto alive = [&] { return self && generation == m_generation && m_handle != INVALID_SOCKET; };
    while (m_lineMode && !m_lineEnd.isEmpty()) {
        const qsizetype end = m_lineBuffer.indexOf(m_lineEnd);
        if (end < 0) break;
        m_lineLength = int(end + m_lineEnd.size());
        TCustomSocksWSocket::TriggerDataAvailable(error);
        if (!alive()) return;
        // A line the handler did not read is dropped, or it would be offered forever.
        if (m_lineLength > 0) {
            m_lineBuffer.remove(0, m_lineLength);
            m_lineLength = 0;
        }
    }
    if (m_lineBuffer.size() > m_lineLimit) {
        bool clearData = true;
        TriggerLineLimitExceeded(int(m_lineBuffer.size()), clearData);
        if (alive() && clearData) m_lineBuffer.clear();
    }
}

void TCustomLineWSocket::TriggerDataAvailable(int error) {
    if (!m_lineMode || SocksState() != socksData)
        return TCustomSocksWSocket::TriggerDataAvailable(error);
    fillLineBuffer();
    deliverLines(error);
}

void TCustomLineWSocket::TriggerSessionClosed(int error) {
    if (m_lineMode && !m_lineBuffer.isEmpty()) {
        // The last line had no line end: it is delivered as it is.
        QPointer<TCustomLineWSocket> self(this);
        m_lineLength = int(m_lineBuffer.size());
        TCustomSocksWSocket::TriggerDataAvailable(0);
        if (!self) return;
        m_lineBuffer.clear();
        m_lineLength = 0;
    }
    m_lineBuffer.clear();
    TCustomSocksWSocket::TriggerSessionClosed(error);
}

bool TCustomSyncWSocket::WaitUntilReady(const std::function<bool()>& done, int timeoutMs) {
    QPointer<TCustomSyncWSocket> self(this);
    QElapsedTimer timer;
    timer.start();
    while (self && !done()) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0 || m_state != wsConnected) return false;
        WSocketPumpEvents(int(std::min<qint64>(left, 100)), m_multiThreaded);
    }
    return bool(self);
}

bool TCustomSyncWSocket::Synchronize(const std::function<bool()>& done, int timeoutMs) {
    return WaitUntilReady(done, timeoutMs);
}

QByteArray TCustomSyncWSocket::ReadLine(int timeout) {
    if (m_state != wsConnected) {
        RaiseException(QStringLiteral("ReadLine failed: not connected"));
        return {};
    }
    const int timeoutMs = timeout == 0 ? 60000 : timeout < 0 ? -timeout : timeout * 1000;
    const TSessionEvent savedHandler = OnDataAvailable;
    const bool savedMode = LineMode();
    QByteArray line;
    bool received = false;
    OnDataAvailable = [&](TCustomWSocket*, uint16_t) {
        if (received) return;
        line = ReceiveStr();
        received = !line.isEmpty();
    };
    SetLineMode(true);
    if (!m_lineBuffer.isEmpty()) deliverLines(0);
    QPointer<TCustomSyncWSocket> self(this);
    Synchronize([&] { return received; }, timeoutMs);
    if (!self) return line;
    OnDataAvailable = savedHandler;
    SetLineMode(savedMode);
    if (line.endsWith(LineEnd())) line.chop(LineEnd().size());
    return line;
}
