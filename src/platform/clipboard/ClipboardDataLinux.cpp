#include "platform/clipboard/ClipboardData.h"

#include "platform/clipboard/ClipboardChain.h"
#include "platform/clipboard/GdiObjects.h"
#include "platform/clipboard/X11ClipboardTargets.h"
#include "platform/cp1251/Ansi.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QStringEncoder>
#include <QtEndian>
#include <optional>
#include <unordered_map>
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

constexpr uint32_t FirstRegisteredFormat = 0xC000;
constexpr uint32_t LastRegisteredFormat = 0xFFFF;

struct TRegisteredFormats {
    QHash<QString, uint32_t> ByName; // folded to lower case
    QHash<uint32_t, QString> Names;
};

TRegisteredFormats &Registered()
{
    static TRegisteredFormats formats;
    return formats;
}

struct TClipboardState {
    bool Open = false;
    TWindowHandle Owner = 0;
    std::unordered_map<uint32_t, uint32_t> Rendered; // format -> handle
    std::unordered_map<uint32_t, QByteArray> Blocks; // handle -> memory block
    uint32_t LastBlock = 0;
    // The formats of the clipboard as of the last change notification; none
    // before the owner has been asked.
    std::optional<QList<TMimeFormat>> Formats;
    // Where the owner is asked off the GUI thread (X11): the question and
    // whether it was asked for a change of the clipboard.
    QPointer<TX11ClipboardTargets> Targets;
    bool AskedForChange = false;
    int FormatRequests = 0;
};

TClipboardState &State()
{
    static TClipboardState state;
    return state;
}

void DiscardRenderedData()
{
    TClipboardState &state = State();
    for (const auto &[format, handle] : state.Rendered)
        if (format == CF_BITMAP || format == CF_PALETTE)
            Gdi::DeleteObject(handle);
    state.Rendered.clear();
    state.Blocks.clear();
}

const QMimeData *SystemMimeData()
{
    WatchSystemClipboard();
    QClipboard *clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
}

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

uint32_t AddBlock(QByteArray bytes)
{
    TClipboardState &state = State();
    state.LastBlock = NextBlockHandle(state.LastBlock, [&state](uint32_t block) { return state.Blocks.count(block) != 0; });
    state.Blocks.emplace(state.LastBlock, std::move(bytes));
    return state.LastBlock;
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

constexpr char OemCodePage[] = "IBM866";

QByteArray ToOem(const QString &text)
{
    QStringEncoder encoder(OemCodePage);
    QByteArray bytes = encoder.encode(text);
    return encoder.isValid() ? bytes : ToAnsi(text);
}

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

// Renders one format of the MIME data: a memory block, a bitmap or a palette.
// A text format comes as the owner gave it or else rendered from the text.
uint32_t Render(const QMimeData &data, const TMimeFormat &source)
{
    const QString name = WindowsMimeName(source.Mime);
    switch (source.Format) {
    case CF_TEXT:
        return AddBlock(name == QLatin1String("CF_TEXT") ? data.data(source.Mime)
                                                         : ToAnsi(TextFrom(data, source.Mime)) + '\0');
    case CF_OEMTEXT:
        return AddBlock(name == QLatin1String("CF_OEMTEXT") ? data.data(source.Mime)
                                                            : ToOem(TextFrom(data, source.Mime)) + '\0');
    case CF_BITMAP:
        return Gdi::CreateBitmapFromImage(ImageOf(data, source.Mime));
    case CF_PALETTE:
        return PaletteFromBlock(data.data(source.Mime));
    default:
        return AddBlock(data.data(source.Mime));
    }
}

// The clipboard formats that a list of MIME types holds, each once, in order.
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

// The formats of the clipboard as of the last change notification. The
// owner is asked once per change; where that happens off the GUI thread,
// the clipboard counts as empty until the first answer.
QList<TMimeFormat> SystemFormats()
{
    WatchSystemClipboard();
    TClipboardState &state = State();
    if (!state.Formats) {
        ++state.FormatRequests;
        if (state.Targets) {
            state.Formats.emplace();
            state.Targets->Ask();
        } else {
            state.Formats = ClipboardFormatsOf(SystemMimeData());
        }
    }
    return *state.Formats;
}

// The owner's answer, or nothing when Qt's clipboard has to be asked. A
// change of the clipboard is notified now; the first answer only when the
// clipboard turned out not to be empty.
void FormatsAnswered(const std::optional<QStringList> &mimeTypes)
{
    TClipboardState &state = State();
    QList<TMimeFormat> formats = mimeTypes ? FormatsOfMimeTypes(*mimeTypes) : ClipboardFormatsOf(SystemMimeData());
    const bool changed = state.AskedForChange || !state.Formats || formats != *state.Formats;
    state.AskedForChange = false;
    state.Formats = std::move(formats);
    if (changed) {
        DiscardRenderedData();
        ClipboardChanged();
    }
}
} // namespace

uint32_t RegisterClipboardFormat(const QString &name)
{
    if (name.isEmpty())
        return 0;
    TRegisteredFormats &formats = Registered();
    const QString key = name.toLower();
    if (const auto found = formats.ByName.constFind(key); found != formats.ByName.cend())
        return *found;
    const uint32_t format = FirstRegisteredFormat + uint32_t(formats.ByName.size());
    if (format > LastRegisteredFormat)
        return 0;
    formats.ByName.insert(key, format);
    formats.Names.insert(format, name);
    return format;
}

QString ClipboardFormatName(uint32_t format)
{
    for (const TStandardFormat &f : StandardFormats)
        if (f.Format == format)
            return QLatin1String(f.Name);
    return Registered().Names.value(format);
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

bool IsClipboardFormatAvailable(uint32_t format)
{
    if (format == 0)
        return false;
    for (const TMimeFormat &f : SystemFormats())
        if (f.Format == format)
            return true;
    return false;
}

int CountClipboardFormats()
{
    return int(SystemFormats().size());
}

bool OpenClipboard(TWindowHandle window)
{
    TClipboardState &state = State();
    if (state.Open && state.Owner != window)
        return false;
    state.Open = true;
    state.Owner = window;
    return true;
}

bool CloseClipboard()
{
    TClipboardState &state = State();
    if (!state.Open)
        return false;
    DiscardRenderedData();
    state.Open = false;
    state.Owner = 0;
    return true;
}

TWindowHandle GetOpenClipboardWindow()
{
    return State().Open ? State().Owner : 0;
}

uint32_t EnumClipboardFormats(uint32_t previous)
{
    if (!State().Open)
        return 0;
    const QList<TMimeFormat> formats = SystemFormats();
    if (previous == 0)
        return formats.isEmpty() ? 0 : formats.first().Format;
    for (qsizetype i = 0; i + 1 < formats.size(); ++i)
        if (formats[i].Format == previous)
            return formats[i + 1].Format;
    return 0;
}

uint32_t GetClipboardData(uint32_t format)
{
    TClipboardState &state = State();
    if (!state.Open)
        return 0;
    if (const auto found = state.Rendered.find(format); found != state.Rendered.end())
        return found->second;
    const QMimeData *data = SystemMimeData();
    if (!data)
        return 0;
    for (const TMimeFormat &f : SystemFormats()) {
        if (f.Format != format)
            continue;
        const uint32_t handle = Render(*data, f);
        if (handle)
            state.Rendered.emplace(format, handle);
        return handle;
    }
    return 0;
}

const char *GlobalLock(uint32_t block)
{
    const auto found = State().Blocks.find(block);
    return found == State().Blocks.end() ? nullptr : found->second.constData();
}

void GlobalUnlock(uint32_t)
{
}

qsizetype GlobalSize(uint32_t block)
{
    const auto found = State().Blocks.find(block);
    return found == State().Blocks.end() ? 0 : found->second.size();
}

int FormatListRequests()
{
    return State().FormatRequests;
}

void WatchSystemClipboard()
{
    static QPointer<QClipboard> watched;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard || watched == clipboard)
        return;
    watched = clipboard;
    State().Formats.reset();
    State().Targets = QGuiApplication::platformName() == QLatin1String("xcb")
                        ? new TX11ClipboardTargets(clipboard, FormatsAnswered)
                        : nullptr;
    QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, [] {
        TClipboardState &state = State();
        if (state.Targets) {
            // The change is notified with the owner's answer.
            ++state.FormatRequests;
            state.AskedForChange = true;
            state.Targets->Ask();
            return;
        }
        state.Formats.reset();
        DiscardRenderedData();
        ClipboardChanged();
    });
}

} // namespace ClipboardApi
