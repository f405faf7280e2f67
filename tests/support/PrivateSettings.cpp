#include "support/PrivateSettings.h"

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

PrivateSettings::PrivateSettings() : FPrevious(qgetenv(FolderVariable))
{
#ifdef Q_OS_WIN
    RemoveSavedSettings();
#endif
    qputenv(FolderVariable, FFolder.path().toLocal8Bit());
}

PrivateSettings::~PrivateSettings()
{
    qputenv(FolderVariable, FPrevious);
#ifdef Q_OS_WIN
    RemoveSavedSettings();
#endif
}
