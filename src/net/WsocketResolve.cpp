// Addresses and blocking name lookups: dotted addresses, host, port and protocol
// resolution, and the local host's name and addresses.
#include "Wsocket.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <unistd.h>

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
