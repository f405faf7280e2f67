#include "platform/clipboard/GdiObjects.h"

#include <algorithm>
#include <unordered_map>
#include <variant>

namespace Gdi {

namespace {
using TPalette = std::vector<TPaletteEntry>;
using TObject = std::variant<TPalette, QImage>;

struct TObjectTable {
    std::unordered_map<HGDIOBJ, TObject> Objects;
    HGDIOBJ Last = 0;
    int Palettes = 0;
    int Bitmaps = 0;
};

TObjectTable &Table()
{
    static TObjectTable table;
    return table;
}

HGDIOBJ Add(TObject object)
{
    TObjectTable &table = Table();
    do
        ++table.Last;
    while (table.Last == 0 || table.Objects.count(table.Last));
    (std::holds_alternative<TPalette>(object) ? table.Palettes : table.Bitmaps)++;
    table.Objects.emplace(table.Last, std::move(object));
    return table.Last;
}

template <class T>
const T *Find(HGDIOBJ object)
{
    const auto found = Table().Objects.find(object);
    return found == Table().Objects.end() ? nullptr : std::get_if<T>(&found->second);
}
} // namespace

HPALETTE CreatePalette(uint16_t version, const std::vector<TPaletteEntry> &entries)
{
    if (version != PaletteVersion || entries.empty() || entries.size() > 0xFFFF)
        return 0;
    return Add(entries);
}

std::optional<uint16_t> GetPaletteObjectCount(HGDIOBJ object)
{
    if (const TPalette *palette = Find<TPalette>(object))
        return uint16_t(palette->size());
    return std::nullopt;
}

unsigned GetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, TPaletteEntry *entries)
{
    const TPalette *found = Find<TPalette>(palette);
    if (!found || start >= found->size())
        return 0;
    const unsigned n = std::min<size_t>(count, found->size() - start);
    std::copy_n(found->begin() + start, n, entries);
    return n;
}

HBITMAP CreateBitmapFromImage(const QImage &image)
{
    return image.isNull() ? 0 : Add(image);
}

QImage BitmapImage(HBITMAP bitmap)
{
    const QImage *image = Find<QImage>(bitmap);
    return image ? *image : QImage();
}

bool DeleteObject(HGDIOBJ object)
{
    TObjectTable &table = Table();
    const auto found = table.Objects.find(object);
    if (found == table.Objects.end())
        return false;
    (std::holds_alternative<TPalette>(found->second) ? table.Palettes : table.Bitmaps)--;
    table.Objects.erase(found);
    return true;
}

int LivePaletteCount()
{
    return Table().Palettes;
}

int LiveBitmapCount()
{
    return Table().Bitmaps;
}

} // namespace Gdi
