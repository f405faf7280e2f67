// The conversation with the KV-IP gateway: "Пуск", the poll and every
// datagram the gateway sends.

#include "framework/ErrorDisplay.h"
#include "framework/MemoryStream.h"
#include "app/GatewayProtocol.h"
#include "net/HostLookup.h"
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

// The gateway's address in the form the listener reports senders in, for a
// host the operator typed that needs no lookup.
QByteArray ResolvedAddress(const QByteArray &host)
{
    return GlobalStack->AddressToText(GlobalStack->AddressFromText(GlobalStack->HostToAddressText(host)));
}

// Runs one poll's sending. A failure that repeats on every tick is shown
// once at a time: the ticks that come while its box is open send their polls
// but open no box on top of it.
template <class Send>
void PollShowingFailure(TGatewayLink &link, Send send) noexcept
{
    try {
        send();
    } catch (...) {
        if (link.PollFailureShown)
            return;
        link.PollFailureShown = true;
        ShowCurrentException();
        link.PollFailureShown = false;
    }
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
    const auto greet = [this](const QByteArray &address) {
        FLink.HostAddress = address;
        IdUDPServer1->SendText(address, IdUDPServer1->DefaultPort(), GreetingDatagram());
    };
    // A name is looked up on a thread of its own and the gateway greeted
    // when the answer comes; the lookup of an earlier "Пуск" or poll gives
    // way to this one.
    if (TIdStack::NeedsLookup(FLink.Host)) {
        FLink.HostLookup.Start(FLink.Host,
                               [greet](const THostLookupOutcome &outcome) { greet(AddressTextOf(outcome)); });
        return;
    }
    FLink.HostLookup.Drop();
    greet(ResolvedAddress(FLink.Host));
}

// Every 3000 ms: polls the gateway once the link is started.
void TfrmMain::Timer1Timer()
{
    if (!IdUDPServer1->Active() || FLink.Host.isEmpty())
        return;
    const auto poll = [this](const QByteArray &host) {
        const QByteArray datagram = PollDatagram(FLink.GatewayMac);
        IdUDPServer1->SendBytes(host, IdUDPServer1->DefaultPort(), datagram.constData(), int(datagram.size()));
    };
    if (!TIdStack::NeedsLookup(FLink.Host)) {
        PollShowingFailure(FLink, [&] { poll(FLink.Host); });
        return;
    }
    // A name is looked up anew for every poll, on a thread of its own; a
    // tick that comes while a lookup is pending starts no other.
    if (FLink.HostLookup.Pending())
        return;
    FLink.HostLookup.Start(FLink.Host, [this, poll](const THostLookupOutcome &outcome) {
        PollShowingFailure(FLink, [&] { poll(AddressTextOf(outcome)); });
    });
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
