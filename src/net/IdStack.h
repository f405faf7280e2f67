#pragma once

#include "platform/sockets/Sockets.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <cstdint>
#include <initializer_list>
#include <memory>

// The one process-wide socket stack. It wraps each socket call with the
// conversions the endpoint needs (dotted address texts to and from 4-byte
// addresses, ports to and from network order) and turns failed calls into
// EIdSocketError. Ports are host-order integers on every operation here.
//
// The raw operations (SockAccept to SockShutdown, apart from the name and
// service look-ups) return the platform result unexamined: -1 means failure
// and SockLastError() gives the calling thread's code, which the caller passes
// to CheckSocketResult. Every operation may be used from any thread.

// A socket number; Sockets::InvalidSocket (-1) means none.
using TIdStackSocketHandle = Sockets::TSocket;
using TIdInAddr = Sockets::TInAddr;
// The socket handles of a wait; on return it holds only the ready ones.
using TIdSocketList = QList<TIdStackSocketHandle>;

class TIdStack {
public:
    virtual ~TIdStack();
    TIdStack(const TIdStack &) = delete;
    TIdStack &operator=(const TIdStack &) = delete;

    // The stack of this platform, started; raises when the platform's socket
    // library does not start.
    static std::unique_ptr<TIdStack> NewPlatformStack();

    // Every IPv4 address of the local host name, refilled on each call; the
    // stack keeps the list.
    virtual void FillLocalAddressList() = 0;
    virtual QByteArray FirstLocalAddress() = 0;
    virtual const QByteArrayList &LocalAddressList() = 0;

    virtual TIdStackSocketHandle SockAccept(TIdStackSocketHandle s, QByteArray &ip, int &port) = 0;
    // An empty address text, like "0.0.0.0", binds every local address.
    virtual int SockBind(TIdStackSocketHandle s, int family, const QByteArray &ip, int port) = 0;
    virtual int SockClose(TIdStackSocketHandle s) = 0;
    virtual int SockConnect(TIdStackSocketHandle s, int family, const QByteArray &ip, int port) = 0;
    // The first IPv4 address of the host as text; raises EIdSocketError when
    // the look-up fails.
    virtual QByteArray SockResolveName(const QByteArray &host) = 0;
    virtual QByteArray SockLocalHostName() = 0;
    virtual QByteArray SockResolveAddress(const QByteArray &ip) = 0;
    // The port of a service name, or the text as a number; raises
    // EIdInvalidServiceName when it is neither.
    virtual int SockServicePort(const QByteArray &service) = 0;
    // The official name and the aliases of the service on a port; empty when
    // the platform knows none.
    virtual QByteArrayList SockServiceNames(int port) = 0;
    virtual uint16_t SockHostToNet16(uint16_t value) = 0;
    virtual int SockListen(TIdStackSocketHandle s, int backlog) = 0;
    virtual uint16_t SockNetToHost16(uint16_t value) = 0;
    virtual uint32_t SockHostToNet32(uint32_t value) = 0;
    virtual uint32_t SockNetToHost32(uint32_t value) = 0;
    virtual int SockRecv(TIdStackSocketHandle s, void *buffer, int length, int flags) = 0;
    // The sender's address text and port are set even when the result is -1
    // (and are then meaningless).
    virtual int SockRecvFrom(TIdStackSocketHandle s, void *buffer, int length, int flags,
                             QByteArray &ip, int &port) = 0;
    // Waits until a listed socket is ready or `timeoutMs` passes (-2: no
    // limit). Absent lists are passed as null. Each present list is rebuilt
    // with its ready sockets; the platform result is returned unexamined. A
    // list of more than 64 handles raises EIdStackSetSizeExceeded before the
    // platform is called.
    virtual int SockSelect(TIdSocketList *readList, TIdSocketList *writeList,
                           TIdSocketList *exceptList, int timeoutMs) = 0;
    virtual int SockSend(TIdStackSocketHandle s, const void *buffer, int length, int flags) = 0;
    // The address text must be numeric (see HostToAddressText).
    virtual int SockSendTo(TIdStackSocketHandle s, const void *buffer, int length, int flags,
                           const QByteArray &ip, int port) = 0;
    virtual int SockSetOption(TIdStackSocketHandle s, int level, int name, const void *value,
                              int length) = 0;
    virtual TIdStackSocketHandle SockOpen(int family, int type, int protocol) = 0;
    virtual int SockShutdown(TIdStackSocketHandle s, int how) = 0;
    // The text of a socket error code; empty for a code it does not know.
    virtual QByteArray ErrorMessageFor(int32_t code);
    virtual int32_t SockLastError() = 0;
    // Raise EIdSocketError when the platform call fails.
    virtual void SockPeerAddress(TIdStackSocketHandle s, int &family, QByteArray &ip, int &port) = 0;
    virtual void SockBoundAddress(TIdStackSocketHandle s, int &family, QByteArray &ip, int &port) = 0;
    // Four decimal numbers joined by ".", without leading zeros.
    virtual QByteArray AddressToText(const TIdInAddr &address) = 0;
    // Each of four dot-separated parts converted as an integer (raising
    // EConvertError), its low 8 bits stored; text after a fourth dot is
    // ignored.
    virtual void FillAddressFromText(const QByteArray &text, TIdInAddr &address) = 0;

    // Opens an IPv4 socket; raises EIdInvalidSocket when the platform refuses.
    TIdStackSocketHandle NewSocketHandle(int socketType, int protocol);
    // False for a result other than -1 (the error code is not read then).
    // For -1: true when the thread's last error is one of `tolerated` (the
    // caller raises its own exception), otherwise RaiseSocketFailure.
    bool CheckSocketResult(int result);
    bool CheckSocketResult(int result, std::initializer_list<int32_t> tolerated);
    [[noreturn]] void RaiseSocketFailure(int32_t code);
    // "LOCALHOST" in any letter case gives "127.0.0.1", an address text is
    // returned unchanged, anything else is looked up (SockResolveName).
    QByteArray HostToAddressText(const QByteArray &host);
    // Whether HostToAddressText would look the host text up.
    static bool NeedsLookup(const QByteArray &host);
    TIdInAddr AddressFromText(const QByteArray &text);

    // Whether a host text is already a numeric IPv4 address: four
    // dot-separated parts, each an integer of 0 to 255 (leading blanks, a
    // sign and the hexadecimal prefixes are accepted as the integer
    // conversion accepts them).
    static bool IsAddressText(const QByteArray &text);
    static bool IsOctetText(const QByteArray &part);

protected:
    TIdStack() = default;

    // Created by the first LocalAddressList call.
    std::unique_ptr<QByteArrayList> LocalAddressCache;
};

// The live stack, empty when no networking component exists.
extern std::unique_ptr<TIdStack> GlobalStack;
// The number of live networking components.
extern int32_t StackUserCount;

// A networking component's constructor calls AcquireGlobalStack (making the
// stack when there is none; an exception leaves the count unchanged) and its
// destructor ReleaseGlobalStack (destroying the stack with the last user).
// GUI thread only.
void AcquireGlobalStack();
void ReleaseGlobalStack();
