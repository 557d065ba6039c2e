#include "Wsocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostInfo>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

const char* SocketStateName(TSocketState state) {
    static const char* names[] = {"wsInvalidState", "wsOpened",    "wsBound",     "wsConnecting",
                                  "wsConnected",    "wsAccepting", "wsListening", "wsClosed"};
    return (state >= wsInvalidState && state <= wsClosed) ? names[state] : "?";
}

namespace {

int lastSocketError() {
    return WSocketErrorFromErrno(errno);
}

} // namespace

TCustomWSocket::TCustomWSocket(QObject* parent) : QObject(parent) {
    AssignDefaultValue();
}

TCustomWSocket::~TCustomWSocket() {
    m_destroying = true;
    // The owner may be half gone already: nothing is reported from here on.
    OnDnsLookupDone = OnSessionConnected = OnSessionAvailable = OnDataAvailable = OnDataSent =
        OnSessionClosed = nullptr;
    OnSendData = nullptr;
    OnChangeState = nullptr;
    OnError = nullptr;
    OnBgException = nullptr;
    if (m_lookupId != -1) QHostInfo::abortHostLookup(m_lookupId);
    m_lookupId = -1;
    try {
        InternalClose(false, 0);
    } catch (...) {
    }
    if (m_handle != INVALID_SOCKET) ::close(m_handle);
    m_sendQueue.clear();
}

// ---------------------------------------------------------------------------------
// Properties

void TCustomWSocket::SetAddr(const QString& value) {
    const QString v = value.trimmed();
    if (v == m_addrStr) return;
    if (m_state != wsClosed)
        return RaiseException(QStringLiteral("Cannot change Addr if not closed"));
    m_addrStr = v;
    m_addrAssigned = !v.isEmpty();
    m_addrResolved = false;
}

void TCustomWSocket::SetPort(const QString& value) {
    const QString v = value.trimmed();
    if (v == m_portStr) return;
    if (m_state != wsClosed)
        return RaiseException(QStringLiteral("Cannot change Port if not closed"));
    m_portStr = v;
    m_portAssigned = !v.isEmpty();
    m_portResolved = false;
}

void TCustomWSocket::SetProto(const QString& value) {
    const QString v = value.trimmed();
    if (v == m_protoStr) return;
    if (m_state != wsClosed)
        return RaiseException(QStringLiteral("Cannot change Proto if not closed"));
    m_protoStr = v;
    m_protoAssigned = !v.isEmpty();
    m_protoResolved = false;
}

void TCustomWSocket::SetLocalAddr(const QString& value) {
    if (m_state != wsClosed)
        return RaiseException(QStringLiteral("Cannot change LocalAddr if not closed"));
    const QString v = value.trimmed().isEmpty() ? QStringLiteral("0.0.0.0") : value.trimmed();
    if (!WSocketIsDottedIP(v))
        return RaiseException(QStringLiteral("SetLocalAddr(): Invalid IP address"));
    m_localAddr = v;
}

void TCustomWSocket::SetLocalPort(const QString& value) {
    if (m_state != wsClosed)
        return RaiseException(QStringLiteral("Cannot change LocalPort if not closed"));
    m_localPortStr = value.trimmed();
    m_localPortResolved = false;
}

TSocketSendFlags TCustomWSocket::SendFlags() const {
    if (m_sendFlags == 0) return wsSendNormal;
    if (m_sendFlags == MSG_OOB) return wsSendUrgent;
    throw ESocketException(QStringLiteral("Invalid internal SendFlags"));
}

void TCustomWSocket::SetSendFlags(int flags) {
    switch (flags) {
    case wsSendNormal:
        m_sendFlags = 0;
        break;
    case wsSendUrgent:
        m_sendFlags = MSG_OOB;
        break;
    default:
        RaiseException(QStringLiteral("Invalid SendFlags"));
    }
}

QList<int> TCustomWSocket::SendQueueBlocks() const {
    QList<int> sizes;
    for (const auto& b : m_sendQueue)
        sizes << b->Filled() - b->Taken();
    return sizes;
}

QString TCustomWSocket::PeerAddr() {
    if (m_state != wsConnected) return QStringLiteral("error");
    sockaddr_in sin{};
    socklen_t len = sizeof sin;
    if (::getpeername(m_handle, reinterpret_cast<sockaddr*>(&sin), &len) != 0) {
        SystemCallFailed(QStringLiteral("GetPeerName"));
        return QStringLiteral("error");
    }
    return WSocketDottedAddr(sin.sin_addr.s_addr);
}

QString TCustomWSocket::PeerPort() {
    if (m_state != wsConnected) return QStringLiteral("error");
    sockaddr_in sin{};
    socklen_t len = sizeof sin;
    if (::getpeername(m_handle, reinterpret_cast<sockaddr*>(&sin), &len) != 0) {
        SystemCallFailed(QStringLiteral("GetPeerPort"));
        return QStringLiteral("error");
    }
    return QString::number(ntohs(sin.sin_port));
}

int TCustomWSocket::GetSockName(sockaddr_in& addr) {
    socklen_t len = sizeof addr;
    return ::getsockname(m_handle, reinterpret_cast<sockaddr*>(&addr), &len);
}

int TCustomWSocket::GetPeerName(sockaddr_in& addr) {
    if (m_state != wsConnected) return -1;
    socklen_t len = sizeof addr;
    return ::getpeername(m_handle, reinterpret_cast<sockaddr*>(&addr), &len);
}

QString TCustomWSocket::GetXAddr() {
    sockaddr_in sin{};
    if ((m_state != wsBound && m_state != wsConnected && m_state != wsListening) ||
        GetSockName(sin) != 0) {
        return QStringLiteral("error");
    }
    return WSocketDottedAddr(sin.sin_addr.s_addr);
}

QString TCustomWSocket::GetXPort() {
    sockaddr_in sin{};
    if ((m_state != wsBound && m_state != wsConnected && m_state != wsListening) ||
        GetSockName(sin) != 0) {
        return QStringLiteral("error");
    }
    return QString::number(ntohs(sin.sin_port));
}

// ---------------------------------------------------------------------------------
// Errors

void TCustomWSocket::RaiseExceptionText(const QString& text) {
    throw ESocketException(text);
}

void TCustomWSocket::RaiseException(const QString& text) {
    if (OnError) {
        TriggerError();
        return;
    }
    RaiseExceptionText(text);
}

void TCustomWSocket::SystemCallFailed(const QString& where) {
    m_lastError = lastSocketError();
    SocketError(where);
}

void TCustomWSocket::SocketError(const QString& where) {
    const int n = m_lastError;
    const QString text =
        QStringLiteral("Error %1 in function %2\r\n%3").arg(n).arg(where, WSocketErrorDesc(n));
    if (n == WSAECONNRESET || n == WSAENOTCONN) {
        stopWatching();
        if (m_handle != INVALID_SOCKET) ::close(m_handle);
        m_handle = INVALID_SOCKET;
        ChangeState(wsClosed);
    }
    RaiseException(text);
}

void TCustomWSocket::TriggerError() {
    if (OnError) OnError(this);
}

void TCustomWSocket::HandleBackGroundException(const std::exception& e) {
    bool canClose = true;
    if (OnBgException) {
        try {
            OnBgException(this, e, canClose);
        } catch (...) {
        }
    }
    if (canClose) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

void TCustomWSocket::guarded(const std::function<void()>& call) {
    QPointer<TCustomWSocket> self(this);
    try {
        call();
    } catch (const std::exception& e) {
        if (self) HandleBackGroundException(e);
    } catch (...) {
        if (self) HandleBackGroundException(ESocketException(QStringLiteral("Unknown exception")));
    }
}

// ---------------------------------------------------------------------------------
// State and events

void TCustomWSocket::ChangeState(TSocketState newState) {
    const TSocketState old = m_state;
    m_state = newState;
    TriggerChangeState(old, newState);
}

void TCustomWSocket::TriggerChangeState(TSocketState oldState, TSocketState newState) {
    if (OnChangeState) OnChangeState(this, oldState, newState);
}

void TCustomWSocket::TriggerDataAvailable(int error) {
    if (OnDataAvailable) {
        OnDataAvailable(this, uint16_t(error));
        return;
    }
    // Nobody reads: drop what is waiting, so the loop does not spin on it.
    char scratch[1024];
    while (m_handle != INVALID_SOCKET && DoRecv(scratch, sizeof scratch, 0) > 0) {
    }
}

void TCustomWSocket::TriggerSessionAvailable(int error) {
    if (OnSessionAvailable) OnSessionAvailable(this, uint16_t(error));
}

void TCustomWSocket::TriggerSessionConnected(int error) {
    if (OnSessionConnected) OnSessionConnected(this, uint16_t(error));
}

void TCustomWSocket::TriggerSessionClosed(int error) {
    if (OnSessionClosed) OnSessionClosed(this, uint16_t(error));
}

void TCustomWSocket::TriggerDataSent(int error) {
    if (OnDataSent) OnDataSent(this, uint16_t(error));
}

void TCustomWSocket::TriggerDNSLookupDone(int error) {
    if (OnDnsLookupDone) OnDnsLookupDone(this, uint16_t(error));
}

// ---------------------------------------------------------------------------------
// Defaults and closing

void TCustomWSocket::AssignDefaultValue() {
    stopWatching();
    m_sin = sockaddr_in{};
    m_sin.sin_family = AF_INET;
    m_addrStr.clear();
    m_portStr.clear();
    m_addrAssigned = m_addrResolved = false;
    m_portAssigned = m_portResolved = false;
    m_protoStr = QStringLiteral("tcp");
    m_protoAssigned = true;
    m_protoResolved = false;
    m_localPortResolved = false;
    m_localPortStr = QStringLiteral("0");
    m_localAddr = QStringLiteral("0.0.0.0");
    m_lingerOnOff = wsLingerOn;
    m_lingerTimeout = 0;
    m_handle = INVALID_SOCKET;
    m_state = wsClosed;
    m_allSent = true;
    m_paused = false;
    m_closeReported = false;
    m_readCount = 0;
    m_flushTimeout = 60;
}

void TCustomWSocket::InternalClose(bool shutdown, int error) {
    if (m_handle != INVALID_SOCKET && m_state != wsClosed) {
        if (shutdown) ::shutdown(m_handle, SHUT_WR);
        stopWatching();
        ::close(m_handle);
        m_handle = INVALID_SOCKET;
        ChangeState(wsClosed);
        if (!m_destroying && !m_closeReported) {
            m_closeReported = true;
            TriggerSessionClosed(error);
        }
        try {
            AssignDefaultValue();
        } catch (...) {
        }
    } else if (m_state != wsClosed) {
        ChangeState(wsClosed);
        AssignDefaultValue();
    } else if (m_handle != INVALID_SOCKET) {
        // A handle left over from a failed open.
        stopWatching();
        ::close(m_handle);
        m_handle = INVALID_SOCKET;
    }
}

void TCustomWSocket::Close() {
    InternalClose(true, 0);
}

void TCustomWSocket::CloseDelayed() {
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == m_generation) guarded([this] { Close(); });
        },
        Qt::QueuedConnection);
}

void TCustomWSocket::Abort() {
    CancelDnsLookup();
    m_sendQueue.clear();
    m_allSent = true;
    if (m_handle != INVALID_SOCKET && m_state == wsConnected && m_type == SOCK_STREAM) {
        linger l{0, 0};
        ::setsockopt(m_handle, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }
    InternalClose(false, 0);
}

void TCustomWSocket::Release() {
    deleteLater();
}

void TCustomWSocket::Shutdown(int how) {
    if (m_handle != INVALID_SOCKET) ::shutdown(m_handle, how);
}

void TCustomWSocket::Pause() {
    m_paused = true;
    stopWatching();
}

void TCustomWSocket::Resume() {
    m_paused = false;
    if (m_handle != INVALID_SOCKET) watchEvents();
}

void TCustomWSocket::MessagePump() {
    QCoreApplication::processEvents(m_multiThreaded ? QEventLoop::ExcludeUserInputEvents
                                                    : QEventLoop::AllEvents);
}

void TCustomWSocket::Flush() {
    QPointer<TCustomWSocket> self(this);
    while (self && m_handle != INVALID_SOCKET && !m_allSent) {
        TryToSend();
        if (!self || m_allSent || m_handle == INVALID_SOCKET) break;
        WSocketPumpEvents(100, m_multiThreaded);
    }
}

void TCustomWSocket::WaitForClose() {
    QPointer<TCustomWSocket> self(this);
    while (self && m_handle != INVALID_SOCKET && m_state != wsClosed) {
        WSocketPumpEvents(100, m_multiThreaded);
    }
}

// ---------------------------------------------------------------------------------
// Opening

bool TCustomWSocket::resolveForConnect(const QString& where) {
    try {
        if (!m_protoResolved) {
            m_proto = WSocketResolveProto(m_protoStr);
            m_type = m_proto == IPPROTO_UDP ? SOCK_DGRAM : SOCK_STREAM;
            m_protoResolved = true;
        }
        if (!m_portResolved) {
            m_sin.sin_port = htons(WSocketResolvePort(m_portStr, m_protoStr));
            m_portResolved = true;
        }
        if (!m_localPortResolved) {
            m_localPortNum = WSocketResolvePort(m_localPortStr, m_protoStr);
            m_localPortResolved = true;
        }
        if (!m_addrResolved) {
            m_sin.sin_addr.s_addr = WSocketResolveHost(m_addrStr);
            m_addrResolved = true;
        }
    } catch (const ESocketException& e) {
        RaiseException(where + QStringLiteral(": ") + e.message());
        return false;
    }
    return true;
}

void TCustomWSocket::setLingerOption() {
    if (m_lingerOnOff == wsLingerNoSet) return;
    if (m_handle == INVALID_SOCKET)
        return RaiseException(QStringLiteral("Cannot set linger option at this time"));
    linger l{m_lingerOnOff == wsLingerOn ? 1 : 0, m_lingerTimeout};
    if (::setsockopt(m_handle, SOL_SOCKET, SO_LINGER, &l, sizeof l) != 0) {
        SystemCallFailed(QStringLiteral("setsockopt(SO_LINGER)"));
    }
}

void TCustomWSocket::BindSocket() {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(m_localPortNum);
    local.sin_addr.s_addr = WSocketResolveHost(m_localAddr);
    if (::bind(m_handle, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        m_lastError = lastSocketError();
        return RaiseException(QStringLiteral("winsock.bind failed, error #%1").arg(m_lastError));
    }
    sockaddr_in bound{};
    if (GetSockName(bound) != 0) {
        m_lastError = lastSocketError();
        return RaiseException(
            QStringLiteral("winsock.getsockname failed, error #%1").arg(m_lastError));
    }
    m_localPortStr = QString::number(ntohs(bound.sin_port));
}

void TCustomWSocket::Connect() {
    if (m_handle != INVALID_SOCKET && m_state != wsClosed) {
        return RaiseException(QStringLiteral("Connect: Socket already in use"));
    }
    if (!m_portAssigned) return RaiseException(QStringLiteral("Connect: No Port Specified"));
    if (!m_addrAssigned) return RaiseException(QStringLiteral("Connect: No IP Address Specified"));
    if (!m_protoAssigned) return RaiseException(QStringLiteral("Connect: No Protocol Specified"));
    if (!resolveForConnect(QStringLiteral("connect"))) return;
    m_sendQueue.clear();
    m_handle = ::socket(AF_INET, m_type | SOCK_NONBLOCK | SOCK_CLOEXEC, m_proto);
    if (m_handle == INVALID_SOCKET) {
        return SystemCallFailed(QStringLiteral("Connect (socket)"));
    }
    ++m_generation;
    m_closeReported = false;
    ChangeState(wsOpened);
    const int on = 1;
    if (m_type == SOCK_STREAM) {
        if (::setsockopt(m_handle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
            return SystemCallFailed(QStringLiteral("setsockopt(SO_REUSEADDR)"));
        }
        setLingerOption();
        if (::setsockopt(m_handle, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0) {
            return SystemCallFailed(QStringLiteral("setsockopt(SO_KEEPALIVE)"));
        }
        if (m_localPortNum != 0 || m_localAddr != QLatin1String("0.0.0.0")) BindSocket();
    } else {
        BindSocket();
        if (m_sin.sin_addr.s_addr == INADDR_BROADCAST &&
            ::setsockopt(m_handle, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
            return SystemCallFailed(QStringLiteral("setsockopt(SO_BROADCAST)"));
        }
    }
    watchEvents();
    if (m_type == SOCK_DGRAM) {
        ChangeState(wsConnected);
        TriggerSessionConnected(0);
        return;
    }
    if (::connect(m_handle, reinterpret_cast<sockaddr*>(&m_sin), sizeof m_sin) == 0 ||
        errno == EINPROGRESS) {
        ChangeState(wsConnecting);
        updateWriteWatch();
        return;
    }
    SystemCallFailed(QStringLiteral("Connect"));
}

void TCustomWSocket::Listen() {
    if (!m_portAssigned) {
        m_lastError = WSAEINVAL;
        return SocketError(QStringLiteral("listen: port not assigned"));
    }
    if (!m_protoAssigned) {
        m_lastError = WSAEINVAL;
        return SocketError(QStringLiteral("listen: protocol not assigned"));
    }
    if (!m_addrAssigned) {
        m_lastError = WSAEINVAL;
        return SocketError(QStringLiteral("listen: address not assigned"));
    }
    if (!resolveForConnect(QStringLiteral("listen"))) return;
    m_sendQueue.clear();
    m_handle = ::socket(AF_INET, m_type | SOCK_NONBLOCK | SOCK_CLOEXEC, m_proto);
    if (m_handle == INVALID_SOCKET) {
        return SystemCallFailed(QStringLiteral("socket"));
    }
    ++m_generation;
    m_closeReported = false;
    ChangeState(wsOpened);
    const int on = 1;
    ::setsockopt(m_handle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(m_handle, reinterpret_cast<sockaddr*>(&m_sin), sizeof m_sin) != 0) {
        m_lastError = lastSocketError();
        const int error = m_lastError;
        Close();
        m_lastError = error;
        return SocketError(QStringLiteral("Bind"));
    }
    ChangeState(wsBound);
    if (m_type == SOCK_STREAM) {
        if (::listen(m_handle, 5) != 0) {
            return SystemCallFailed(QStringLiteral("Listen"));
        }
        ChangeState(wsListening);
        watchEvents();
    } else {
        ChangeState(wsListening);
        ChangeState(wsConnected);
        watchEvents();
        TriggerSessionConnected(0);
    }
}

TSocket TCustomWSocket::Accept() {
    if (m_state != wsListening) {
        m_lastError = WSAEINVAL;
        SocketError(QStringLiteral("not a listening socket"));
        return INVALID_SOCKET;
    }
    const TSocket h = ::accept4(m_handle, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (h == INVALID_SOCKET) {
        SystemCallFailed(QStringLiteral("Accept"));
    }
    return h;
}

void TCustomWSocket::Dup(TSocket handle) {
    if (handle == 0 || handle == INVALID_SOCKET) {
        m_lastError = WSAEINVAL;
        return SocketError(QStringLiteral("Dup"));
    }
    if (m_state != wsClosed) {
        stopWatching();
        if (m_handle != INVALID_SOCKET && ::close(m_handle) != 0) {
            m_lastError = lastSocketError();
            m_handle = INVALID_SOCKET;
            return SocketError(QStringLiteral("Dup (closesocket)"));
        }
        m_handle = INVALID_SOCKET;
        ChangeState(wsClosed);
    }
    m_handle = handle;
    ::fcntl(m_handle, F_SETFL, ::fcntl(m_handle, F_GETFL) | O_NONBLOCK);
    ++m_generation;
    m_closeReported = false;
    m_allSent = true;
    m_type = SOCK_STREAM;
    setLingerOption();
    watchEvents();
    ChangeState(wsConnected);
}

// ---------------------------------------------------------------------------------
// Readiness

void TCustomWSocket::watchEvents() {
    if (m_handle == INVALID_SOCKET || m_paused) return;
    if (!m_readNotifier) {
        m_readNotifier = new QSocketNotifier(m_handle, QSocketNotifier::Read, this);
        connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { onReadReady(); });
    }
    m_readNotifier->setEnabled(true);
    if (!m_writeNotifier) {
        m_writeNotifier = new QSocketNotifier(m_handle, QSocketNotifier::Write, this);
        connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { onWriteReady(); });
    }
    updateWriteWatch();
}

void TCustomWSocket::stopWatching() {
    // The notifiers may be inside their own signal: disable now, delete later.
    for (QSocketNotifier** n : {&m_readNotifier, &m_writeNotifier}) {
        if (*n) {
            (*n)->setEnabled(false);
            (*n)->deleteLater();
            *n = nullptr;
        }
    }
}

void TCustomWSocket::updateWriteWatch() {
    if (!m_writeNotifier) return;
    bool pending = m_state == wsConnecting;
    for (const auto& b : m_sendQueue)
        pending = pending || b->Filled() > b->Taken();
    m_writeNotifier->setEnabled(pending && !m_paused);
}

void TCustomWSocket::onReadReady() {
    if (m_paused || m_handle == INVALID_SOCKET) return;
    guarded([this] {
        QPointer<TCustomWSocket> self(this);
        const quint64 generation = m_generation;
        auto alive = [&] {
            return self && generation == m_generation && m_handle != INVALID_SOCKET;
        };
        if (m_state == wsListening) {
            TriggerSessionAvailable(0);
            return;
        }
        if (m_state == wsConnecting) {
            int error = 0;
            socklen_t len = sizeof error;
            ::getsockopt(m_handle, SOL_SOCKET, SO_ERROR, &error, &len);
            connectComplete(WSocketErrorFromErrno(error));
            if (!alive() || error != 0) return;
        }
        int waiting = 0;
        if (m_type == SOCK_DGRAM || (::ioctl(m_handle, FIONREAD, &waiting) == 0 && waiting > 0)) {
            if (m_state != wsConnected) {
                ChangeState(wsConnected);
                TriggerSessionConnected(0);
                if (!alive()) return;
            }
            ReceiveLoop(0);
            return;
        }
        // Readable with nothing to read: the peer closed, or the connection broke.
        char probe;
        const ssize_t r = ::recv(m_handle, &probe, 1, MSG_PEEK);
        if (r > 0) {
            ReceiveLoop(0);
        } else if (r == 0) {
            sessionClosedEvent(0);
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            sessionClosedEvent(lastSocketError());
        }
    });
}

void TCustomWSocket::onWriteReady() {
    if (m_paused || m_handle == INVALID_SOCKET) return;
    guarded([this] {
        QPointer<TCustomWSocket> self(this);
        const quint64 generation = m_generation;
        if (m_state == wsConnecting) {
            int error = 0;
            socklen_t len = sizeof error;
            ::getsockopt(m_handle, SOL_SOCKET, SO_ERROR, &error, &len);
            connectComplete(WSocketErrorFromErrno(error));
            if (!self || generation != m_generation || m_handle == INVALID_SOCKET || error != 0)
                return;
        }
        writeEvent(0);
    });
}

void TCustomWSocket::connectComplete(int error) {
    QPointer<TCustomWSocket> self(this);
    if (m_state != wsConnected) {
        ChangeState(wsConnected);
        TriggerSessionConnected(error);
    }
    if (self && error != 0 && m_state != wsClosed) Close();
}

void TCustomWSocket::writeEvent(int error) {
    QPointer<TCustomWSocket> self(this);
    TryToSend();
    if (!self || m_handle == INVALID_SOCKET) return;
    updateWriteWatch();
    if (m_allSent) TriggerDataSent(error);
}

void TCustomWSocket::queueWriteEvent() {
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != m_generation || m_handle == INVALID_SOCKET || m_paused) return;
            guarded([this] { writeEvent(0); });
        },
        Qt::QueuedConnection);
}

void TCustomWSocket::sessionClosedEvent(int error) {
    QPointer<TCustomWSocket> self(this);
    const TWSocketOptions saved = m_options;
    m_options &= ~TWSocketOptions(wsoNoReceiveLoop);
    ReceiveLoop(error);
    if (!self) return;
    m_options = saved;
    if (m_handle == INVALID_SOCKET && m_state == wsClosed) return;
    if (!m_closeReported) {
        m_closeReported = true;
        TriggerSessionClosed(error);
        if (!self) return;
    }
    if (m_state != wsClosed) InternalClose(true, error);
}

void TCustomWSocket::ReceiveLoop(int error) {
    QPointer<TCustomWSocket> self(this);
    const quint64 generation = m_generation;
    for (;;) {
        const int before = GetRcvdCount();
        m_lastError = 0;
        TriggerDataAvailable(error);
        if (!self || generation != m_generation || m_handle == INVALID_SOCKET) return;
        if (m_options & wsoNoReceiveLoop) return;
        const int after = GetRcvdCount();
        // Stop when nothing waits, and when the handler took nothing, so a handler
        // that does not read cannot keep the loop spinning.
        if (after <= 0 || after >= before) return;
    }
}

// ---------------------------------------------------------------------------------
// Sending

int TCustomWSocket::RealSend(const char* data, int len) {
    const ssize_t n = m_type == SOCK_DGRAM
                          ? ::sendto(m_handle, data, size_t(len), m_sendFlags | MSG_NOSIGNAL,
                                     reinterpret_cast<const sockaddr*>(&m_sin), sizeof m_sin)
                          : ::send(m_handle, data, size_t(len), m_sendFlags | MSG_NOSIGNAL);
    if (n > 0 && OnSendData) {
        const int saved = errno;
        OnSendData(this, int(n));
        errno = saved;
    }
    return int(n);
}

bool TCustomWSocket::TryToSend() {
    if (m_handle == INVALID_SOCKET || m_sendQueue.empty()) return m_allSent;
    QPointer<TCustomWSocket> self(this);
    for (;;) {
        TBuffer& block = *m_sendQueue.front();
        int len = 0;
        const char* data = block.Peek(len);
        if (len == 0) {
            if (m_sendQueue.size() > 1) {
                m_sendQueue.pop_front();
                continue;
            }
            m_allSent = true;
            return true;
        }
        const int n = RealSend(data, len);
        const int error = n < 0 ? lastSocketError() : 0;
        if (!self || m_handle == INVALID_SOCKET || m_sendQueue.empty()) return false;
        if (n > 0) {
            m_sendQueue.front()->Remove(n);
            if (n == len) continue;
            return false;
        }
        if (n == 0 || error == WSAEWOULDBLOCK) return false;
        // A broken connection ends the session; Linux reports a peer gone while we
        // send as EPIPE, where Windows reports a reset or an abort.
        if (error == WSAECONNRESET || error == WSAENOTSOCK || error == WSAENOTCONN ||
            error == WSAEINVAL || error == WSAECONNABORTED || error == WSAESHUTDOWN) {
            m_closeReported = true;
            Close();
            if (self) TriggerSessionClosed(error);
            return false;
        }
        m_lastError = error;
        SocketError(QStringLiteral("TryToSend failed"));
        return false;
    }
}

int TCustomWSocket::Send(const void* data, int len) {
    if (m_state != wsConnected) {
        m_lastError = WSAENOTCONN;
        SocketError(QStringLiteral("Send"));
        return -1;
    }
    if (len <= 0) return 0;
    QPointer<TCustomWSocket> self(this);
    m_allSent = false;
    const char* p = static_cast<const char*>(data);
    int left = len;
    // With nothing queued, the network gets the caller's bytes directly; only what it
    // cannot take now is copied into the queue.
    if (m_sendQueue.empty() || (m_sendQueue.size() == 1 && m_sendQueue.front()->Filled() == 0)) {
        while (left > 0) {
            const int n = RealSend(p, left);
            if (!self) return len;
            if (n <= 0 || m_handle == INVALID_SOCKET) break;
            p += n;
            left -= n;
        }
        if (left == 0) {
            m_allSent = true;
            queueWriteEvent();
            return len;
        }
    }
    while (left > 0) {
        if (m_sendQueue.empty() || m_sendQueue.back()->Filled() == m_sendQueue.back()->BufSize()) {
            m_sendQueue.push_back(std::make_unique<TBuffer>(kSendBlockSize));
        }
        const int n = m_sendQueue.back()->Write(p, left);
        p += n;
        left -= n;
    }
    TryToSend();
    if (!self || m_handle == INVALID_SOCKET) return len;
    if (m_allSent) {
        queueWriteEvent();
    } else {
        updateWriteWatch();
    }
    return len;
}

int TCustomWSocket::SendTo(const sockaddr_in& dest, const void* data, int len) {
    const ssize_t n = ::sendto(m_handle, data, size_t(len), m_sendFlags | MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&dest), sizeof dest);
    if (n < 0) m_lastError = lastSocketError();
    if (n > 0 && OnSendData) OnSendData(this, int(n));
    return int(n);
}

// ---------------------------------------------------------------------------------
// Receiving

int TCustomWSocket::GetRcvdCount() {
    if (m_handle == INVALID_SOCKET) return -1;
    int waiting = 0;
    if (::ioctl(m_handle, FIONREAD, &waiting) != 0) {
        SystemCallFailed(QStringLiteral("ioctlSocket"));
        return -1;
    }
    return waiting;
}

int TCustomWSocket::DoRecv(char* buffer, int len, int flags) {
    if (m_handle == INVALID_SOCKET) {
        m_lastError = WSAENOTCONN;
        return -1;
    }
    const ssize_t n = ::recv(m_handle, buffer, size_t(std::max(len, 0)), flags);
    if (n < 0) m_lastError = lastSocketError();
    return int(n);
}

int TCustomWSocket::Receive(void* buffer, int len) {
    const int n = DoRecv(static_cast<char*>(buffer), len, 0);
    if (n > 0) m_readCount += n;
    return n;
}

QByteArray TCustomWSocket::ReceiveStr() {
    int count = GetRcvdCount();
    if (count < 0) return {};
    if (count == 0) count = 255;
    QByteArray data(count, Qt::Uninitialized);
    const int n = Receive(data.data(), count);
    if (n <= 0) return {};
    data.truncate(n);
    return data;
}

int TCustomWSocket::PeekData(void* buffer, int len) {
    return DoRecv(static_cast<char*>(buffer), len, MSG_PEEK);
}

int TCustomWSocket::ReceiveFrom(void* buffer, int len, sockaddr_in& from) {
    socklen_t fromLen = sizeof from;
    const ssize_t n = ::recvfrom(m_handle, buffer, size_t(std::max(len, 0)), 0,
                                 reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0) {
        m_lastError = lastSocketError();
    } else {
        m_readCount += n;
    }
    return int(n);
}

// ---------------------------------------------------------------------------------
// Name lookup

void TCustomWSocket::DnsLookup(const QString& host) {
    if (host.trimmed().isEmpty()) {
        m_lastError = WSAEINVAL;
        RaiseException(QStringLiteral("DNS lookup: invalid host name."));
        TriggerDNSLookupDone(WSAEINVAL);
        return;
    }
    if (m_lookupId != -1) QHostInfo::abortHostLookup(m_lookupId);
    m_lookupId = -1;
    m_dnsResult.clear();
    m_dnsResultList.clear();
    m_reverseLookup = false;
    if (WSocketIsDottedIP(host)) {
        in_addr a{};
        inet_pton(AF_INET, host.trimmed().toLatin1().constData(), &a);
        m_dnsResult = WSocketDottedAddr(a.s_addr);
        TriggerDNSLookupDone(0);
        return;
    }
    m_lookupId = QHostInfo::lookupHost(host.trimmed(), this,
                                       [this](const QHostInfo& info) { lookupDone(info); });
}

void TCustomWSocket::ReverseDnsLookup(const QString& addr) {
    if (addr.isEmpty() || addr.size() > 256) {
        return RaiseException(QStringLiteral("ReverseDnsLookup: Invalid host name."));
    }
    if (m_lookupId != -1) QHostInfo::abortHostLookup(m_lookupId);
    m_dnsResult.clear();
    m_dnsResultList.clear();
    m_reverseLookup = true;
    m_lookupId = QHostInfo::lookupHost(addr.trimmed(), this,
                                       [this](const QHostInfo& info) { lookupDone(info); });
}

void TCustomWSocket::lookupDone(const QHostInfo& info) {
    if (info.lookupId() != m_lookupId) return;
    m_lookupId = -1;
    int error = 0;
    switch (info.error()) {
    case QHostInfo::NoError:
        break;
    case QHostInfo::HostNotFound:
        error = WSAHOST_NOT_FOUND;
        break;
    default:
        error = WSATRY_AGAIN;
        break;
    }
    if (error == 0 && m_reverseLookup) {
        m_dnsResult = info.hostName();
        m_dnsResultList = {m_dnsResult};
    } else if (error == 0) {
        for (const QHostAddress& a : info.addresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol &&
                !m_dnsResultList.contains(a.toString())) {
                m_dnsResultList << a.toString();
            }
        }
        if (m_dnsResultList.isEmpty()) {
            error = WSANO_DATA;
        } else {
            m_dnsResult = m_dnsResultList.first();
        }
    }
    guarded([this, error] { TriggerDNSLookupDone(error); });
}

void TCustomWSocket::CancelDnsLookup() {
    if (m_lookupId == -1) return;
    QHostInfo::abortHostLookup(m_lookupId);
    m_lookupId = -1;
    if (!m_destroying) TriggerDNSLookupDone(WSAEINTR);
}
