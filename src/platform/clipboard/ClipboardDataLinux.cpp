#include "platform/clipboard/ClipboardData.h"

#include "platform/clipboard/ClipboardChain.h"
#include "platform/clipboard/ClipboardMime.h"
#include "platform/clipboard/GdiObjects.h"
#include "platform/clipboard/X11ClipboardMime.h"
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
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace ClipboardApi {

namespace {
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
    // The data of the change when its owner named its targets: read off the
    // GUI thread too, instead of through Qt's clipboard.
    std::unique_ptr<TX11ClipboardMime> X11Data;
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

const QMimeData *QtMimeData()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
}

const QMimeData *SystemMimeData()
{
    WatchSystemClipboard();
    return State().X11Data ? State().X11Data.get() : QtMimeData();
}

// Whether the data of mime can be had: on X11, whether the owner handed it
// over in time.
bool Readable(const QString &mime)
{
    return !State().X11Data || State().X11Data->Readable(mime);
}

uint32_t AddBlock(QByteArray bytes)
{
    TClipboardState &state = State();
    state.LastBlock = NextBlockHandle(state.LastBlock, [&state](uint32_t block) { return state.Blocks.count(block) != 0; });
    state.Blocks.emplace(state.LastBlock, std::move(bytes));
    return state.LastBlock;
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
void FormatsAnswered(const std::optional<QByteArrayList> &targets)
{
    TClipboardState &state = State();
    state.X11Data = targets ? std::make_unique<TX11ClipboardMime>(*targets) : nullptr;
    QList<TMimeFormat> formats = ClipboardFormatsOf(SystemMimeData());
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
    const QString standard = StandardFormatName(format);
    return standard.isEmpty() ? Registered().Names.value(format) : standard;
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
        if (!Readable(f.Mime))
            return 0;
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

std::optional<QString> ClipboardPasteText()
{
    for (const TMimeFormat &f : SystemFormats())
        if (f.Format == CF_TEXT && !Readable(f.Mime))
            return std::nullopt;
    return ClipboardTextOf(SystemMimeData());
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
