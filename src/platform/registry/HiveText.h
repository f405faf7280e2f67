#pragma once

#include "platform/registry/Hive.h"

// What the reader and the writer of hive files share: the headers, and the
// hive's cp1251 texts in a file's own text (cp1251 for REGEDIT4, UTF-8 for
// 5.00) and back.

namespace HiveText {
inline constexpr char Regedit4Header[] = "REGEDIT4";
inline constexpr char Version5Header[] = "Windows Registry Editor Version 5.00";

QByteArray ToFile(const QByteArray &ansi, THiveFormat format);
QByteArray FromFile(const QByteArray &text, THiveFormat format);

// The bytes of a hex list: a 5.00 file holds the data of text values as
// UTF-16LE (read back as it stands when its length is odd).
QByteArray DataToFile(uint32_t type, const QByteArray &data, THiveFormat format);
QByteArray DataFromFile(uint32_t type, const QByteArray &data, THiveFormat format);
// Key paths below the root compare name by name without regard to case;
// IsBelow: `path` is `key` or a key below it.
bool SamePath(const QList<QByteArray> &a, const QList<QByteArray> &b);
bool IsBelow(const QList<QByteArray> &path, const QList<QByteArray> &key);
} // namespace HiveText
