// Socket error numbers in the Winsock numbering the user sees: their texts, and the one
// translation of POSIX errno values and resolver results into them.
#include "Wsocket.h"

#include <QHash>

#include <cerrno>
#include <netdb.h>

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
    if (it != texts.constEnd()) return QString::fromLatin1(*it);
    const QString socks = WSocketSocksErrorPhrase(error);
    if (!socks.isEmpty()) return QStringLiteral("The SOCKS server ") + socks;
    return QStringLiteral("Not a WinSock error");
}

QString WSocketSocksErrorPhrase(int error) {
    static const QHash<int, const char*> phrases = {
        {20001, "answered out of turn"},
        {20002, "answered with another SOCKS version"},
        {20003, "accepts none of the login methods offered"},
        {20004, "reported a general failure"},
        {20005, "does not allow the connection"},
        {20006, "cannot reach the network of the FTP server"},
        {20007, "cannot reach the FTP server's host"},
        {20008, "was refused the connection by the FTP server"},
        {20009, "reported that the connection's time to live expired"},
        {20010, "does not support the command"},
        {20011, "does not support the address type"},
        {20012, "answered with an unknown error"},
        {20013, "had an internal error"},
        {20014, "cannot take a request that long (user name, password or host name)"},
        {20015, "rejected the user name or password"},
        {20016, "rejected the request"},
        {20017, "could not find the FTP server's host name"},
    };
    const auto it = phrases.constFind(error);
    return it == phrases.constEnd() ? QString() : QString::fromLatin1(*it);
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
        return WSATRY_AGAIN;
    case EAI_FAIL:
        return WSANO_RECOVERY;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return WSANO_DATA;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
        return WSANO_DATA;
#endif
    case EAI_SYSTEM:
        return WSocketErrorFromErrno(errno);
    default:
        return WSAHOST_NOT_FOUND;
    }
}
