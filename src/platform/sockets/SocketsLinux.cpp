#include "platform/sockets/Sockets.h"
#include "platform/sockets/HostRecord.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace Sockets {

namespace {

thread_local int32_t ThreadLastError = 0;

// The one translation table from the platform's failure numbers to the
// Windows Sockets ones: errno values first, then the resolver's h_errno
// values. Where Linux and Windows report the same situation differently, the
// row gives what Windows would report.
enum class TFailureKind { Errno, Lookup };
struct TFailureMapping {
    TFailureKind Kind;
    int Native;
    int32_t Wsa;
};
constexpr TFailureMapping FailureTable[] = {
    {TFailureKind::Errno, EINTR, WsaError::Interrupted},
    // Windows reports a handle that is no (longer a) socket as "not a socket".
    {TFailureKind::Errno, EBADF, WsaError::NotSocket},
    {TFailureKind::Errno, EACCES, WsaError::AccessDenied},
    {TFailureKind::Errno, EPERM, WsaError::AccessDenied},
    {TFailureKind::Errno, EFAULT, WsaError::Fault},
    {TFailureKind::Errno, EINVAL, WsaError::InvalidArgument},
    {TFailureKind::Errno, EMFILE, WsaError::TooManyOpenFiles},
    {TFailureKind::Errno, ENFILE, WsaError::TooManyOpenFiles},
    {TFailureKind::Errno, EAGAIN, WsaError::WouldBlock}, // EWOULDBLOCK is the same number
    {TFailureKind::Errno, EINPROGRESS, WsaError::InProgress},
    {TFailureKind::Errno, EALREADY, WsaError::Already},
    {TFailureKind::Errno, ENOTSOCK, WsaError::NotSocket},
    {TFailureKind::Errno, EDESTADDRREQ, WsaError::DestAddressRequired},
    {TFailureKind::Errno, EMSGSIZE, WsaError::MessageSize},
    {TFailureKind::Errno, EPROTOTYPE, WsaError::ProtocolType},
    {TFailureKind::Errno, ENOPROTOOPT, WsaError::NoProtocolOption},
    {TFailureKind::Errno, EPROTONOSUPPORT, WsaError::ProtocolNotSupported},
    {TFailureKind::Errno, ESOCKTNOSUPPORT, WsaError::SocketTypeNotSupported},
    {TFailureKind::Errno, EOPNOTSUPP, WsaError::OperationNotSupported}, // ENOTSUP too
    {TFailureKind::Errno, EPFNOSUPPORT, WsaError::ProtocolFamilyNotSupported},
    {TFailureKind::Errno, EAFNOSUPPORT, WsaError::AddressFamilyNotSupported},
    {TFailureKind::Errno, EADDRINUSE, WsaError::AddressInUse},
    {TFailureKind::Errno, EADDRNOTAVAIL, WsaError::AddressNotAvailable},
    {TFailureKind::Errno, ENETDOWN, WsaError::NetworkDown},
    {TFailureKind::Errno, ENETUNREACH, WsaError::NetworkUnreachable},
    {TFailureKind::Errno, ENETRESET, WsaError::NetworkReset},
    {TFailureKind::Errno, ECONNABORTED, WsaError::ConnectionAborted},
    {TFailureKind::Errno, ECONNRESET, WsaError::ConnectionReset},
    {TFailureKind::Errno, ENOBUFS, WsaError::NoBufferSpace},
    // Windows reports a shortage of memory as a shortage of buffer space.
    {TFailureKind::Errno, ENOMEM, WsaError::NoBufferSpace},
    {TFailureKind::Errno, EISCONN, WsaError::IsConnected},
    {TFailureKind::Errno, ENOTCONN, WsaError::NotConnected},
    {TFailureKind::Errno, ESHUTDOWN, WsaError::Shutdown},
    // Linux answers a send after shutdown with EPIPE, Windows with "shut down".
    {TFailureKind::Errno, EPIPE, WsaError::Shutdown},
    {TFailureKind::Errno, ETOOMANYREFS, WsaError::TooManyReferences},
    {TFailureKind::Errno, ETIMEDOUT, WsaError::TimedOut},
    {TFailureKind::Errno, ECONNREFUSED, WsaError::ConnectionRefused},
    {TFailureKind::Errno, ELOOP, WsaError::Loop},
    {TFailureKind::Errno, ENAMETOOLONG, WsaError::NameTooLong},
    {TFailureKind::Errno, EHOSTDOWN, WsaError::HostDown},
    {TFailureKind::Errno, EHOSTUNREACH, WsaError::HostUnreachable},
    {TFailureKind::Errno, ENOTEMPTY, WsaError::NotEmpty},
    {TFailureKind::Errno, EUSERS, WsaError::Users},
    {TFailureKind::Errno, EDQUOT, WsaError::QuotaExceeded},
    {TFailureKind::Errno, ESTALE, WsaError::Stale},
    {TFailureKind::Errno, EREMOTE, WsaError::Remote},
    {TFailureKind::Lookup, HOST_NOT_FOUND, WsaError::HostNotFound},
    {TFailureKind::Lookup, TRY_AGAIN, WsaError::TryAgain},
    {TFailureKind::Lookup, NO_RECOVERY, WsaError::NoRecovery},
    {TFailureKind::Lookup, NO_DATA, WsaError::NoData}, // NO_ADDRESS is the same number
};

int32_t Translate(TFailureKind kind, int native, int32_t fallback)
{
    for (const TFailureMapping &row : FailureTable)
        if (row.Kind == kind && row.Native == native)
            return row.Wsa;
    return fallback;
}

int Fail(int32_t code)
{
    ThreadLastError = code;
    return SocketError;
}

int FailErrno()
{
    return Fail(WsaErrorFromErrno(errno));
}

// Checks a caller's address record and turns it into the platform's.
int32_t ToNative(const TSockAddrIn *address, int length, sockaddr_in &native)
{
    if (!address || length < SockAddrInLength)
        return WsaError::Fault;
    if (address->Family != AfInet)
        return WsaError::AddressFamilyNotSupported;
    native = {};
    native.sin_family = AF_INET;
    native.sin_port = address->Port;
    std::memcpy(&native.sin_addr, address->Address.data(), 4);
    return 0;
}

TSockAddrIn FromNative(const sockaddr_in &native, socklen_t nativeLength)
{
    TSockAddrIn address;
    if (nativeLength >= socklen_t(sizeof native) && native.sin_family == AF_INET) {
        address.Family = AfInet;
        address.Port = native.sin_port;
        std::memcpy(address.Address.data(), &native.sin_addr, 4);
    }
    return address;
}

// An out record must have room for all 16 bytes.
bool OutRecordFits(const TSockAddrIn *address, const int *length)
{
    return !address || (length && *length >= SockAddrInLength);
}

void StoreOutRecord(const sockaddr_in &native, socklen_t nativeLength, TSockAddrIn *address,
                    int *length)
{
    if (!address)
        return;
    *address = FromNative(native, nativeLength);
    *length = SockAddrInLength;
}

// The flags of sends and receives have the same values on both platforms;
// anything else is refused as Windows refuses it.
bool ValidFlags(int flags, int allowed)
{
    return (flags & ~allowed) == 0;
}

template <typename Call>
auto RetryInterrupted(Call call)
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

int ReceiveMessage(TSocket s, void *buffer, int length, int flags, TSockAddrIn *from,
                   int *fromLength)
{
    if (length < 0 || !OutRecordFits(from, fromLength))
        return Fail(WsaError::Fault);
    if (!ValidFlags(flags, MsgOob | MsgPeek))
        return Fail(WsaError::OperationNotSupported);
    sockaddr_in native{};
    iovec piece{buffer, size_t(length)};
    msghdr message{};
    message.msg_name = &native;
    message.msg_namelen = sizeof native;
    message.msg_iov = &piece;
    message.msg_iovlen = 1;
    const ssize_t received = RetryInterrupted([&] { return ::recvmsg(s, &message, flags); });
    if (received < 0)
        return FailErrno();
    StoreOutRecord(native, message.msg_namelen, from, fromLength);
    // Linux hands over the first part of a datagram longer than the buffer
    // and drops the rest without a word; the caller must learn of it.
    if (message.msg_flags & MSG_TRUNC)
        return Fail(WsaError::MessageSize);
    return int(received);
}

// Runs a reentrant host look-up, growing its scratch buffer as needed.
template <typename Lookup>
bool LookUpHost(Lookup lookup, THostRecord &host)
{
    std::vector<char> scratch(2048);
    for (;;) {
        hostent entry{};
        hostent *result = nullptr;
        int lookupError = 0;
        const int rc = lookup(&entry, scratch.data(), scratch.size(), &result, &lookupError);
        if (rc == ERANGE && scratch.size() < (size_t(1) << 22)) {
            scratch.resize(scratch.size() * 2);
            continue;
        }
        if (rc == 0 && result) {
            host = CopyHost(entry);
            if (host.Addresses.isEmpty()) {
                Fail(WsaError::NoData);
                return false;
            }
            return true;
        }
        if (lookupError == NETDB_INTERNAL)
            Fail(WsaErrorFromErrno(rc != 0 ? rc : errno));
        else
            Fail(WsaErrorFromLookup(lookupError));
        return false;
    }
}

template <typename Lookup>
bool LookUpService(Lookup lookup, TServiceRecord &service)
{
    std::vector<char> scratch(1024);
    for (;;) {
        servent entry{};
        servent *result = nullptr;
        const int rc = lookup(&entry, scratch.data(), scratch.size(), &result);
        if (rc == ERANGE && scratch.size() < (size_t(1) << 20)) {
            scratch.resize(scratch.size() * 2);
            continue;
        }
        if (rc != 0 || !result) {
            Fail(WsaError::NoData);
            return false;
        }
        service = {};
        service.Name = entry.s_name ? QByteArray(entry.s_name) : QByteArray();
        for (char **alias = entry.s_aliases; alias && *alias; ++alias)
            service.Aliases.append(QByteArray(*alias));
        service.Port = uint16_t(entry.s_port);
        return true;
    }
}

// A text holding a NUL byte names nothing: the resolver would see only
// the part before it.
bool HasNul(const QByteArray &text)
{
    return text.contains('\0');
}

struct TSocketOption {
    int Level;
    int Name;
    int NativeLevel;
    int NativeName;
};
// The options that take a 4-byte integer on both platforms.
constexpr TSocketOption SocketOptions[] = {
    {SolSocket, SoDebug, SOL_SOCKET, SO_DEBUG},
    {SolSocket, SoReuseAddr, SOL_SOCKET, SO_REUSEADDR},
    {SolSocket, SoKeepAlive, SOL_SOCKET, SO_KEEPALIVE},
    {SolSocket, SoDontRoute, SOL_SOCKET, SO_DONTROUTE},
    {SolSocket, SoBroadcast, SOL_SOCKET, SO_BROADCAST},
    {SolSocket, SoOobInline, SOL_SOCKET, SO_OOBINLINE},
    {SolSocket, SoSndBuf, SOL_SOCKET, SO_SNDBUF},
    {SolSocket, SoRcvBuf, SOL_SOCKET, SO_RCVBUF},
    {IpProtoTcp, TcpNoDelay, IPPROTO_TCP, TCP_NODELAY},
};

} // namespace

int32_t WsaErrorFromErrno(int error)
{
    return Translate(TFailureKind::Errno, error, WsaError::SystemCallFailure);
}

int32_t WsaErrorFromLookup(int lookupError)
{
    return Translate(TFailureKind::Lookup, lookupError, WsaError::NoRecovery);
}

// The BSD socket calls need no loading or start-up.
int Startup()
{
    return 0;
}

void Cleanup() {}

int32_t LastError()
{
    return ThreadLastError;
}

void SetLastError(int32_t code)
{
    ThreadLastError = code;
}

TSocket Socket(int family, int type, int protocol)
{
    if (family != AfInet)
        return Fail(WsaError::AddressFamilyNotSupported);
    int nativeType;
    switch (type) {
    case SockStream:
        nativeType = SOCK_STREAM;
        break;
    case SockDgram:
        nativeType = SOCK_DGRAM;
        break;
    default:
        return Fail(WsaError::SocketTypeNotSupported);
    }
    const int s = ::socket(AF_INET, nativeType | SOCK_CLOEXEC, protocol);
    return s < 0 ? FailErrno() : s;
}

int Bind(TSocket s, const TSockAddrIn *address, int length)
{
    sockaddr_in native;
    if (const int32_t error = ToNative(address, length, native))
        return Fail(error);
    return ::bind(s, reinterpret_cast<const sockaddr *>(&native), sizeof native) < 0 ? FailErrno() : 0;
}

int Connect(TSocket s, const TSockAddrIn *address, int length)
{
    sockaddr_in native;
    if (const int32_t error = ToNative(address, length, native))
        return Fail(error);
    if (::connect(s, reinterpret_cast<const sockaddr *>(&native), sizeof native) == 0)
        return 0;
    if (errno != EINTR)
        return FailErrno();
    // An interrupted connect goes on by itself; wait for its outcome as a
    // blocking call would.
    pollfd entry{s, POLLOUT, 0};
    if (RetryInterrupted([&] { return ::poll(&entry, 1, -1); }) < 0)
        return FailErrno();
    int error = 0;
    socklen_t errorLength = sizeof error;
    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &errorLength) < 0)
        return FailErrno();
    return error ? Fail(WsaErrorFromErrno(error)) : 0;
}

int Listen(TSocket s, int backlog)
{
    return ::listen(s, backlog) < 0 ? FailErrno() : 0;
}

TSocket Accept(TSocket s, TSockAddrIn *address, int *length)
{
    if (!OutRecordFits(address, length))
        return Fail(WsaError::Fault);
    sockaddr_in native{};
    socklen_t nativeLength = sizeof native;
    const int accepted = RetryInterrupted([&] {
        return ::accept4(s, reinterpret_cast<sockaddr *>(&native), &nativeLength, SOCK_CLOEXEC);
    });
    if (accepted < 0)
        return FailErrno();
    StoreOutRecord(native, nativeLength, address, length);
    return accepted;
}

int Send(TSocket s, const void *buffer, int length, int flags)
{
    if (length < 0)
        return Fail(WsaError::Fault);
    if (!ValidFlags(flags, MsgOob | MsgDontRoute))
        return Fail(WsaError::OperationNotSupported);
    // No SIGPIPE: a peer that went away is an error code, as on Windows.
    const ssize_t sent =
        RetryInterrupted([&] { return ::send(s, buffer, size_t(length), flags | MSG_NOSIGNAL); });
    return sent < 0 ? FailErrno() : int(sent);
}

int SendTo(TSocket s, const void *buffer, int length, int flags, const TSockAddrIn *to, int toLength)
{
    if (length < 0)
        return Fail(WsaError::Fault);
    if (!ValidFlags(flags, MsgOob | MsgDontRoute))
        return Fail(WsaError::OperationNotSupported);
    sockaddr_in native;
    if (const int32_t error = ToNative(to, toLength, native))
        return Fail(error);
    const ssize_t sent = RetryInterrupted([&] {
        return ::sendto(s, buffer, size_t(length), flags | MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr *>(&native), sizeof native);
    });
    return sent < 0 ? FailErrno() : int(sent);
}

int Recv(TSocket s, void *buffer, int length, int flags)
{
    return ReceiveMessage(s, buffer, length, flags, nullptr, nullptr);
}

int RecvFrom(TSocket s, void *buffer, int length, int flags, TSockAddrIn *from, int *fromLength)
{
    return ReceiveMessage(s, buffer, length, flags, from, fromLength);
}

int Select(int, TSocketSet *readSet, TSocketSet *writeSet, TSocketSet *exceptSet,
           const TTimeVal *timeout)
{
    TSocketSet *const sets[3] = {readSet, writeSet, exceptSet};
    // What makes an entry of each set ready. A socket with an error or a
    // closed peer is readable, so that the next receive reports it.
    constexpr short wanted[3] = {POLLIN, POLLOUT, POLLPRI};
    constexpr short ready[3] = {POLLIN | POLLHUP | POLLERR, POLLOUT | POLLERR, POLLPRI};

    auto clearAll = [&] {
        for (TSocketSet *set : sets)
            if (set)
                set->Count = 0;
    };
    pollfd entries[3 * SocketSetSize];
    nfds_t count = 0;
    for (int k = 0; k < 3; ++k) {
        if (!sets[k])
            continue;
        if (sets[k]->Count > uint32_t(SocketSetSize)) {
            clearAll();
            return Fail(WsaError::InvalidArgument);
        }
        for (uint32_t i = 0; i < sets[k]->Count; ++i) {
            if (sets[k]->Sockets[i] < 0) {
                clearAll();
                return Fail(WsaError::NotSocket);
            }
            entries[count++] = pollfd{sets[k]->Sockets[i], wanted[k], 0};
        }
    }
    // Windows refuses a wait on nothing, and a timeout that is not one.
    if (count == 0 || (timeout && (timeout->Seconds < 0 || timeout->Microseconds < 0))) {
        clearAll();
        return Fail(WsaError::InvalidArgument);
    }

    // The system call itself (unlike its C library wrapper) counts the
    // timeout down, so a wait that a signal cut short goes on for what is
    // left of it.
    const int64_t wait =
        timeout ? int64_t(timeout->Seconds) * 1'000'000'000 + int64_t(timeout->Microseconds) * 1000 : 0;
    timespec remaining{time_t(wait / 1'000'000'000), long(wait % 1'000'000'000)};
    int result;
    do
        result = int(::syscall(SYS_ppoll, entries, count, timeout ? &remaining : nullptr, nullptr, 0));
    while (result < 0 && errno == EINTR);
    if (result < 0) {
        const int error = errno;
        clearAll();
        return Fail(WsaErrorFromErrno(error));
    }

    int readyCount = 0;
    nfds_t e = 0;
    for (int k = 0; k < 3; ++k) {
        if (!sets[k])
            continue;
        uint32_t kept = 0;
        for (uint32_t i = 0; i < sets[k]->Count; ++i, ++e) {
            if (entries[e].revents & POLLNVAL) {
                clearAll();
                return Fail(WsaError::NotSocket);
            }
            if (entries[e].revents & ready[k])
                sets[k]->Sockets[kept++] = sets[k]->Sockets[i];
        }
        sets[k]->Count = kept;
        readyCount += int(kept);
    }
    return readyCount;
}

int SetSockOpt(TSocket s, int level, int name, const void *value, int length)
{
    if (!value || length < int(sizeof(int)))
        return Fail(WsaError::Fault);
    const TSocketOption *option = nullptr;
    bool levelKnown = false;
    for (const TSocketOption &row : SocketOptions) {
        levelKnown = levelKnown || row.Level == level;
        if (row.Level == level && row.Name == name)
            option = &row;
    }
    if (!option)
        return Fail(levelKnown ? WsaError::NoProtocolOption : WsaError::InvalidArgument);
    int nativeValue;
    std::memcpy(&nativeValue, value, sizeof nativeValue);
    return ::setsockopt(s, option->NativeLevel, option->NativeName, &nativeValue, sizeof nativeValue) < 0
               ? FailErrno()
               : 0;
}

int Shutdown(TSocket s, int how)
{
    // SdReceive, SdSend and SdBoth are SHUT_RD, SHUT_WR and SHUT_RDWR.
    if (how < SdReceive || how > SdBoth)
        return Fail(WsaError::InvalidArgument);
    return ::shutdown(s, how) < 0 ? FailErrno() : 0;
}

int CloseSocket(TSocket s)
{
    // An interrupted close has still released the descriptor: never retry.
    if (::close(s) < 0 && errno != EINTR)
        return FailErrno();
    return 0;
}

int GetSockName(TSocket s, TSockAddrIn *address, int *length)
{
    if (!address || !OutRecordFits(address, length))
        return Fail(WsaError::Fault);
    sockaddr_in native{};
    socklen_t nativeLength = sizeof native;
    if (::getsockname(s, reinterpret_cast<sockaddr *>(&native), &nativeLength) < 0)
        return FailErrno();
    StoreOutRecord(native, nativeLength, address, length);
    return 0;
}

int GetPeerName(TSocket s, TSockAddrIn *address, int *length)
{
    if (!address || !OutRecordFits(address, length))
        return Fail(WsaError::Fault);
    sockaddr_in native{};
    socklen_t nativeLength = sizeof native;
    if (::getpeername(s, reinterpret_cast<sockaddr *>(&native), &nativeLength) < 0)
        return FailErrno();
    StoreOutRecord(native, nativeLength, address, length);
    return 0;
}

int GetHostName(char *name, int length)
{
    if (!name || length <= 0)
        return Fail(WsaError::Fault);
    // A name that does not fit with its NUL fails, as on Windows.
    if (::gethostname(name, size_t(length)) < 0 || !std::memchr(name, 0, size_t(length)))
        return Fail(WsaError::Fault);
    return 0;
}

bool GetHostByName(const QByteArray &name, THostRecord &host)
{
    if (HasNul(name)) {
        Fail(WsaError::HostNotFound);
        return false;
    }
    // An empty name means this host, as on Windows.
    QByteArray lookupName = name;
    if (lookupName.isEmpty()) {
        char local[256];
        if (GetHostName(local, sizeof local) != 0)
            return false;
        lookupName = local;
    }
    return LookUpHost(
        [&](hostent *entry, char *scratch, size_t size, hostent **result, int *lookupError) {
            return ::gethostbyname_r(lookupName.constData(), entry, scratch, size, result, lookupError);
        },
        host);
}

bool GetHostByAddr(const TInAddr &address, THostRecord &host)
{
    return LookUpHost(
        [&](hostent *entry, char *scratch, size_t size, hostent **result, int *lookupError) {
            return ::gethostbyaddr_r(address.data(), 4, AF_INET, entry, scratch, size, result,
                                     lookupError);
        },
        host);
}

bool GetServByName(const QByteArray &name, const char *protocol, TServiceRecord &service)
{
    if (HasNul(name)) {
        Fail(WsaError::NoData);
        return false;
    }
    return LookUpService(
        [&](servent *entry, char *scratch, size_t size, servent **result) {
            return ::getservbyname_r(name.constData(), protocol, entry, scratch, size, result);
        },
        service);
}

bool GetServByPort(uint16_t portNetworkOrder, const char *protocol, TServiceRecord &service)
{
    return LookUpService(
        [&](servent *entry, char *scratch, size_t size, servent **result) {
            return ::getservbyport_r(int(portNetworkOrder), protocol, entry, scratch, size, result);
        },
        service);
}

uint32_t InetAddr(const char *text)
{
    return text ? uint32_t(::inet_addr(text)) : uint32_t(INADDR_NONE);
}

} // namespace Sockets
