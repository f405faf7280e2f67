#pragma once

#include "widgets/LogStore.h"
#include "widgets/LogUndo.h"
#include "widgets/LogWrap.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>

#include <memory>
#include <utility>

class QMenu;
class QTextLayout;

// The program's log: a multi-line text box for a text that grows by a line
// every few seconds for days. The text is kept as cp1251 lines (see
// TLogStore); only the rows in sight are laid out and painted. Long lines
// wrap at the box's width, and there is no horizontal scrolling. The
// vertical scroll bar counts lines, not rows, so that nothing has to know
// how many rows the lines out of sight wrap into: the rows are counted only
// from the top of the view and back from the end of the text. The operator
// edits the text as in any text box (cursor, selection with mouse and keys,
// clipboard, typing, undo, the context menu); what is typed is kept in
// cp1251, a character that cp1251 lacks becoming '?'.
class TLogView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TLogView(QWidget *parent = nullptr);
    ~TLogView() override;

    // Adds a line of cp1251 text after the last; into an empty log, it
    // becomes the first line (an empty line appended is a line: the next
    // goes after it). The view follows the end when it showed it.
    void AppendLine(QByteArrayView line);

    const TLogStore &Store() const { return FStore; }
    qsizetype LineCount() const { return FStore.LineCount(); }
    QString LineText(qsizetype line) const;
    QString toPlainText() const;
    // Replaces the whole text; nothing is left to undo.
    void setPlainText(const QString &text);
    void clear() { setPlainText(QString()); }

    TLogPosition CursorPosition() const { return FCursor; }
    TLogPosition AnchorPosition() const { return FAnchor; }
    // Moves the cursor; with keepAnchor, the selection runs from the anchor to it.
    void SetCursorPosition(TLogPosition position, bool keepAnchor = false);
    bool HasSelection() const { return FCursor != FAnchor; }
    QString SelectedText() const;
    // Replaces the selection with text, as when typed.
    void InsertText(const QString &text);
    // Replaces a stretch of the text, as an edit that can be undone.
    void ReplaceText(TLogPosition from, TLogPosition to, const QString &text);
    bool IsUndoAvailable() const { return FUndo.CanUndo(); }
    bool IsRedoAvailable() const { return FUndo.CanRedo(); }

    // The text position under a point of the viewport.
    TLogPosition PositionAt(QPoint point) const;
    // The rectangle of the character at a position, in viewport coordinates;
    // empty when it is not in sight.
    QRect CharacterRect(TLogPosition position) const;
    // The view shows the end of the text.
    bool IsAtEnd() const { return FTop == FEndTop; }
    void EnsureVisible(TLogPosition position);
    // The columns where the row that shows a position starts and ends.
    std::pair<qsizetype, qsizetype> RowSpan(TLogPosition position) const;
    // The menu the box shows on a right click.
    QMenu *CreateStandardContextMenu();

public slots:
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void selectAll();
    void DeleteSelection();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    // A row on the screen: a line and one of the rows it wraps into.
    struct TRow {
        qsizetype Line = 0;
        qsizetype Row = 0;
        auto operator<=>(const TRow &) const = default;
    };
    // The characters of one row, laid out for painting and for finding x.
    struct TRowText {
        qsizetype Start = 0;
        qsizetype End = 0;
        bool Last = true; // the line's last row
        std::unique_ptr<QTextLayout> Layout;
    };

    qsizetype RowCount(qsizetype line) const;
    qsizetype RowStart(TRow row) const;
    TRowText RowText(qsizetype line, qsizetype start) const;
    TRow RowOf(TLogPosition position) const;
    bool NextRow(TRow &row) const;
    bool PreviousRow(TRow &row) const;
    // Rows from the top of the view down to `row`; -1 when it is above the
    // view or more than `limit` rows below its top.
    qsizetype RowsFromTop(TRow row, qsizetype limit) const;
    qsizetype PageRows() const;
    TLogPosition PositionInRow(TRow row, qreal x) const;
    qreal XOf(TLogPosition position) const;

    // Wraps anew at the viewport's width (and the font's widths), keeping
    // the first character in sight at the top, or the end when it was shown.
    void Relayout(bool fontChanged = false);
    void FindEnd();
    void EndGrew(qsizetype rows);
    void ScrollRows(qsizetype rows);
    void SetTop(TRow top);
    void SyncScrollBar();

    void Edit(TLogPosition from, TLogPosition to, const QByteArray &text, TLogEditKind kind);
    void ReplaceSelection(const QByteArray &text, TLogEditKind kind);
    void Apply(TLogPosition from, TLogPosition to, const QByteArray &text, TLogPosition cursor);
    void MoveCursor(TLogPosition position, bool keepAnchor);
    bool HandleKey(QKeyEvent *event);
    TLogPosition NextWord(TLogPosition position) const;
    TLogPosition PreviousWord(TLogPosition position) const;
    TLogPosition VerticalMove(TLogPosition position, qsizetype rows);
    void SelectWordAt(TLogPosition position);
    void ExtendDrag(QPoint point);
    void PublishSelection();
    void RestartBlink();
    void NotifyCursor();

    TLogStore FStore;
    // The log has no line: the store's one empty line is a place for the
    // first, not a line appended (or left by an edit that emptied the text).
    bool FNoLines = true;
    TLogUndo FUndo;
    TLogWrap FWrap;
    QFont FFont; // the widget's font without kerning: rows are as wide as the wrap counts
    int FRowHeight = 1;

    TRow FTop;             // the row at the top of the view
    TRow FEndTop;          // the top row when the view shows the end
    qsizetype FEndRows = 1;    // rows from FEndTop to the end
    qsizetype FEndTopRows = 1; // rows of FEndTop's line
    bool FSyncingBar = false;
    int FWheelRemainder = 0;

    TLogPosition FCursor;
    TLogPosition FAnchor;
    qreal FPreferredX = -1; // where Up and Down keep the cursor, or -1
    bool FCursorShown = false;
    QBasicTimer FBlink;

    bool FDragging = false;
    QPoint FDragPoint;
    QBasicTimer FAutoScroll;
    QElapsedTimer FLastDoubleClick;
    QPoint FDoubleClickPoint;
};
