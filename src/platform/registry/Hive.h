#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

// One registry hive in memory and its text form, the registry editor's
// REGEDIT4 export: cp1251 text, CRLF line ends,
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Orbastel\V3721Conf\MainWindow]
//   "FormVersion"="0"
//   "Count"=dword:0000002a
//   "Path"=hex(2):25,54,45,4d,50,25,00
//
// so that a hive file can be imported into a Windows registry as it is.
// Names compare without regard to letter case and keep the case they were
// created with.

namespace Reg {
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_MULTI_SZ = 7;
inline constexpr uint32_t REG_QWORD = 11;
} // namespace Reg

struct THiveValue {
    QByteArray Name; // empty: the key's default value
    uint32_t Type = Reg::REG_NONE;
    QByteArray Data;

    bool operator==(const THiveValue &) const = default;
};

struct THiveKey {
    QByteArray Name;
    std::vector<THiveValue> Values; // in the order they were first written
    std::vector<THiveKey> SubKeys;  // sorted by name, as the registry lists them

    bool operator==(const THiveKey &) const = default;

    THiveKey *FindSubKey(const QByteArray &name);
    const THiveKey *FindSubKey(const QByteArray &name) const;
    // The subkey of that name, created in its sorted place when missing.
    THiveKey &AddSubKey(const QByteArray &name, bool *created = nullptr);
    bool RemoveSubKey(const QByteArray &name);

    const THiveValue *FindValue(const QByteArray &name) const;
    // Returns whether anything changed.
    bool SetValue(const QByteArray &name, uint32_t type, const QByteArray &data);
    bool RemoveValue(const QByteArray &name);
};

// Keys nest at most this deep below the root, as in the Windows registry.
inline constexpr int MaxKeyDepth = 512;

// Registry names compare without regard to letter case (Cyrillic included).
bool SameRegistryName(const QByteArray &a, const QByteArray &b);

// Whether a key or value name can be stored and written to a hive file: no
// control characters, and for keys neither empty nor holding '\'.
bool IsValidKeyName(const QByteArray &name);
bool IsValidValueName(const QByteArray &name);

struct THiveParseResult {
    bool Ok = false;
    THiveKey Root;
    int ErrorLine = 0;  // 1-based line of the first fault
    QByteArray Error;   // what is wrong there
};

// Parses a hive file whose sections all lie below `rootName`
// ("HKEY_CURRENT_USER"). An empty text is an empty hive. Accepts what the
// registry editor imports: comments (';'), blank lines, LF or CRLF line
// ends, "@" for the default value, hex lists continued with '\', keys whose
// parents have no section of their own, and the deletions [-KEY] and
// "name"=-. Keys deeper than MaxKeyDepth are refused. Never fails on any
// input other than by reporting it.
THiveParseResult ParseHive(const QByteArray &text, const QByteArray &rootName);

// The REGEDIT4 text of the hive: every key in a section of its own, depth
// first, the root only when it holds values.
QByteArray FormatHive(const THiveKey &root, const QByteArray &rootName);
