#include "platform/sockets/Sockets.h"
#include "platform/sockets/HostRecord.h"

#include <winsock2.h>
#include <windows.h>

#include <cstring>
#include <mutex>

// Windows Sockets 1.1 from "wsock32.dll", loaded when first needed. The
// error numbers are the library's own; the checks made here are only those
// the program's interface adds (IPv4 only, 16-byte out records, a wait set of
// at most 64). The library keeps its last error in the thread's system last
// error, which any later system call of the thread (a thread library's, Qt's)
// may overwrite: each failure is copied out at once into the thread's own
// record, which LastError reads.

namespace Sockets {

namespace {

// The calls of the library, each found by its name.
struct TLibrary {
    bool Loaded = false;
    decltype(&::WSAStartup) WSAStartup = nullptr;
    decltype(&::WSACleanup) WSACleanup = nullptr;
    decltype(&::WSAGetLastError) WSAGetLastError = nullptr;
    decltype(&::socket) socket = nullptr;
    decltype(&::bind) bind = nullptr;
    decltype(&::connect) connect = nullptr;
    decltype(&::listen) listen = nullptr;
    decltype(&::accept) accept = nullptr;
    decltype(&::send) send = nullptr;
    decltype(&::sendto) sendto = nullptr;
    decltype(&::recv) recv = nullptr;
    decltype(&::recvfrom) recvfrom = nullptr;
    decltype(&::select) select = nullptr;
    decltype(&::setsockopt) setsockopt = nullptr;
    decltype(&::shutdown) shutdown = nullptr;
    decltype(&::closesocket) closesocket = nullptr;
    decltype(&::getsockname) getsockname = nullptr;
    decltype(&::getpeername) getpeername = nullptr;
    decltype(&::gethostname) gethostname = nullptr;
    decltype(&::gethostbyname) gethostbyname = nullptr;
    decltype(&::gethostbyaddr) gethostbyaddr = nullptr;
    decltype(&::getservbyname) getservbyname = nullptr;
    decltype(&::getservbyport) getservbyport = nullptr;
    decltype(&::inet_addr) inet_addr = nullptr;
};

template <typename Function>
bool Find(HMODULE module, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void *>(::GetProcAddress(module, name)));
    return function != nullptr;
}

const TLibrary &Library()
{
    static TLibrary library;
    static std::once_flag once;
    std::call_once(once, [] {
        const HMODULE module = ::LoadLibraryA("wsock32.dll");
        if (!module)
            return;
        TLibrary &l = library;
        l.Loaded = Find(module, "WSAStartup", l.WSAStartup) && Find(module, "WSACleanup", l.WSACleanup)
                   && Find(module, "WSAGetLastError", l.WSAGetLastError)
                   && Find(module, "socket", l.socket)
                   && Find(module, "bind", l.bind) && Find(module, "connect", l.connect)
                   && Find(module, "listen", l.listen) && Find(module, "accept", l.accept)
                   && Find(module, "send", l.send) && Find(module, "sendto", l.sendto) && Find(module, "recv", l.recv)
                   && Find(module, "recvfrom", l.recvfrom) && Find(module, "select", l.select)
                   && Find(module, "setsockopt", l.setsockopt) && Find(module, "shutdown", l.shutdown)
                   && Find(module, "closesocket", l.closesocket) && Find(module, "getsockname", l.getsockname)
                   && Find(module, "getpeername", l.getpeername) && Find(module, "gethostname", l.gethostname)
                   && Find(module, "gethostbyname", l.gethostbyname)
                   && Find(module, "gethostbyaddr", l.gethostbyaddr)
                   && Find(module, "getservbyname", l.getservbyname)
                   && Find(module, "getservbyport", l.getservbyport) && Find(module, "inet_addr", l.inet_addr);
    });
    return library;
}

thread_local int32_t ThreadLastError = 0;

int Fail(int32_t code)
{
    SetLastError(code);
    return SocketError;
}

// Every call first makes sure the library is there; without it the call
// fails as a library that is not ready would.
bool Ready()
{
    if (Library().Loaded)
        return true;
    ThreadLastError = WSASYSNOTREADY;
    return false;
}

// A call's result, with the library's error kept when it is `failure`.
template <typename Result>
Result Checked(Result result, Result failure)
{
    if (result == failure)
        ThreadLastError = Library().WSAGetLastError();
    return result;
}

int Checked(int result)
{
    return Checked(result, SocketError);
}

// Out records must have room for all 16 bytes (Windows says so with
// WSAEFAULT; checked here before the call, which could block first).
bool OutRecordFits(const TSockAddrIn *address, const int *length)
{
    return !address || (length && *length >= SockAddrInLength);
}

TSocket FromNative(SOCKET s)
{
    return Checked(s, INVALID_SOCKET) == INVALID_SOCKET ? InvalidSocket : TSocket(s);
}

SOCKET Native(TSocket s)
{
    return SOCKET(intptr_t(s));
}

// The program's address record is laid out as the system's.
static_assert(sizeof(sockaddr_in) == sizeof(TSockAddrIn));

const sockaddr *Native(const TSockAddrIn *address)
{
    return reinterpret_cast<const sockaddr *>(address);
}

sockaddr *Native(TSockAddrIn *address)
{
    return reinterpret_cast<sockaddr *>(address);
}

// A socket set in the system's form (its sockets are pointer-sized).
bool ToNative(const TSocketSet *set, fd_set &native)
{
    native.fd_count = 0;
    if (!set)
        return true;
    if (set->Count > uint32_t(SocketSetSize))
        return false;
    for (uint32_t i = 0; i < set->Count; ++i)
        native.fd_array[i] = Native(set->Sockets[i]);
    native.fd_count = set->Count;
    return true;
}

void FromNative(const fd_set &native, TSocketSet *set)
{
    if (!set)
        return;
    set->Count = native.fd_count;
    for (u_int i = 0; i < native.fd_count; ++i)
        set->Sockets[i] = FromNative(native.fd_array[i]);
}

// The library keeps one host record per thread: copied out at once.
bool TakeHost(const hostent *entry, THostRecord &host)
{
    if (!Checked(entry, static_cast<const hostent *>(nullptr)))
        return false;
    host = CopyHost(*entry);
    if (host.Addresses.isEmpty()) {
        Fail(WsaError::NoData);
        return false;
    }
    return true;
}

bool TakeService(const servent *entry, TServiceRecord &service)
{
    if (!Checked(entry, static_cast<const servent *>(nullptr)))
        return false;
    service = {};
    service.Name = entry->s_name ? QByteArray(entry->s_name) : QByteArray();
    for (char **alias = entry->s_aliases; alias && *alias; ++alias)
        service.Aliases.append(QByteArray(*alias));
    service.Port = uint16_t(entry->s_port);
    return true;
}

} // namespace

int Startup()
{
    if (!Ready())
        return WSASYSNOTREADY;
    WSADATA data;
    return Library().WSAStartup(MAKEWORD(1, 1), &data);
}

void Cleanup()
{
    if (Ready())
        Library().WSACleanup();
}

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
    if (!Ready())
        return InvalidSocket;
    // The program's address records are IPv4 ones.
    if (family != AfInet)
        return Fail(WsaError::AddressFamilyNotSupported);
    return FromNative(Library().socket(family, type, protocol));
}

int Bind(TSocket s, const TSockAddrIn *address, int length)
{
    return Ready() ? Checked(Library().bind(Native(s), Native(address), length)) : SocketError;
}

int Connect(TSocket s, const TSockAddrIn *address, int length)
{
    return Ready() ? Checked(Library().connect(Native(s), Native(address), length)) : SocketError;
}

int Listen(TSocket s, int backlog)
{
    return Ready() ? Checked(Library().listen(Native(s), backlog)) : SocketError;
}

TSocket Accept(TSocket s, TSockAddrIn *address, int *length)
{
    if (!Ready())
        return InvalidSocket;
    if (!OutRecordFits(address, length))
        return Fail(WsaError::Fault);
    return FromNative(Library().accept(Native(s), Native(address), length));
}

int Send(TSocket s, const void *buffer, int length, int flags)
{
    return Ready() ? Checked(Library().send(Native(s), static_cast<const char *>(buffer), length, flags)) : SocketError;
}

int SendTo(TSocket s, const void *buffer, int length, int flags, const TSockAddrIn *to, int toLength)
{
    if (!Ready())
        return SocketError;
    return Checked(Library().sendto(Native(s), static_cast<const char *>(buffer), length, flags, Native(to), toLength));
}

int Recv(TSocket s, void *buffer, int length, int flags)
{
    return Ready() ? Checked(Library().recv(Native(s), static_cast<char *>(buffer), length, flags)) : SocketError;
}

int RecvFrom(TSocket s, void *buffer, int length, int flags, TSockAddrIn *from, int *fromLength)
{
    if (!Ready())
        return SocketError;
    if (!OutRecordFits(from, fromLength))
        return Fail(WsaError::Fault);
    return Checked(Library().recvfrom(Native(s), static_cast<char *>(buffer), length, flags, Native(from), fromLength));
}

int Select(int ignored, TSocketSet *readSet, TSocketSet *writeSet, TSocketSet *exceptSet, const TTimeVal *timeout)
{
    TSocketSet *const sets[3] = {readSet, writeSet, exceptSet};
    auto clearAll = [&] {
        for (TSocketSet *set : sets)
            if (set)
                set->Count = 0;
    };
    if (!Ready()) {
        clearAll();
        return SocketError;
    }
    fd_set native[3];
    for (int k = 0; k < 3; ++k) {
        if (!ToNative(sets[k], native[k])) {
            clearAll();
            return Fail(WsaError::InvalidArgument);
        }
    }
    timeval wait{};
    if (timeout) {
        wait.tv_sec = timeout->Seconds;
        wait.tv_usec = timeout->Microseconds;
    }
    const int result = Library().select(ignored, readSet ? &native[0] : nullptr, writeSet ? &native[1] : nullptr,
                                        exceptSet ? &native[2] : nullptr, timeout ? &wait : nullptr);
    if (Checked(result) == SOCKET_ERROR) {
        clearAll();
        return SocketError;
    }
    for (int k = 0; k < 3; ++k)
        FromNative(native[k], sets[k]);
    return result;
}

int SetSockOpt(TSocket s, int level, int name, const void *value, int length)
{
    if (!Ready())
        return SocketError;
    return Checked(Library().setsockopt(Native(s), level, name, static_cast<const char *>(value), length));
}

int Shutdown(TSocket s, int how)
{
    return Ready() ? Checked(Library().shutdown(Native(s), how)) : SocketError;
}

int CloseSocket(TSocket s)
{
    return Ready() ? Checked(Library().closesocket(Native(s))) : SocketError;
}

int GetSockName(TSocket s, TSockAddrIn *address, int *length)
{
    return Ready() ? Checked(Library().getsockname(Native(s), Native(address), length)) : SocketError;
}

int GetPeerName(TSocket s, TSockAddrIn *address, int *length)
{
    return Ready() ? Checked(Library().getpeername(Native(s), Native(address), length)) : SocketError;
}

int GetHostName(char *name, int length)
{
    return Ready() ? Checked(Library().gethostname(name, length)) : SocketError;
}

bool GetHostByName(const QByteArray &name, THostRecord &host)
{
    if (!Ready())
        return false;
    // A text holding a NUL byte names nothing: the library would see only
    // the part before it.
    if (name.contains('\0')) {
        Fail(WsaError::HostNotFound);
        return false;
    }
    return TakeHost(Library().gethostbyname(name.constData()), host);
}

bool GetHostByAddr(const TInAddr &address, THostRecord &host)
{
    if (!Ready())
        return false;
    return TakeHost(Library().gethostbyaddr(reinterpret_cast<const char *>(address.data()), 4, AF_INET), host);
}

bool GetServByName(const QByteArray &name, const char *protocol, TServiceRecord &service)
{
    if (!Ready())
        return false;
    if (name.contains('\0')) {
        Fail(WsaError::NoData);
        return false;
    }
    return TakeService(Library().getservbyname(name.constData(), protocol), service);
}

bool GetServByPort(uint16_t portNetworkOrder, const char *protocol, TServiceRecord &service)
{
    if (!Ready())
        return false;
    return TakeService(Library().getservbyport(int(portNetworkOrder), protocol), service);
}

uint32_t InetAddr(const char *text)
{
    if (!text || !Ready())
        return INADDR_NONE;
    return uint32_t(Library().inet_addr(text));
}

} // namespace Sockets
