#include "widgets/DrawGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

TDrawGrid::TDrawGrid(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    UpdateScrollBars();
}

void TDrawGrid::SetDefaultColWidth(int width)
{
    FDefaultColWidth = std::max(width, 1);
    UpdateScrollBars();
    viewport()->update();
}

void TDrawGrid::SetDefaultRowHeight(int height)
{
    FDefaultRowHeight = std::max(height, 1);
    UpdateScrollBars();
    viewport()->update();
}

void TDrawGrid::SetColCount(int count)
{
    FColCount = std::max(count, 1);
    FCol = std::min(FCol, FColCount - 1);
    UpdateScrollBars();
    viewport()->update();
}

void TDrawGrid::SetRowCount(int count)
{
    FRowCount = std::max(count, 1);
    FRow = std::min(FRow, FRowCount - 1);
    UpdateScrollBars();
    viewport()->update();
}

bool TDrawGrid::FocusCell(int col, int row)
{
    if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount || !CanSelectCell(col, row))
        return false;
    FCol = col;
    FRow = row;
    ScrollIntoView(col, row);
    viewport()->update();
    return true;
}

void TDrawGrid::SetScrollBars(TScrollStyle scrollBars)
{
    FScrollBars = scrollBars;
    UpdateScrollBars();
}

void TDrawGrid::SetColor(TColor color)
{
    FColor = color;
    viewport()->update();
}

void TDrawGrid::SetBorderStyle(TBorderStyle style)
{
    setFrameStyle(style == bsNone ? QFrame::NoFrame : QFrame::StyledPanel | QFrame::Sunken);
}

int TDrawGrid::ClientWidth() const
{
    return viewport()->width();
}

int TDrawGrid::ClientHeight() const
{
    return viewport()->height();
}

void TDrawGrid::SetClientHeight(int height)
{
    resize(width(), std::max(height, 0) + this->height() - ClientHeight());
}

QRect TDrawGrid::CellRect(int col, int row) const
{
    return QRect((col - FLeftCol) * FDefaultColWidth, (row - FTopRow) * FDefaultRowHeight, FDefaultColWidth,
                 FDefaultRowHeight);
}

bool TDrawGrid::CanSelectCell(int, int)
{
    return true;
}

void TDrawGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), ToQColor(FColor));
    const int lastCol = std::min(FColCount - 1, FLeftCol + ClientWidth() / FDefaultColWidth);
    const int lastRow = std::min(FRowCount - 1, FTopRow + ClientHeight() / FDefaultRowHeight);
    const bool focused = hasFocus();
    for (int row = FTopRow; row <= lastRow; ++row)
        for (int col = FLeftCol; col <= lastCol; ++col) {
            const unsigned state = focused && col == FCol && row == FRow ? gdFocused : gdNone;
            painter.save();
            PaintCell(painter, col, row, CellRect(col, row), state);
            painter.restore();
        }
}

void TDrawGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TDrawGrid::keyPressEvent(QKeyEvent *event)
{
    const int rowsPerPage = std::max(1, ClientHeight() / FDefaultRowHeight);
    int col = FCol;
    int row = FRow;
    switch (event->key()) {
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Home: col = 0; break;
    case Qt::Key_End: col = FColCount - 1; break;
    case Qt::Key_PageUp: row = std::max(0, row - rowsPerPage); break;
    case Qt::Key_PageDown: row = std::min(FRowCount - 1, row + rowsPerPage); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    FocusCell(col, row);
}

void TDrawGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (at.x() >= 0 && at.y() >= 0)
        FocusCell(FLeftCol + at.x() / FDefaultColWidth, FTopRow + at.y() / FDefaultRowHeight);
    setFocus(Qt::MouseFocusReason);
}

void TDrawGrid::scrollContentsBy(int, int)
{
    FLeftCol = horizontalScrollBar()->value();
    FTopRow = verticalScrollBar()->value();
    viewport()->update();
}

void TDrawGrid::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TDrawGrid::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TDrawGrid::UpdateScrollBars()
{
    // Each bar is shown exactly when its cells do not fit, decided here
    // rather than later by the scroll area, so the client size is settled
    // when this returns.
    const QSize room = maximumViewportSize();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const bool mayV = FScrollBars == ssVertical || FScrollBars == ssBoth;
    const bool mayH = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    bool needV = mayV && FRowCount * FDefaultRowHeight > room.height();
    const bool needH = mayH && FColCount * FDefaultColWidth > room.width() - (needV ? extent : 0);
    needV = mayV && FRowCount * FDefaultRowHeight > room.height() - (needH ? extent : 0);
    setVerticalScrollBarPolicy(needV ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(needH ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);

    const int fullCols = std::max(1, ClientWidth() / FDefaultColWidth);
    const int fullRows = std::max(1, ClientHeight() / FDefaultRowHeight);
    horizontalScrollBar()->setRange(0, std::max(0, FColCount - fullCols));
    horizontalScrollBar()->setPageStep(fullCols);
    verticalScrollBar()->setRange(0, std::max(0, FRowCount - fullRows));
    verticalScrollBar()->setPageStep(fullRows);
    FLeftCol = horizontalScrollBar()->value();
    FTopRow = verticalScrollBar()->value();
}

void TDrawGrid::ScrollIntoView(int col, int row)
{
    const int fullCols = std::max(1, ClientWidth() / FDefaultColWidth);
    const int fullRows = std::max(1, ClientHeight() / FDefaultRowHeight);
    if (col < FLeftCol)
        horizontalScrollBar()->setValue(col);
    else if (col >= FLeftCol + fullCols)
        horizontalScrollBar()->setValue(col - fullCols + 1);
    if (row < FTopRow)
        verticalScrollBar()->setValue(row);
    else if (row >= FTopRow + fullRows)
        verticalScrollBar()->setValue(row - fullRows + 1);
}
