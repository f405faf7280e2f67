#include "net/IdStackWinsock.h"

#include "framework/Exception.h"
#include "net/IdException.h"
#include "net/TakeField.h"
#include "framework/TextRoutines.h"

#include <cstring>

using namespace Sockets;

std::unique_ptr<TIdStack> TIdStack::NewPlatformStack()
{
    return std::make_unique<TIdStackWinsock>();
}

namespace {
// Writes the address text into `text`, reusing its buffer when it has one of
// its own: the listener reports a sender for every datagram.
void StoreAddressText(const TIdInAddr &address, QByteArray &text)
{
    char digits[16];
    char *end = digits;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            *end++ = '.';
        const unsigned value = address[i];
        if (value >= 100)
            *end++ = char('0' + value / 100);
        if (value >= 10)
            *end++ = char('0' + value / 10 % 10);
        *end++ = char('0' + value % 10);
    }
    text.resize(end - digits);
    std::memcpy(text.data(), digits, size_t(end - digits));
}

TSockAddrIn MakeRecord(int family, const TIdInAddr &address, int port)
{
    TSockAddrIn record;
    record.Family = uint16_t(family);
    record.Port = HostToNet16(uint16_t(port));
    record.Address = address;
    return record;
}
} // namespace

TIdStackWinsock::TIdStackWinsock()
{
    // Nothing was started when this fails, so there is nothing to end.
    if (Startup() != 0)
        throw EIdStackInitializationFailed();
}

TIdStackWinsock::~TIdStackWinsock()
{
    Cleanup();
}

void TIdStackWinsock::FillLocalAddressList()
{
    if (!LocalAddressCache)
        LocalAddressCache = std::make_unique<QByteArrayList>();
    LocalAddressCache->clear();
    THostRecord host;
    if (!GetHostByName(SockLocalHostName(), host))
        CheckSocketResult(SocketError);
    for (const TInAddr &address : host.Addresses)
        LocalAddressCache->append(AddressToText(address));
}

QByteArray TIdStackWinsock::FirstLocalAddress()
{
    const QByteArrayList &addresses = LocalAddressList();
    if (addresses.isEmpty())
        throw Exception("List index out of bounds (0)");
    return addresses.first();
}

const QByteArrayList &TIdStackWinsock::LocalAddressList()
{
    FillLocalAddressList();
    return *LocalAddressCache;
}

TIdStackSocketHandle TIdStackWinsock::SockAccept(TIdStackSocketHandle s, QByteArray &ip, int &port)
{
    TSockAddrIn record;
    int length = SockAddrInLength;
    const TIdStackSocketHandle accepted = Accept(s, &record, &length);
    ip = AddressToText(record.Address);
    port = NetToHost16(record.Port);
    return accepted;
}

int TIdStackWinsock::SockBind(TIdStackSocketHandle s, int family, const QByteArray &ip, int port)
{
    const TSockAddrIn record = MakeRecord(family, ip.isEmpty() ? TIdInAddr{} : AddressFromText(ip), port);
    return Bind(s, &record, SockAddrInLength);
}

int TIdStackWinsock::SockClose(TIdStackSocketHandle s)
{
    return CloseSocket(s);
}

int TIdStackWinsock::SockConnect(TIdStackSocketHandle s, int family, const QByteArray &ip, int port)
{
    const TSockAddrIn record = MakeRecord(family, AddressFromText(ip), port);
    return Connect(s, &record, SockAddrInLength);
}

QByteArray TIdStackWinsock::SockResolveName(const QByteArray &host)
{
    THostRecord record;
    if (!GetHostByName(host, record))
        CheckSocketResult(SocketError);
    return AddressToText(record.Addresses.first());
}

QByteArray TIdStackWinsock::SockLocalHostName()
{
    char name[250] = {};
    GetHostName(name, sizeof name);
    name[sizeof name - 1] = '\0';
    return QByteArray(name);
}

QByteArray TIdStackWinsock::SockResolveAddress(const QByteArray &ip)
{
    const uint32_t networkOrder = InetAddr(ip.constData());
    TInAddr address;
    std::memcpy(address.data(), &networkOrder, 4);
    THostRecord record;
    if (!GetHostByAddr(address, record))
        CheckSocketResult(SocketError);
    return record.Name;
}

int TIdStackWinsock::SockServicePort(const QByteArray &service)
{
    TServiceRecord record;
    if (GetServByName(service, nullptr, record))
        return NetToHost16(record.Port);
    try {
        return StrToInt(service);
    } catch (const EConvertError &) {
        throw EIdInvalidServiceName(service);
    }
}

QByteArrayList TIdStackWinsock::SockServiceNames(int port)
{
    QByteArrayList names;
    TServiceRecord record;
    if (GetServByPort(HostToNet16(uint16_t(port)), nullptr, record))
        names << record.Name << record.Aliases;
    return names;
}

uint16_t TIdStackWinsock::SockHostToNet16(uint16_t value)
{
    return HostToNet16(value);
}

int TIdStackWinsock::SockListen(TIdStackSocketHandle s, int backlog)
{
    return Listen(s, backlog);
}

uint16_t TIdStackWinsock::SockNetToHost16(uint16_t value)
{
    return NetToHost16(value);
}

uint32_t TIdStackWinsock::SockHostToNet32(uint32_t value)
{
    return HostToNet32(value);
}

uint32_t TIdStackWinsock::SockNetToHost32(uint32_t value)
{
    return NetToHost32(value);
}

int TIdStackWinsock::SockRecv(TIdStackSocketHandle s, void *buffer, int length, int flags)
{
    return Recv(s, buffer, length, flags);
}

int TIdStackWinsock::SockRecvFrom(TIdStackSocketHandle s, void *buffer, int length, int flags,
                                  QByteArray &ip, int &port)
{
    TSockAddrIn record;
    int recordLength = SockAddrInLength;
    const int result = RecvFrom(s, buffer, length, flags, &record, &recordLength);
    StoreAddressText(record.Address, ip);
    port = NetToHost16(record.Port);
    return result;
}

int TIdStackWinsock::SockSelect(TIdSocketList *readList, TIdSocketList *writeList,
                                TIdSocketList *exceptList, int timeoutMs)
{
    TSocketSet sets[3];
    TIdSocketList *const lists[3] = {readList, writeList, exceptList};
    for (int k = 0; k < 3; ++k) {
        if (!lists[k])
            continue;
        if (lists[k]->size() > SocketSetSize)
            throw EIdStackSetSizeExceeded();
        std::copy(lists[k]->cbegin(), lists[k]->cend(), sets[k].Sockets);
        sets[k].Count = uint32_t(lists[k]->size());
    }
    TTimeVal timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int result = Select(0, &sets[0], &sets[1], &sets[2], timeoutMs == -2 ? nullptr : &timeout);
    for (int k = 0; k < 3; ++k) {
        if (!lists[k])
            continue;
        lists[k]->clear();
        for (uint32_t i = 0; i < sets[k].Count; ++i)
            lists[k]->append(sets[k].Sockets[i]);
    }
    return result;
}

int TIdStackWinsock::SockSend(TIdStackSocketHandle s, const void *buffer, int length, int flags)
{
    return Send(s, buffer, length, flags);
}

int TIdStackWinsock::SockSendTo(TIdStackSocketHandle s, const void *buffer, int length, int flags,
                                const QByteArray &ip, int port)
{
    const TSockAddrIn record = MakeRecord(AfInet, AddressFromText(ip), port);
    return SendTo(s, buffer, length, flags, &record, SockAddrInLength);
}

int TIdStackWinsock::SockSetOption(TIdStackSocketHandle s, int level, int name, const void *value,
                                   int length)
{
    return SetSockOpt(s, level, name, value, length);
}

TIdStackSocketHandle TIdStackWinsock::SockOpen(int family, int type, int protocol)
{
    return Socket(family, type, protocol);
}

int TIdStackWinsock::SockShutdown(TIdStackSocketHandle s, int how)
{
    return Shutdown(s, how);
}

int32_t TIdStackWinsock::SockLastError()
{
    return LastError();
}

namespace {
// The address a socket is bound to or connected to, through getsockname or
// getpeername.
void ReadSocketAddress(TIdStackWinsock &stack, int (*query)(TSocket, TSockAddrIn *, int *), TIdStackSocketHandle s,
                       int &family, QByteArray &ip, int &port)
{
    TSockAddrIn record;
    int length = SockAddrInLength;
    stack.CheckSocketResult(query(s, &record, &length));
    family = record.Family;
    ip = stack.AddressToText(record.Address);
    port = NetToHost16(record.Port);
}
} // namespace

void TIdStackWinsock::SockPeerAddress(TIdStackSocketHandle s, int &family, QByteArray &ip, int &port)
{
    ReadSocketAddress(*this, GetPeerName, s, family, ip, port);
}

void TIdStackWinsock::SockBoundAddress(TIdStackSocketHandle s, int &family, QByteArray &ip, int &port)
{
    ReadSocketAddress(*this, GetSockName, s, family, ip, port);
}

QByteArray TIdStackWinsock::AddressToText(const TIdInAddr &address)
{
    QByteArray text;
    StoreAddressText(address, text);
    return text;
}

void TIdStackWinsock::FillAddressFromText(const QByteArray &text, TIdInAddr &address)
{
    QByteArrayView rest = text;
    for (uint8_t &byte : address)
        byte = uint8_t(StrToInt(Unowned(TakeField(rest, ".", true))));
}
