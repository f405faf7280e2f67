#include "net/IdUDPListenerThread.h"

#include "framework/GuiHandover.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPServer.h"

#include <algorithm>
#include <mutex>

bool IsDatagramError(int32_t code)
{
    using namespace Sockets::WsaError;
    switch (code) {
    case MessageSize:        // longer than the buffer: gone from the queue
    case ConnectionReset:    // port unreachable for an earlier send
    case ConnectionRefused:
    case NetworkReset:       // time to live expired for an earlier send
    case NetworkUnreachable:
    case HostUnreachable:
    case HostDown:
    case WouldBlock:         // ready, then taken back (bad checksum)
    case Interrupted:
        return true;
    default:
        return false;
    }
}

TIdUDPListenerThread::TIdUDPListenerThread(int receiveSize, TIdUDPServer *server)
    : ReceiveSize(std::max(receiveSize, 0)), OwnerServer(server), FHandOverCall([this] { HandOver(); })
{
}

TIdUDPListenerThread::~TIdUDPListenerThread()
{
    EndThread();
}

void TIdUDPListenerThread::HandOver()
{
    OwnerServer->DatagramArrived(DatagramBuffer, *ArrivalBinding);
}

void TIdUDPListenerThread::RunOnce()
{
    try {
        Pass();
    } catch (...) {
        // After a stop request the sockets are going away: that is the end
        // asked for, not a failure to report.
        if (!IsHalted())
            OwnerServer->ListenerFailed(CurrentExceptionMessage());
        throw;
    }
}

void TIdUDPListenerThread::Pass()
{
    {
        std::lock_guard lock(OwnerServer->FSocketLock);
        if (IsHalted())
            return;
        FReadList.clear();
        const TIdSocketHandles &bindings = OwnerServer->Bindings();
        for (int i = 0; i < bindings.Count(); ++i)
            FReadList.append(bindings[i]->SocketHandle());
    }
    GlobalStack->SockSelect(&FReadList, nullptr, nullptr, PollWait);
    for (const TIdStackSocketHandle socket : std::as_const(FReadList)) {
        if (IsHalted() || !Receive(socket))
            continue;
        if (OwnerServer->ThreadedEvent())
            HandOver();
        else
            RunOnGuiThread(FHandOverCall);
    }
}

bool TIdUDPListenerThread::Receive(TIdStackSocketHandle socket)
{
    std::lock_guard lock(OwnerServer->FSocketLock);
    if (IsHalted())
        return false;
    ArrivalBinding = OwnerServer->Bindings().FindBinding(socket);
    if (!ArrivalBinding)
        return false;
    DatagramBuffer.SetSize(ReceiveSize);
    int senderPort = 0;
    const int received = GlobalStack->SockRecvFrom(ArrivalBinding->SocketHandle(), DatagramBuffer.Memory(),
                                                   ReceiveSize, 0, FSenderIP, senderPort);
    if (received == Sockets::SocketError) {
        const int32_t code = GlobalStack->SockLastError();
        if (IsDatagramError(code))
            return false;
        GlobalStack->RaiseSocketFailure(code);
    }
    // An empty datagram carries nothing for the handler.
    if (received == 0)
        return false;
    DatagramBuffer.SetSize(received);
    DatagramBuffer.SetPosition(0);
    ArrivalBinding->SetRemote(FSenderIP, senderPort);
    return true;
}
