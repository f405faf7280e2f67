// The datagram handler of the real main window on arbitrary datagrams. The
// first byte picks the sender (the gateway or another address) and whether
// the gateway's MAC was learnt; the rest is the datagram. Whatever arrives,
// the handler logs it, never reads beyond it and passes on at most one key
// event, exactly when the datagram is one.

#include "framework/Application.h"
#include "framework/MemoryStream.h"
#include "framework/MessageBox.h"
#include "app/GatewayProtocol.h"
#include "net/IdSocketHandle.h"
#include "platform/beep/MessageBeep.h"
#include "app/DeviceEvent.h"
#include "app/MainUnit.h"
#include "support/frmMainProbe.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
const TMacAddress Mac{0x02, 0x00, 0x00, 0x37, 0x21, 0x01};
TfrmMain *Window = nullptr;
TfrmMainProbe *Probe = nullptr;
int Beeps = 0;
int Messages = 0;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

// The font library never frees the configuration it loads for the first text
// laid out in the log.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A mailslot name that no receiver owns: every message ends in the error
    // box, which counts it.
    static TApplication application(*argc, *argv);
    SetBeepHandler([](uint32_t) { ++Beeps; });
    SetMessageBoxHandler([](const QByteArray &, const QByteArray &, TMsgIcon) { ++Messages; });
    Window = new TfrmMain;
    Probe = new TfrmMainProbe(*Window);
    Probe->leTMSName()->setText(QStringLiteral("fuzz-no-such-server"));
    Probe->Link().Host = "10.0.0.5";
    Probe->Link().HostAddress = "10.0.0.5";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const bool fromGateway = data[0] & 1;
    Probe->Link().GatewayMac = (data[0] & 2) ? Mac : TMacAddress{};
    // A copy of exactly the datagram's bytes, so that a read beyond it is a
    // read beyond a heap block.
    const std::unique_ptr<char[]> bytes(new char[size - 1]);
    std::memcpy(bytes.get(), data + 1, size - 1);
    const QByteArray datagram = QByteArray::fromRawData(bytes.get(), qsizetype(size - 1));
    TMemoryStream stream;
    stream.Write(datagram.constData(), datagram.size());
    stream.SetPosition(0);
    TIdSocketHandle binding;
    binding.SetRemote(fromGateway ? "10.0.0.5" : "10.0.0.6", 971);

    const TMacAddress macBefore = Probe->Link().GatewayMac;
    Beeps = Messages = 0;
    Probe->ClearLog();
    Window->IdUDPServer1UDPRead(nullptr, stream, binding);
    const QStringList log = Probe->LogText().split(QLatin1Char('\n'));
    // What the log posted for itself, as the event loop would run it.
    QCoreApplication::sendPostedEvents();

    if (!fromGateway) {
        Check(log.size() == 1 && log[0].startsWith(QStringLiteral("Несовпадение IP-адреса (")));
        Check(Probe->Link().GatewayMac == macBefore && Beeps == 0 && Messages == 0);
        return 0;
    }
    Check(log[0] == QString::fromLatin1(HexLine(datagram)));
    const std::optional<TMacAddress> learnt = IdentityReplyMac(datagram);
    Check(Probe->Link().GatewayMac == (learnt ? *learnt : macBefore));
    const bool ours = learnt || CarriesMac(datagram, macBefore);
    const bool keyEvent = ours && (KindBEvent(datagram) || KindCEvent(datagram));
    Check(!(KindBEvent(datagram) && KindCEvent(datagram)));
    Check(Beeps == (keyEvent ? 2 : 0) && Messages == (keyEvent ? 1 : 0));
    Check(log.size() == (ours ? (keyEvent ? 2 : 1) : 2));
    return 0;
}
