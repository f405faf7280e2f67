#include "platform/registry/Registry.h"

// The names of the root keys, as the registry editor writes them.

namespace Reg {
QByteArray RootKeyName(HKEY root)
{
    switch (uintptr_t(root)) {
    case uintptr_t(HKEY_CLASSES_ROOT): return "HKEY_CLASSES_ROOT";
    case uintptr_t(HKEY_CURRENT_USER): return "HKEY_CURRENT_USER";
    case uintptr_t(HKEY_LOCAL_MACHINE): return "HKEY_LOCAL_MACHINE";
    case uintptr_t(HKEY_USERS): return "HKEY_USERS";
    case uintptr_t(HKEY_CURRENT_CONFIG): return "HKEY_CURRENT_CONFIG";
    case uintptr_t(HKEY_DYN_DATA): return "HKEY_DYN_DATA";
    default: return {};
    }
}

HKEY RootKeyFromName(const QByteArray &name)
{
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG,
                      HKEY_DYN_DATA})
        if (name.compare(RootKeyName(root), Qt::CaseInsensitive) == 0)
            return root;
    return HKEY_NONE;
}
} // namespace Reg
