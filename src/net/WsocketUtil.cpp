// Error texts, error number mapping and the unit-level address helpers.
#include "Wsocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <ifaddrs.h>
#include <netdb.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QTimer>

QString WSocketErrorDesc(int error) {
    static const QHash<int, const char*> texts = {
        {0, "No Error"},
        {10004, "Interrupted system call"},
        {10009, "Bad file number"},
        {10013, "Permission denied"},
        {10014, "Bad address"},
        {10022, "Invalid argument"},
        {10024, "Too many open files"},
        {10035, "Operation would block"},
        {10036, "Operation now in progress"},
        {10037, "Operation already in progress"},
        {10038, "Socket operation on non-socket"},
        {10039, "Destination address required"},
        {10040, "Message too long"},
        {10041, "Protocol wrong type for socket"},
        {10042, "Protocol not available"},
        {10043, "Protocol not supported"},
        {10044, "Socket type not supported"},
        {10045, "Operation not supported on socket"},
        {10046, "Protocol family not supported"},
        {10047, "Address family not supported by protocol family"},
        {10048, "Address already in use"},
        {10049, "Address not available"},
        {10050, "Network is down"},
        {10051, "Network is unreachable"},
        {10052, "Network dropped connection on reset"},
        {10053, "Connection aborted"},
        {10054, "Connection reset by peer"},
        {10055, "No buffer space available"},
        {10056, "Socket is already connected"},
        {10057, "Socket is not connected"},
        {10058, "Can't send after socket shutdown"},
        {10059, "Too many references: can't splice"},
        {10060, "Connection timed out"},
        {10061, "Connection refused"},
        {10062, "Too many levels of symbolic links"},
        {10063, "File name too long"},
        {10064, "Host is down"},
        {10065, "No route to host"},
        {10066, "Directory not empty"},
        {10067, "Too many processes"},
        {10068, "Too many users"},
        {10069, "Disc quota exceeded"},
        {10070, "Stale NFS file handle"},
        {10071, "Too many levels of remote in path"},
        {10091, "Network sub-system is unusable"},
        {10092, "WinSock DLL cannot support this application"},
        {10093, "WinSock not initialized"},
        {11001, "Host not found"},
        {11002, "Non-authoritative host not found"},
        {11003, "Non-recoverable error"},
        {11004, "No Data"},
    };
    const auto it = texts.constFind(error);
    return QString::fromLatin1(it == texts.constEnd() ? "Not a WinSock error" : *it);
}

int WSocketErrorFromErrno(int e) {
    switch (e) {
    case 0:
        return 0;
    case EINTR:
        return 10004;
    case EBADF:
        return 10009;
    case EACCES:
        return 10013;
    case EFAULT:
        return 10014;
    case EINVAL:
        return 10022;
    case EMFILE:
        return 10024;
    case EWOULDBLOCK:
        return 10035;
    case EINPROGRESS:
        return 10036;
    case EALREADY:
        return 10037;
    case ENOTSOCK:
        return 10038;
    case EDESTADDRREQ:
        return 10039;
    case EMSGSIZE:
        return 10040;
    case EPROTOTYPE:
        return 10041;
    case ENOPROTOOPT:
        return 10042;
    case EPROTONOSUPPORT:
        return 10043;
    case ESOCKTNOSUPPORT:
        return 10044;
    case EOPNOTSUPP:
        return 10045;
    case EPFNOSUPPORT:
        return 10046;
    case EAFNOSUPPORT:
        return 10047;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case ENETDOWN:
        return 10050;
    case ENETUNREACH:
        return 10051;
    case ENETRESET:
        return 10052;
    case ECONNABORTED:
        return 10053;
    case ECONNRESET:
        return 10054;
    case ENOBUFS:
        return 10055;
    case EISCONN:
        return 10056;
    case ENOTCONN:
        return 10057;
    case ESHUTDOWN:
    case EPIPE:
        return 10058;
    case ETIMEDOUT:
        return 10060;
    case ECONNREFUSED:
        return 10061;
    case ELOOP:
        return 10062;
    case ENAMETOOLONG:
        return 10063;
    case EHOSTDOWN:
        return 10064;
    case EHOSTUNREACH:
        return 10065;
    case ENOTEMPTY:
        return 10066;
    case EDQUOT:
        return 10069;
    case ESTALE:
        return 10070;
    default:
        return 10000 + e; // still a number, and "Not a WinSock error" as text
    }
}

int WSocketErrorFromResolver(int gaiError) {
    switch (gaiError) {
    case 0:
        return 0;
    case EAI_AGAIN:
        return 11002;
    case EAI_FAIL:
        return 11003;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return 11004;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
        return 11004;
#endif
    case EAI_SYSTEM:
        return WSocketErrorFromErrno(errno);
    default:
        return 11001;
    }
}

QString WSocketDottedAddr(in_addr_t addr) {
    in_addr a{};
    a.s_addr = addr;
    char buf[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, buf, sizeof buf);
    return QString::fromLatin1(buf);
}

bool WSocketIsDottedIP(const QString& s) {
    const QString t = s.trimmed();
    const QStringList parts = t.split(QLatin1Char('.'));
    if (parts.size() != 4) return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3) return false;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        }
        if (part.toInt() > 255) return false;
    }
    return true;
}

namespace {

// Blocking IPv4 lookup; returns the Winsock error (0 on success).
int lookupIPv4(const QString& name, QList<in_addr_t>& out) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    const int rc = getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &result);
    if (rc != 0) return WSocketErrorFromResolver(rc);
    for (addrinfo* a = result; a; a = a->ai_next) {
        const in_addr_t addr = reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
        if (!out.contains(addr)) out << addr;
    }
    freeaddrinfo(result);
    return out.isEmpty() ? WSANO_DATA : 0;
}

} // namespace

in_addr_t WSocketResolveHost(const QString& host) {
    const QString h = host.trimmed();
    if (h.isEmpty() || h.size() > 256) {
        throw ESocketException(
            QStringLiteral("WSocketResolveHost: '%1' Invalid Hostname.").arg(host));
    }
    if (h.at(0).isDigit()) {
        in_addr a{};
        if (WSocketIsDottedIP(h) && inet_pton(AF_INET, h.toLatin1().constData(), &a) == 1)
            return a.s_addr;
        if (h == QLatin1String("255.255.255.255")) return INADDR_BROADCAST;
        if (WSocketIsDottedIP(h)) {
            throw ESocketException(
                QStringLiteral("WSocketResolveHost: '%1' Invalid IP address.").arg(host));
        }
    }
    QList<in_addr_t> found;
    const int error = lookupIPv4(h, found);
    if (error != 0) {
        throw ESocketException(
            QStringLiteral("WSocketResolveHost: Cannot convert host address '%1', Error #%2")
                .arg(host)
                .arg(error));
    }
    return found.first();
}

uint16_t WSocketResolvePort(const QString& port, const QString& proto) {
    const QString p = port.trimmed();
    if (p.isEmpty() || p.size() >= 32)
        throw ESocketException(QStringLiteral("WSocketResolvePort: Invalid Port."));
    const QString pr = proto.trimmed();
    if (pr.isEmpty() || pr.size() >= 32)
        throw ESocketException(QStringLiteral("WSocketResolvePort: Invalid Proto."));
    if (p.at(0).isDigit()) return uint16_t(p.toUInt() & 0xffff);
    servent* s = getservbyname(p.toLatin1().constData(), pr.toLatin1().constData());
    if (!s) {
        throw ESocketException(
            QStringLiteral("WSocketResolvePort: Cannot convert port '%1', Error #%2")
                .arg(port)
                .arg(WSANO_DATA));
    }
    return ntohs(uint16_t(s->s_port));
}

int WSocketResolveProto(const QString& proto) {
    const QString p = proto.trimmed();
    if (p.isEmpty() || p.size() >= 32)
        throw ESocketException(QStringLiteral("WSocketResolveProto: Invalid Protocol."));
    if (p.at(0).isDigit()) return p.toInt();
    protoent* e = getprotobyname(p.toLatin1().constData());
    if (!e) {
        throw ESocketException(
            QStringLiteral("WSocketResolveProto: Cannot convert protocol '%1', Error #%2")
                .arg(proto)
                .arg(WSANO_DATA));
    }
    return e->p_proto;
}

QStringList WSocketGetHostByName(const QString& name) {
    if (name.isEmpty() || name.size() > 256)
        throw ESocketException(QStringLiteral("WSocketGetHostByName: Invalid Hostname."));
    QList<in_addr_t> found;
    if (lookupIPv4(name, found) != 0) return {};
    QStringList out;
    for (in_addr_t a : found)
        out << WSocketDottedAddr(a);
    return out;
}

QString WSocketGetHostByAddr(const QString& addr) {
    if (addr.isEmpty() || addr.size() > 256)
        throw ESocketException(QStringLiteral("WSocketGetHostByAddr: Invalid address."));
    return WSocketResolveIp(addr);
}

QString WSocketResolveIp(const QString& addr) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    if (inet_pton(AF_INET, addr.trimmed().toLatin1().constData(), &sin.sin_addr) != 1) return {};
    char host[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<sockaddr*>(&sin), sizeof sin, host, sizeof host, nullptr, 0,
                    NI_NAMEREQD) != 0) {
        return {};
    }
    return QString::fromUtf8(host);
}

QString LocalHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        throw ESocketException(QStringLiteral("Winsock.GetHostName failed"));
    return QString::fromUtf8(name);
}

QStringList LocalIPList() {
    QStringList out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
        const QString a =
            WSocketDottedAddr(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
        if (!out.contains(a)) out << a;
    }
    freeifaddrs(list);
    return out;
}

const char* SocketStateName(TSocketState state) {
    static const char* names[] = {"wsInvalidState", "wsOpened",    "wsBound",     "wsConnecting",
                                  "wsConnected",    "wsAccepting", "wsListening", "wsClosed"};
    return (state >= wsInvalidState && state <= wsClosed) ? names[state] : "?";
}

void WSocketPumpEvents(int maxWaitMs, bool onlyThisThread) {
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(maxWaitMs);
    QCoreApplication::processEvents(onlyThisThread ? QEventLoop::WaitForMoreEvents |
                                                         QEventLoop::ExcludeUserInputEvents
                                                   : QEventLoop::WaitForMoreEvents);
}
