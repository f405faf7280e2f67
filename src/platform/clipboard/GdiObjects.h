#pragma once

#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

// Graphic objects handed out by handle: palettes, and the bitmaps the
// clipboard renders; every object lives until DeleteObject. Tests read the
// number of live objects made here.
// On Windows they are the system's own palettes and bitmaps (the system
// may reuse a handle once its object is deleted). On Linux the handles are
// process-local and never reused.

namespace Gdi {

using HGDIOBJ = uint32_t;
using HPALETTE = HGDIOBJ;
using HBITMAP = HGDIOBJ;

// One palette colour: red, green, blue, flags.
struct TPaletteEntry {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
    bool operator==(const TPaletteEntry &) const = default;
};

constexpr uint16_t PaletteVersion = 0x0300;

// A palette of the given entries; 0 unless version is PaletteVersion and
// there are 1 to 65535 entries.
HPALETTE CreatePalette(uint16_t version, const std::vector<TPaletteEntry> &entries);

// The entry count of a palette object, as a 16-bit number; nothing when the
// handle is not a palette.
std::optional<uint16_t> GetPaletteObjectCount(HGDIOBJ object);

// Copies up to count entries from start on into entries; returns how many
// were copied (0 when the handle is not a palette).
unsigned GetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, TPaletteEntry *entries);

// A bitmap object holding image; 0 for a null image.
HBITMAP CreateBitmapFromImage(const QImage &image);
// The image of a bitmap object; a null image when the handle is not one.
QImage BitmapImage(HBITMAP bitmap);

// Frees an object of either kind; false when there is none by that handle.
bool DeleteObject(HGDIOBJ object);

int LivePaletteCount();
int LiveBitmapCount();

} // namespace Gdi
