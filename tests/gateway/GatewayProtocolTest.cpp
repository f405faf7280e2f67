#include "app/GatewayProtocol.h"

#include <gtest/gtest.h>

namespace {
const TMacAddress Mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes += char(v);
    return bytes;
}

// The datagrams the gateway sends, written out byte by byte.
const QByteArray KindB = Bytes({'#', 0x77, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 'B', 0x99, 0x03, 0x01, 0x02, 0x07, 0x45});
const QByteArray KindC = Bytes({'#', 0x77, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 'C', 0x00, 0x00, 0x01, 0x2A, 0x05});

bool Same(const std::optional<TDeviceEvent> &got, const TDeviceEvent &want)
{
    return got && got->Mode == want.Mode && got->a == want.a && got->b == want.b && got->c == want.c;
}
} // namespace

TEST(GatewayDatagrams, GreetingAndPollBytes)
{
    EXPECT_EQ(GreetingDatagram(), QByteArray("GD"));
    EXPECT_EQ(PollDatagram({}), Bytes({0x44, 0x44, 0, 0, 0, 0, 0, 0, 0x34}));
    EXPECT_EQ(PollDatagram(Mac), Bytes({0x44, 0x44, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x34}));
}

TEST(GatewayDatagrams, HexLineHasTwoUpperCaseDigitsAndASpacePerByte)
{
    EXPECT_EQ(HexLine("GR"), "47 52 ");
    EXPECT_EQ(HexLine(Bytes({0x00, 0x0a, 0xa0, 0xff})), "00 0A A0 FF ");
    EXPECT_EQ(HexLine({}), "");
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all += char(i);
    const QByteArray line = HexLine(all);
    ASSERT_EQ(line.size(), 256 * 3);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(line.mid(i * 3, 3), QByteArray::number(i, 16).toUpper().rightJustified(2, '0') + ' ');
}

TEST(GatewayDatagrams, IdentityReplyIsGOrLowerGThenUpperR)
{
    const QByteArray reply = Bytes({'G', 'R', 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
    EXPECT_EQ(IdentityReplyMac(reply), Mac);
    EXPECT_EQ(IdentityReplyMac("g" + reply.mid(1)), Mac);
    EXPECT_EQ(IdentityReplyMac(reply + "trailing bytes"), Mac);
    EXPECT_FALSE(IdentityReplyMac("Gr" + reply.mid(2)));
    EXPECT_FALSE(IdentityReplyMac("DR" + reply.mid(2)));
    EXPECT_FALSE(IdentityReplyMac("GD"));
    // A reply too short to hold the whole MAC teaches nothing.
    EXPECT_FALSE(IdentityReplyMac(reply.left(7)));
    EXPECT_FALSE(IdentityReplyMac("G"));
    EXPECT_EQ(IdentityReplyDatagram(Mac), reply);
    EXPECT_EQ(IdentityReplyDatagram(Mac, 'g'), "g" + reply.mid(1));
}

TEST(GatewayDatagrams, MacCheckLooksAtBytesTwoToSeven)
{
    EXPECT_TRUE(CarriesMac(KindC, Mac));
    EXPECT_TRUE(CarriesMac(KindC.left(8), Mac));
    EXPECT_FALSE(CarriesMac(KindC.left(7), Mac));
    EXPECT_FALSE(CarriesMac(KindC, {}));
    for (int i = 2; i < 8; ++i) {
        QByteArray other = KindC;
        other[i] = char(other[i] ^ 0x80);
        EXPECT_FALSE(CarriesMac(other, Mac)) << "byte " << i;
    }
    // Before the first identity reply only zeros match, and only a whole MAC.
    EXPECT_TRUE(CarriesMac(QByteArray(8, '\0'), {}));
    EXPECT_FALSE(CarriesMac(QByteArray(7, '\0'), {}));
}

TEST(GatewayDatagrams, KindBTakesItsValuesFromBytesTenThirteenFourteen)
{
    EXPECT_TRUE(Same(KindBEvent(KindB), {false, 0x03, 0x07, 0x45}));
    EXPECT_FALSE(KindCEvent(KindB));
    EXPECT_EQ(KindBDatagram(Mac, 3, 7, 0x45), QByteArray(KindB).replace(1, 1, "\0", 1).replace(9, 1, "\0", 1));
    // Every tested byte matters; the others (1, 9 and beyond 14) do not.
    for (int i : {0, 8, 11, 12}) {
        QByteArray other = KindB;
        other[i] = char(other[i] + 1);
        EXPECT_FALSE(KindBEvent(other)) << "byte " << i;
    }
    EXPECT_TRUE(Same(KindBEvent(KindB + "more"), {false, 0x03, 0x07, 0x45}));
    EXPECT_TRUE(Same(KindBEvent(QByteArray(KindB).replace(9, 1, "\xff", 1)), {false, 0x03, 0x07, 0x45}));
    // Byte 11 right but byte 12 wrong.
    EXPECT_FALSE(KindBEvent(QByteArray(KindB).replace(12, 1, "\x03", 1)));
    // The values are unsigned.
    EXPECT_TRUE(Same(KindBEvent(KindBDatagram(Mac, 255, 128, 200)), {false, 255, 128, 200}));
}

TEST(GatewayDatagrams, KindCTakesItsValuesFromBytesElevenToThirteen)
{
    EXPECT_TRUE(Same(KindCEvent(KindC), {true, 0x01, 0x2A, 0x05}));
    EXPECT_FALSE(KindBEvent(KindC));
    EXPECT_EQ(KindCDatagram(Mac, 1, 0x2A, 5), QByteArray(KindC).replace(1, 1, "\0", 1));
    for (int i : {0, 8, 9, 10}) {
        QByteArray other = KindC;
        other[i] = char(other[i] + 1);
        EXPECT_FALSE(KindCEvent(other)) << "byte " << i;
    }
    EXPECT_TRUE(Same(KindCEvent(KindCDatagram(Mac, 0xFF, 0xFF, 0xFF)), {true, 0xFF, 0xFF, 0xFF}));
}

TEST(GatewayDatagrams, NoTestReadsBeyondTheDatagram)
{
    // Each prefix is a view on the whole event: the bytes after its end are
    // there in memory and would make a careless test pass.
    const QByteArray reply = IdentityReplyDatagram(Mac);
    auto prefix = [](const QByteArray &full, qsizetype n) { return QByteArray::fromRawData(full.constData(), n); };
    for (qsizetype n = 0; n < KindB.size(); ++n)
        EXPECT_FALSE(KindBEvent(prefix(KindB, n))) << n;
    for (qsizetype n = 0; n < KindC.size(); ++n)
        EXPECT_FALSE(KindCEvent(prefix(KindC, n))) << n;
    for (qsizetype n = 0; n < reply.size(); ++n) {
        EXPECT_FALSE(IdentityReplyMac(prefix(reply, n))) << n;
        EXPECT_FALSE(CarriesMac(prefix(KindC, n), Mac)) << n;
    }
}

TEST(GatewayDatagrams, SenderIsTheHostAsTypedOrAsResolved)
{
    EXPECT_TRUE(IsGatewaySender("10.0.0.5", "10.0.0.5", "10.0.0.5"));
    EXPECT_FALSE(IsGatewaySender("10.0.0.6", "10.0.0.5", "10.0.0.5"));
    // Leading zeros and names come back in canonical form.
    EXPECT_TRUE(IsGatewaySender("10.0.0.5", "010.0.0.5", "10.0.0.5"));
    EXPECT_TRUE(IsGatewaySender("127.0.0.1", "LocalHost", "127.0.0.1"));
    // Without a resolved address only the text itself matches.
    EXPECT_FALSE(IsGatewaySender("10.0.0.5", "010.0.0.5", ""));
    EXPECT_TRUE(IsGatewaySender("10.0.0.5", "10.0.0.5", ""));
    // An empty host is no gateway, whatever address the empty name gave.
    EXPECT_FALSE(IsGatewaySender("127.0.0.1", "", "127.0.0.1"));
    EXPECT_FALSE(IsGatewaySender("", "", ""));
}

TEST(GatewayDatagrams, MacTextRoundTrip)
{
    EXPECT_EQ(MacText(Mac), "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(ParseMac("00:1a:2b:3C:4d:5E"), Mac);
    EXPECT_EQ(ParseMac("00-1A-2B-3C-4D-5E"), Mac);
    for (const char *bad : {"", "00:1A:2B:3C:4D", "00:1A:2B:3C:4D:5E:", "00:1A:2B:3C:4D:5G", "001A2B3C4D5E00000",
                            "00 1A 2B 3C 4D 5E", "0:01A:2B:3C:4D:5E"})
        EXPECT_FALSE(ParseMac(bad)) << bad;
}
