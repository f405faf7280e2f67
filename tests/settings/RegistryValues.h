#pragma once

// Reading and writing the current user's keys through the registry calls,
// to see what the settings components stored and to prepare what they will
// find.

#include "platform/registry/Registry.h"
#include "settings/RegistryStore.h"

#include <QByteArray>
#include <QList>

namespace RegistryValues {
inline Reg::HKEY Open(const QByteArray &path, bool create)
{
    Reg::HKEY key = Reg::HKEY_NONE;
    if (create)
        Reg::CreateKeyEx(Reg::HKEY_CURRENT_USER, path, 0, Reg::KEY_ALL_ACCESS, &key);
    else
        Reg::OpenKeyEx(Reg::HKEY_CURRENT_USER, path, Reg::KEY_READ, &key);
    return key;
}

inline bool KeyExists(const QByteArray &path)
{
    const Reg::HKEY key = Open(path, false);
    Reg::CloseKey(key);
    return key != Reg::HKEY_NONE;
}

// The text of a REG_SZ value; "<missing>" when there is none.
inline QByteArray Get(const QByteArray &path, const QByteArray &name)
{
    const Reg::HKEY key = Open(path, false);
    Reg::DWORD size = 0;
    QByteArray data;
    Reg::LONG error = Reg::QueryValueEx(key, name, nullptr, nullptr, &size);
    if (error == Reg::ERROR_SUCCESS) {
        data.resize(qsizetype(size));
        error = Reg::QueryValueEx(key, name, nullptr, data.data(), &size);
    }
    Reg::CloseKey(key);
    if (error != Reg::ERROR_SUCCESS)
        return "<missing>";
    return data.left(data.indexOf('\0'));
}

inline void SetRaw(const QByteArray &path, const QByteArray &name, Reg::DWORD type, const QByteArray &data)
{
    const Reg::HKEY key = Open(path, true);
    Reg::SetValueEx(key, name, type, data.constData(), Reg::DWORD(data.size()));
    Reg::CloseKey(key);
}

inline void Set(const QByteArray &path, const QByteArray &name, const QByteArray &text)
{
    SetRaw(path, name, Reg::REG_SZ, text + '\0');
}

inline void Remove(const QByteArray &path, const QByteArray &name)
{
    const Reg::HKEY key = Open(path, true);
    Reg::DeleteValue(key, name);
    Reg::CloseKey(key);
}

// The value names in the order they were first written.
inline QList<QByteArray> Names(const QByteArray &path)
{
    QList<QByteArray> names;
    const Reg::HKEY key = Open(path, false);
    QByteArray name;
    for (Reg::DWORD i = 0; Reg::EnumValue(key, i, &name, nullptr, nullptr) == Reg::ERROR_SUCCESS; ++i)
        names.append(name);
    Reg::CloseKey(key);
    return names;
}

// Removes a key of `root` with everything below it; nothing when it is missing.
inline void RemoveKey(Reg::HKEY root, const QByteArray &path)
{
    TRegistryStore store({});
    store.SwitchRoot(root, false);
    store.DeleteSection('\\' + path);
}
} // namespace RegistryValues
