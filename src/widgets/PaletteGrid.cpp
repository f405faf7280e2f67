#include "widgets/PaletteGrid.h"

#include "widgets/ScrollBox.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <vector>

Gdi::HPALETTE DuplicatePalette(Gdi::HPALETTE Source)
{
    if (Source == 0)
        return 0;
    const int n = PaletteEntryCount(Source);
    std::vector<Gdi::TPaletteEntry> entries(n);
    Gdi::GetPaletteEntries(Source, 0, n, entries.data());
    return Gdi::CreatePalette(Gdi::PaletteVersion, entries);
}

int PaletteEntryCount(Gdi::HPALETTE Palette)
{
    return Gdi::GetPaletteObjectCount(Palette).value_or(0);
}

TColor PaletteRelativeColor(TColor Color)
{
    return TColor(ColorToRGB(Color) | PaletteRelativeFlag);
}

TPaletteGrid::TPaletteGrid(QWidget *owner) : TDrawGrid(owner)
{
    SetDefaultColWidth(20);
    SetDefaultRowHeight(20);
    SetColCount(0);
    SetRowCount(0);
    SetScrollBars(ssVertical);
}

TPaletteGrid::~TPaletteGrid()
{
    if (FPaletteCopy != 0)
        Gdi::DeleteObject(FPaletteCopy);
}

int TPaletteGrid::ScrollBarWidth()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void TPaletteGrid::LoadPalette(Gdi::HPALETTE Source)
{
    if (FPaletteCopy != 0) {
        Gdi::DeleteObject(FPaletteCopy);
        FPaletteCopy = 0;
    }
    FPaletteCopy = DuplicatePalette(Source);
    FColorCount = std::min(PaletteEntryCount(FPaletteCopy), int(FColors.size()));
    Gdi::GetPaletteEntries(FPaletteCopy, 0, FColorCount, FColors.data());
    FitToWidth();
    // On a true-colour desktop the swatches are drawn in their RGB colours,
    // so the palette needs no realising here.
    viewport()->update();
}

void TPaletteGrid::FitToWidth()
{
    if (FUpdating)
        return;
    FUpdating = true;
    struct TClearOnExit {
        bool &Flag;
        ~TClearOnExit() { Flag = false; }
    } clear{FUpdating};

    // The scroll bar's width is taken off whether the bar is shown or not.
    SetColCount((ClientWidth() - ScrollBarWidth()) / DefaultColWidth());
    const int cols = ColCount();
    SetRowCount(std::max(1, FColorCount / cols + (FColorCount % cols > 0 ? 1 : 0)));
    SetClientHeight(DefaultRowHeight() * RowCount());
    // Inside a container that fills its client area with the grid, the
    // container takes the height back.
    RequestAlign(this);
}

TColor TPaletteGrid::ColorAt(int ACol, int ARow) const
{
    const int i = ACol + ARow * ColCount();
    if (i < 0 || i > FColorCount - 1)
        return clNone;
    const Gdi::TPaletteEntry &e = FColors[i];
    return RGBColor(e.peRed, e.peGreen, e.peBlue);
}

void TPaletteGrid::PaintCell(QPainter &painter, int ACol, int ARow, const QRect &Rect, unsigned State)
{
    const TColor c = ColorAt(ACol, ARow);
    if (c == clNone)
        painter.fillRect(Rect, ToQColor(Color()));
    else
        PaintSwatch(painter, PaletteRelativeColor(c), Rect, State & gdFocused);
}

// Painted in the device's own pixels: at any display scale the ring, the
// bevel and the focus rectangle are whole device pixels wide, one unit each
// (1 pixel at 100 and 125 %, 2 at 150 and 200 %), and the cells still tile
// the grid without a gap.
void TPaletteGrid::PaintSwatch(QPainter &painter, TColor Color, QRect Rect, bool Focused)
{
    const qreal ratio = painter.device()->devicePixelRatioF();
    const int unit = std::max(1, int(std::lround(ratio)));
    const QRectF mapped = painter.worldTransform().mapRect(QRectF(Rect));
    const auto device = [ratio](qreal at) { return int(std::lround(at * ratio)); };
    QRect cell(QPoint(device(mapped.left()), device(mapped.top())),
               QPoint(device(mapped.right()) - 1, device(mapped.bottom()) - 1));
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    painter.setRenderHint(QPainter::Antialiasing, false);

    // The ring, then the sunken bevel over its inside.
    painter.fillRect(cell, ToQColor(clBtnFace));
    cell.adjust(unit, unit, -unit, -unit);
    for (int i = 0; i < 2; ++i) {
        painter.fillRect(QRect(cell.left(), cell.top(), unit, cell.height()), ToQColor(clBtnShadow));
        painter.fillRect(QRect(cell.left(), cell.top(), cell.width(), unit), ToQColor(clBtnShadow));
        painter.fillRect(QRect(cell.right() - unit + 1, cell.top(), unit, cell.height()), ToQColor(clBtnHighlight));
        painter.fillRect(QRect(cell.left(), cell.bottom() - unit + 1, cell.width(), unit), ToQColor(clBtnHighlight));
        cell.adjust(unit, unit, -unit, -unit);
    }

    painter.fillRect(cell, ToQColor(Color));

    if (Focused) {
        // A dotted rectangle that inverts what it covers, a dot a unit.
        cell.adjust(unit, unit, -unit, -unit);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const auto dot = [&](int x, int y) {
            if ((x / unit + y / unit) % 2 == 0)
                painter.fillRect(QRect(x, y, unit, unit), Qt::white);
        };
        const int right = cell.right() - unit + 1, bottom = cell.bottom() - unit + 1;
        for (int x = cell.left(); x <= right; x += unit) {
            dot(x, cell.top());
            dot(x, bottom);
        }
        for (int y = cell.top() + unit; y < bottom; y += unit) {
            dot(cell.left(), y);
            dot(right, y);
        }
    }
}

bool TPaletteGrid::CanSelectCell(int ACol, int ARow)
{
    if (ACol == 0 && ARow == 0)
        return true;
    return ColorAt(ACol, ARow) != clNone;
}

void TPaletteGrid::resizeEvent(QResizeEvent *event)
{
    TDrawGrid::resizeEvent(event);
    FitToWidth();
}
