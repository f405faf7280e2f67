#include "widgets/PaletteGrid.h"

#include "widgets/ScrollBox.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
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

void TPaletteGrid::PaintSwatch(QPainter &painter, TColor Color, QRect Rect, bool Focused)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(ToQColor(clBtnFace));
    painter.drawRect(Rect.adjusted(0, 0, -1, -1));
    Rect.adjust(1, 1, -1, -1);

    // Sunken bevel, two pixels.
    for (int i = 0; i < 2; ++i) {
        painter.setPen(ToQColor(clBtnShadow));
        painter.drawLine(Rect.bottomLeft(), Rect.topLeft());
        painter.drawLine(Rect.topLeft(), Rect.topRight());
        painter.setPen(ToQColor(clBtnHighlight));
        painter.drawLine(Rect.topRight(), Rect.bottomRight());
        painter.drawLine(Rect.bottomRight(), Rect.bottomLeft());
        Rect.adjust(1, 1, -1, -1);
    }

    painter.fillRect(Rect, ToQColor(Color));

    if (Focused) {
        // A dotted rectangle that inverts what it covers.
        Rect.adjust(1, 1, -1, -1);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(Qt::white);
        for (int x = Rect.left(); x <= Rect.right(); ++x)
            for (int y : {Rect.top(), Rect.bottom()})
                if ((x + y) % 2 == 0)
                    painter.drawPoint(x, y);
        for (int y = Rect.top() + 1; y < Rect.bottom(); ++y)
            for (int x : {Rect.left(), Rect.right()})
                if ((x + y) % 2 == 0)
                    painter.drawPoint(x, y);
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
