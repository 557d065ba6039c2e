// SOCKS 4, 4A and 5 (with RFC 1929 username/password) negotiation between the TCP
// connect to the SOCKS server and the owner's OnSessionConnected.
#include "Wsocket.h"

#include <arpa/inet.h>

#include <cstring>

namespace {

enum : int {
    kSocksLogicError = 20001,
    kSocksVersionError = 20002,
    kSocksMethodError = 20003,
    kSocksAddressType = 20011,
    kSocksUnassigned = 20012,
    kSocksInternalError = 20013,
    // Not a reply of the server: a request that does not fit the negotiation buffer.
    kSocksRequestTooLong = 20014,
    kSocksAuthFailed = 20015,
    kSocksRejected = 20016,
    kSocksResolveFailed = 20017,
};

const QString kRequestTooLong = QStringLiteral("socks request too long");

} // namespace

void TCustomSocksWSocket::SetSocksServer(const QString& value) {
    if (m_state != wsClosed)
        return RaiseException(QStringLiteral("Can't change socks server if not closed"));
    m_socksServer = value.trimmed();
    m_socksServerAssigned = !m_socksServer.isEmpty();
}

void TCustomSocksWSocket::SetSocksPort(const QString& value) {
    if (m_state != wsClosed)
        return RaiseException(QStringLiteral("Can't change socks port if not closed"));
    m_socksPort = value.trimmed();
    m_socksPortAssigned = !m_socksPort.isEmpty();
}

void TCustomSocksWSocket::SetSocksLevel(const QString& value) {
    if (m_state != wsClosed)
        return RaiseException(QStringLiteral("Can't change socks level if not closed"));
    if (value != QLatin1String("4") && value != QLatin1String("4A") &&
        value != QLatin1String("4a") && value != QLatin1String("5")) {
        return RaiseException(QStringLiteral("Invalid socks level. Must be 4, 4A or 5."));
    }
    m_socksLevel = value.toUpper();
}

void TCustomSocksWSocket::AssignDefaultValue() {
    TCustomWSocket::AssignDefaultValue();
    m_socksServer.clear();
    m_socksPort.clear();
    m_socksServerAssigned = m_socksPortAssigned = false;
    m_socksLevel = QStringLiteral("5");
    m_socksState = socksData;
    m_negotiationBytes = 0;
    m_rcvdCnt = m_rcvdPtr = 0;
}

void TCustomSocksWSocket::Listen() {
    if (m_socksServerAssigned)
        return RaiseException(QStringLiteral("Listening is not supported thru socks server"));
    TCustomWSocket::Listen();
}

void TCustomSocksWSocket::Connect() {
    if (!m_socksServerAssigned) return TCustomWSocket::Connect();
    if (m_protoStr.toLower() != QLatin1String("tcp")) {
        return RaiseException(
            QStringLiteral("tcp is the only protocol supported thru socks server"));
    }
    if (m_portAssigned && m_addrAssigned) {
        try {
            m_destPort = WSocketResolvePort(m_portStr, QStringLiteral("tcp"));
            if (!m_addrResolved) {
                m_sin.sin_addr.s_addr = WSocketResolveHost(m_socksServer);
                m_addrResolved = true;
            }
            if (!m_portResolved) {
                m_sin.sin_port = htons(WSocketResolvePort(m_socksPort, QStringLiteral("tcp")));
                m_portResolved = true;
            }
        } catch (const ESocketException& e) {
            return RaiseException(QStringLiteral("connect: ") + e.message());
        }
    }
    m_socksState = socksNegociateMethods;
    m_negotiationBytes = 0;
    m_rcvdCnt = m_rcvdPtr = 0;
    try {
        TCustomWSocket::Connect();
    } catch (...) {
        m_socksState = socksData;
        throw;
    }
    if (m_state == wsClosed) m_socksState = socksData;
}

void TCustomSocksWSocket::TriggerSocksConnected(int error) {
    if (OnSocksConnected) OnSocksConnected(this, uint16_t(error));
}

void TCustomSocksWSocket::TriggerSocksError(int error, const QString& msg) {
    if (OnSocksError) OnSocksError(this, error, msg);
}

void TCustomSocksWSocket::TriggerSocksAuthState(TSocksAuthState state) {
    if (OnSocksAuthState) OnSocksAuthState(this, state);
}

void TCustomSocksWSocket::TriggerSessionConnected(int error) {
    if (m_socksState != socksNegociateMethods)
        return TCustomWSocket::TriggerSessionConnected(error);
    QPointer<TCustomSocksWSocket> self(this);
    TriggerSocksConnected(error);
    if (!self) return;
    if (error != 0) {
        m_socksState = socksData;
        return TCustomWSocket::TriggerSessionConnected(error);
    }
    if (m_socksLevel.startsWith(QLatin1Char('4'))) return sendConnectRequest();
    m_offeredMethod = m_socksAuthentication == socksAuthenticateUsercode ? 2 : 0;
    const char greeting[3] = {'\x05', '\x01', char(m_offeredMethod)};
    sendNegotiation(QByteArray(greeting, 3));
}

void TCustomSocksWSocket::TriggerSessionClosed(int error) {
    if (m_socksState == socksAuthenticate) {
        QPointer<TCustomSocksWSocket> self(this);
        TriggerSocksAuthState(socksAuthFailure);
        if (!self) return;
    }
    TCustomWSocket::TriggerSessionClosed(error);
}

void TCustomSocksWSocket::sendNegotiation(const QByteArray& message) {
    try {
        Send(message.constData(), int(message.size()));
    } catch (...) {
        // The reply, or the close, tells how it went.
    }
}

void TCustomSocksWSocket::sendConnectRequest() {
    m_socksState = socksConnect;
    QByteArray request;
    const QByteArray user = m_socksUsercode.toUtf8();
    const QByteArray host = m_addrStr.toUtf8();
    if (m_socksLevel.startsWith(QLatin1Char('4'))) {
        const bool v4a = m_socksLevel == QLatin1String("4A");
        in_addr_t destination = htonl(1); // 0.0.0.1: the server resolves the name (4A)
        if (!v4a) {
            try {
                destination = WSocketResolveHost(m_addrStr);
            } catch (const ESocketException& e) {
                QPointer<TCustomSocksWSocket> self(this);
                TriggerSocksError(kSocksResolveFailed,
                                  QStringLiteral("ESocketException ") + e.message());
                if (!self) return;
                m_socksState = socksData;
                return InternalClose(true, kSocksResolveFailed);
            }
        }
        request += '\x04';
        request += '\x01';
        request += char(m_destPort >> 8);
        request += char(m_destPort & 0xff);
        request.append(reinterpret_cast<const char*>(&destination), 4);
        request += user;
        request += '\0';
        if (v4a) {
            request += host;
            request += '\0';
        }
    } else {
        if (host.size() > 255) return DataAvailableError(kSocksRequestTooLong, kRequestTooLong);
        request += QByteArray("\x05\x01\x00\x03", 4);
        request += char(host.size());
        request += host;
        request += char(m_destPort >> 8);
        request += char(m_destPort & 0xff);
    }
    if (request.size() > kNegotiationBufferSize)
        return DataAvailableError(kSocksRequestTooLong, kRequestTooLong);
    sendNegotiation(request);
}

void TCustomSocksWSocket::sendAuthentication() {
    const QByteArray user = m_socksUsercode.toUtf8();
    const QByteArray password = m_socksPassword.toUtf8();
    if (user.size() > 255 || password.size() > 255 ||
        3 + user.size() + password.size() > kNegotiationBufferSize) {
        return DataAvailableError(kSocksRequestTooLong, kRequestTooLong);
    }
    m_socksState = socksAuthenticate;
    QPointer<TCustomSocksWSocket> self(this);
    TriggerSocksAuthState(socksAuthStart);
    if (!self) return;
    QByteArray message;
    message += '\x01';
    message += char(user.size());
    message += user;
    message += char(password.size());
    message += password;
    sendNegotiation(message);
}

bool TCustomSocksWSocket::readNegotiation(int limit) {
    if (limit <= 0) return true;
    const int n = TCustomWSocket::DoRecv(m_rcvBuf + m_negotiationBytes, limit, 0);
    if (n <= 0) return false; // nothing yet, or the close that follows tells
    m_negotiationBytes += n;
    return true;
}

void TCustomSocksWSocket::TriggerDataAvailable(int error) {
    if (m_socksState == socksData) return TCustomWSocket::TriggerDataAvailable(error);
    if (error != 0) return DataAvailableError(error, QStringLiteral("data receive error"));
    switch (m_socksState) {
    case socksNegociateMethods:
        return methodReply();
    case socksAuthenticate:
        return authenticationReply();
    case socksConnect:
        return m_socksLevel.startsWith(QLatin1Char('4')) ? socks4Reply() : socks5Reply();
    default:
        return DataAvailableError(kSocksInternalError, QStringLiteral("internal error"));
    }
}

void TCustomSocksWSocket::methodReply() {
    if (!readNegotiation(kNegotiationBufferSize - 1 - m_negotiationBytes)) return;
    if (m_socksLevel.startsWith(QLatin1Char('4'))) {
        return DataAvailableError(kSocksLogicError, QStringLiteral("TWSocket logic error"));
    }
    if (m_negotiationBytes < 2) return;
    m_negotiationBytes = 0;
    if (m_rcvBuf[0] != '\x05')
        return DataAvailableError(kSocksVersionError, QStringLiteral("socks version error"));
    if (m_rcvBuf[1] == '\x00') {
        if (m_offeredMethod != 0) {
            QPointer<TCustomSocksWSocket> self(this);
            TriggerSocksAuthState(socksAuthNotRequired);
            if (!self) return;
        }
        return sendConnectRequest();
    }
    if (m_rcvBuf[1] == '\x02') return sendAuthentication();
    DataAvailableError(kSocksMethodError, QStringLiteral("authentification method not acceptable"));
}

void TCustomSocksWSocket::authenticationReply() {
    if (!readNegotiation(kNegotiationBufferSize - 1 - m_negotiationBytes)) return;
    if (m_negotiationBytes >= 1 && m_rcvBuf[0] != '\x01') {
        return DataAvailableError(kSocksVersionError, QStringLiteral("socks version error"));
    }
    if (m_negotiationBytes > 2)
        return DataAvailableError(kSocksLogicError, QStringLiteral("too much data availaible"));
    if (m_negotiationBytes < 2) return;
    if (m_rcvBuf[1] != '\x00')
        return DataAvailableError(kSocksAuthFailed, QStringLiteral("socks authentication failed"));
    m_negotiationBytes = 0;
    QPointer<TCustomSocksWSocket> self(this);
    TriggerSocksAuthState(socksAuthSuccess);
    if (!self) return;
    sendConnectRequest();
}

void TCustomSocksWSocket::socks4Reply() {
    if (!readNegotiation(8 - m_negotiationBytes)) return;
    if (m_negotiationBytes < 8) return;
    m_negotiationBytes = 0;
    if (m_rcvBuf[0] != '\x00')
        return DataAvailableError(kSocksVersionError, QStringLiteral("socks version error"));
    const int status = static_cast<unsigned char>(m_rcvBuf[1]);
    switch (status) {
    case 90:
        return negotiationSucceeded();
    case 91:
        return DataAvailableError(kSocksRejected, QStringLiteral("request rejected or failed"));
    case 92:
        return DataAvailableError(20008, QStringLiteral("connection refused"));
    case 93:
        return DataAvailableError(kSocksAuthFailed, QStringLiteral("authentification failed"));
    default:
        return DataAvailableError(kSocksUnassigned,
                                  QStringLiteral("unassigned error #%1").arg(status));
    }
}

void TCustomSocksWSocket::socks5Reply() {
    if (!readNegotiation(kNegotiationBufferSize - 1 - m_negotiationBytes)) return;
    const auto* b = reinterpret_cast<const unsigned char*>(m_rcvBuf);
    if (m_negotiationBytes >= 1 && b[0] != 5) {
        return DataAvailableError(kSocksVersionError, QStringLiteral("socks version error"));
    }
    if (m_negotiationBytes >= 2 && b[1] != 0) {
        static const char* texts[] = {nullptr,
                                      "general SOCKS server failure",
                                      "connection not allowed by ruleset",
                                      "network unreachable",
                                      "host unreachable",
                                      "connection refused",
                                      "time to live expired",
                                      "command not supported",
                                      "address type not supported"};
        const int code = b[1];
        if (code <= 8) return DataAvailableError(20003 + code, QString::fromLatin1(texts[code]));
        return DataAvailableError(kSocksUnassigned,
                                  QStringLiteral("unassigned error #%1").arg(code));
    }
    if (m_negotiationBytes <= 4) return;
    int length = 5;
    if (b[3] == 1) {
        length = 10;
    } else if (b[3] == 3) {
        length = 7 + b[4];
    } else {
        return DataAvailableError(kSocksAddressType, QStringLiteral("address type not supported"));
    }
    // A bound name too long for the reply buffer could never complete the reply.
    if (length > kNegotiationBufferSize - 1) {
        return DataAvailableError(kSocksAddressType, QStringLiteral("address type not supported"));
    }
    if (m_negotiationBytes < length) return;
    if (b[3] == 1) {
        m_boundAddr = QStringLiteral("%1.%2.%3.%4").arg(b[4]).arg(b[5]).arg(b[6]).arg(b[7]);
    } else {
        m_boundAddr = QString::fromLatin1(m_rcvBuf + 5, b[4]);
    }
    m_boundPort = QString::number((b[length - 2] << 8) | b[length - 1]);
    m_rcvdPtr = length;
    m_rcvdCnt = m_negotiationBytes - length;
    m_negotiationBytes = 0;
    negotiationSucceeded();
}

void TCustomSocksWSocket::negotiationSucceeded() {
    QPointer<TCustomSocksWSocket> self(this);
    const quint64 generation = m_generation;
    m_socksState = socksData;
    TCustomWSocket::TriggerSessionConnected(0);
    if (!self || generation != m_generation || m_handle == INVALID_SOCKET) return;
    TriggerDataAvailable(0);
}

void TCustomSocksWSocket::DataAvailableError(int code, const QString& text) {
    QPointer<TCustomSocksWSocket> self(this);
    TriggerSocksError(code, text);
    if (!self) return;
    m_socksState = socksData;
    TCustomWSocket::TriggerSessionConnected(code);
    if (!self) return;
    InternalClose(true, code);
}

int TCustomSocksWSocket::GetRcvdCount() {
    if (m_rcvdCnt > 0) return m_rcvdCnt;
    return TCustomWSocket::GetRcvdCount();
}

int TCustomSocksWSocket::DoRecv(char* buffer, int len, int flags) {
    if (m_rcvdCnt <= 0) return TCustomWSocket::DoRecv(buffer, len, flags);
    const int n = std::min(std::max(len, 0), m_rcvdCnt);
    std::memcpy(buffer, m_rcvBuf + m_rcvdPtr, size_t(n));
    if (!(flags & MSG_PEEK)) {
        m_rcvdPtr += n;
        m_rcvdCnt -= n;
    }
    return n;
}
