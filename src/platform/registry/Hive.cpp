#include "platform/registry/Hive.h"

#include "platform/cp1251/Ansi.h"

#include <algorithm>
#include <array>

namespace {
// Upper case of every cp1251 character that has a cp1251 upper case,
// computed once from the code page itself.
const std::array<unsigned char, 256> &UpperTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> upper{};
        for (int c = 0; c < 256; ++c) {
            const QByteArray folded = ToAnsi(FromAnsi(QByteArray(1, char(c))).toUpper());
            upper[c] = folded.size() == 1 && folded != "?" ? static_cast<unsigned char>(folded[0]) : c;
        }
        upper['?'] = '?';
        return upper;
    }();
    return table;
}

bool HasControlCharacter(const QByteArray &name)
{
    return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

int CompareNames(const QByteArray &a, const QByteArray &b)
{
    const auto &upper = UpperTable();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int x = upper[static_cast<unsigned char>(a[i])], y = upper[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x - y;
    }
    return int(a.size() - b.size());
}
} // namespace

bool SameRegistryName(const QByteArray &a, const QByteArray &b)
{
    return a.size() == b.size() && CompareNames(a, b) == 0;
}

bool IsValidKeyName(const QByteArray &name)
{
    return !name.isEmpty() && !name.contains('\\') && !HasControlCharacter(name);
}

bool IsValidValueName(const QByteArray &name)
{
    return !HasControlCharacter(name);
}

THiveKey *THiveKey::FindSubKey(const QByteArray &name)
{
    for (THiveKey &key : SubKeys)
        if (SameRegistryName(key.Name, name))
            return &key;
    return nullptr;
}

const THiveKey *THiveKey::FindSubKey(const QByteArray &name) const
{
    return const_cast<THiveKey *>(this)->FindSubKey(name);
}

THiveKey &THiveKey::AddSubKey(const QByteArray &name, bool *created)
{
    if (created)
        *created = false;
    if (THiveKey *existing = FindSubKey(name))
        return *existing;
    if (created)
        *created = true;
    const auto at = std::find_if(SubKeys.begin(), SubKeys.end(),
                                 [&](const THiveKey &key) { return CompareNames(key.Name, name) > 0; });
    THiveKey key;
    key.Name = name;
    return *SubKeys.insert(at, std::move(key));
}

bool THiveKey::RemoveSubKey(const QByteArray &name)
{
    const auto at = std::find_if(SubKeys.begin(), SubKeys.end(),
                                 [&](const THiveKey &key) { return SameRegistryName(key.Name, name); });
    if (at == SubKeys.end())
        return false;
    SubKeys.erase(at);
    return true;
}

const THiveValue *THiveKey::FindValue(const QByteArray &name) const
{
    for (const THiveValue &value : Values)
        if (SameRegistryName(value.Name, name))
            return &value;
    return nullptr;
}

bool THiveKey::SetValue(const QByteArray &name, uint32_t type, const QByteArray &data)
{
    for (THiveValue &value : Values) {
        if (SameRegistryName(value.Name, name)) {
            if (value.Type == type && value.Data == data)
                return false;
            value.Type = type;
            value.Data = data;
            return true;
        }
    }
    Values.push_back({name, type, data});
    return true;
}

bool THiveKey::RemoveValue(const QByteArray &name)
{
    const auto at = std::find_if(Values.begin(), Values.end(),
                                 [&](const THiveValue &value) { return SameRegistryName(value.Name, name); });
    if (at == Values.end())
        return false;
    Values.erase(at);
    return true;
}
