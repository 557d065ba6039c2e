// Event-driven TCP (and UDP) sockets on the Qt event loop, with SOCKS 4/4A/5 client
// negotiation, an optional line mode and a blocking ReadLine.
//
// A socket never blocks the loop: connects, name lookups and sends complete later and
// are reported through the On... callbacks, always from the event loop of the thread
// that owns the socket. Socket errors keep the Winsock numbering (10004-11004) and
// SOCKS failures use 20001-20017, so the texts of WSocketErrorDesc apply everywhere.
//
// Handlers may close or delete the socket (through Release) from inside a callback;
// the dispatcher re-checks the socket after every call out.
#pragma once

#include "Wsockbuf.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <netinet/in.h>

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>

class QSocketNotifier;
class QHostInfo;

enum TSocketState {
    wsInvalidState,
    wsOpened,
    wsBound,
    wsConnecting,
    wsConnected,
    wsAccepting,
    wsListening,
    wsClosed
};
const char* SocketStateName(TSocketState state);

enum TSocketSendFlags { wsSendNormal, wsSendUrgent };
enum TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
enum TWSocketOption : unsigned { wsoNoReceiveLoop = 1 };
using TWSocketOptions = unsigned;

enum TSocksState { socksData, socksNegociateMethods, socksAuthenticate, socksConnect };
enum TSocksAuthState { socksAuthStart, socksAuthSuccess, socksAuthFailure, socksAuthNotRequired };
enum TSocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };

using TSocket = int;
constexpr TSocket INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

// Winsock error numbers the socket layer reports itself.
enum : int {
    WSAEINTR = 10004,
    WSAEINVAL = 10022,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAENOTSOCK = 10038,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOTCONN = 10057,
    WSAESHUTDOWN = 10058,
    WSAECONNREFUSED = 10061,
    WSANOTINITIALISED = 10093,
    WSAHOST_NOT_FOUND = 11001,
    WSATRY_AGAIN = 11002,
    WSANO_RECOVERY = 11003,
    WSANO_DATA = 11004,
};

class ESocketException : public std::runtime_error {
public:
    explicit ESocketException(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The text of a socket error number ("Not a WinSock error" for unknown numbers).
QString WSocketErrorDesc(int error);
// What a SOCKS server did, for an error of 20001-20017 ("rejected the user name or
// password"); "" for any other number.
QString WSocketSocksErrorPhrase(int error);
// The Winsock number for a POSIX errno value.
int WSocketErrorFromErrno(int posixError);
// The Winsock number for a getaddrinfo() result.
int WSocketErrorFromResolver(int gaiError);

bool WSocketIsDottedIP(const QString& s);
// An IPv4 address in network byte order as dotted text.
QString WSocketDottedAddr(in_addr_t addr);
// IPv4 address in network byte order; a name is looked up (blocking).
in_addr_t WSocketResolveHost(const QString& host);
// Port number in host byte order.
uint16_t WSocketResolvePort(const QString& port, const QString& proto);
int WSocketResolveProto(const QString& proto);
QStringList WSocketGetHostByName(const QString& name);
QString WSocketGetHostByAddr(const QString& addr);
QString WSocketResolveIp(const QString& addr);
QString LocalHostName();
QStringList LocalIPList();

// Waits for the next event (at most maxWaitMs) and processes what is pending. The
// waiting loops of the sockets and the FTP engine are built on it.
void WSocketPumpEvents(int maxWaitMs, bool onlyThisThread = false);

class TCustomWSocket;
using TNotifyEvent = std::function<void(TCustomWSocket* sender)>;
using TSessionEvent = std::function<void(TCustomWSocket* sender, uint16_t error)>;
using TSendDataEvent = std::function<void(TCustomWSocket* sender, int bytesSent)>;
using TChangeStateEvent =
    std::function<void(TCustomWSocket* sender, TSocketState oldState, TSocketState newState)>;
using TBgExceptionEvent =
    std::function<void(TCustomWSocket* sender, const std::exception& e, bool& canClose)>;
using TSocksErrorEvent = std::function<void(TCustomWSocket* sender, int error, const QString& msg)>;
using TSocksAuthStateEvent = std::function<void(TCustomWSocket* sender, TSocksAuthState state)>;
using TLineLimitEvent =
    std::function<void(TCustomWSocket* sender, int rcvdLength, bool& clearData)>;

class TCustomWSocket : public QObject {
    Q_OBJECT
public:
    static constexpr int kSendBlockSize = 1460;

    explicit TCustomWSocket(QObject* parent = nullptr);
    ~TCustomWSocket() override;

    // Properties.
    QString Addr() const { return m_addrStr; }
    void SetAddr(const QString& value);
    QString Port() const { return m_portStr; }
    void SetPort(const QString& value);
    QString Proto() const { return m_protoStr; }
    void SetProto(const QString& value);
    QString LocalAddr() const { return m_localAddr; }
    void SetLocalAddr(const QString& value);
    QString LocalPort() const { return m_localPortStr; }
    void SetLocalPort(const QString& value);
    QString PeerAddr();
    QString PeerPort();
    QString DnsResult() const { return m_dnsResult; }
    QStringList DnsResultList() const { return m_dnsResultList; }
    TSocketState State() const { return m_state; }
    qint64 ReadCount() const { return m_readCount; }
    int RcvdCount() { return GetRcvdCount(); }
    int LastError() const { return m_lastError; }
    void SetLastError(int error) { m_lastError = error; }
    bool MultiThreaded() const { return m_multiThreaded; }
    void SetMultiThreaded(bool on) { m_multiThreaded = on; }
    TWSocketOptions ComponentOptions() const { return m_options; }
    void SetComponentOptions(TWSocketOptions options) { m_options = options; }
    int FlushTimeout() const { return m_flushTimeout; }
    void SetFlushTimeout(int seconds) { m_flushTimeout = seconds; }
    TSocketSendFlags SendFlags() const;
    void SetSendFlags(int flags);
    TSocketLingerOnOff LingerOnOff() const { return m_lingerOnOff; }
    void SetLingerOnOff(TSocketLingerOnOff value) { m_lingerOnOff = value; }
    int LingerTimeout() const { return m_lingerTimeout; }
    void SetLingerTimeout(int seconds) { m_lingerTimeout = seconds; }
    TSocket HSocket() const { return m_handle; }
    bool AllSent() const { return m_allSent; }
    bool Paused() const { return m_paused; }
    // Sizes of the blocks waiting in the send queue, filled minus taken (for tests
    // and diagnostics).
    QList<int> SendQueueBlocks() const;

    // Events.
    TSessionEvent OnDnsLookupDone;
    TSessionEvent OnSessionConnected;
    TSessionEvent OnSessionAvailable;
    TSessionEvent OnDataAvailable;
    TSessionEvent OnDataSent;
    TSendDataEvent OnSendData;
    TSessionEvent OnSessionClosed;
    TChangeStateEvent OnChangeState;
    TNotifyEvent OnError;
    TBgExceptionEvent OnBgException;

    // Operations.
    virtual void Connect();
    virtual void Listen();
    virtual TSocket Accept();
    virtual void Dup(TSocket handle);
    virtual void Close();
    virtual void CloseDelayed();
    virtual void Abort();
    virtual void Release();
    virtual void Flush();
    virtual void WaitForClose();
    virtual void Shutdown(int how);
    virtual void Pause();
    virtual void Resume();
    virtual void MessagePump();

    virtual int Send(const void* data, int len);
    int SendStr(const QByteArray& s) {
        return s.isEmpty() ? 0 : Send(s.constData(), int(s.size()));
    }
    int SendText(const QByteArray& s) { return SendStr(s); }
    virtual int SendTo(const sockaddr_in& dest, const void* data, int len);
    virtual int Receive(void* buffer, int len);
    virtual QByteArray ReceiveStr();
    int PeekData(void* buffer, int len);
    virtual int ReceiveFrom(void* buffer, int len, sockaddr_in& from);

    virtual void DnsLookup(const QString& host);
    virtual void ReverseDnsLookup(const QString& addr);
    virtual void CancelDnsLookup();

    virtual int GetSockName(sockaddr_in& addr);
    virtual int GetPeerName(sockaddr_in& addr);
    virtual QString GetXAddr();
    virtual QString GetXPort();

protected:
    virtual void AssignDefaultValue();
    virtual void InternalClose(bool shutdown, int error);
    virtual int GetRcvdCount();
    virtual void BindSocket();
    virtual int RealSend(const char* data, int len);
    virtual int DoRecv(char* buffer, int len, int flags);
    virtual void TriggerDataAvailable(int error);
    virtual void TriggerSessionAvailable(int error);
    virtual void TriggerSessionConnected(int error);
    virtual void TriggerSessionClosed(int error);
    virtual void TriggerDataSent(int error);
    virtual void TriggerChangeState(TSocketState oldState, TSocketState newState);
    virtual void TriggerDNSLookupDone(int error);
    virtual void TriggerError();
    virtual void HandleBackGroundException(const std::exception& e);

    [[noreturn]] void RaiseExceptionText(const QString& text);
    // Raises, or fires OnError when it is set (then returns).
    void RaiseException(const QString& text);
    void SocketError(const QString& where);
    // A system call failed: errno becomes the last error, handled as SocketError does.
    void SystemCallFailed(const QString& where);
    void ChangeState(TSocketState newState);
    bool TryToSend();
    void ReceiveLoop(int error);
    // Runs an event dispatch; an exception escaping a handler goes to
    // HandleBackGroundException.
    void guarded(const std::function<void()>& call);
    // Resolves what is not resolved yet; false after reporting a failure.
    bool resolveForConnect(const QString& where);
    void watchEvents();
    void stopWatching();
    void updateWriteWatch();

    // The close that follows the peer's close or a fatal error.
    void sessionClosedEvent(int error);

    TSocket m_handle = INVALID_SOCKET;
    sockaddr_in m_sin{};
    QString m_addrStr, m_portStr, m_protoStr = QStringLiteral("tcp");
    QString m_localAddr = QStringLiteral("0.0.0.0"), m_localPortStr = QStringLiteral("0");
    bool m_portAssigned = false, m_portResolved = false;
    bool m_addrAssigned = false, m_addrResolved = false;
    bool m_protoAssigned = true, m_protoResolved = false;
    bool m_localPortResolved = false;
    int m_proto = IPPROTO_TCP;
    int m_type = 1; // SOCK_STREAM
    uint16_t m_localPortNum = 0;
    bool m_allSent = true;
    bool m_closeReported = false;
    bool m_paused = false;
    bool m_destroying = false;
    TSocketState m_state = wsClosed;
    qint64 m_readCount = 0;
    int m_lastError = 0;
    bool m_multiThreaded = false;
    TWSocketOptions m_options = 0;
    int m_flushTimeout = 60;
    int m_sendFlags = 0;
    TSocketLingerOnOff m_lingerOnOff = wsLingerOn;
    int m_lingerTimeout = 0;
    QString m_dnsResult;
    QStringList m_dnsResultList;
    int m_lookupId = -1;
    bool m_reverseLookup = false;
    // Incremented for every new handle, so deferred calls for an older one are dropped.
    quint64 m_generation = 0;
    std::deque<std::unique_ptr<TBuffer>> m_sendQueue;

private:
    void onReadReady();
    void onWriteReady();
    void connectComplete(int error);
    void writeEvent(int error);
    void queueWriteEvent();
    void lookupDone(const QHostInfo& info);
    void setLingerOption();

    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
};

class TCustomSocksWSocket : public TCustomWSocket {
    Q_OBJECT
public:
    static constexpr int kNegotiationBufferSize = 128;

    explicit TCustomSocksWSocket(QObject* parent = nullptr) : TCustomWSocket(parent) {}

    QString SocksServer() const { return m_socksServer; }
    virtual void SetSocksServer(const QString& value);
    QString SocksPort() const { return m_socksPort; }
    virtual void SetSocksPort(const QString& value);
    QString SocksLevel() const { return m_socksLevel; }
    void SetSocksLevel(const QString& value);
    QString SocksUsercode() const { return m_socksUsercode; }
    void SetSocksUsercode(const QString& value) { m_socksUsercode = value; }
    QString SocksPassword() const { return m_socksPassword; }
    void SetSocksPassword(const QString& value) { m_socksPassword = value; }
    TSocksAuthentication SocksAuthentication() const { return m_socksAuthentication; }
    void SetSocksAuthentication(TSocksAuthentication value) { m_socksAuthentication = value; }
    TSocksState SocksState() const { return m_socksState; }
    QString BoundAddr() const { return m_boundAddr; }
    QString BoundPort() const { return m_boundPort; }

    TSessionEvent OnSocksConnected;
    TSocksErrorEvent OnSocksError;
    TSocksAuthStateEvent OnSocksAuthState;

    void Connect() override;
    void Listen() override;

protected:
    void AssignDefaultValue() override;
    void TriggerDataAvailable(int error) override;
    void TriggerSessionConnected(int error) override;
    void TriggerSessionClosed(int error) override;
    int GetRcvdCount() override;
    int DoRecv(char* buffer, int len, int flags) override;
    virtual void TriggerSocksConnected(int error);
    virtual void TriggerSocksError(int error, const QString& msg);
    virtual void TriggerSocksAuthState(TSocksAuthState state);

private:
    void sendGreeting();
    void sendConnectRequest();
    void sendAuthentication();
    // Sends a negotiation message; a refused send is left to the reply or the close.
    void sendNegotiation(const QByteArray& message);
    // Reads what the negotiation state accepts into the reply buffer; false on error.
    bool readNegotiation(int limit);
    void negotiationSucceeded();
    void DataAvailableError(int code, const QString& text);
    void methodReply();
    void authenticationReply();
    void socks4Reply();
    void socks5Reply();

    QString m_socksServer, m_socksPort;
    QString m_socksLevel = QStringLiteral("5");
    QString m_socksUsercode, m_socksPassword;
    TSocksAuthentication m_socksAuthentication = socksNoAuthentication;
    bool m_socksServerAssigned = false, m_socksPortAssigned = false;
    TSocksState m_socksState = socksData;
    int m_offeredMethod = 0;
    char m_rcvBuf[kNegotiationBufferSize] = {};
    int m_negotiationBytes = 0;
    uint16_t m_destPort = 0;
    QString m_boundAddr, m_boundPort;
    // Bytes that came behind a version 5 reply and belong to the owner.
    int m_rcvdCnt = 0;
    int m_rcvdPtr = 0;
};

class TCustomLineWSocket : public TCustomSocksWSocket {
    Q_OBJECT
public:
    explicit TCustomLineWSocket(QObject* parent = nullptr) : TCustomSocksWSocket(parent) {}

    bool LineMode() const { return m_lineMode; }
    virtual void SetLineMode(bool on);
    QByteArray LineEnd() const { return m_lineEnd; }
    void SetLineEnd(const QByteArray& value) { m_lineEnd = value; }
    int LineLimit() const { return m_lineLimit; }
    void SetLineLimit(int value) { m_lineLimit = value; }
    bool LineEcho() const { return m_lineEcho; }
    void SetLineEcho(bool on) { m_lineEcho = on; }
    bool LineEdit() const { return m_lineEdit; }
    void SetLineEdit(bool on) { m_lineEdit = on; }

    TLineLimitEvent OnLineLimitExceeded;

protected:
    int GetRcvdCount() override;
    int DoRecv(char* buffer, int len, int flags) override;
    void TriggerDataAvailable(int error) override;
    void TriggerSessionClosed(int error) override;
    virtual void TriggerLineLimitExceeded(int rcvdLength, bool& clearData);
    virtual void EditLine(QByteArray& received);
    void deliverLines(int error);
    QByteArray m_lineBuffer;

private:
    void fillLineBuffer();
    void deliverLater();

    bool m_lineMode = false;
    QByteArray m_lineEnd = QByteArrayLiteral("\r\n");
    int m_lineLimit = 65536;
    bool m_lineEcho = false;
    bool m_lineEdit = false;
    int m_lineLength = 0; // length of the complete line now offered, 0 for none
};

class TCustomSyncWSocket : public TCustomLineWSocket {
    Q_OBJECT
public:
    explicit TCustomSyncWSocket(QObject* parent = nullptr) : TCustomLineWSocket(parent) {}

    // Blocks (pumping events) until a line has arrived; timeout in seconds, 0 for 60 s,
    // a negative value for that many milliseconds. Returns the line without its end.
    virtual QByteArray ReadLine(int timeout);

protected:
    virtual bool Synchronize(const std::function<bool()>& done, int timeoutMs);
    virtual bool WaitUntilReady(const std::function<bool()>& done, int timeoutMs);
};

class TWSocket : public TCustomSyncWSocket {
    Q_OBJECT
public:
    explicit TWSocket(QObject* parent = nullptr) : TCustomSyncWSocket(parent) {}
};

class TSocksWSocket : public TWSocket {
    Q_OBJECT
public:
    explicit TSocksWSocket(QObject* parent = nullptr) : TWSocket(parent) {}
};
