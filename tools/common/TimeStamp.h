#pragma once

#include <QByteArray>
#include <QDateTime>

// The local time the tools stamp their output with: "hh:mm:ss.zzz " before
// a printed line, the date too (ISO 8601 with the offset from UTC) in a
// JSON field.
QByteArray LineStamp(const QDateTime &time = QDateTime::currentDateTime());
QString JsonTime(const QDateTime &time = QDateTime::currentDateTime());
