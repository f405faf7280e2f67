#include "net/IdUDPBase.h"

#include "net/IdSocketHandle.h"

#include <cstdint>

TIdUDPBase::TIdUDPBase(QObject *owner) : TIdComponent(owner) {}

TIdUDPBase::~TIdUDPBase()
{
    SetActive(false);
}

void TIdUDPBase::SetActive(bool value)
{
    if (value == GetActive())
        return;
    if (Loading() || Designing())
        FPendingActive = value;
    else if (value)
        AcquireBinding();
    else
        ReleaseBinding();
}

void TIdUDPBase::Loaded()
{
    TIdComponent::Loaded();
    const bool value = FPendingActive;
    FPendingActive = false;
    SetActive(value);
}

void TIdUDPBase::SetBroadcastEnabled(bool enabled)
{
    if (enabled == FBroadcastEnabled)
        return;
    FBroadcastEnabled = enabled;
    if (Active())
        ApplyBroadcast();
}

void TIdUDPBase::SetBroadcastOption(bool enabled, TIdSocketHandle *binding)
{
    const int32_t value = enabled ? -1 : 0;
    if (!binding)
        binding = AcquireBinding();
    binding->SetSocketOption(Sockets::SolSocket, Sockets::SoBroadcast, &value, sizeof value);
}

void TIdUDPBase::SendText(const QByteArray &host, int port, const QByteArray &text)
{
    SendBytes(host, port, text.constData(), int(text.size()));
}

void TIdUDPBase::SendBytes(const QByteArray &host, int port, const void *buffer, int count)
{
    const QByteArray ip = GlobalStack->HostToAddressText(host);
    AcquireBinding()->SendDatagram(ip, port, buffer, count);
}

void TIdUDPBase::ReleaseBinding()
{
    FOwnBinding.reset();
}

bool TIdUDPBase::GetActive() const
{
    return FPendingActive || (FOwnBinding && FOwnBinding->SocketOpen());
}

TIdSocketHandle *TIdUDPBase::AcquireBinding()
{
    if (!FOwnBinding)
        FOwnBinding = std::make_unique<TIdSocketHandle>();
    if (!FOwnBinding->SocketOpen()) {
        FOwnBinding->OpenSocket(Sockets::SockDgram, 0);
        ApplyBroadcast();
    }
    return FOwnBinding.get();
}

void TIdUDPBase::ApplyBroadcast()
{
    SetBroadcastOption(FBroadcastEnabled, nullptr);
}
