#pragma once

#include "app/DeviceEvent.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

// The datagrams exchanged with the KV-IP gateway, as plain functions on byte
// strings. Every test reads only bytes the datagram has: a datagram too short
// for a test does not pass it.

using TMacAddress = std::array<uint8_t, 6>;

// Where the gateway MAC sits in every datagram that carries one.
constexpr int MacOffset = 2;

// Lengths a datagram needs for each test: the identity reply must carry a
// whole MAC, and a key event every byte it is tested on or gives a value.
constexpr qsizetype IdentityReplyLength = MacOffset + 6;
constexpr qsizetype MacCheckLength = MacOffset + 6;
constexpr qsizetype KindBLength = 15;
constexpr qsizetype KindCLength = 14;
constexpr qsizetype PollLength = 9;

// "GD": greets the gateway.
QByteArray GreetingDatagram();

// 'D', 'D', the MAC, '4': asks the gateway to report.
QByteArray PollDatagram(const TMacAddress &mac);

// Every byte as two upper-case hexadecimal digits followed by one space.
QByteArray HexLine(const QByteArray &datagram);

// The MAC of an identity reply ('G' or 'g', then 'R', then the six MAC
// bytes); nothing for any other datagram.
std::optional<TMacAddress> IdentityReplyMac(const QByteArray &datagram);

// Whether bytes 2..7 are the given MAC.
bool CarriesMac(const QByteArray &datagram, const TMacAddress &mac);

// The key event a datagram reports, if it is one of kind B ('#', byte 8 'B',
// bytes 11 and 12 0x01 0x02; mode 0, a = byte 10, b = byte 13, c = byte 14)
// or of kind C ('#', byte 8 'C', bytes 9 and 10 zero; mode 1, a, b, c =
// bytes 11..13). The MAC is not looked at here.
std::optional<TDeviceEvent> KindBEvent(const QByteArray &datagram);
std::optional<TDeviceEvent> KindCEvent(const QByteArray &datagram);

// Whether a datagram comes from the gateway: its sender's address text equals
// the host as typed, or the address that host resolved to when the link was
// started (a host typed as a name or with leading zeros is reported back in
// canonical form). An empty host or an empty resolved address matches
// nothing.
bool IsGatewaySender(const QByteArray &senderAddress, const QByteArray &host, const QByteArray &hostAddress);

// What the gateway sends, for the simulator and the tests. The bytes not
// examined by the program are zero.
QByteArray IdentityReplyDatagram(const TMacAddress &mac, char first = 'G');
QByteArray KindBDatagram(const TMacAddress &mac, uint8_t a, uint8_t b, uint8_t c);
QByteArray KindCDatagram(const TMacAddress &mac, uint8_t a, uint8_t b, uint8_t c);

// "00:1A:2B:3C:4D:5E" and back; six pairs of hexadecimal digits separated
// by ':' or '-'. Anything else gives nothing.
QByteArray MacText(const TMacAddress &mac);
std::optional<TMacAddress> ParseMac(const QByteArray &text);
