#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The system's part of WritePrivateProfileString: writes an entry that has
// been checked to fit on one line into the file at `path`. Returns 0 or a
// Windows error code.
uint32_t WriteProfileFile(const QByteArray &section, const std::optional<QByteArray> &key,
                          const std::optional<QByteArray> &value, const QString &path);
