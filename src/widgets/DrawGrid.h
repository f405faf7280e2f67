#pragma once

#include "widgets/Color.h"

#include <QAbstractScrollArea>

class QPainter;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// What PaintCell is told about a cell.
enum TGridDrawState : unsigned {
    gdNone = 0,
    gdFocused = 1, // the focus cell of a grid that has the keyboard focus
};

// An owner-drawn grid of equal cells that touch (no grid lines, no header
// cells). Every visible cell is painted by PaintCell; the area beyond the
// last cells shows `Color`. The focus cell moves with the arrow, Home, End
// and page keys and the mouse, to cells CanSelectCell accepts; the grid
// scrolls by whole rows and columns.
class TDrawGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    enum TBorderStyle { bsNone, bsSingle };

    explicit TDrawGrid(QWidget *parent = nullptr);

    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int height);
    // Both at least 1: a smaller value is raised to 1.
    int ColCount() const { return FColCount; }
    void SetColCount(int count);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int count);

    // The focus cell.
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    // Moves the focus to a cell inside the grid that CanSelectCell accepts;
    // false (and no move) otherwise.
    bool FocusCell(int col, int row);

    // The first visible column and row.
    int TopRow() const { return FTopRow; }

    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle scrollBars);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    void SetBorderStyle(TBorderStyle style);

    // The client area (without border and visible scroll bars).
    int ClientWidth() const;
    int ClientHeight() const;
    // Resizes the control so that its client area is height pixels high.
    void SetClientHeight(int height);

    // The cell's rectangle in client coordinates.
    QRect CellRect(int col, int row) const;

protected:
    virtual void PaintCell(QPainter &painter, int ACol, int ARow, const QRect &Rect, unsigned State) = 0;
    virtual bool CanSelectCell(int ACol, int ARow);

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void UpdateScrollBars();
    void ScrollIntoView(int col, int row);

    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    int FColCount = 5;
    int FRowCount = 5;
    int FCol = 0;
    int FRow = 0;
    int FLeftCol = 0;
    int FTopRow = 0;
    TScrollStyle FScrollBars = ssBoth;
    TColor FColor = clWindow;
};
