#include "support/PrivateSettings.h"

#include <QDir>
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
#ifdef Q_OS_WIN
    // A folder whose name the ANSI code page cannot spell, as a user's may be.
    _wputenv_s(L"APPDATA", QDir::toNativeSeparators(FFolder.filePath(QStringLiteral("Ωμέγα"))).toStdWString().c_str());
#else
    qputenv(FolderVariable, FFolder.path().toLocal8Bit());
#endif
}

PrivateSettings::~PrivateSettings()
{
    qputenv(FolderVariable, FPrevious);
#ifdef Q_OS_WIN
    RemoveSavedSettings();
#endif
}
