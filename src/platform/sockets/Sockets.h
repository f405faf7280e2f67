#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QtEndian>
#include <array>
#include <cstdint>

// The socket calls the networking stack is written against, in the shape and
// numbering of Windows Sockets 1.1: socket handles are signed 32-bit numbers,
// addresses travel in 16-byte IPv4 records, waits take sets of at most 64
// sockets, and a failed call returns -1 (or false) and leaves a Windows
// Sockets error number (10004 ...) as the calling thread's last error.
//
// Sockets are always blocking. On Windows the calls are those of Windows
// Sockets 1.1, loaded from "wsock32.dll" when first needed, with the
// library's own error numbers (SocketsWindows.cpp). On Linux they sit on BSD
// sockets; errno values and name-lookup failures are translated by one table
// (WsaErrorFromErrno / WsaErrorFromLookup) in SocketsLinux.cpp.

namespace Sockets {

using TSocket = int32_t;
constexpr TSocket InvalidSocket = -1;
constexpr int SocketError = -1;

// Address family, socket types, protocols, levels and options, with their
// Windows Sockets values.
constexpr int AfInet = 2;
constexpr int SockStream = 1;
constexpr int SockDgram = 2;
constexpr int IpProtoIp = 0;
constexpr int IpProtoTcp = 6;
constexpr int IpProtoUdp = 17;
constexpr int SolSocket = 0xFFFF;
constexpr int SoDebug = 0x0001;
constexpr int SoReuseAddr = 0x0004;
constexpr int SoKeepAlive = 0x0008;
constexpr int SoDontRoute = 0x0010;
constexpr int SoBroadcast = 0x0020;
constexpr int SoOobInline = 0x0100;
constexpr int SoSndBuf = 0x1001;
constexpr int SoRcvBuf = 0x1002;
constexpr int TcpNoDelay = 0x0001;
constexpr int MsgOob = 0x1;
constexpr int MsgPeek = 0x2;
constexpr int MsgDontRoute = 0x4;
constexpr int SdReceive = 0;
constexpr int SdSend = 1;
constexpr int SdBoth = 2;

// Windows Sockets error numbers.
namespace WsaError {
constexpr int32_t Interrupted = 10004;
constexpr int32_t BadFile = 10009;
constexpr int32_t AccessDenied = 10013;
constexpr int32_t Fault = 10014;
constexpr int32_t InvalidArgument = 10022;
constexpr int32_t TooManyOpenFiles = 10024;
constexpr int32_t WouldBlock = 10035;
constexpr int32_t InProgress = 10036;
constexpr int32_t Already = 10037;
constexpr int32_t NotSocket = 10038;
constexpr int32_t DestAddressRequired = 10039;
constexpr int32_t MessageSize = 10040;
constexpr int32_t ProtocolType = 10041;
constexpr int32_t NoProtocolOption = 10042;
constexpr int32_t ProtocolNotSupported = 10043;
constexpr int32_t SocketTypeNotSupported = 10044;
constexpr int32_t OperationNotSupported = 10045;
constexpr int32_t ProtocolFamilyNotSupported = 10046;
constexpr int32_t AddressFamilyNotSupported = 10047;
constexpr int32_t AddressInUse = 10048;
constexpr int32_t AddressNotAvailable = 10049;
constexpr int32_t NetworkDown = 10050;
constexpr int32_t NetworkUnreachable = 10051;
constexpr int32_t NetworkReset = 10052;
constexpr int32_t ConnectionAborted = 10053;
constexpr int32_t ConnectionReset = 10054;
constexpr int32_t NoBufferSpace = 10055;
constexpr int32_t IsConnected = 10056;
constexpr int32_t NotConnected = 10057;
constexpr int32_t Shutdown = 10058;
constexpr int32_t TooManyReferences = 10059;
constexpr int32_t TimedOut = 10060;
constexpr int32_t ConnectionRefused = 10061;
constexpr int32_t Loop = 10062;
constexpr int32_t NameTooLong = 10063;
constexpr int32_t HostDown = 10064;
constexpr int32_t HostUnreachable = 10065;
constexpr int32_t NotEmpty = 10066;
constexpr int32_t Users = 10068;
constexpr int32_t QuotaExceeded = 10069;
constexpr int32_t Stale = 10070;
constexpr int32_t Remote = 10071;
constexpr int32_t SystemCallFailure = 10107; // a platform failure with no closer number
constexpr int32_t HostNotFound = 11001;      // authoritative: no such host
constexpr int32_t TryAgain = 11002;          // non-authoritative: no such host, or server failure
constexpr int32_t NoRecovery = 11003;
constexpr int32_t NoData = 11004;            // the name is valid but has no address of the kind asked
} // namespace WsaError

// 4 bytes in network order; byte 0 is the first part of the dotted text.
using TInAddr = std::array<uint8_t, 4>;

// The 16-byte IPv4 socket address record.
struct TSockAddrIn {
    uint16_t Family = 0; // AfInet
    uint16_t Port = 0;   // network order
    TInAddr Address{};
    uint8_t Zero[8]{};
};
static_assert(sizeof(TSockAddrIn) == 16);
constexpr int SockAddrInLength = 16;

// The wait set: a count followed by at most 64 socket numbers.
constexpr int SocketSetSize = 64;
struct TSocketSet {
    uint32_t Count = 0;
    TSocket Sockets[SocketSetSize];
};

struct TTimeVal {
    int32_t Seconds = 0;
    int32_t Microseconds = 0;
};

// What a host lookup gives: the official name, the aliases and every IPv4
// address, in the order the resolver gave them.
struct THostRecord {
    QByteArray Name;
    QByteArrayList Aliases;
    QList<TInAddr> Addresses;
};

// What a service lookup gives; Port is in network order.
struct TServiceRecord {
    QByteArray Name;
    QByteArrayList Aliases;
    uint16_t Port = 0;
};

// Starts and ends the use of the socket library by the process. Startup
// returns 0 on success.
int Startup();
void Cleanup();

// The calling thread's last error.
int32_t LastError();
void SetLastError(int32_t code);

#ifndef Q_OS_WIN
// Translation of the platform's own failure numbers.
int32_t WsaErrorFromErrno(int error);
int32_t WsaErrorFromLookup(int lookupError);
#endif

TSocket Socket(int family, int type, int protocol);
int Bind(TSocket s, const TSockAddrIn *address, int length);
int Connect(TSocket s, const TSockAddrIn *address, int length);
int Listen(TSocket s, int backlog);
TSocket Accept(TSocket s, TSockAddrIn *address, int *length);
int Send(TSocket s, const void *buffer, int length, int flags);
int SendTo(TSocket s, const void *buffer, int length, int flags, const TSockAddrIn *to, int toLength);
int Recv(TSocket s, void *buffer, int length, int flags);
// A datagram longer than the buffer fails with WsaError::MessageSize; the
// buffer holds its first bytes and the datagram is gone from the queue
// (unless MsgPeek was given).
int RecvFrom(TSocket s, void *buffer, int length, int flags, TSockAddrIn *from, int *fromLength);
// Waits until a socket of a set is ready or the timeout (none: no limit)
// passes. Returns the number of ready entries, 0 on timeout or -1; on return
// each set holds only its ready sockets (none after a failure). The first
// argument is ignored. Sets that are all empty fail with InvalidArgument.
int Select(int ignored, TSocketSet *readSet, TSocketSet *writeSet, TSocketSet *exceptSet,
           const TTimeVal *timeout);
int SetSockOpt(TSocket s, int level, int name, const void *value, int length);
int Shutdown(TSocket s, int how);
int CloseSocket(TSocket s);
int GetSockName(TSocket s, TSockAddrIn *address, int *length);
int GetPeerName(TSocket s, TSockAddrIn *address, int *length);
int GetHostName(char *name, int length);

// Name lookups, safe to call from several threads at once. On failure they
// return false with the lookup's error number as the thread's last error.
bool GetHostByName(const QByteArray &name, THostRecord &host);
bool GetHostByAddr(const TInAddr &address, THostRecord &host);
bool GetServByName(const QByteArray &name, const char *protocol, TServiceRecord &service);
bool GetServByPort(uint16_t portNetworkOrder, const char *protocol, TServiceRecord &service);

// Dotted text (also the short, octal and hexadecimal forms) to an address in
// network order; 0xFFFFFFFF when the text is not one.
uint32_t InetAddr(const char *text);

inline uint16_t HostToNet16(uint16_t value) { return qToBigEndian(value); }
inline uint16_t NetToHost16(uint16_t value) { return qFromBigEndian(value); }
inline uint32_t HostToNet32(uint32_t value) { return qToBigEndian(value); }
inline uint32_t NetToHost32(uint32_t value) { return qFromBigEndian(value); }

} // namespace Sockets
