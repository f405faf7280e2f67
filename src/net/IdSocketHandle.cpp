#include "net/IdSocketHandle.h"

#include "net/IdException.h"
#include "net/IdSocketHandles.h"

#include <algorithm>

TIdSocketHandle::TIdSocketHandle(TIdSocketHandles *collection) : FCollection(collection)
{
    ClearAddresses(true);
    if (FCollection) {
        FCollection->FItems.push_back(this);
        FPort = FCollection->DefaultPort();
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

void TIdSocketHandle::SetRemote(const QByteArray &ip, int port)
{
    FRemoteIP = ip;
    FRemotePort = port;
}

void TIdSocketHandle::ClearAddresses(bool clearLocal)
{
    FSocketOpen = false;
    FSocketHandle = Sockets::InvalidSocket;
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
    const int result = GlobalStack->SockBind(FSocketHandle, Sockets::AfInet, FIP, FPort);
    if (GlobalStack->CheckSocketResult(result, {Sockets::WsaError::AddressInUse}))
        throw EIdCouldNotBindSocket();
    RefreshLocalAddress();
}

void TIdSocketHandle::RefreshLocalAddress()
{
    int family = 0;
    GlobalStack->SockBoundAddress(FSocketHandle, family, FIP, FPort);
}

void TIdSocketHandle::RefreshRemoteAddress()
{
    int family = 0;
    GlobalStack->SockPeerAddress(FSocketHandle, family, FRemoteIP, FRemotePort);
}

void TIdSocketHandle::SendDatagram(const QByteArray &ip, int port, const void *buffer, int count)
{
    const int sent = GlobalStack->SockSendTo(FSocketHandle, buffer, count, 0, ip, port);
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
    GlobalStack->CheckSocketResult(GlobalStack->SockSetOption(FSocketHandle, level, name, value, length));
}

int TIdSocketHandle::ConnectPeer(int family)
{
    const int result = GlobalStack->SockConnect(FSocketHandle, family, FRemoteIP, FRemotePort);
    if (result != Sockets::SocketError) {
        RefreshLocalAddress();
        RefreshRemoteAddress();
    }
    return result;
}

int TIdSocketHandle::ReceiveDatagram(void *buffer, int length, int flags, QByteArray &ip, int &port)
{
    return GlobalStack->SockRecvFrom(FSocketHandle, buffer, length, flags, ip, port);
}

void TIdSocketHandle::Assign(const TIdSocketHandle &source)
{
    FIP = source.FIP;
    FPort = source.FPort;
    FRemoteIP = source.FRemoteIP;
    FRemotePort = source.FRemotePort;
}
