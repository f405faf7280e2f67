#pragma once

#include "platform/clipboard/ClipboardData.h"

#include <QImage>
#include <QStringList>

// How Qt's MIME data stands for clipboard formats (see ClipboardData.h):
// the routines both the reading of Qt's clipboard and the paste of a text
// field share, whatever the system underneath.

namespace ClipboardApi {

// The NAME of application/x-qt-windows-mime;value="NAME", or a null string.
QString WindowsMimeName(const QString &mime);

// The standard format called name ("CF_TEXT"), 0 for none; and back, an
// empty name for a format that is not a standard one.
uint32_t StandardFormat(const QString &name);
QString StandardFormatName(uint32_t format);

// The clipboard formats that a list of MIME types holds, each once, in order.
QList<TMimeFormat> FormatsOfMimeTypes(const QStringList &mimeTypes);

// The text held by a MIME type that text formats are rendered from.
QString TextFrom(const QMimeData &data, const QString &mime);
// The image held by a MIME type.
QImage ImageOf(const QMimeData &data, const QString &mime);
// Text in the OEM code page (cp866).
QByteArray ToOem(const QString &text);

} // namespace ClipboardApi
