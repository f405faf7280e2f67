#include "widgets/LogViewAccessible.h"

#include "widgets/LogView.h"

#include <QTextBoundaryFinder>

#include <algorithm>

TLogViewAccessible::TLogViewAccessible(TLogView *view) : QAccessibleWidget(view, QAccessible::EditableText) {}

TLogView *TLogViewAccessible::View() const
{
    return static_cast<TLogView *>(widget());
}

void *TLogViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TLogViewAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    state.focusable = true;
    return state;
}

QString TLogViewAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return View()->toPlainText();
    return QAccessibleWidget::text(type);
}

void TLogViewAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    const TLogView *view = View();
    if (selectionIndex != 0 || !view->HasSelection())
        return;
    *startOffset = int(view->Store().OffsetOf(std::min(view->AnchorPosition(), view->CursorPosition())));
    *endOffset = int(view->Store().OffsetOf(std::max(view->AnchorPosition(), view->CursorPosition())));
}

int TLogViewAccessible::selectionCount() const
{
    return View()->HasSelection() ? 1 : 0;
}

void TLogViewAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TLogViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        View()->SetCursorPosition(View()->CursorPosition());
}

void TLogViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    TLogView *view = View();
    view->SetCursorPosition(view->Store().PositionAt(startOffset));
    view->SetCursorPosition(view->Store().PositionAt(endOffset), true);
}

int TLogViewAccessible::cursorPosition() const
{
    return int(View()->Store().OffsetOf(View()->CursorPosition()));
}

void TLogViewAccessible::setCursorPosition(int position)
{
    View()->SetCursorPosition(View()->Store().PositionAt(position));
}

QString TLogViewAccessible::text(int startOffset, int endOffset) const
{
    const TLogStore &store = View()->Store();
    if (startOffset > endOffset)
        return {};
    return LogString(store.Text(store.PositionAt(startOffset), store.PositionAt(endOffset)));
}

std::pair<int, int> TLogViewAccessible::Unit(int offset, QAccessible::TextBoundaryType type) const
{
    const TLogStore &store = View()->Store();
    const int count = int(store.CharacterCount());
    offset = std::clamp(offset, 0, count);
    if (type == QAccessible::NoBoundary)
        return {0, count};
    if (offset == count)
        return {count, count};
    const TLogPosition at = store.PositionAt(offset);
    const int lineStart = offset - int(at.Column);
    const int length = int(store.LineLength(at.Line));
    // A line's piece takes its line break with it.
    const int lineEnd = lineStart + length + (at.Line + 1 < store.LineCount() ? 1 : 0);
    switch (type) {
    case QAccessible::CharBoundary:
        return {offset, offset + 1};
    case QAccessible::ParagraphBoundary:
        return {lineStart, lineEnd};
    case QAccessible::LineBoundary: {
        const auto [start, end] = View()->RowSpan(at);
        return {lineStart + int(start), end >= length ? lineEnd : lineStart + int(end)};
    }
    case QAccessible::WordBoundary:
    case QAccessible::SentenceBoundary: {
        if (at.Column == length)
            return {offset, offset + 1};
        QTextBoundaryFinder finder(type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                                     : QTextBoundaryFinder::Sentence,
                                   View()->LineText(at.Line));
        finder.setPosition(int(at.Column));
        const qsizetype start = finder.isAtBoundary() ? at.Column : finder.toPreviousBoundary();
        finder.setPosition(int(at.Column));
        const qsizetype end = finder.toNextBoundary();
        return {lineStart + int(std::max<qsizetype>(start, 0)), lineStart + int(end < 0 ? length : end)};
    }
    case QAccessible::NoBoundary:
        break;
    }
    return {0, count};
}

QString TLogViewAccessible::Piece(std::pair<int, int> piece, int *startOffset, int *endOffset) const
{
    if (piece.first >= piece.second) {
        *startOffset = *endOffset = -1;
        return {};
    }
    *startOffset = piece.first;
    *endOffset = piece.second;
    return text(piece.first, piece.second);
}

QString TLogViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                                         int *endOffset) const
{
    return Piece(Unit(offset, boundaryType), startOffset, endOffset);
}

QString TLogViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const
{
    if (boundaryType == QAccessible::NoBoundary)
        return Piece({0, std::clamp(offset, 0, characterCount())}, startOffset, endOffset);
    const int start = Unit(offset, boundaryType).first;
    return Piece(start > 0 ? Unit(start - 1, boundaryType) : std::pair{0, 0}, startOffset, endOffset);
}

QString TLogViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                                            int *endOffset) const
{
    if (boundaryType == QAccessible::NoBoundary)
        return Piece({std::clamp(offset, 0, characterCount()), characterCount()}, startOffset, endOffset);
    return Piece(Unit(Unit(offset, boundaryType).second, boundaryType), startOffset, endOffset);
}

int TLogViewAccessible::characterCount() const
{
    return int(View()->Store().CharacterCount());
}

QRect TLogViewAccessible::characterRect(int offset) const
{
    const QRect rect = View()->CharacterRect(View()->Store().PositionAt(offset));
    if (rect.isEmpty())
        return {};
    return QRect(View()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int TLogViewAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = View()->viewport()->mapFromGlobal(point);
    if (!View()->viewport()->rect().contains(local))
        return -1;
    return int(View()->Store().OffsetOf(View()->PositionAt(local)));
}

void TLogViewAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    View()->EnsureVisible(View()->Store().PositionAt(endIndex));
    View()->EnsureVisible(View()->Store().PositionAt(startIndex));
}

QString TLogViewAccessible::attributes(int, int *startOffset, int *endOffset) const
{
    // One font and one colour for the whole text.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void TLogViewAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, {});
}

void TLogViewAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void TLogViewAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    const TLogStore &store = View()->Store();
    View()->ReplaceText(store.PositionAt(startOffset), store.PositionAt(endOffset), text);
}

namespace {
QAccessibleInterface *LogViewInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("TLogView"))
        if (auto *view = qobject_cast<TLogView *>(object))
            return new TLogViewAccessible(view);
    return nullptr;
}
} // namespace

void InstallLogViewAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&LogViewInterface);
        return true;
    }();
    (void)installed;
}
