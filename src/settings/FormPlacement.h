#pragma once

#include "framework/Component.h"
#include "framework/Form.h"
#include "settings/WinMinMaxInfo.h"

#include <QByteArray>
#include <memory>

class TSettingsStore;
class TWindowHook;

// Keeps the placement of the form that owns it: restores it from the
// settings store each time the form is about to be shown and saves it when
// the form is closed, or destroyed without a close. It takes over the
// form's OnShow, OnCloseQuery and OnDestroy for that once the form is
// loaded, and chains to the handlers it found there.
//
// Store: with UseRegistry the key IniFileName (default "Software\" and the
// program's name) below the root key, one subkey per section; otherwise the
// profile file IniFileName (default the program's name with ".INI"). The
// section is IniSection, by default the form's class name.
class TFormPlacement : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QByteArray IniFileName READ IniFileName WRITE SetIniFileName)
    Q_PROPERTY(QByteArray IniSection READ IniSection WRITE SetIniSection)
    Q_PROPERTY(TWinMinMaxInfo *MinMaxInfo READ MinMaxInfo WRITE SetMinMaxInfo)
    Q_PROPERTY(TPlacementOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(bool PreventResize READ PreventResize WRITE SetPreventResize)
    Q_PROPERTY(TPlacementRegRoot RegistryRoot READ RegistryRoot WRITE SetRegistryRoot)
    Q_PROPERTY(bool UseRegistry READ UseRegistry WRITE SetUseRegistry)
    Q_PROPERTY(int Version READ Version WRITE SetVersion)

public:
    enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
    Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
    Q_FLAG(TPlacementOptions)
    enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };
    Q_ENUM(TPlacementRegRoot)

    explicit TFormPlacement(QObject *owner = nullptr);
    ~TFormPlacement() override;

    bool Active() const { return FActive; }
    void SetActive(bool active) { FActive = active; }
    const QByteArray &IniFileName() const { return FIniFileName; }
    void SetIniFileName(const QByteArray &name) { FIniFileName = name; }
    QByteArray IniSection() const;
    void SetIniSection(const QByteArray &section) { FIniSection = section; }
    TWinMinMaxInfo *MinMaxInfo() const { return FMinMaxInfo; }
    void SetMinMaxInfo(TWinMinMaxInfo *info);
    TPlacementOptions Options() const { return FOptions; }
    void SetOptions(TPlacementOptions options) { FOptions = options; }
    bool PreventResize() const { return FPreventResize; }
    void SetPreventResize(bool prevent);
    TPlacementRegRoot RegistryRoot() const { return FRegistryRoot; }
    void SetRegistryRoot(TPlacementRegRoot root) { FRegistryRoot = root; }
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool use) { FUseRegistry = use; }
    int Version() const { return FVersion; }
    void SetVersion(int version) { FVersion = version; }

    TNotifyEvent OnSavePlacement;
    TNotifyEvent OnRestorePlacement;

    void Loaded() override;

    void SaveSettings();
    void RestoreSettings();

    virtual void SaveEntries();
    virtual void RestoreEntries();
    // One text of the store; the store is opened for the call unless it is
    // open already.
    virtual QByteArray ReadSetting(const QByteArray &section, const QByteArray &name, const QByteArray &fallback);
    virtual void WriteSetting(const QByteArray &section, const QByteArray &name, const QByteArray &value);

    void OpenStore(bool readOnly);
    void CloseStore();
    // The open store, or null.
    TSettingsStore *Store() const { return FStore.get(); }

    void UpdateWindowHook();
    void AdjustMaximizedPosition();

    // Set by the first restore, for good.
    bool Restored() const { return FRestored; }

protected:
    virtual void DoSavePlacement();
    virtual void DoRestorePlacement();
    void SetRestored() { FRestored = true; }
    // The owner when it is a form.
    TForm *Form() const;

private:
    void HookOwnerEvents();
    void UnhookOwnerEvents();
    void ApplyPreventResize();
    void MinMaxInfoChanged();
    void FormShow(QObject *sender);
    void FormCloseQuery(QObject *sender, bool &canClose);
    void FormDestroy(QObject *sender);

    bool FActive = true;
    QByteArray FIniFileName;
    QByteArray FIniSection;
    TWinMinMaxInfo *FMinMaxInfo;
    TPlacementOptions FOptions;
    bool FPreventResize = false;
    TPlacementRegRoot FRegistryRoot = prCurrentUser;
    bool FUseRegistry = false;
    int FVersion = 0;

    bool FRestored = false;
    bool FSaved = false;
    bool FDestroying = false;
    bool FDefMaximize = false;
    bool FHooked = false;
    QByteArray FOwnerClassName;
    TNotifyEvent FSaveFormShow;
    TCloseQueryEvent FSaveFormCloseQuery;
    TNotifyEvent FSaveFormDestroy;
    std::unique_ptr<TSettingsStore> FStore;
    std::unique_ptr<TWindowHook> FWinHook;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFormPlacement::TPlacementOptions)

// "(1280x1024)" for a primary screen of 1280 by 1024 pixels.
QByteArray ScreenSizeSuffix();

// Writes the form's window placement into the section: "Flags", "ShowCmd",
// "PixelsPerInch", then "MinMaxPos" and "NormPos", each under its name with
// the screen size suffix and under the plain name.
void WriteWindowPlacement(TForm *form, TSettingsStore &store, const QByteArray &section);
// Applies the stored placement: the position only when it was stored at the
// screen's current pixels per inch, the state (normal, minimised,
// maximised) from "ShowCmd".
void ReadWindowPlacement(TForm *form, TSettingsStore &store, const QByteArray &section, bool loadState,
                         bool loadPosition);
