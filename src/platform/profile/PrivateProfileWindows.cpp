#include "platform/profile/PrivateProfile.h"

#include "platform/cp1251/Ansi.h"
#include "platform/profile/ProfileFile.h"

#include <QDir>
#include <QFileInfo>

#include <string>

#include <windows.h>
// The system's names for its own calls would rename the program's here.
#undef GetPrivateProfileString
#undef WritePrivateProfileString

namespace {
// Paths go to the system as they are, in its wide calls: a user folder may
// hold characters that the ANSI code page lacks. The section, key and value
// are the program's ANSI text.
std::wstring Wide(const QString &text)
{
    return text.toStdWString();
}

std::optional<std::wstring> Wide(const std::optional<QByteArray> &text)
{
    if (!text)
        return std::nullopt;
    return Wide(FromAnsi(*text));
}

const wchar_t *OrNull(const std::optional<std::wstring> &text)
{
    return text ? text->c_str() : nullptr;
}
} // namespace

// A relative name lives in the user's application data folder (%APPDATA%),
// the counterpart of the configuration folder on Linux, and not in the
// Windows folder where the system calls would put a bare name: the
// program's settings are the user's, and the Windows folder is not his to
// write. Without APPDATA the bare name goes to the system calls as it is.
QString ProfileFilePath(const QString &fileName)
{
    if (QDir::isAbsolutePath(fileName))
        return fileName;
    const QString folder = qEnvironmentVariable("APPDATA");
    if (folder.isEmpty())
        return fileName;
    return QDir::fromNativeSeparators(folder) + QLatin1Char('/') + fileName;
}

QByteArray GetPrivateProfileString(const QByteArray &section, const QByteArray &key, const QByteArray &fallback,
                                   const QString &fileName)
{
    const std::wstring path = Wide(QDir::toNativeSeparators(ProfileFilePath(fileName)));
    const std::wstring wideSection = Wide(FromAnsi(section)), wideKey = Wide(FromAnsi(key)),
                       wideFallback = Wide(FromAnsi(fallback));
    // The call cuts a value that does not fit and says so only by filling
    // the buffer: try again with a larger one.
    for (DWORD size = 256;; size *= 2) {
        std::wstring value(size, L'\0');
        const DWORD got = ::GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideFallback.c_str(),
                                                     value.data(), size, path.c_str());
        if (got + 1 < size || size >= (DWORD(1) << 24)) {
            value.resize(got);
            return ToAnsi(QString::fromStdWString(value));
        }
    }
}

uint32_t WriteProfileFile(const QByteArray &section, const std::optional<QByteArray> &key,
                          const std::optional<QByteArray> &value, const QString &path)
{
    // The call writes into an existing folder only.
    if (QDir::isAbsolutePath(path))
        QDir().mkpath(QFileInfo(path).absolutePath());
    const std::optional<std::wstring> wideKey = Wide(key), wideValue = Wide(value);
    if (::WritePrivateProfileStringW(Wide(FromAnsi(section)).c_str(), OrNull(wideKey), OrNull(wideValue),
                                     Wide(QDir::toNativeSeparators(path)).c_str()))
        return 0;
    return ::GetLastError();
}
