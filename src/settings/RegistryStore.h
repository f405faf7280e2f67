#pragma once

#include "platform/registry/Registry.h"
#include "settings/SettingsStore.h"

// The settings in the registry: a key below a root key, sections are its
// subkeys (a section starting with '\' is a path below the root instead),
// every value a REG_SZ text. Each access opens and closes its section key;
// only the store's own key stays open while the store exists.
class TRegistryStore : public TSettingsStore {
public:
    // Opens keyPath below HKEY_CURRENT_USER with full access, creating it
    // when missing. When that fails the sections lie directly below the root.
    explicit TRegistryStore(const QByteArray &keyPath);
    ~TRegistryStore() override;
    TRegistryStore(const TRegistryStore &) = delete;
    TRegistryStore &operator=(const TRegistryStore &) = delete;

    // The access every later opening asks for (KEY_READ for a read-only
    // store).
    void SetAccess(Reg::REGSAM access) { FAccess = access; }
    // Closes the key and opens the key path below another root, creating it
    // only when `create` is set.
    void SwitchRoot(Reg::HKEY root, bool create);

    Reg::HKEY Root() const { return FRoot; }
    Reg::HKEY CurrentKey() const { return FCurrentKey; }

    QByteArray StoreReadText(const QByteArray &section, const QByteArray &name, const QByteArray &fallback) override;
    void StoreWriteText(const QByteArray &section, const QByteArray &name, const QByteArray &text) override;
    // Deletes the section key and, first, all keys below it. Failures are
    // not reported.
    void DeleteSection(const QByteArray &section) override;

protected:
    // The registry's QueryValueEx, for every read of a value; a test puts
    // another writer between the size question and the read here.
    virtual Reg::LONG QueryValue(Reg::HKEY key, const QByteArray &name, Reg::DWORD *type, char *data,
                                 Reg::DWORD *size);

private:
    // The key a section is relative to, and the path below it.
    Reg::HKEY BaseKey(const QByteArray &section, QByteArray *path) const;

    QByteArray FKeyPath;
    Reg::HKEY FRoot = Reg::HKEY_CURRENT_USER;
    Reg::HKEY FCurrentKey = Reg::HKEY_NONE;
    Reg::REGSAM FAccess = Reg::KEY_ALL_ACCESS;
};

// Shows the report of a settings file that had to be kept aside to the
// operator (as a warning box once the current event is done). Installed by
// the first registry store.
void InstallHiveProblemDisplay();
