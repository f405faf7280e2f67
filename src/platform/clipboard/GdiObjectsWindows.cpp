#include "platform/clipboard/GdiObjects.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <windows.h>

// The system's own palettes and bitmaps. GDI handles are 32 bits wide on
// every Windows, so they fit the handle type. The objects made here are
// counted until they are deleted here; the clipboard's own are not.

namespace Gdi {

namespace {
static_assert(sizeof(TPaletteEntry) == sizeof(PALETTEENTRY));

struct TMadeObjects {
    std::unordered_set<HGDIOBJ> Palettes;
    std::unordered_set<HGDIOBJ> Bitmaps;
};

TMadeObjects &Made()
{
    static TMadeObjects made;
    return made;
}

::HGDIOBJ Native(HGDIOBJ object)
{
    return reinterpret_cast<::HGDIOBJ>(static_cast<uintptr_t>(object));
}

HGDIOBJ Handle(::HGDIOBJ object)
{
    return HGDIOBJ(reinterpret_cast<uintptr_t>(object));
}

bool IsObjectOfType(HGDIOBJ object, DWORD type)
{
    return object != 0 && GetObjectType(Native(object)) == type;
}

// A 32-bit top-down device-independent bitmap of the given size.
BITMAPINFO TopDown32(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}
} // namespace

HPALETTE CreatePalette(uint16_t version, const std::vector<TPaletteEntry> &entries)
{
    if (version != PaletteVersion || entries.empty() || entries.size() > 0xFFFF)
        return 0;
    // LOGPALETTE (one 4-byte header) holds its first entry; the others
    // follow it.
    static_assert(sizeof(LOGPALETTE) == 2 * sizeof(DWORD));
    std::vector<DWORD> block(1 + entries.size());
    auto *logPalette = reinterpret_cast<LOGPALETTE *>(block.data());
    logPalette->palVersion = version;
    logPalette->palNumEntries = WORD(entries.size());
    std::copy(entries.begin(), entries.end(), reinterpret_cast<TPaletteEntry *>(logPalette->palPalEntry));
    const HPALETTE palette = Handle(::CreatePalette(logPalette));
    if (palette)
        Made().Palettes.insert(palette);
    return palette;
}

std::optional<uint16_t> GetPaletteObjectCount(HGDIOBJ object)
{
    WORD count = 0;
    if (!IsObjectOfType(object, OBJ_PAL) || GetObjectW(Native(object), sizeof count, &count) == 0)
        return std::nullopt;
    return count;
}

unsigned GetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, TPaletteEntry *entries)
{
    if (!IsObjectOfType(palette, OBJ_PAL) || count == 0)
        return 0;
    return ::GetPaletteEntries(static_cast<::HPALETTE>(Native(palette)), start, count,
                               reinterpret_cast<PALETTEENTRY *>(entries));
}

HBITMAP CreateBitmapFromImage(const QImage &image)
{
    if (image.isNull())
        return 0;
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const BITMAPINFO info = TopDown32(pixels.width(), pixels.height());
    void *bits = nullptr;
    ::HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return 0;
    // 32-bit rows need no padding: the image's rows are the bitmap's.
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(static_cast<uchar *>(bits) + qsizetype(y) * pixels.width() * 4, pixels.constScanLine(y),
                    size_t(pixels.width()) * 4);
    const HBITMAP handle = Handle(bitmap);
    Made().Bitmaps.insert(handle);
    return handle;
}

QImage BitmapImage(HBITMAP bitmap)
{
    BITMAP header{};
    if (!IsObjectOfType(bitmap, OBJ_BITMAP) || GetObjectW(Native(bitmap), sizeof header, &header) == 0
        || header.bmWidth <= 0 || header.bmHeight <= 0)
        return QImage();
    QImage image(header.bmWidth, header.bmHeight, QImage::Format_RGB32);
    BITMAPINFO info = TopDown32(header.bmWidth, header.bmHeight);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, static_cast<::HBITMAP>(Native(bitmap)), 0, UINT(header.bmHeight),
                               image.bits(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    // The fourth byte of each pixel is no alpha; Qt reads it as opaque.
    return rows == header.bmHeight ? image : QImage();
}

bool DeleteObject(HGDIOBJ object)
{
    if (object == 0 || !::DeleteObject(Native(object)))
        return false;
    Made().Palettes.erase(object);
    Made().Bitmaps.erase(object);
    return true;
}

int LivePaletteCount()
{
    return int(Made().Palettes.size());
}

int LiveBitmapCount()
{
    return int(Made().Bitmaps.size());
}

} // namespace Gdi
