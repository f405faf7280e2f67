#include "widgets/LogView.h"

#include "platform/clipboard/ClipboardData.h"
#include "widgets/LogViewAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>

#include <algorithm>

namespace {
// Space between the viewport's edges and the text.
constexpr int Margin = 3;
constexpr int TopMargin = 1;
constexpr int AutoScrollMs = 50;

enum class TCharClass { Space, Word, Other };

TCharClass ClassOf(char byte)
{
    if (byte == ' ' || byte == '\t')
        return TCharClass::Space;
    const QChar c = LogChar(uchar(byte));
    return c.isLetterOrNumber() || c == u'_' ? TCharClass::Word : TCharClass::Other;
}

QString Translated(const char *text)
{
    // The texts every text box of the application shows in its menu.
    return QCoreApplication::translate("QWidgetTextControl", text);
}

QString ShortcutHint(QKeySequence::StandardKey key)
{
    if (!QGuiApplication::styleHints()->showShortcutsInContextMenus())
        return {};
    return QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
}

void Notify(QAccessibleEvent &&event)
{
    QAccessible::updateAccessibility(&event);
}
} // namespace

TLogView::TLogView(QWidget *parent) : QAbstractScrollArea(parent)
{
    InstallLogViewAccessibility();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    Relayout(true);
}

TLogView::~TLogView() = default;

// ---------------------------------------------------------------- the text

void TLogView::AppendLine(QByteArrayView line)
{
    for (qsizetype start = 0;;) {
        const qsizetype end = line.indexOf('\n', start);
        const QByteArrayView piece = line.sliced(start, (end < 0 ? line.size() : end) - start);
        const bool atEnd = IsAtEnd();
        const qsizetype offset = FNoLines ? 0 : FStore.CharacterCount() + 1;
        if (FNoLines) {
            FStore.Replace({}, {}, piece);
            FNoLines = false;
            // What the operator could undo emptied the log; it cannot be
            // taken back around the new line.
            FUndo.Clear();
            FindEnd();
        } else {
            FStore.AppendLine(piece);
            EndGrew(FWrap.RowCount(piece));
        }
        if (atEnd) {
            FTop = FEndTop;
            viewport()->update();
        }
        SyncScrollBar();
        if (QAccessible::isActive())
            Notify(QAccessibleTextInsertEvent(this, int(offset), (offset ? QStringLiteral("\n") : QString()) + LogString(piece)));
        if (end < 0)
            break;
        start = end + 1;
    }
}

QString TLogView::LineText(qsizetype line) const
{
    return LogString(FStore.Line(line));
}

QString TLogView::toPlainText() const
{
    return LogString(FStore.Text());
}

void TLogView::setPlainText(const QString &text)
{
    FStore = TLogStore();
    FStore.Replace({}, {}, LogBytes(text));
    FNoLines = FStore.IsEmpty();
    FUndo.Clear();
    FCursor = FAnchor = {};
    FTop = {};
    FindEnd();
    SyncScrollBar();
    viewport()->update();
}

QString TLogView::SelectedText() const
{
    return LogString(FStore.Text(std::min(FAnchor, FCursor), std::max(FAnchor, FCursor)));
}

void TLogView::InsertText(const QString &text)
{
    ReplaceSelection(LogBytes(text), TLogEditKind::Typing);
}

void TLogView::ReplaceText(TLogPosition from, TLogPosition to, const QString &text)
{
    from = FStore.Clamped(from);
    to = FStore.Clamped(to);
    Edit(std::min(from, to), std::max(from, to), LogBytes(text), TLogEditKind::Other);
}

void TLogView::ReplaceSelection(const QByteArray &text, TLogEditKind kind)
{
    Edit(std::min(FAnchor, FCursor), std::max(FAnchor, FCursor), text, kind);
}

void TLogView::Edit(TLogPosition from, TLogPosition to, const QByteArray &text, TLogEditKind kind)
{
    if (from == to && text.isEmpty())
        return;
    TLogEdit edit{from, FStore.Text(from, to), text};
    Apply(from, to, text, PositionAfter(from, text));
    FUndo.Record(std::move(edit), kind);
}

void TLogView::Apply(TLogPosition from, TLogPosition to, const QByteArray &text, TLogPosition cursor)
{
    const bool accessible = QAccessible::isActive();
    const QByteArray removed = accessible ? FStore.Text(from, to) : QByteArray();
    const bool atEnd = IsAtEnd();
    FStore.Replace(from, to, text);
    FNoLines = FStore.IsEmpty();
    FCursor = FAnchor = cursor;
    FPreferredX = -1;
    FindEnd();
    if (atEnd || FTop.Line >= FStore.LineCount()) {
        FTop = FEndTop;
    } else {
        FTop.Row = std::min(FTop.Row, RowCount(FTop.Line) - 1);
        FTop = std::min(FTop, FEndTop);
    }
    SyncScrollBar();
    EnsureVisible(FCursor);
    RestartBlink();
    viewport()->update();
    if (accessible)
        Notify(QAccessibleTextUpdateEvent(this, int(FStore.OffsetOf(from)), LogString(removed), LogString(text)));
    NotifyCursor();
}

void TLogView::undo()
{
    if (!FUndo.CanUndo())
        return;
    const TLogEdit edit = FUndo.TakeUndo();
    Apply(edit.At, PositionAfter(edit.At, edit.Inserted), edit.Removed, PositionAfter(edit.At, edit.Removed));
}

void TLogView::redo()
{
    if (!FUndo.CanRedo())
        return;
    const TLogEdit edit = FUndo.TakeRedo();
    Apply(edit.At, PositionAfter(edit.At, edit.Removed), edit.Inserted, PositionAfter(edit.At, edit.Inserted));
}

void TLogView::cut()
{
    copy();
    DeleteSelection();
}

void TLogView::copy()
{
    if (HasSelection())
        QGuiApplication::clipboard()->setText(SelectedText());
}

void TLogView::paste()
{
    // The text of the clipboard's text formats, whatever character set or
    // clipboard format carries it.
    const QString text = ClipboardApi::ClipboardPasteText().value_or(QString());
    if (!text.isEmpty())
        ReplaceSelection(LogBytes(text), TLogEditKind::Other);
}

void TLogView::selectAll()
{
    FAnchor = {};
    FCursor = FStore.End();
    FUndo.Break();
    viewport()->update();
    NotifyCursor();
}

void TLogView::DeleteSelection()
{
    if (HasSelection())
        ReplaceSelection({}, TLogEditKind::Other);
}

// ---------------------------------------------------------------- rows

qsizetype TLogView::RowCount(qsizetype line) const
{
    return FWrap.RowCount(FStore.Line(line));
}

qsizetype TLogView::RowStart(TRow row) const
{
    const QByteArrayView bytes = FStore.Line(row.Line);
    qsizetype start = 0;
    for (qsizetype r = 0; r < row.Row && start < bytes.size(); ++r)
        start = FWrap.RowEnd(bytes, start);
    return start;
}

TLogView::TRowText TLogView::RowText(qsizetype line, qsizetype start) const
{
    const QByteArrayView bytes = FStore.Line(line);
    TRowText row;
    row.Start = start;
    row.End = FWrap.RowEnd(bytes, start);
    row.Last = row.End >= bytes.size();
    row.Layout = std::make_unique<QTextLayout>(LogString(bytes.sliced(start, row.End - start)), FFont, viewport());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(FWrap.TabStop());
    row.Layout->setTextOption(option);
    row.Layout->beginLayout();
    row.Layout->createLine().setLineWidth(FWrap.Width());
    row.Layout->endLayout();
    return row;
}

TLogView::TRow TLogView::RowOf(TLogPosition position) const
{
    const QByteArrayView bytes = FStore.Line(position.Line);
    TRow row{position.Line, 0};
    for (qsizetype start = 0;; ++row.Row) {
        const qsizetype end = FWrap.RowEnd(bytes, start);
        if (end >= bytes.size() || position.Column < end)
            return row;
        start = end;
    }
}

bool TLogView::NextRow(TRow &row) const
{
    if (row.Row + 1 < RowCount(row.Line)) {
        ++row.Row;
        return true;
    }
    if (row.Line + 1 >= FStore.LineCount())
        return false;
    row = {row.Line + 1, 0};
    return true;
}

bool TLogView::PreviousRow(TRow &row) const
{
    if (row.Row > 0) {
        --row.Row;
        return true;
    }
    if (row.Line == 0)
        return false;
    row = {row.Line - 1, RowCount(row.Line - 1) - 1};
    return true;
}

qsizetype TLogView::RowsFromTop(TRow row, qsizetype limit) const
{
    if (row < FTop || row.Line - FTop.Line > limit)
        return -1;
    TRow r = FTop;
    qsizetype rows = 0;
    while (r != row) {
        if (!NextRow(r) || ++rows > limit)
            return -1;
    }
    return rows;
}

qsizetype TLogView::PageRows() const
{
    return std::max(1, (viewport()->height() - TopMargin) / FRowHeight);
}

TLogPosition TLogView::PositionInRow(TRow row, qreal x) const
{
    const TRowText text = RowText(row.Line, RowStart(row));
    qsizetype column = text.Layout->lineAt(0).xToCursor(x);
    // Past the end of a row that is not the line's last, the cursor stays on
    // the row, before the character the row ends with.
    if (!text.Last && column >= text.End - text.Start && text.End > text.Start)
        column = text.End - text.Start - 1;
    return {row.Line, text.Start + column};
}

qreal TLogView::XOf(TLogPosition position) const
{
    const TRow row = RowOf(position);
    const TRowText text = RowText(row.Line, RowStart(row));
    return text.Layout->lineAt(0).cursorToX(int(position.Column - text.Start));
}

TLogPosition TLogView::PositionAt(QPoint point) const
{
    TRow row = FTop;
    for (int rows = point.y() < TopMargin ? 0 : (point.y() - TopMargin) / FRowHeight; rows > 0; --rows)
        if (!NextRow(row))
            return FStore.End();
    return PositionInRow(row, point.x() - Margin);
}

QRect TLogView::CharacterRect(TLogPosition position) const
{
    position = FStore.Clamped(position);
    const TRow row = RowOf(position);
    const qsizetype rows = RowsFromTop(row, PageRows());
    if (rows < 0)
        return {};
    const TRowText text = RowText(row.Line, RowStart(row));
    const QTextLine line = text.Layout->lineAt(0);
    const int column = int(position.Column - text.Start);
    const qreal left = line.cursorToX(column);
    const qreal right = position.Column < text.End ? line.cursorToX(column + 1)
                                                   : left + QFontMetricsF(FFont).horizontalAdvance(u' ');
    return QRectF(Margin + left, TopMargin + rows * FRowHeight, std::max<qreal>(right - left, 1), FRowHeight)
        .toAlignedRect();
}

std::pair<qsizetype, qsizetype> TLogView::RowSpan(TLogPosition position) const
{
    position = FStore.Clamped(position);
    const qsizetype start = RowStart(RowOf(position));
    return {start, FWrap.RowEnd(FStore.Line(position.Line), start)};
}

// ---------------------------------------------------------------- the view

void TLogView::Relayout(bool fontChanged)
{
    const bool atEnd = IsAtEnd();
    const TLogPosition topFirst{FTop.Line, RowStart(FTop)};
    if (fontChanged) {
        FFont = font();
        FFont.setKerning(false);
        FWrap.SetFont(FFont, viewport());
        FRowHeight = std::max(1, QFontMetrics(FFont, viewport()).lineSpacing());
    }
    FWrap.SetWidth(std::max(1, viewport()->width() - 2 * Margin));
    FindEnd();
    FTop = atEnd ? FEndTop : std::min(RowOf(topFirst), FEndTop);
    SyncScrollBar();
    viewport()->update();
}

// The top row that shows the end: counted back from the last row, so only
// the lines of the last page are wrapped, however long the text.
void TLogView::FindEnd()
{
    const qsizetype page = PageRows();
    qsizetype lineRows = RowCount(FStore.LineCount() - 1);
    TRow top{FStore.LineCount() - 1, lineRows - 1};
    qsizetype rows = 1;
    for (; rows < page && (top.Line > 0 || top.Row > 0); ++rows) {
        if (top.Row > 0) {
            --top.Row;
        } else {
            --top.Line;
            lineRows = RowCount(top.Line);
            top.Row = lineRows - 1;
        }
    }
    FEndTop = top;
    FEndRows = rows;
    FEndTopRows = lineRows;
}

// Rows were added after the last: the top row that shows the end moves down
// by as many rows as the page has too many.
void TLogView::EndGrew(qsizetype rows)
{
    FEndRows += rows;
    for (const qsizetype page = PageRows(); FEndRows > page; --FEndRows) {
        if (FEndTop.Row + 1 < FEndTopRows) {
            ++FEndTop.Row;
        } else {
            FEndTop = {FEndTop.Line + 1, 0};
            FEndTopRows = RowCount(FEndTop.Line);
        }
    }
}

void TLogView::ScrollRows(qsizetype rows)
{
    TRow top = FTop;
    for (; rows > 0 && top < FEndTop && NextRow(top); --rows) {
    }
    for (; rows < 0 && PreviousRow(top); ++rows) {
    }
    SetTop(top);
}

void TLogView::SetTop(TRow top)
{
    FTop = std::min(top, FEndTop);
    SyncScrollBar();
    viewport()->update();
}

// The scroll bar counts lines: its value is the top line, its maximum the
// top line of the view that shows the end.
void TLogView::SyncScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    // A scroll bar that comes or goes resizes the viewport, which may bring
    // this back here: the outer call ends the syncing.
    const bool syncing = std::exchange(FSyncingBar, true);
    bar->setRange(0, int(std::min<qsizetype>(FEndTop.Line, INT_MAX)));
    bar->setPageStep(int(PageRows()));
    bar->setValue(int(std::min<qsizetype>(FTop.Line, INT_MAX)));
    FSyncingBar = syncing;
}

void TLogView::scrollContentsBy(int, int)
{
    if (FSyncingBar)
        return;
    const qsizetype line = verticalScrollBar()->value();
    FTop = line >= FEndTop.Line ? FEndTop : TRow{line, 0};
    viewport()->update();
}

void TLogView::EnsureVisible(TLogPosition position)
{
    const TRow row = RowOf(FStore.Clamped(position));
    const qsizetype page = PageRows();
    if (row < FTop) {
        SetTop(row);
        return;
    }
    if (RowsFromTop(row, page - 1) >= 0)
        return;
    TRow top = row;
    for (qsizetype rows = 1; rows < page && PreviousRow(top); ++rows) {
    }
    SetTop(top);
}

void TLogView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPalette &colours = palette();
    painter.setPen(colours.color(QPalette::Text));
    QTextCharFormat selected;
    selected.setBackground(colours.brush(QPalette::Highlight));
    selected.setForeground(colours.brush(QPalette::HighlightedText));
    const TLogPosition from = std::min(FAnchor, FCursor);
    const TLogPosition to = std::max(FAnchor, FCursor);
    const bool cursorShown = FCursorShown && hasFocus();
    const qreal breakWidth = QFontMetricsF(FFont).horizontalAdvance(u' ');

    TRow row = FTop;
    qsizetype start = RowStart(row);
    for (int y = TopMargin; y < viewport()->height(); y += FRowHeight) {
        const TRowText text = RowText(row.Line, start);
        const QPointF origin(Margin, y);
        QList<QTextLayout::FormatRange> formats;
        if (HasSelection()) {
            const qsizetype first = from.Line < row.Line ? text.Start
                : from.Line == row.Line                  ? std::max(from.Column, text.Start)
                                                         : text.End;
            const qsizetype last = to.Line > row.Line ? text.End
                : to.Line == row.Line                 ? std::min(to.Column, text.End)
                                                      : text.Start;
            if (first < last)
                formats.append({int(first - text.Start), int(last - first), selected});
            // The line break is selected too.
            if (text.Last && from <= TLogPosition{row.Line, text.End} && to > TLogPosition{row.Line, text.End})
                painter.fillRect(QRectF(origin.x() + text.Layout->lineAt(0).naturalTextWidth(), y, breakWidth, FRowHeight),
                                 colours.brush(QPalette::Highlight));
        }
        text.Layout->draw(&painter, origin, formats);
        if (cursorShown && FCursor.Line == row.Line && FCursor.Column >= text.Start
            && (FCursor.Column < text.End || text.Last))
            text.Layout->drawCursor(&painter, origin, int(FCursor.Column - text.Start), 1);
        if (!text.Last) {
            ++row.Row;
            start = text.End;
        } else if (row.Line + 1 < FStore.LineCount()) {
            row = {row.Line + 1, 0};
            start = 0;
        } else {
            break;
        }
    }
}

void TLogView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void TLogView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        Relayout(true);
}

void TLogView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        event->ignore();
        return;
    }
    FWheelRemainder += event->angleDelta().y();
    const int notches = FWheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    FWheelRemainder -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0)
        ScrollRows(-qsizetype(notches) * QApplication::wheelScrollLines());
    event->accept();
}

// ---------------------------------------------------------------- the cursor

void TLogView::SetCursorPosition(TLogPosition position, bool keepAnchor)
{
    FPreferredX = -1;
    MoveCursor(FStore.Clamped(position), keepAnchor);
}

void TLogView::MoveCursor(TLogPosition position, bool keepAnchor)
{
    FCursor = position;
    if (!keepAnchor)
        FAnchor = position;
    FUndo.Break();
    EnsureVisible(position);
    RestartBlink();
    viewport()->update();
    NotifyCursor();
}

void TLogView::NotifyCursor()
{
    if (!QAccessible::isActive())
        return;
    Notify(QAccessibleTextCursorEvent(this, int(FStore.OffsetOf(FCursor))));
    if (HasSelection())
        Notify(QAccessibleTextSelectionEvent(this, int(FStore.OffsetOf(std::min(FAnchor, FCursor))),
                                             int(FStore.OffsetOf(std::max(FAnchor, FCursor)))));
}

void TLogView::RestartBlink()
{
    FCursorShown = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash >= 2)
        FBlink.start(flash / 2, this);
    else
        FBlink.stop();
}

TLogPosition TLogView::NextWord(TLogPosition position) const
{
    const QByteArrayView bytes = FStore.Line(position.Line);
    if (position.Column >= bytes.size())
        return position.Line + 1 < FStore.LineCount() ? TLogPosition{position.Line + 1, 0} : position;
    qsizetype i = position.Column;
    const TCharClass first = ClassOf(bytes[i]);
    if (first != TCharClass::Space)
        while (i < bytes.size() && ClassOf(bytes[i]) == first)
            ++i;
    while (i < bytes.size() && ClassOf(bytes[i]) == TCharClass::Space)
        ++i;
    return {position.Line, i};
}

TLogPosition TLogView::PreviousWord(TLogPosition position) const
{
    if (position.Column == 0)
        return position.Line > 0 ? TLogPosition{position.Line - 1, FStore.LineLength(position.Line - 1)} : position;
    const QByteArrayView bytes = FStore.Line(position.Line);
    qsizetype i = position.Column;
    while (i > 0 && ClassOf(bytes[i - 1]) == TCharClass::Space)
        --i;
    if (i > 0) {
        const TCharClass last = ClassOf(bytes[i - 1]);
        while (i > 0 && ClassOf(bytes[i - 1]) == last)
            --i;
    }
    return {position.Line, i};
}

TLogPosition TLogView::VerticalMove(TLogPosition position, qsizetype rows)
{
    if (FPreferredX < 0)
        FPreferredX = XOf(position);
    TRow row = RowOf(position);
    for (; rows > 0; --rows)
        if (!NextRow(row))
            return FStore.End();
    for (; rows < 0; ++rows)
        if (!PreviousRow(row))
            return {};
    return PositionInRow(row, FPreferredX);
}

void TLogView::SelectWordAt(TLogPosition position)
{
    const QByteArrayView bytes = FStore.Line(position.Line);
    if (bytes.isEmpty()) {
        MoveCursor(position, false);
        return;
    }
    qsizetype start = std::min(position.Column, bytes.size() - 1);
    qsizetype end = start + 1;
    const TCharClass kind = ClassOf(bytes[start]);
    while (start > 0 && ClassOf(bytes[start - 1]) == kind)
        --start;
    while (end < bytes.size() && ClassOf(bytes[end]) == kind)
        ++end;
    FAnchor = {position.Line, start};
    MoveCursor({position.Line, end}, true);
}

// ---------------------------------------------------------------- keys

bool TLogView::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Editing keys belong to the box, not to the window's shortcuts.
        auto *key = static_cast<QKeyEvent *>(event);
        static const QKeySequence::StandardKey editing[] = {
            QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo, QKeySequence::Redo,
            QKeySequence::SelectAll, QKeySequence::Delete, QKeySequence::DeleteStartOfWord,
            QKeySequence::DeleteEndOfWord, QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument,
            QKeySequence::SelectStartOfDocument, QKeySequence::SelectEndOfDocument, QKeySequence::MoveToNextWord,
            QKeySequence::MoveToPreviousWord, QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord};
        const bool typing = !key->text().isEmpty() && key->text().at(0).isPrint()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (typing || std::any_of(std::begin(editing), std::end(editing), [&](auto k) { return key->matches(k); })) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        // Tab is typed into the text rather than moving the focus.
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TLogView::keyPressEvent(QKeyEvent *event)
{
    if (HandleKey(event))
        event->accept();
    else
        event->ignore();
}

bool TLogView::HandleKey(QKeyEvent *event)
{
    using Key = QKeySequence;
    const auto is = [event](Key::StandardKey key) { return event->matches(key); };
    const TLogPosition from = std::min(FAnchor, FCursor);
    const TLogPosition to = std::max(FAnchor, FCursor);

    if (is(Key::Undo)) {
        undo();
    } else if (is(Key::Redo)) {
        redo();
    } else if (is(Key::Copy)) {
        copy();
    } else if (is(Key::Cut)) {
        cut();
    } else if (is(Key::Paste)) {
        paste();
    } else if (is(Key::SelectAll)) {
        selectAll();
    } else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
        if (HasSelection())
            DeleteSelection();
        else if (FCursor != TLogPosition{})
            Edit(FCursor.Column > 0 ? TLogPosition{FCursor.Line, FCursor.Column - 1}
                                    : TLogPosition{FCursor.Line - 1, FStore.LineLength(FCursor.Line - 1)},
                 FCursor, {}, TLogEditKind::Backspace);
    } else if (is(Key::Delete)) {
        if (HasSelection())
            DeleteSelection();
        else if (FCursor != FStore.End())
            Edit(FCursor,
                 FCursor.Column < FStore.LineLength(FCursor.Line) ? TLogPosition{FCursor.Line, FCursor.Column + 1}
                                                                   : TLogPosition{FCursor.Line + 1, 0},
                 {}, TLogEditKind::Delete);
    } else if (is(Key::DeleteStartOfWord)) {
        if (HasSelection())
            DeleteSelection();
        else
            Edit(PreviousWord(FCursor), FCursor, {}, TLogEditKind::Other);
    } else if (is(Key::DeleteEndOfWord)) {
        if (HasSelection())
            DeleteSelection();
        else
            Edit(FCursor, NextWord(FCursor), {}, TLogEditKind::Other);
    } else if (is(Key::InsertParagraphSeparator) || is(Key::InsertLineSeparator)) {
        ReplaceSelection("\n", TLogEditKind::Typing);
    } else {
        // Cursor movements, with the selection kept and extended by their
        // selecting keys.
        struct TMove {
            Key::StandardKey Move, Select;
        };
        static const TMove moves[] = {
            {Key::MoveToNextChar, Key::SelectNextChar},
            {Key::MoveToPreviousChar, Key::SelectPreviousChar},
            {Key::MoveToNextWord, Key::SelectNextWord},
            {Key::MoveToPreviousWord, Key::SelectPreviousWord},
            {Key::MoveToNextLine, Key::SelectNextLine},
            {Key::MoveToPreviousLine, Key::SelectPreviousLine},
            {Key::MoveToNextPage, Key::SelectNextPage},
            {Key::MoveToPreviousPage, Key::SelectPreviousPage},
            {Key::MoveToStartOfLine, Key::SelectStartOfLine},
            {Key::MoveToEndOfLine, Key::SelectEndOfLine},
            {Key::MoveToStartOfDocument, Key::SelectStartOfDocument},
            {Key::MoveToEndOfDocument, Key::SelectEndOfDocument},
        };
        const TMove *move = std::find_if(std::begin(moves), std::end(moves),
                                         [&](const TMove &m) { return is(m.Move) || is(m.Select); });
        if (move == std::end(moves)) {
            const QString text = event->text();
            const bool control = (event->modifiers() & Qt::ControlModifier) && !(event->modifiers() & Qt::AltModifier);
            if (text.isEmpty() || control || !(text.at(0).isPrint() || text.at(0) == u'\t'))
                return false;
            InsertText(text);
            return true;
        }
        const bool select = is(move->Select);
        const bool vertical = move->Move == Key::MoveToNextLine || move->Move == Key::MoveToPreviousLine
            || move->Move == Key::MoveToNextPage || move->Move == Key::MoveToPreviousPage;
        if (!vertical)
            FPreferredX = -1;
        TLogPosition target = FCursor;
        const TRow row = RowOf(FCursor);
        switch (move->Move) {
        case Key::MoveToNextChar:
            if (HasSelection() && !select)
                target = to;
            else if (FCursor.Column < FStore.LineLength(FCursor.Line))
                ++target.Column;
            else if (FCursor.Line + 1 < FStore.LineCount())
                target = {FCursor.Line + 1, 0};
            break;
        case Key::MoveToPreviousChar:
            if (HasSelection() && !select)
                target = from;
            else if (FCursor.Column > 0)
                --target.Column;
            else if (FCursor.Line > 0)
                target = {FCursor.Line - 1, FStore.LineLength(FCursor.Line - 1)};
            break;
        case Key::MoveToNextWord:
            target = NextWord(FCursor);
            break;
        case Key::MoveToPreviousWord:
            target = PreviousWord(FCursor);
            break;
        case Key::MoveToNextLine:
            target = VerticalMove(FCursor, 1);
            break;
        case Key::MoveToPreviousLine:
            target = VerticalMove(FCursor, -1);
            break;
        case Key::MoveToNextPage:
            ScrollRows(PageRows());
            target = VerticalMove(FCursor, PageRows());
            break;
        case Key::MoveToPreviousPage:
            ScrollRows(-PageRows());
            target = VerticalMove(FCursor, -PageRows());
            break;
        case Key::MoveToStartOfLine:
            target.Column = RowStart(row);
            break;
        case Key::MoveToEndOfLine: {
            const TRowText text = RowText(row.Line, RowStart(row));
            const QByteArrayView bytes = FStore.Line(row.Line);
            // A wrapped row ends before the space it broke at.
            target.Column = !text.Last && text.End > text.Start && ClassOf(bytes[text.End - 1]) == TCharClass::Space
                ? text.End - 1
                : text.End;
            break;
        }
        case Key::MoveToStartOfDocument:
            target = {};
            break;
        case Key::MoveToEndOfDocument:
            target = FStore.End();
            break;
        default:
            break;
        }
        MoveCursor(target, select);
    }
    return true;
}

// ---------------------------------------------------------------- mouse

void TLogView::mousePressEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const TLogPosition position = PositionAt(point);
        FPreferredX = -1;
        if (FLastDoubleClick.isValid() && FLastDoubleClick.elapsed() < QApplication::doubleClickInterval()
            && (point - FDoubleClickPoint).manhattanLength() < QApplication::startDragDistance()) {
            // A third click selects the line, with its line break.
            FLastDoubleClick.invalidate();
            FAnchor = {position.Line, 0};
            MoveCursor(position.Line + 1 < FStore.LineCount() ? TLogPosition{position.Line + 1, 0}
                                                              : TLogPosition{position.Line, FStore.LineLength(position.Line)},
                       true);
            return;
        }
        MoveCursor(position, event->modifiers() & Qt::ShiftModifier);
        FDragging = true;
        FDragPoint = point;
    } else if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        const QString text = QGuiApplication::clipboard()->text(QClipboard::Selection);
        MoveCursor(PositionAt(point), false);
        if (!text.isEmpty())
            ReplaceSelection(LogBytes(text), TLogEditKind::Other);
    }
}

void TLogView::mouseMoveEvent(QMouseEvent *event)
{
    if (!FDragging || !(event->buttons() & Qt::LeftButton))
        return;
    FDragPoint = event->position().toPoint();
    ExtendDrag(FDragPoint);
    if (FDragPoint.y() < 0 || FDragPoint.y() >= viewport()->height())
        FAutoScroll.start(AutoScrollMs, this);
    else
        FAutoScroll.stop();
}

void TLogView::ExtendDrag(QPoint point)
{
    // Only rows wholly in sight: the cursor on the row cut by the bottom
    // edge would scroll the view.
    const int bottom = TopMargin + int(PageRows()) * FRowHeight - 1;
    point.setY(std::clamp(point.y(), 0, std::max(0, bottom)));
    MoveCursor(PositionAt(point), true);
}

void TLogView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FDragging = false;
    FAutoScroll.stop();
    PublishSelection();
}

void TLogView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FDoubleClickPoint = event->position().toPoint();
    FLastDoubleClick.start();
    SelectWordAt(PositionAt(FDoubleClickPoint));
    PublishSelection();
}

// On X11 a selection is also offered to the middle button of any program.
void TLogView::PublishSelection()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && HasSelection())
        clipboard->setText(SelectedText(), QClipboard::Selection);
}

void TLogView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == FBlink.timerId()) {
        FCursorShown = !FCursorShown;
        viewport()->update(CharacterRect(FCursor).adjusted(-2, 0, 2, 0));
    } else if (event->timerId() == FAutoScroll.timerId()) {
        ScrollRows(FDragPoint.y() < 0 ? -1 : 1);
        ExtendDrag(FDragPoint);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void TLogView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
    viewport()->update();
}

void TLogView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    FBlink.stop();
    FCursorShown = false;
    viewport()->update();
}

void TLogView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = CreateStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QMenu *TLogView::CreateStandardContextMenu()
{
    auto *menu = new QMenu(this);
    const auto add = [&](const char *text, const char *name, QKeySequence::StandardKey key, bool enabled,
                         void (TLogView::*slot)()) {
        QAction *action = menu->addAction(Translated(text) + (key ? ShortcutHint(key) : QString()), this, slot);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
    };
    add("&Undo", "edit-undo", QKeySequence::Undo, IsUndoAvailable(), &TLogView::undo);
    add("&Redo", "edit-redo", QKeySequence::Redo, IsRedoAvailable(), &TLogView::redo);
    menu->addSeparator();
    add("Cu&t", "edit-cut", QKeySequence::Cut, HasSelection(), &TLogView::cut);
    add("&Copy", "edit-copy", QKeySequence::Copy, HasSelection(), &TLogView::copy);
    add("&Paste", "edit-paste", QKeySequence::Paste, !ClipboardApi::ClipboardPasteText().value_or(QString()).isEmpty(),
        &TLogView::paste);
    add("Delete", "edit-delete", QKeySequence::UnknownKey, HasSelection(), &TLogView::DeleteSelection);
    menu->addSeparator();
    add("Select All", "select-all", QKeySequence::SelectAll, !FStore.IsEmpty(), &TLogView::selectAll);
    return menu;
}

// ---------------------------------------------------------------- input methods

void TLogView::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty())
        InsertText(event->commitString());
    event->accept();
}

QVariant TLogView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return QRect(CharacterRect(FCursor).topLeft(), QSize(1, FRowHeight)).translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return int(FCursor.Column);
    case Qt::ImAnchorPosition:
        return int(FAnchor.Line == FCursor.Line ? FAnchor.Column : FCursor.Column);
    case Qt::ImSurroundingText:
        return LineText(FCursor.Line);
    case Qt::ImCurrentSelection:
        return SelectedText();
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}
