#include "settings/IniFileStore.h"

#include "platform/profile/PrivateProfile.h"

namespace {
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
} // namespace

QByteArray QuoteProfileText(const QByteArray &text)
{
    if (text.isEmpty())
        return text;
    const char first = text.front(), last = text.back();
    const bool quoted = (first == '"' && last == '"') || (first == '\'' && last == '\'');
    if (quoted || IsBlank(first) || IsBlank(last))
        return '"' + text + '"';
    return text;
}

QByteArray TIniFileStore::StoreReadText(const QByteArray &section, const QByteArray &name,
                                        const QByteArray &fallback)
{
    return GetPrivateProfileString(section, name, fallback, FFileName);
}

void TIniFileStore::StoreWriteText(const QByteArray &section, const QByteArray &name, const QByteArray &text)
{
    if (WritePrivateProfileString(section, name, QuoteProfileText(text), FFileName) != 0)
        throw ESettingsError("Failed to set data for '" + name + '\'');
}

void TIniFileStore::DeleteSection(const QByteArray &section)
{
    WritePrivateProfileString(section, std::nullopt, std::nullopt, FFileName);
}
