#pragma once

#include "widgets/DrawGrid.h"
#include "platform/clipboard/GdiObjects.h"

#include <array>

// A copy of a palette shown as bevelled colour squares, 20 x 20 pixels each,
// as many per row as fit beside a vertical scroll bar, row after row. The
// focus moves over the squares only.
class TPaletteGrid : public TDrawGrid {
    Q_OBJECT

public:
    explicit TPaletteGrid(QWidget *owner = nullptr);
    ~TPaletteGrid() override;

    // Replaces the shown palette by a copy of Source (0: none). Source stays
    // the caller's.
    void LoadPalette(Gdi::HPALETTE Source);
    // Columns from the client width, rows from the colour count, and the
    // client height to match.
    void FitToWidth();
    // The colour of a cell, clNone after the last colour.
    TColor ColorAt(int ACol, int ARow) const;

    int ColorCount() const { return FColorCount; }
    // The grid's own copy: what it answers when asked for its palette.
    Gdi::HPALETTE PaletteCopy() const { return FPaletteCopy; }

    // The width of a vertical scroll bar on this desktop.
    static int ScrollBarWidth();

protected:
    void PaintCell(QPainter &painter, int ACol, int ARow, const QRect &Rect, unsigned State) override;
    bool CanSelectCell(int ACol, int ARow) override;
    void resizeEvent(QResizeEvent *event) override;

    void PaintSwatch(QPainter &painter, TColor Color, QRect Rect, bool Focused);

private:
    std::array<Gdi::TPaletteEntry, 256> FColors{};
    Gdi::HPALETTE FPaletteCopy = 0;
    int FColorCount = 0;
    bool FUpdating = false;
};

// A new palette with the entries of Source (0 when Source is 0 or not a
// palette); the caller owns it.
Gdi::HPALETTE DuplicatePalette(Gdi::HPALETTE Source);
// The number of entries of a palette, 0 when the handle is not one.
int PaletteEntryCount(Gdi::HPALETTE Palette);
// The colour resolved to RGB, marked to be drawn with the nearest colour of
// the selected palette.
TColor PaletteRelativeColor(TColor Color);
