#include "platform/clipboard/ClipboardData.h"

#include "platform/clipboard/ClipboardMime.h"
#include "platform/cp1251/Ansi.h"

#include <QClipboard>
#include <QGuiApplication>
#include <unordered_map>
#include <windows.h>
// The clipboard API keeps the name of the call it stands for.
#undef RegisterClipboardFormat

// The system's own clipboard. Bitmaps, palettes and metafiles come as the
// system's graphic objects; every other format as a memory block, handed out
// by a handle of its own (the system's may not fit in 32 bits) for as long
// as the clipboard stays open.

namespace ClipboardApi {

namespace {
HWND Hwnd(TWindowHandle window)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

// The memory blocks handed out since the clipboard was opened.
struct TOpenBlocks {
    std::unordered_map<uint32_t, HANDLE> Blocks;
    uint32_t Last = 0;
};

TOpenBlocks &OpenBlocks()
{
    static TOpenBlocks blocks;
    return blocks;
}

HANDLE Block(uint32_t block)
{
    const auto found = OpenBlocks().Blocks.find(block);
    return found == OpenBlocks().Blocks.end() ? nullptr : found->second;
}

bool IsGraphicObjectFormat(uint32_t format)
{
    switch (format) {
    case CF_BITMAP:
    case CF_PALETTE:
    case CF_ENHMETAFILE:
    case CF_DSPBITMAP:
    case CF_DSPENHMETAFILE: return true;
    default: return format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST;
    }
}
} // namespace

uint32_t RegisterClipboardFormat(const QString &name)
{
    return name.isEmpty() ? 0 : RegisterClipboardFormatA(ToAnsi(name).constData());
}

QString ClipboardFormatName(uint32_t format)
{
    const QString standard = StandardFormatName(format);
    if (!standard.isEmpty())
        return standard;
    char name[256];
    const int length = GetClipboardFormatNameA(format, name, int(sizeof name));
    return length > 0 ? FromAnsi(QByteArray(name, length)) : QString();
}

bool IsClipboardFormatAvailable(uint32_t format)
{
    return format != 0 && ::IsClipboardFormatAvailable(format);
}

int CountClipboardFormats()
{
    return ::CountClipboardFormats();
}

bool OpenClipboard(TWindowHandle window)
{
    return ::OpenClipboard(Hwnd(window));
}

bool CloseClipboard()
{
    // What was read belongs to the clipboard and goes with the access.
    OpenBlocks().Blocks.clear();
    return ::CloseClipboard();
}

TWindowHandle GetOpenClipboardWindow()
{
    return TWindowHandle(reinterpret_cast<uintptr_t>(::GetOpenClipboardWindow()));
}

uint32_t EnumClipboardFormats(uint32_t previous)
{
    return ::EnumClipboardFormats(previous);
}

uint32_t GetClipboardData(uint32_t format)
{
    HANDLE data = ::GetClipboardData(format);
    if (!data)
        return 0;
    if (IsGraphicObjectFormat(format))
        return uint32_t(reinterpret_cast<uintptr_t>(data));
    TOpenBlocks &blocks = OpenBlocks();
    for (const auto &[block, handle] : blocks.Blocks)
        if (handle == data)
            return block;
    blocks.Last = NextBlockHandle(blocks.Last, [&blocks](uint32_t block) { return blocks.Blocks.count(block) != 0; });
    blocks.Blocks.emplace(blocks.Last, data);
    return blocks.Last;
}

const char *GlobalLock(uint32_t block)
{
    HANDLE data = Block(block);
    return data ? static_cast<const char *>(::GlobalLock(data)) : nullptr;
}

void GlobalUnlock(uint32_t block)
{
    if (HANDLE data = Block(block))
        ::GlobalUnlock(data);
}

qsizetype GlobalSize(uint32_t block)
{
    HANDLE data = Block(block);
    return data ? qsizetype(::GlobalSize(data)) : 0;
}

std::optional<QString> ClipboardPasteText()
{
    // A text field pastes through Qt's clipboard, which asks the system's.
    QClipboard *clipboard = QGuiApplication::clipboard();
    return ClipboardTextOf(clipboard ? clipboard->mimeData() : nullptr);
}

int FormatListRequests()
{
    // The system keeps the list of formats: the owner is never asked.
    return 0;
}

void WatchSystemClipboard()
{
    // The system itself sends every change to the first viewer of its chain.
}

} // namespace ClipboardApi
