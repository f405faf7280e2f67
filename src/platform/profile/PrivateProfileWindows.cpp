#include "platform/profile/PrivateProfile.h"

#include "platform/cp1251/Ansi.h"
#include "platform/profile/ProfileFile.h"

#include <QDir>

#include <windows.h>
// The system's names for its own calls would rename the program's here.
#undef GetPrivateProfileString
#undef WritePrivateProfileString

namespace {
// The path as the ANSI calls take it.
QByteArray NativePath(const QString &path)
{
    return ToAnsi(QDir::toNativeSeparators(path));
}

const char *OrNull(const std::optional<QByteArray> &text)
{
    return text ? text->constData() : nullptr;
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
    const QByteArray path = NativePath(ProfileFilePath(fileName));
    // The call cuts a value that does not fit and says so only by filling
    // the buffer: try again with a larger one.
    for (DWORD size = 256;; size *= 2) {
        QByteArray value(qsizetype(size), Qt::Uninitialized);
        const DWORD got = ::GetPrivateProfileStringA(section.constData(), key.constData(), fallback.constData(),
                                                     value.data(), size, path.constData());
        if (got + 1 < size || size >= (DWORD(1) << 24)) {
            value.truncate(got);
            return value;
        }
    }
}

uint32_t WriteProfileFile(const QByteArray &section, const std::optional<QByteArray> &key,
                          const std::optional<QByteArray> &value, const QString &path)
{
    // The call writes into an existing folder only.
    if (QDir::isAbsolutePath(path))
        QDir().mkpath(QFileInfo(path).absolutePath());
    if (::WritePrivateProfileStringA(section.constData(), OrNull(key), OrNull(value), NativePath(path).constData()))
        return 0;
    return ::GetLastError();
}
