#include "widgets/PaletteGrid.h"
#include "widgets/ScrollBox.h"
#include "support/ClipboardContent.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using ClipboardContent::Ramp;

namespace {
// A palette of n entries, deleted with the object.
struct TPalette {
    explicit TPalette(int n) : Handle(Gdi::CreatePalette(Gdi::PaletteVersion, Ramp(n))) {}
    ~TPalette() { Gdi::DeleteObject(Handle); }
    Gdi::HPALETTE Handle;
};

// The shown window the grids sit in. A grid of its own would be a window of
// the system, which keeps windows no narrower than its minimum width.
QWidget &Host()
{
    static QWidget *host = [] {
        auto *window = new QWidget;
        window->resize(600, 400);
        window->show();
        return window;
    }();
    return *host;
}

// A shown grid whose client area is columns * 20 + extra pixels wider than
// a scroll bar.
std::unique_ptr<TPaletteGrid> Grid(int columns, int extra = 0)
{
    auto grid = std::make_unique<TPaletteGrid>(&Host());
    grid->SetBorderStyle(TDrawGrid::bsNone);
    grid->resize(TPaletteGrid::ScrollBarWidth() + columns * 20 + extra, 300);
    grid->show();
    return grid;
}
} // namespace

TEST(PaletteGrid, StartsEmptyWithOneCellAndAVerticalScrollBarOnly)
{
    TPaletteGrid grid;
    EXPECT_EQ(grid.DefaultColWidth(), 20);
    EXPECT_EQ(grid.DefaultRowHeight(), 20);
    EXPECT_EQ(grid.ColCount(), 1);
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.ScrollBars(), ssVertical);
    EXPECT_EQ(grid.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(grid.Color(), clWindow);
    EXPECT_EQ(grid.PaletteCopy(), 0u);
    EXPECT_EQ(grid.ColorCount(), 0);
    EXPECT_EQ(grid.ColorAt(0, 0), clNone);
}

TEST(PaletteGrid, RowsAndColumnsFollowTheColoursAndTheWidth)
{
    struct TCase {
        const char *Name;
        int Colours;
        int Columns;
        int Extra;
        int ExpectedCols;
        int ExpectedRows;
    };
    const TCase cases[] = {
        {"16 in 4 columns", 16, 4, 0, 4, 4},
        {"16, width just short of 5 columns", 16, 4, 19, 4, 4},
        {"10 in 4 columns", 10, 4, 0, 4, 3},
        {"exactly 2 rows", 8, 4, 5, 4, 2},
        {"more than 256", 300, 4, 0, 4, 64},
        {"narrower than one cell", 5, 0, 10, 1, 5},
        {"narrower than the scroll bar", 3, 0, -TPaletteGrid::ScrollBarWidth() + 2, 1, 3},
        {"no colours", 0, 4, 0, 4, 1},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TPalette palette(c.Colours);
        const auto grid = Grid(c.Columns, c.Extra);
        grid->LoadPalette(palette.Handle);
        EXPECT_EQ(grid->ColorCount(), std::min(c.Colours, 256));
        EXPECT_EQ(grid->ColCount(), c.ExpectedCols);
        EXPECT_EQ(grid->RowCount(), c.ExpectedRows);
        EXPECT_EQ(grid->ClientHeight(), 20 * c.ExpectedRows);
    }
}

TEST(PaletteGrid, ColorAtCountsRowByRowAndEndsWithNone)
{
    TPalette palette(300);
    const auto grid = Grid(4);
    grid->LoadPalette(palette.Handle);
    EXPECT_EQ(grid->ColorAt(0, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(grid->ColorAt(1, 2), RGBColor(9, 246, 0));
    EXPECT_EQ(grid->ColorAt(3, 63), RGBColor(255, 0, 0)) << "entry 255, the last one shown";
    EXPECT_EQ(grid->ColorAt(0, 64), clNone);
    EXPECT_EQ(grid->ColorAt(4, 63), clNone) << "past the last column is past the last colour";
    EXPECT_EQ(PaletteRelativeColor(grid->ColorAt(1, 0)), TColor(0x0200FE01));
}

TEST(PaletteGrid, OnlyCellsWithAColourTakeTheFocus)
{
    TPalette palette(10);
    const auto grid = Grid(4);
    grid->LoadPalette(palette.Handle);
    EXPECT_TRUE(grid->FocusCell(1, 2));
    EXPECT_FALSE(grid->FocusCell(2, 2));
    EXPECT_FALSE(grid->FocusCell(0, 3));
    EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(1, 2));

    grid->setFocus();
    QTest::keyClick(grid.get(), Qt::Key_Right);
    EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(1, 2)) << "the cell after the last colour is refused";
    QTest::keyClick(grid.get(), Qt::Key_Up);
    QTest::keyClick(grid.get(), Qt::Key_End);
    EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(3, 1));
    QTest::keyClick(grid.get(), Qt::Key_Down);
    EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(3, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(5, 45));
    EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(0, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(65, 45));
    EXPECT_EQ(std::pair(grid->Col(), grid->Row()), std::pair(0, 2));

    // Without colours the first cell still holds the focus.
    grid->LoadPalette(0);
    EXPECT_TRUE(grid->FocusCell(0, 0));
    EXPECT_FALSE(grid->FocusCell(1, 0));
}

TEST(PaletteGrid, KeepsOneCopyOfItsOwnAndDeletesItWhenReplacedAndDestroyed)
{
    const int before = Gdi::LivePaletteCount();
    TPalette first(16), second(3);
    auto grid = Grid(4);
    grid->LoadPalette(first.Handle);
    const Gdi::HPALETTE copy = grid->PaletteCopy();
    EXPECT_NE(copy, first.Handle);
    EXPECT_EQ(Gdi::LivePaletteCount(), before + 3);
    grid->LoadPalette(second.Handle);
    EXPECT_EQ(Gdi::LivePaletteCount(), before + 3);
    EXPECT_FALSE(Gdi::GetPaletteObjectCount(copy).has_value()) << "the first copy is gone";
    EXPECT_EQ(grid->ColorCount(), 3);
    grid->LoadPalette(0);
    EXPECT_EQ(grid->PaletteCopy(), 0u);
    EXPECT_EQ(Gdi::LivePaletteCount(), before + 2);
    grid->LoadPalette(first.Handle);
    grid.reset();
    EXPECT_EQ(Gdi::LivePaletteCount(), before + 2) << "the grid's copy went with it; the sources stay";
    EXPECT_EQ(Gdi::GetPaletteObjectCount(first.Handle), 16);
}

TEST(PaletteGrid, SwatchesAreBevelledSquaresWithAFocusRectangle)
{
    std::vector<Gdi::TPaletteEntry> entries(3, {200, 10, 30, 0});
    entries[1] = {0, 128, 255, 0};
    const Gdi::HPALETTE palette = Gdi::CreatePalette(Gdi::PaletteVersion, entries);
    const auto grid = Grid(2);
    grid->LoadPalette(palette);
    Gdi::DeleteObject(palette);
    grid->activateWindow();
    grid->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(grid->hasFocus());
    const QPixmap picture = grid->viewport()->grab();
    const QImage image = picture.toImage();

    const QColor face = ToQColor(clBtnFace), shadow = ToQColor(clBtnShadow), light = ToQColor(clBtnHighlight);
    const QColor blue(0, 128, 255), red(200, 10, 30);
    // At any display scale every band is whole device pixels of one colour,
    // a unit wide: across cell 1,0, the ring, the bevel, the swatch, the
    // bevel and the ring.
    const double ratio = picture.devicePixelRatio();
    const int unit = std::max(1, qRound(ratio)), left = qRound(20 * ratio), width = qRound(40 * ratio) - left;
    const auto name = [](const QColor &c) { return c.name().toStdString(); };
    const std::vector<std::pair<std::string, int>> across{
        {name(face), unit}, {name(shadow), 2 * unit}, {name(blue), width - 6 * unit}, {name(light), 2 * unit},
        {name(face), unit}};
    std::vector<std::pair<std::string, int>> runs;
    for (int x = left; x < left + width; ++x) {
        const std::string c = name(image.pixelColor(x, qRound(10 * ratio)));
        if (runs.empty() || runs.back().first != c)
            runs.emplace_back(c, 0);
        ++runs.back().second;
    }
    EXPECT_EQ(runs, across);
    if (ratio != 1)
        return; // the design's pixels, below, are those of 100 %
    // Cell 1,0 spans x 20..39, y 0..19.
    EXPECT_EQ(image.pixelColor(20, 0), face);
    EXPECT_EQ(image.pixelColor(30, 19), face);
    EXPECT_EQ(image.pixelColor(39, 10), face);
    EXPECT_EQ(image.pixelColor(21, 10), shadow);
    EXPECT_EQ(image.pixelColor(22, 10), shadow);
    EXPECT_EQ(image.pixelColor(30, 2), shadow);
    EXPECT_EQ(image.pixelColor(38, 10), light);
    EXPECT_EQ(image.pixelColor(37, 10), light);
    EXPECT_EQ(image.pixelColor(30, 17), light);
    // The swatch: 14 x 14 from 23,3 to 36,16.
    for (const QPoint p : {QPoint(23, 3), QPoint(36, 3), QPoint(23, 16), QPoint(36, 16), QPoint(29, 9)})
        EXPECT_EQ(image.pixelColor(p), blue) << p.x() << "," << p.y();
    EXPECT_NE(image.pixelColor(22, 2), blue);
    EXPECT_NE(image.pixelColor(37, 17), blue);

    // Cell 0,0 holds the focus: a dotted 12 x 12 rectangle from 4,4 to 15,15
    // inverts every other pixel of its edge.
    const QColor inverted(255 - red.red(), 255 - red.green(), 255 - red.blue());
    EXPECT_EQ(image.pixelColor(4, 4), inverted);
    EXPECT_EQ(image.pixelColor(5, 4), red);
    EXPECT_EQ(image.pixelColor(6, 4), inverted);
    EXPECT_EQ(image.pixelColor(15, 15), inverted);
    EXPECT_EQ(image.pixelColor(4, 10), inverted);
    EXPECT_EQ(image.pixelColor(3, 3), red);
    EXPECT_EQ(image.pixelColor(9, 9), red) << "inside the focus rectangle";
    EXPECT_EQ(image.pixelColor(10, 30), red) << "cell 0,1 has no focus";
    EXPECT_EQ(image.pixelColor(4, 24), red);

    // Past the last colour: the grid's colour.
    EXPECT_EQ(image.pixelColor(30, 30), ToQColor(clWindow));
}

TEST(PaletteGrid, InAContainerThatItFillsItKeepsTheContainersSizeAndScrolls)
{
    TPalette palette(64);
    TScrollBox box;
    box.SetAutoScroll(false);
    box.resize(120, 70);
    box.show();
    auto *grid = new TPaletteGrid(box.Client());
    grid->SetBorderStyle(TDrawGrid::bsNone);
    SetAlign(grid, alClient);
    grid->show();
    grid->LoadPalette(palette.Handle);
    EXPECT_EQ(grid->size(), box.viewport()->size()) << "the container took the height back";
    // Fitted while the grid had no scroll bar yet: the bar that then appears
    // takes the room that was kept for it.
    const int cols = (grid->width() - TPaletteGrid::ScrollBarWidth()) / 20;
    EXPECT_EQ(grid->ColCount(), cols);
    EXPECT_EQ(grid->RowCount(), (64 + cols - 1) / cols);
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
    const int lastRow = grid->RowCount() - 1;
    EXPECT_TRUE(grid->FocusCell(0, lastRow));
    EXPECT_EQ(grid->TopRow(), lastRow + 1 - grid->ClientHeight() / 20);

    EXPECT_LE(cols * 20, grid->ClientWidth());

    // Fitted again with the bar shown: its width comes off once more.
    box.resize(200, 70);
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
    EXPECT_EQ(grid->ColCount(), (grid->ClientWidth() - TPaletteGrid::ScrollBarWidth()) / 20) << "refitted on resize";
    EXPECT_GT(grid->ColCount(), cols);
}
