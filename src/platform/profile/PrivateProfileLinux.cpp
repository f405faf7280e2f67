#include "platform/profile/PrivateProfile.h"

#include "platform/files/ConfigFiles.h"
#include "platform/profile/ProfileFile.h"

#include <QDir>

#include <cerrno>

namespace {
uint32_t WindowsError(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return 5;     // ERROR_ACCESS_DENIED
    case ENOSPC: return 112;  // ERROR_DISK_FULL
    case EWOULDBLOCK: return 33; // ERROR_LOCK_VIOLATION
    default: return 29;       // ERROR_WRITE_FAULT
    }
}
} // namespace

QString ProfileFilePath(const QString &fileName)
{
    if (QDir::isAbsolutePath(fileName))
        return fileName;
    return ConfigDirectory() + QLatin1Char('/') + fileName;
}

QByteArray GetPrivateProfileString(const QByteArray &section, const QByteArray &key, const QByteArray &fallback,
                                   const QString &fileName)
{
    QByteArray contents;
    if (ReadWholeFile(ProfileFilePath(fileName), &contents) != 0)
        return fallback;
    return ProfileReadString(contents, section, key, fallback);
}

uint32_t WriteProfileFile(const QByteArray &section, const std::optional<QByteArray> &key,
                          const std::optional<QByteArray> &value, const QString &path)
{
    const int error = UpdateFileLocked(path, [&](const QByteArray &contents) {
        return TFileUpdate{ProfileWriteString(contents, section, key, value)};
    });
    return error ? WindowsError(error) : 0;
}
