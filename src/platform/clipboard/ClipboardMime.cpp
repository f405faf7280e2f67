#include "platform/clipboard/ClipboardMime.h"

#include "platform/clipboard/GdiObjects.h"
#include "platform/cp1251/Ansi.h"

#include <QImage>
#include <QMimeData>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>
#include <vector>

namespace ClipboardApi {

namespace {
const QString WindowsMimePrefix = QStringLiteral("application/x-qt-windows-mime;value=\"");

struct TStandardFormat {
    const char *Name;
    uint32_t Format;
};
constexpr TStandardFormat StandardFormats[] = {
    {"CF_TEXT", 1}, {"CF_BITMAP", 2}, {"CF_METAFILEPICT", 3}, {"CF_SYLK", 4}, {"CF_DIF", 5},
    {"CF_TIFF", 6}, {"CF_OEMTEXT", 7}, {"CF_DIB", 8}, {"CF_PALETTE", 9}, {"CF_PENDATA", 10},
    {"CF_RIFF", 11}, {"CF_WAVE", 12}, {"CF_UNICODETEXT", 13}, {"CF_ENHMETAFILE", 14},
    {"CF_HDROP", 15}, {"CF_LOCALE", 16}, {"CF_DIBV5", 17},
};

const QString PlainTextMime = QStringLiteral("text/plain");

// The character set of a text/plain MIME type: its charset parameter, UTF-8
// when it names none (as Qt takes text/plain), a null array for any other
// MIME type.
QByteArray TextCharset(const QString &mime)
{
    const QList<QStringView> parts = QStringView(mime).split(u';');
    if (parts.first().trimmed().compare(PlainTextMime, Qt::CaseInsensitive) != 0)
        return QByteArray();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const qsizetype equals = parts[i].indexOf(u'=');
        if (equals < 0 || parts[i].left(equals).trimmed().compare(QLatin1String("charset"), Qt::CaseInsensitive) != 0)
            continue;
        QStringView value = parts[i].mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        return value.toLatin1();
    }
    return QByteArrayLiteral("UTF-8");
}

// Text that can be read: text/plain in a character set Qt knows. Text in
// any other character set is a format of its own, not text.
bool IsTextMime(const QString &mime)
{
    const QByteArray charset = TextCharset(mime);
    return !charset.isNull() && (mime == PlainTextMime || QStringDecoder(charset.constData()).isValid());
}

bool IsImageMime(const QString &mime)
{
    return mime.startsWith(QLatin1String("image/")) || mime == QLatin1String("application/x-qt-image");
}


} // namespace

// The NAME of application/x-qt-windows-mime;value="NAME", or a null string.
QString WindowsMimeName(const QString &mime)
{
    if (!mime.startsWith(WindowsMimePrefix) || !mime.endsWith(QLatin1Char('"')) ||
        mime.size() <= WindowsMimePrefix.size() + 1)
        return QString();
    return mime.mid(WindowsMimePrefix.size(), mime.size() - WindowsMimePrefix.size() - 1);
}
uint32_t StandardFormat(const QString &name)
{
    for (const TStandardFormat &f : StandardFormats)
        if (name == QLatin1String(f.Name))
            return f.Format;
    return 0;
}

QString StandardFormatName(uint32_t format)
{
    for (const TStandardFormat &f : StandardFormats)
        if (f.Format == format)
            return QLatin1String(f.Name);
    return QString();
}

QImage ImageOf(const QMimeData &data, const QString &mime)
{
    // Qt decodes the image types it offers itself; a raw block is decoded here.
    if (WindowsMimeName(mime).isNull()) {
        const QImage image = qvariant_cast<QImage>(data.imageData());
        if (!image.isNull())
            return image;
    }
    return QImage::fromData(data.data(mime));
}

namespace {
constexpr char OemCodePage[] = "IBM866";
} // namespace

QByteArray ToOem(const QString &text)
{
    QStringEncoder encoder(OemCodePage);
    QByteArray bytes = encoder.encode(text);
    return encoder.isValid() ? bytes : ToAnsi(text);
}

namespace {
QString FromOem(const QByteArray &text)
{
    QStringDecoder decoder(OemCodePage);
    QString unicode = decoder.decode(text);
    return decoder.isValid() ? unicode : FromAnsi(text);
}

QByteArray UpToZero(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}
} // namespace

// The text held by a MIME type that text formats are rendered from: text in
// its character set, or a CF_TEXT or CF_OEMTEXT block up to its first zero.
QString TextFrom(const QMimeData &data, const QString &mime)
{
    const QString name = WindowsMimeName(mime);
    if (name == QLatin1String("CF_TEXT"))
        return FromAnsi(UpToZero(data.data(mime)));
    if (name == QLatin1String("CF_OEMTEXT"))
        return FromOem(UpToZero(data.data(mime)));
    if (mime == PlainTextMime)
        return data.text();
    QStringDecoder decoder(TextCharset(mime).constData());
    return decoder.decode(data.data(mime));
}

QList<TMimeFormat> FormatsOfMimeTypes(const QStringList &mimeTypes)
{
    QList<TMimeFormat> formats;
    const auto add = [&formats](uint32_t format, const QString &mime) {
        if (format == 0)
            return;
        for (const TMimeFormat &f : formats)
            if (f.Format == format)
                return;
        formats.append({format, mime});
    };
    // Formats the platform renders from another follow the owner's own.
    QList<TMimeFormat> rendered;
    for (const QString &mime : mimeTypes) {
        // Only MIME types carry data; X11 selection targets such as TARGETS
        // or TIMESTAMP are not formats.
        if (!mime.contains(QLatin1Char('/')))
            continue;
        const QString name = WindowsMimeName(mime);
        if (!name.isNull()) {
            const uint32_t standard = StandardFormat(name);
            add(standard ? standard : RegisterClipboardFormat(name), mime);
            if (standard == CF_OEMTEXT)
                rendered.append({CF_TEXT, mime});
        } else if (IsTextMime(mime)) {
            add(CF_TEXT, mime);
            add(CF_OEMTEXT, mime);
        } else if (IsImageMime(mime)) {
            add(CF_BITMAP, mime);
        } else {
            add(RegisterClipboardFormat(mime), mime);
        }
    }
    for (const TMimeFormat &f : rendered)
        add(f.Format, f.Mime);
    return formats;
}

QString WindowsMimeType(const QString &name)
{
    return WindowsMimePrefix + name + QLatin1Char('"');
}

QList<TMimeFormat> ClipboardFormatsOf(const QMimeData *data)
{
    return data ? FormatsOfMimeTypes(data->formats()) : QList<TMimeFormat>();
}

QString ClipboardTextOf(const QMimeData *data)
{
    if (data)
        for (const TMimeFormat &f : ClipboardFormatsOf(data))
            if (f.Format == CF_TEXT)
                return TextFrom(*data, f.Mime);
    return QString();
}

uint32_t NextBlockHandle(uint32_t last, const std::function<bool(uint32_t)> &inUse)
{
    uint32_t block = last;
    do
        block = block < FirstBlockHandle || block == UINT32_MAX ? FirstBlockHandle : block + 1;
    while (inUse(block));
    return block;
}

uint32_t PaletteFromBlock(const QByteArray &block)
{
    if (block.size() < 4)
        return 0;
    const auto *bytes = reinterpret_cast<const uchar *>(block.constData());
    const uint16_t version = qFromLittleEndian<uint16_t>(bytes);
    const qsizetype count = std::min<qsizetype>(qFromLittleEndian<uint16_t>(bytes + 2), (block.size() - 4) / 4);
    std::vector<Gdi::TPaletteEntry> entries(count);
    for (qsizetype i = 0; i < count; ++i) {
        const uchar *e = bytes + 4 + 4 * i;
        entries[i] = {e[0], e[1], e[2], e[3]};
    }
    return Gdi::CreatePalette(version, entries);
}

} // namespace ClipboardApi
