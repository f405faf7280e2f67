#include "support/ClipboardContent.h"

#ifdef Q_OS_WIN
#include "support/WaitUntil.h"

#include "platform/clipboard/ClipboardMime.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>
#include <windows.h>
#endif

namespace ClipboardContent {

#ifdef Q_OS_WIN
namespace {
// A movable memory block holding bytes, as the clipboard takes them.
HANDLE MemoryBlock(const void *bytes, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(size, 1));
    if (block) {
        std::memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
    }
    return block;
}

// The clipboard handle of one format of the MIME data; 0 when it cannot be
// made. Text goes as Unicode text, from which the system renders CF_TEXT and
// CF_OEMTEXT itself.
HANDLE Handle(const QMimeData &data, const ClipboardApi::TMimeFormat &format)
{
    switch (format.Format) {
    case CF_TEXT:
        if (ClipboardApi::WindowsMimeName(format.Mime).isNull()) {
            const QString text = ClipboardApi::TextFrom(data, format.Mime);
            return MemoryBlock(text.utf16(), (size_t(text.size()) + 1) * 2);
        }
        break;
    case CF_BITMAP: {
        // A bitmap of the system's own, not one the program counts.
        const QImage image = ClipboardApi::ImageOf(data, format.Mime).convertToFormat(QImage::Format_RGB32);
        if (image.isNull())
            return nullptr;
        return CreateBitmap(image.width(), image.height(), 1, 32, image.constBits());
    }
    case CF_PALETTE: {
        // A palette of the system's own, of the entries the block holds.
        const QByteArray block = data.data(format.Mime);
        if (block.size() < 8)
            return nullptr;
        std::vector<DWORD> palette(size_t(block.size() + 3) / 4);
        std::memcpy(palette.data(), block.constData(), size_t(block.size()));
        auto *logPalette = reinterpret_cast<LOGPALETTE *>(palette.data());
        logPalette->palNumEntries = WORD(std::min<qsizetype>(logPalette->palNumEntries, (block.size() - 4) / 4));
        return logPalette->palNumEntries ? CreatePalette(logPalette) : nullptr;
    }
    case CF_ENHMETAFILE: {
        // A metafile of the system's: of the bytes when they are one,
        // otherwise an empty one.
        const QByteArray bytes = data.data(format.Mime);
        if (HENHMETAFILE metafile = SetEnhMetaFileBits(UINT(bytes.size()), reinterpret_cast<const BYTE *>(bytes.constData())))
            return metafile;
        return CloseEnhMetaFile(CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr));
    }
    case CF_METAFILEPICT: {
        // A METAFILEPICT block naming a metafile of the system's: of the
        // bytes when they are one, otherwise an empty one.
        const QByteArray bytes = data.data(format.Mime);
        HMETAFILE metafile = SetMetaFileBitsEx(UINT(bytes.size()), reinterpret_cast<const BYTE *>(bytes.constData()));
        if (!metafile)
            metafile = CloseMetaFile(CreateMetaFileW(nullptr));
        const METAFILEPICT picture = {MM_ANISOTROPIC, 0, 0, metafile};
        return MemoryBlock(&picture, sizeof picture);
    }
    default: break;
    }
    const QByteArray bytes = data.data(format.Mime);
    return MemoryBlock(bytes.constData(), size_t(bytes.size()));
}

// The MIME data last set, kept as Qt's clipboard keeps it: callers may
// still read it.
std::unique_ptr<QMimeData> &LastSet()
{
    static std::unique_ptr<QMimeData> data;
    return data;
}

// Opens the clipboard, which another program (Wine's clipboard manager) may
// hold for a moment.
bool Open()
{
    return WaitUntil([] { return OpenClipboard(nullptr) != 0; });
}
} // namespace

void Set(QMimeData *data)
{
    LastSet().reset(data);
    if (!Open())
        return;
    EmptyClipboard();
    for (const ClipboardApi::TMimeFormat &format : ClipboardApi::ClipboardFormatsOf(data)) {
        // The formats the system renders from another are left to it:
        // CF_OEMTEXT from text, CF_TEXT from CF_OEMTEXT.
        const QString name = ClipboardApi::WindowsMimeName(format.Mime);
        const uint32_t standard = name.isNull() ? 0 : ClipboardApi::StandardFormat(name);
        if (standard ? standard != format.Format : format.Format == CF_OEMTEXT)
            continue;
        // A format whose object cannot be made (broken image data, a palette
        // without entries) is still offered, as one to be rendered later; no
        // window owns it to render it, so reading it gives nothing.
        const bool text = name.isNull() && format.Format == CF_TEXT;
        SetClipboardData(text ? CF_UNICODETEXT : format.Format, Handle(*data, format));
    }
    CloseClipboard();
}

void Clear()
{
    if (!Open())
        return;
    EmptyClipboard();
    CloseClipboard();
}

void SetText(const QString &text)
{
    auto *data = new QMimeData;
    data->setText(text);
    Set(data);
}
#else
void Set(QMimeData *data)
{
    QGuiApplication::clipboard()->setMimeData(data);
}

void Clear()
{
    QGuiApplication::clipboard()->clear();
}

void SetText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
#endif

} // namespace ClipboardContent
