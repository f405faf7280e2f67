#include "settings/SettingsStore.h"

#include "framework/TextRoutines.h"

int32_t TSettingsStore::ReadNumber(const QByteArray &section, const QByteArray &name, int32_t fallback)
{
    return StrToIntDef(StoreReadText(section, name, IntToStr(fallback)), fallback);
}

void TSettingsStore::WriteNumber(const QByteArray &section, const QByteArray &name, int32_t value)
{
    StoreWriteText(section, name, IntToStr(value));
}

void TSettingsStore::WriteFlag(const QByteArray &section, const QByteArray &name, bool value)
{
    StoreWriteText(section, name, value ? "1" : "0");
}
