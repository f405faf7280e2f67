#include "platform/clipboard/X11ClipboardMime.h"
#include "platform/clipboard/X11Selection.h"

namespace ClipboardApi {

namespace {
const QString PlainText = QStringLiteral("text/plain");

// The MIME type Qt's clipboard gives a target.
QString MimeTypeOfTarget(const QByteArray &target)
{
    if (target == "STRING" || target == "UTF8_STRING" || target == "TEXT")
        return PlainText;
    if (target == "PIXMAP")
        return QStringLiteral("image/ppm");
    if (target == "text/x-moz-url")
        return QStringLiteral("text/uri-list");
    return QString::fromLatin1(target);
}
} // namespace

TX11ClipboardMime::TX11ClipboardMime(QByteArrayList targets) : FTargets(std::move(targets)) {}

QStringList TX11ClipboardMime::formats() const
{
    QStringList mimeTypes;
    for (const QByteArray &target : FTargets)
        if (const QString mime = MimeTypeOfTarget(target); !mimeTypes.contains(mime))
            mimeTypes << mime;
    return mimeTypes;
}

bool TX11ClipboardMime::hasFormat(const QString &mime) const
{
    return formats().contains(mime);
}

bool TX11ClipboardMime::Readable(const QString &mime) const
{
    return Read(mime).has_value();
}

// Read from the target that gives mime, UTF-8 text preferred; text/plain is
// kept in UTF-8.
const std::optional<QByteArray> &TX11ClipboardMime::Read(const QString &mime) const
{
    if (const auto found = FRead.constFind(mime); found != FRead.cend())
        return *found;
    QByteArray target;
    for (const QByteArray &t : FTargets)
        if (MimeTypeOfTarget(t) == mime && (target.isEmpty() || t == "UTF8_STRING"))
            target = t;
    std::optional<QByteArray> data;
    if (!target.isEmpty())
        if (const std::optional<TX11Selection::TValue> value = ReadX11Clipboard(target, X11DataTimeoutMs))
            data = mime == PlainText && value->Type == XCB_ATOM_STRING ? QString::fromLatin1(value->Data).toUtf8()
                                                                       : value->Data;
    return *FRead.insert(mime, std::move(data));
}

QVariant TX11ClipboardMime::retrieveData(const QString &mime, QMetaType type) const
{
    if (!hasFormat(mime))
        return QVariant();
    const std::optional<QByteArray> &data = Read(mime);
    if (!data)
        return QVariant();
    if (type.id() == QMetaType::QString && mime == PlainText)
        return QString::fromUtf8(*data);
    return *data;
}

} // namespace ClipboardApi
