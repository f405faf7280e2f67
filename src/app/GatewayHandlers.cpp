// The conversation with the KV-IP gateway: "Пуск", the poll and every
// datagram the gateway sends.

#include "framework/ErrorDisplay.h"
#include "framework/MemoryStream.h"
#include "app/GatewayProtocol.h"
#include "net/IdSocketHandle.h"
#include "net/IdStack.h"
#include "net/IdUDPServer.h"
#include "platform/beep/MessageBeep.h"
#include "platform/cp1251/Ansi.h"
#include "app/DeviceEvent.h"
#include "app/MainUnit.h"
#include "ui_MainUnit.h"
#include "framework/TextRoutines.h"

namespace {
constexpr int GatewayDefaultPort = 971;

// The gateway's address in the form the listener reports senders in, for the
// address text or host name the operator typed.
QByteArray ResolvedAddress(const QByteArray &host)
{
    return GlobalStack->AddressToText(GlobalStack->AddressFromText(GlobalStack->HostToAddressText(host)));
}

// A key event: heard, logged, kept as the device event and passed on to the
// TM server.
void PassOnKeyEvent(TfrmMain &form, const TDeviceEvent &event)
{
    MessageBeep(BeepKind::Simple);
    MessageBeep(BeepKind::Asterisk);
    form.LogAppend("!");
    DeviceEvent = event;
    form.SendTmMessage({});
}
} // namespace

// "Пуск": starts the link to the gateway and greets it.
void TfrmMain::Button1Click()
{
    const QByteArray text = ToAnsi(FUi->leKVIP->text());
    FLink.Host = FieldAt(1, text, AddressDelimiters());
    FLink.PortText = FieldAt(2, text, AddressDelimiters());
    if (FLink.PortText.isEmpty())
        FLink.PortText = "971";
    IdUDPServer1->SetDefaultPort(StrToIntDef(FLink.PortText, GatewayDefaultPort));
    IdUDPServer1->SetActive(true);
    // The gateway's replies are recognised by this address too; the greeting
    // goes to it, so that a name is looked up once and the gateway greeted is
    // the one whose replies are accepted.
    FLink.HostAddress.clear();
    FLink.HostAddress = ResolvedAddress(FLink.Host);
    IdUDPServer1->SendText(FLink.HostAddress, IdUDPServer1->DefaultPort(), GreetingDatagram());
}

// Every 3000 ms: polls the gateway once the link is started.
void TfrmMain::Timer1Timer()
{
    if (!IdUDPServer1->Active() || FLink.Host.isEmpty())
        return;
    const QByteArray poll = PollDatagram(FLink.GatewayMac);
    try {
        IdUDPServer1->SendBytes(FLink.Host, IdUDPServer1->DefaultPort(), poll.constData(), int(poll.size()));
    } catch (...) {
        // A failure that repeats on every tick is shown once at a time: the
        // ticks that come while its box is open send their polls but open no
        // box on top of it.
        if (FLink.PollFailureShown)
            return;
        FLink.PollFailureShown = true;
        ShowCurrentException();
        FLink.PollFailureShown = false;
    }
}

// A datagram, handed over by the endpoint's listener.
void TfrmMain::IdUDPServer1UDPRead(QObject *, TMemoryStream &AData, TIdSocketHandle &ABinding)
{
    const QByteArray datagram = AData.Bytes();
    if (!IsGatewaySender(ABinding.RemoteIP(), FLink.Host, FLink.HostAddress)) {
        LogAppend(ToAnsi(QStringLiteral("Несовпадение IP-адреса (")) + ABinding.RemoteIP() + ")");
        return;
    }
    LogAppend(HexLine(datagram));
    if (const std::optional<TMacAddress> mac = IdentityReplyMac(datagram)) {
        FLink.GatewayMac = *mac;
    } else if (!CarriesMac(datagram, FLink.GatewayMac)) {
        LogAppend(ToAnsi(QStringLiteral("Несовпадение MAC-адреса")));
        return;
    }
    if (const std::optional<TDeviceEvent> event = KindBEvent(datagram))
        PassOnKeyEvent(*this, *event);
    if (const std::optional<TDeviceEvent> event = KindCEvent(datagram))
        PassOnKeyEvent(*this, *event);
}
