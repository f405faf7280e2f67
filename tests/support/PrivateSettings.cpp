#include "support/PrivateSettings.h"

#include "support/FolderVariable.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include "settings/MainWindowKey.h"
#include "settings/RegistryValues.h"
#endif

namespace {
#ifdef Q_OS_WIN
constexpr char FolderVariable[] = "APPDATA";

void RemoveSavedSettings()
{
    RegistryValues::RemoveKey(Reg::HKEY_CURRENT_USER, Key);
}
#else
constexpr char FolderVariable[] = "XDG_CONFIG_HOME";
#endif
} // namespace

PrivateSettings::PrivateSettings() : FPrevious(qEnvironmentVariable(FolderVariable))
{
#ifdef Q_OS_WIN
    RemoveSavedSettings();
#endif
    SetFolderVariable(FolderVariable, FFolder.path());
}

PrivateSettings::~PrivateSettings()
{
    SetFolderVariable(FolderVariable, FPrevious);
#ifdef Q_OS_WIN
    RemoveSavedSettings();
#endif
}
