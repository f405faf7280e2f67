#include "net/IdUDPServer.h"

#include "framework/ErrorDisplay.h"
#include "net/IdException.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPListenerThread.h"

TIdUDPServer::TIdUDPServer(QObject *owner) : TIdUDPBase(owner), FBindings(std::make_unique<TIdSocketHandles>()) {}

TIdUDPServer::~TIdUDPServer()
{
    SetActive(false);
    FBindings.reset();
}

void TIdUDPServer::SetBindings(const TIdSocketHandles &source)
{
    FBindings->Assign(source);
}

int TIdUDPServer::DefaultPort() const
{
    return FBindings->DefaultPort();
}

void TIdUDPServer::SetDefaultPort(int port)
{
    FBindings->SetDefaultPort(port);
}

bool TIdUDPServer::GetActive() const
{
    const TIdSocketHandle *sending = SendingBinding();
    return TIdUDPBase::GetActive() || (sending && sending->SocketOpen());
}

TIdSocketHandle *TIdUDPServer::AcquireBinding()
{
    if (TIdSocketHandle *sending = SendingBinding())
        return sending;
    if (FBindings->Count() == 0) {
        if (DefaultPort() < 1)
            throw EIdNoBindingsSpecified();
        FBindings->AddBinding();
    }
    for (int i = 0; i < FBindings->Count(); ++i) {
        TIdSocketHandle *binding = FBindings->Items(i);
        binding->OpenSocket(Sockets::SockDgram, 0);
        binding->BindSocket();
    }
    FSendingBinding = FBindings->Items(0);
    try {
        FListener = std::make_unique<TIdUDPListenerThread>(BufferSize(), this);
    } catch (...) {
        // Without a listener the endpoint cannot be active: close what was
        // opened, keeping the addresses, so that the next attempt binds the
        // same ones.
        FSendingBinding = nullptr;
        for (int i = 0; i < FBindings->Count(); ++i)
            FBindings->Items(i)->ShutSocket(false);
        throw;
    }
    FListener->StartRunning();
    ApplyBroadcast();
    return SendingBinding();
}

void TIdUDPServer::ReleaseBinding()
{
    if (!SendingBinding())
        return;
    if (FListener)
        FListener->StopRunning();
    {
        std::lock_guard lock(FSocketLock);
        for (int i = 0; i < FBindings->Count(); ++i)
            FBindings->Items(i)->ShutSocket(true);
    }
    if (FListener) {
        FListener->WaitFor();
        FListener.reset();
    }
    FSendingBinding = nullptr;
}

void TIdUDPServer::ApplyBroadcast()
{
    if (!SendingBinding())
        return;
    for (int i = 0; i < FBindings->Count(); ++i)
        SetBroadcastOption(BroadcastEnabled(), FBindings->Items(i));
}

void TIdUDPServer::DatagramArrived(TMemoryStream &AData, TIdSocketHandle &ABinding)
{
    FSendingBinding = &ABinding;
    DeliverUDPRead(AData, ABinding);
}

void TIdUDPServer::DeliverUDPRead(TMemoryStream &AData, TIdSocketHandle &ABinding)
{
    if (OnUDPRead)
        OnUDPRead(this, AData, ABinding);
}

void TIdUDPServer::ListenerFailed(const QByteArray &reason)
{
    {
        std::lock_guard lock(FSocketLock);
        FListenerEndReason = reason;
    }
    QMetaObject::invokeMethod(this, "ReportListenerEnded", Qt::QueuedConnection);
}

void TIdUDPServer::ReportListenerEnded()
{
    QByteArray reason;
    {
        std::lock_guard lock(FSocketLock);
        reason = FListenerEndReason;
    }
    if (OnListenerEnded)
        Guard([&] { OnListenerEnded(this, reason); });
}
