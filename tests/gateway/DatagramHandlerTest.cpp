// The datagram handler with synthetic datagrams, as the listener hands them
// over: a stream holding the bytes and the binding with the sender.

#include "framework/MemoryStream.h"
#include "app/GatewayProtocol.h"
#include "net/IdSocketHandle.h"
#include "net/IdUDPServer.h"
#include "platform/mailslot/Mailslot.h"
#include "app/DeviceEvent.h"
#include "app/MainUnit.h"
#include "support/Ansi.h"
#include "support/BeepRecorder.h"
#include "support/MessageBoxRecorder.h"
#include "support/frmMainProbe.h"
#include "app/TmMessage.h"

#include <gtest/gtest.h>

namespace {
const TMacAddress Mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
const TMacAddress OtherMac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5F};

bool operator==(const TDeviceEvent &x, const TDeviceEvent &y)
{
    return x.Mode == y.Mode && x.a == y.a && x.b == y.b && x.c == y.c;
}

class DatagramHandler : public testing::Test {
protected:
    void SetUp() override
    {
        DeviceEvent = {};
        probe.Link().Host = "10.0.0.5";
        probe.Link().HostAddress = "10.0.0.5";
        ASSERT_EQ(mailslot.Create(TmMailslotPath("TMS")), MailslotError::Success);
    }
    void TearDown() override { DeviceEvent = {}; }

    void Receive(const QByteArray &datagram, const QByteArray &sender = "10.0.0.5")
    {
        TMemoryStream data;
        data.Write(datagram.constData(), datagram.size());
        data.SetPosition(0);
        TIdSocketHandle binding;
        binding.SetRemote(sender, 971);
        window.IdUDPServer1UDPRead(probe.IdUDPServer1(), data, binding);
    }

    QStringList Log() const { return probe.LogLines(); }

    QList<QByteArray> Messages()
    {
        QList<QByteArray> messages;
        while (const std::optional<QByteArray> message = mailslot.Read(0))
            messages << *message;
        return messages;
    }

    TfrmMain window;
    TfrmMainProbe probe{window};
    BeepRecorder beeps;
    MessageBoxRecorder boxes;
    TMailslotServer mailslot;
};

QString Hex(const QByteArray &datagram)
{
    return QString::fromLatin1(HexLine(datagram));
}

const QString MacMismatch = QStringLiteral("Несовпадение MAC-адреса");
} // namespace

TEST_F(DatagramHandler, KeyEventsOfBothKindsReachTheTmServer)
{
    probe.Link().GatewayMac = Mac;
    const QByteArray kindB = KindBDatagram(Mac, 3, 7, 0x45);
    Receive(kindB);
    EXPECT_TRUE(DeviceEvent == (TDeviceEvent{false, 3, 7, 0x45}));
    EXPECT_EQ(Messages(), QList<QByteArray>{ComposeTmMessage({false, 3, 7, 0x45}, "10.0.0.5", true, {})});

    const QByteArray kindC = KindCDatagram(Mac, 0x01, 0x2A, 5);
    Receive(kindC);
    EXPECT_TRUE(DeviceEvent == (TDeviceEvent{true, 0x01, 0x2A, 5}));
    EXPECT_EQ(Messages(), QList<QByteArray>{ComposeTmMessage({true, 0x01, 0x2A, 5}, "10.0.0.5", true, {})});

    EXPECT_EQ(Log(), (QStringList{Hex(kindB), QStringLiteral("!"), Hex(kindC), QStringLiteral("!")}));
    EXPECT_EQ(beeps.Beeps, (QList<uint32_t>{BeepKind::Simple, BeepKind::Asterisk, BeepKind::Simple, BeepKind::Asterisk}));
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}

TEST_F(DatagramHandler, KeyEventGoesHexLineThenBeepsThenMarkThenMessage)
{
    // Seen from each step: what the log and the beeps held at that moment.
    QList<QStringList> logAtBeep;
    beeps.OnBeep = [&](uint32_t) { logAtBeep << Log(); };
    QStringList logAtMessage;
    qsizetype beepsAtMessage = -1;
    TDeviceEvent eventAtMessage;
    const TMessageBoxHandler previous = SetMessageBoxHandler([&](const QByteArray &, const QByteArray &, TMsgIcon) {
        logAtMessage = Log();
        beepsAtMessage = beeps.Beeps.size();
        eventAtMessage = DeviceEvent;
    });
    // No mailslot: the message's failure box marks when it was sent.
    mailslot.Close();
    const QByteArray event = KindCDatagram({}, 9, 8, 7);
    Receive(event);
    SetMessageBoxHandler(previous);

    EXPECT_EQ(logAtBeep, (QList<QStringList>{{Hex(event)}, {Hex(event)}}));
    EXPECT_EQ(logAtMessage, (QStringList{Hex(event), QStringLiteral("!")}));
    EXPECT_EQ(beepsAtMessage, 2);
    EXPECT_TRUE(eventAtMessage == (TDeviceEvent{true, 9, 8, 7}));
}

TEST_F(DatagramHandler, DatagramsThatAreNoKeyEventAreOnlyLogged)
{
    probe.Link().GatewayMac = Mac;
    QByteArray bByte12 = KindBDatagram(Mac, 1, 2, 3);
    bByte12[12] = 0x03;
    QByteArray cByte9 = KindCDatagram(Mac, 1, 2, 3);
    cByte9[9] = 0x01;
    QByteArray cByte10 = KindCDatagram(Mac, 1, 2, 3);
    cByte10[10] = 0x01;
    QByteArray notHash = KindCDatagram(Mac, 1, 2, 3);
    notHash[0] = '$';
    QByteArray kindD = KindCDatagram(Mac, 1, 2, 3);
    kindD[8] = 'D';
    QByteArray lowerR = IdentityReplyDatagram(OtherMac);
    lowerR[1] = 'r';
    const QByteArray macOnly = IdentityReplyDatagram(Mac).replace(0, 2, "xx");
    const struct {
        const char *name;
        QByteArray datagram;
        bool macMismatch;
    } rows[] = {
        {"kind B, byte 12 not 0x02", bByte12, false},
        {"kind C, byte 9 not zero", cByte9, false},
        {"kind C, byte 10 not zero", cByte10, false},
        {"no '#'", notHash, false},
        {"byte 8 neither B nor C", kindD, false},
        {"just the MAC", macOnly, false},
        {"kind B one byte short", KindBDatagram(Mac, 1, 2, 3).chopped(1), false},
        {"kind C one byte short", KindCDatagram(Mac, 1, 2, 3).chopped(1), false},
        {"key event with another MAC", KindCDatagram(OtherMac, 1, 2, 3), true},
        {"'r' is no identity reply", lowerR, true},
        {"identity reply without its whole MAC", IdentityReplyDatagram(OtherMac).chopped(1), true},
        {"too short for the MAC", macOnly.chopped(1), true},
        {"one byte", "#", true},
    };
    for (const auto &row : rows) {
        probe.ClearLog();
        Receive(row.datagram);
        const QStringList expected = row.macMismatch ? QStringList{Hex(row.datagram), MacMismatch}
                                                     : QStringList{Hex(row.datagram)};
        EXPECT_EQ(Log(), expected) << row.name;
        EXPECT_EQ(probe.Link().GatewayMac, Mac) << row.name;
    }
    EXPECT_TRUE(beeps.Beeps.isEmpty());
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_TRUE(DeviceEvent == TDeviceEvent{});
}

TEST_F(DatagramHandler, IdentityReplyTeachesTheMacEveryTime)
{
    // Before any reply only key events carrying zeros are the gateway's.
    Receive(KindCDatagram(Mac, 1, 1, 1));
    EXPECT_EQ(Log().last(), MacMismatch);
    Receive(KindCDatagram({}, 1, 1, 1));
    EXPECT_EQ(Messages().size(), 1);

    const QByteArray reply = IdentityReplyDatagram(Mac, 'g') + "and more";
    Receive(reply);
    EXPECT_EQ(probe.Link().GatewayMac, Mac);
    EXPECT_EQ(Log().last(), Hex(reply));
    Receive(IdentityReplyDatagram(OtherMac, 'G'));
    EXPECT_EQ(probe.Link().GatewayMac, OtherMac);

    // Now the first MAC is foreign.
    Receive(KindBDatagram(Mac, 1, 2, 3));
    EXPECT_EQ(Log().last(), MacMismatch);
    Receive(KindBDatagram(OtherMac, 1, 2, 3));
    EXPECT_EQ(Log().last(), QStringLiteral("!"));
    EXPECT_EQ(Messages().size(), 1);
}

TEST_F(DatagramHandler, OnlyTheGatewaysAddressIsHeard)
{
    Receive(IdentityReplyDatagram(Mac), "10.0.0.6");
    Receive(KindCDatagram({}, 1, 2, 3), "10.0.0.50");
    EXPECT_EQ(Log(), (QStringList{QStringLiteral("Несовпадение IP-адреса (10.0.0.6)"),
                                  QStringLiteral("Несовпадение IP-адреса (10.0.0.50)")}));
    EXPECT_EQ(probe.Link().GatewayMac, TMacAddress{});
    EXPECT_TRUE(beeps.Beeps.isEmpty());
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(DatagramHandler, HostTypedOtherwiseIsHeardAtTheAddressItResolvedTo)
{
    probe.Link().Host = "010.000.0.5";
    probe.Link().HostAddress = "10.0.0.5";
    Receive(IdentityReplyDatagram(Mac), "10.0.0.5");
    EXPECT_EQ(probe.Link().GatewayMac, Mac);
    Receive(KindCDatagram(Mac, 1, 2, 3), "10.0.0.5");
    // The TM server is given the host as typed.
    EXPECT_EQ(Messages(), QList<QByteArray>{ComposeTmMessage({true, 1, 2, 3}, "010.000.0.5", true, {})});

    // Without a resolved address (the last "Пуск" could not resolve it) only
    // the text itself is heard.
    probe.Link().HostAddress.clear();
    Receive(KindCDatagram(Mac, 1, 2, 3), "10.0.0.5");
    EXPECT_EQ(Log().last(), QStringLiteral("Несовпадение IP-адреса (10.0.0.5)"));
}

TEST_F(DatagramHandler, EmptyHostHearsNobody)
{
    // "Пуск" with an empty address field: the empty name stands for this
    // workstation, yet no local sender is the gateway.
    probe.Link().Host.clear();
    probe.Link().HostAddress = "127.0.0.1";
    Receive(KindCDatagram({}, 1, 2, 3), "127.0.0.1");
    Receive(IdentityReplyDatagram(Mac), "127.0.0.1");
    EXPECT_EQ(Log(), (QStringList{QStringLiteral("Несовпадение IP-адреса (127.0.0.1)"),
                                  QStringLiteral("Несовпадение IP-адреса (127.0.0.1)")}));
    EXPECT_EQ(probe.Link().GatewayMac, TMacAddress{});
    EXPECT_TRUE(beeps.Beeps.isEmpty());
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}

TEST_F(DatagramHandler, WholeDatagramIsLoggedWhateverItsSize)
{
    QByteArray big(8192, '\xAB');
    Receive(big);
    ASSERT_EQ(Log().size(), 2);
    EXPECT_EQ(Log()[0].size(), 8192 * 3);
    EXPECT_TRUE(Log()[0].startsWith(QStringLiteral("AB AB ")));
    EXPECT_TRUE(Log()[0].endsWith(QStringLiteral("AB ")));

    // The stream's position does not decide what is copied out of it.
    probe.ClearLog();
    TMemoryStream data;
    const QByteArray event = KindCDatagram({}, 4, 5, 6);
    data.Write(event.constData(), event.size());
    TIdSocketHandle binding;
    binding.SetRemote("10.0.0.5", 971);
    window.IdUDPServer1UDPRead(probe.IdUDPServer1(), data, binding);
    EXPECT_EQ(Log(), (QStringList{Hex(event), QStringLiteral("!")}));
}
