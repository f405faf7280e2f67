#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The profile (INI) files of GetPrivateProfileStringA and
// WritePrivateProfileStringA: cp1251 text files of "[section]" headers and
// "key=value" lines, names compared without regard to letter case. On
// Windows the calls are the system's and a relative file name lives in the
// user's application data folder (%APPDATA%). On Linux they are a local
// stand-in: a relative file name lives in the configuration folder
// (CONFIGDIR, see ConfigFiles.h), and changes are locked and atomic like the
// registry's. The two pure functions below are the text rules of both.

// The value as the reading call returns it: blanks around it removed, then
// one pair of enclosing double quotes or apostrophes removed. `fallback`
// when the section or key is missing.
QByteArray ProfileReadString(const QByteArray &contents, const QByteArray &section, const QByteArray &key,
                             const QByteArray &fallback);

// The contents after writing: key and value given, the key is set (added at
// the end of its section, the section at the end of the file); without a
// value the key is removed; without a key the whole section. Lines that are
// not touched stay as they are. Nothing when the contents do not change.
std::optional<QByteArray> ProfileWriteString(const QByteArray &contents, const QByteArray &section,
                                             const std::optional<QByteArray> &key,
                                             const std::optional<QByteArray> &value);

// Where a profile file of that name lives.
QString ProfileFilePath(const QString &fileName);

QByteArray GetPrivateProfileString(const QByteArray &section, const QByteArray &key, const QByteArray &fallback,
                                   const QString &fileName);
// Returns 0 or a Windows error code. Names and values that cannot be
// written as one line (line breaks, a ']' in a section, a '=' in a key) are
// refused with 87 (ERROR_INVALID_PARAMETER) instead of breaking the file.
uint32_t WritePrivateProfileString(const QByteArray &section, const std::optional<QByteArray> &key,
                                   const std::optional<QByteArray> &value, const QString &fileName);
