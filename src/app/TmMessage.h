#pragma once

#include "app/DeviceEvent.h"

#include <QByteArray>
#include <cstdint>
#include <initializer_list>

// The longest message, in characters before its terminating NUL, that the TM
// server's configuration program is given.
constexpr qsizetype MaxTmMessageLength = 2048;
// The error code reported for a longer message, which is refused whole
// (ERROR_INSUFFICIENT_BUFFER).
constexpr uint32_t TmMessageTooLongError = 122;

// Joins items with the backquote separator of the TM server's commands.
QByteArray JoinItems(std::initializer_list<QByteArray> items);

// The TM server message for a device event: the command line binding the
// event's indicator position to the gateway's adapter (host), then the extra
// text as a second line when it is not empty; each line ends with CR LF and
// the whole message with one NUL byte. `indicatorBlockV2` selects the status
// objects of the second indicator block generation in mode 1.
QByteArray ComposeTmMessage(const TDeviceEvent &event, const QByteArray &host, bool indicatorBlockV2,
                            const QByteArray &extra);

// "\\.\mailslot\<name>.ms"
QByteArray TmMailslotPath(const QByteArray &tmServerName);
