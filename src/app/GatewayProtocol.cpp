#include "app/GatewayProtocol.h"

#include <algorithm>

namespace {
uint8_t ByteAt(const QByteArray &datagram, qsizetype i)
{
    return static_cast<uint8_t>(datagram[i]);
}

void PutMac(QByteArray &datagram, const TMacAddress &mac)
{
    std::copy(mac.begin(), mac.end(), datagram.begin() + MacOffset);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

QByteArray GreetingDatagram()
{
    return QByteArrayLiteral("GD");
}

QByteArray PollDatagram(const TMacAddress &mac)
{
    QByteArray poll(PollLength, '\0');
    poll[0] = 'D';
    poll[1] = 'D';
    PutMac(poll, mac);
    poll[8] = '4';
    return poll;
}

QByteArray HexLine(const QByteArray &datagram)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    QByteArray line(datagram.size() * 3, Qt::Uninitialized);
    char *out = line.data();
    for (const char c : datagram) {
        const uint8_t byte = static_cast<uint8_t>(c);
        *out++ = Digits[byte >> 4];
        *out++ = Digits[byte & 15];
        *out++ = ' ';
    }
    return line;
}

std::optional<TMacAddress> IdentityReplyMac(const QByteArray &datagram)
{
    if (datagram.size() < IdentityReplyLength || (datagram[0] != 'G' && datagram[0] != 'g') || datagram[1] != 'R')
        return std::nullopt;
    TMacAddress mac;
    std::copy_n(datagram.begin() + MacOffset, mac.size(), mac.begin());
    return mac;
}

bool CarriesMac(const QByteArray &datagram, const TMacAddress &mac)
{
    return datagram.size() >= MacCheckLength
        && std::equal(mac.begin(), mac.end(), datagram.begin() + MacOffset,
                      [](uint8_t m, char d) { return m == static_cast<uint8_t>(d); });
}

std::optional<TDeviceEvent> KindBEvent(const QByteArray &datagram)
{
    if (datagram.size() < KindBLength || datagram[0] != '#' || datagram[8] != 'B' || datagram[11] != 0x01
        || datagram[12] != 0x02)
        return std::nullopt;
    return TDeviceEvent{false, ByteAt(datagram, 10), ByteAt(datagram, 13), ByteAt(datagram, 14)};
}

std::optional<TDeviceEvent> KindCEvent(const QByteArray &datagram)
{
    if (datagram.size() < KindCLength || datagram[0] != '#' || datagram[8] != 'C' || datagram[9] != 0
        || datagram[10] != 0)
        return std::nullopt;
    return TDeviceEvent{true, ByteAt(datagram, 11), ByteAt(datagram, 12), ByteAt(datagram, 13)};
}

bool IsGatewaySender(const QByteArray &senderAddress, const QByteArray &host, const QByteArray &hostAddress)
{
    // The empty host resolves to this workstation; taking that address would
    // make every local sender, the program's own greeting included, the gateway.
    if (host.isEmpty())
        return false;
    return senderAddress == host || (!hostAddress.isEmpty() && senderAddress == hostAddress);
}

QByteArray IdentityReplyDatagram(const TMacAddress &mac, char first)
{
    QByteArray reply(IdentityReplyLength, '\0');
    reply[0] = first;
    reply[1] = 'R';
    PutMac(reply, mac);
    return reply;
}

QByteArray KindBDatagram(const TMacAddress &mac, uint8_t a, uint8_t b, uint8_t c)
{
    QByteArray event(KindBLength, '\0');
    event[0] = '#';
    PutMac(event, mac);
    event[8] = 'B';
    event[10] = char(a);
    event[11] = 0x01;
    event[12] = 0x02;
    event[13] = char(b);
    event[14] = char(c);
    return event;
}

QByteArray KindCDatagram(const TMacAddress &mac, uint8_t a, uint8_t b, uint8_t c)
{
    QByteArray event(KindCLength, '\0');
    event[0] = '#';
    PutMac(event, mac);
    event[8] = 'C';
    event[11] = char(a);
    event[12] = char(b);
    event[13] = char(c);
    return event;
}

QByteArray MacText(const TMacAddress &mac)
{
    QByteArray text = HexLine(QByteArray(reinterpret_cast<const char *>(mac.data()), mac.size())).trimmed();
    text.replace(' ', ':');
    return text;
}

std::optional<TMacAddress> ParseMac(const QByteArray &text)
{
    if (text.size() != 17)
        return std::nullopt;
    TMacAddress mac;
    for (int i = 0; i < 6; ++i) {
        const int high = HexDigit(text[i * 3]);
        const int low = HexDigit(text[i * 3 + 1]);
        if (high < 0 || low < 0 || (i < 5 && text[i * 3 + 2] != ':' && text[i * 3 + 2] != '-'))
            return std::nullopt;
        mac[i] = uint8_t(high * 16 + low);
    }
    return mac;
}
