#pragma once

#include <QByteArray>
#include <bitset>
#include <cstdint>
#include <string_view>

// Text routines on cp1251 byte strings. Positions and field numbers count
// from 1; nothing here fails.

// A set of 8-bit character codes; membership is by exact code.
using TCharSet = std::bitset<256>;
TCharSet MakeCharSet(std::string_view members);

// The gateway address is split at ':'.
const TCharSet &AddressDelimiters();
// A copied object address "#TC<channel>:<rtu>:<point>" is split at '#', ':',
// upper-case 'C' and 'T'.
const TCharSet &ObjectDelimiters();

// Field n, where every delimiter counts: adjacent delimiters enclose an empty
// field and a leading delimiter makes field 1 empty.
QByteArray FieldAt(int n, const QByteArray &text, const TCharSet &delimiters);

// Word n, where runs of delimiters collapse: leading, trailing and repeated
// delimiters never produce empty words.
QByteArray WordAt(int n, const QByteArray &text, const TCharSet &delimiters);

// Removes every character with a code of 32 or less from both ends.
QByteArray Trim(const QByteArray &text);

// Equality folding only the ASCII letters a..z; other characters (Cyrillic
// included) compare by code, and texts of different lengths are never equal.
bool SameTextAscii(const QByteArray &a, const QByteArray &b);

// Shortest signed decimal text.
QByteArray IntToStr(int64_t value);

// Upper-case hexadecimal digits, padded with zeros to at least `digits`.
QByteArray IntToHex(uint64_t value, int digits);

// Leading blanks, an optional sign and a '$', 'x', 'X' or "0x" hexadecimal
// prefix are accepted; anything else, an empty text or a value outside the
// signed 32-bit (64-bit) range yields `fallback`.
int32_t StrToIntDef(const QByteArray &text, int32_t fallback);
int64_t StrToInt64Def(const QByteArray &text, int64_t fallback);
// The same conversion; a text that does not convert raises EConvertError
// "'<text>' is not a valid integer value".
int32_t StrToInt(const QByteArray &text);
