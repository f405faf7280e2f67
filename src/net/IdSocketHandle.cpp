#include "net/IdSocketHandle.h"

#include "net/IdException.h"
#include "net/IdSocketHandles.h"

#include <algorithm>

TIdSocketHandle::TIdSocketHandle(TIdSocketHandles *collection) : FCollection(collection)
{
    ClearAddresses(true);
    if (FCollection) {
        FCollection->FItems.push_back(this);
        SetPort(FCollection->DefaultPort());
    }
}

TIdSocketHandle::~TIdSocketHandle()
{
    ShutSocket(true);
    if (FCollection) {
        auto &items = FCollection->FItems;
        items.erase(std::remove(items.begin(), items.end(), this), items.end());
    }
}

QByteArray TIdSocketHandle::IP() const
{
    std::lock_guard lock(FAddressLock);
    return FIP;
}

void TIdSocketHandle::SetIP(const QByteArray &ip)
{
    std::lock_guard lock(FAddressLock);
    FIP = ip;
}

int TIdSocketHandle::Port() const
{
    std::lock_guard lock(FAddressLock);
    return FPort;
}

void TIdSocketHandle::SetPort(int port)
{
    std::lock_guard lock(FAddressLock);
    FPort = port;
}

void TIdSocketHandle::SetLocal(const QByteArray &ip, int port)
{
    std::lock_guard lock(FAddressLock);
    FIP = ip;
    FPort = port;
}

QByteArray TIdSocketHandle::RemoteIP() const
{
    std::lock_guard lock(FAddressLock);
    return FRemoteIP;
}

int TIdSocketHandle::RemotePort() const
{
    std::lock_guard lock(FAddressLock);
    return FRemotePort;
}

void TIdSocketHandle::SetRemote(const QByteArray &ip, int port)
{
    std::lock_guard lock(FAddressLock);
    FRemoteIP = ip;
    FRemotePort = port;
}

void TIdSocketHandle::ClearAddresses(bool clearLocal)
{
    FSocketOpen = false;
    FSocketHandle = Sockets::InvalidSocket;
    std::lock_guard lock(FAddressLock);
    if (clearLocal) {
        FIP.clear();
        FPort = 0;
    }
    FRemoteIP.clear();
    FRemotePort = 0;
}

void TIdSocketHandle::OpenSocket(int kind, int protocol)
{
    ShutSocket(true);
    FSocketHandle = GlobalStack->NewSocketHandle(kind, protocol);
    FSocketOpen = true;
}

void TIdSocketHandle::ShutSocket(bool clearLocal)
{
    if (!FSocketOpen)
        return;
    FSocketOpen = false;
    GlobalStack->SockShutdown(FSocketHandle, Sockets::SdSend);
    GlobalStack->SockClose(FSocketHandle);
    ClearAddresses(clearLocal);
}

void TIdSocketHandle::BindSocket()
{
    const int result = GlobalStack->SockBind(SocketHandle(), Sockets::AfInet, IP(), Port());
    if (GlobalStack->CheckSocketResult(result, {Sockets::WsaError::AddressInUse}))
        throw EIdCouldNotBindSocket();
    RefreshLocalAddress();
}

void TIdSocketHandle::RefreshLocalAddress()
{
    int family = 0;
    QByteArray ip;
    int port = 0;
    GlobalStack->SockBoundAddress(SocketHandle(), family, ip, port);
    SetLocal(ip, port);
}

void TIdSocketHandle::RefreshRemoteAddress()
{
    int family = 0;
    QByteArray ip;
    int port = 0;
    GlobalStack->SockPeerAddress(SocketHandle(), family, ip, port);
    SetRemote(ip, port);
}

void TIdSocketHandle::SendDatagram(const QByteArray &ip, int port, const void *buffer, int count)
{
    const int sent = GlobalStack->SockSendTo(SocketHandle(), buffer, count, 0, ip, port);
    if (sent == Sockets::SocketError) {
        if (GlobalStack->SockLastError() == Sockets::WsaError::MessageSize)
            throw EIdPackageSizeTooBig();
        GlobalStack->CheckSocketResult(sent);
    } else if (sent != count) {
        throw EIdNotAllBytesSent();
    }
}

void TIdSocketHandle::SetSocketOption(int level, int name, const void *value, int length)
{
    GlobalStack->CheckSocketResult(GlobalStack->SockSetOption(SocketHandle(), level, name, value, length));
}

int TIdSocketHandle::ConnectPeer(int family)
{
    const int result = GlobalStack->SockConnect(SocketHandle(), family, RemoteIP(), RemotePort());
    if (result != Sockets::SocketError) {
        RefreshLocalAddress();
        RefreshRemoteAddress();
    }
    return result;
}

void TIdSocketHandle::Assign(const TIdSocketHandle &source)
{
    if (&source == this)
        return;
    QByteArray ip, remoteIP;
    int port, remotePort;
    {
        std::lock_guard lock(source.FAddressLock);
        ip = source.FIP;
        port = source.FPort;
        remoteIP = source.FRemoteIP;
        remotePort = source.FRemotePort;
    }
    SetLocal(ip, port);
    SetRemote(remoteIP, remotePort);
}
