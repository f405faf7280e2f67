// The log widget: its line store against a plain text kept beside it, the
// rows it wraps into at several widths, the view following the end, and
// the operator's edits with keys, mouse, clipboard, menu and screen reader.

#include "support/Ansi.h"
#include "support/QStringPrinter.h"
#include "widgets/LogStore.h"
#include "widgets/LogView.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QMenu>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace {
QByteArray HexLineOf(int bytes, int first = 0)
{
    QByteArray line;
    for (int i = 0; i < bytes; ++i)
        line += QByteArray::number((first + i) & 0xFF, 16).rightJustified(2, '0').toUpper() + ' ';
    return line;
}

// The store's lines as one text, the way a plain byte string keeps it.
QByteArray Joined(const std::vector<QByteArray> &lines)
{
    QByteArray text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    return text;
}

TEST(LogStore, AppendedLinesReadBackExactlyAcrossChunks)
{
    TLogStore store;
    EXPECT_TRUE(store.IsEmpty());
    EXPECT_EQ(store.LineCount(), 1);
    std::vector<QByteArray> lines{QByteArray()};
    // Lines of every length up to a few thousand bytes, every byte but the
    // line break, and one longer than a whole chunk.
    for (int i = 0; i < 20000; ++i) {
        QByteArray line(i % 97 == 0 ? (i % 7) * 700 : i % 61, '\0');
        for (qsizetype j = 0; j < line.size(); ++j)
            line[j] = char((i + j) % 255 == '\n' ? 0xFF : (i + j) % 255);
        if (i == 12345)
            line = QByteArray(100000, 'x');
        store.AppendLine(line);
        lines.push_back(line);
    }
    ASSERT_EQ(store.LineCount(), qsizetype(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i)
        ASSERT_EQ(store.Line(qsizetype(i)), lines[i]) << "line " << i;
    const QByteArray text = Joined(lines);
    EXPECT_EQ(store.Text(), text);
    EXPECT_EQ(store.CharacterCount(), text.size());
    // Offsets count one per byte and one per line break, both ways.
    for (qsizetype offset : {qsizetype(0), qsizetype(1), qsizetype(4095), qsizetype(65536), text.size() / 2,
                             text.size() - 1, text.size()}) {
        const TLogPosition position = store.PositionAt(offset);
        EXPECT_EQ(store.OffsetOf(position), offset);
        const qsizetype lineStart = offset == 0 ? 0 : text.lastIndexOf('\n', offset - 1) + 1;
        EXPECT_EQ(position.Column, offset - lineStart) << offset;
        EXPECT_EQ(position.Line, text.first(offset).count('\n')) << offset;
    }
}

// Random edits, small and large, inside chunks and across them, checked
// against the same edits on a plain byte string.
TEST(LogStore, EditsAnywhereMatchThePlainText)
{
    TLogStore store;
    QByteArray text;
    for (int i = 0; i < 30000; ++i) {
        const QByteArray line = HexLineOf(i % 20, i);
        store.AppendLine(line);
        text += (i ? "\n" : "") + line;
    }
    store.Replace({}, {0, 0}, {}); // the first line was the empty one
    text = store.Text();
    QRandomGenerator random(1251);
    for (int edit = 0; edit < 3000; ++edit) {
        qsizetype from = random.bounded(text.size() + 1);
        qsizetype length = edit % 50 == 0 ? random.bounded(std::min<qsizetype>(200000, text.size() - from) + 1)
                                          : random.bounded(std::min<qsizetype>(40, text.size() - from) + 1);
        QByteArray inserted;
        switch (edit % 4) {
        case 0: inserted = "x"; break;
        case 1: inserted = "\n"; break;
        case 2: inserted = HexLineOf(edit % 9) + "\n" + HexLineOf(3) + "\n"; break;
        case 3: break;
        }
        const TLogPosition end = store.Replace(store.PositionAt(from), store.PositionAt(from + length), inserted);
        text.replace(from, length, inserted);
        ASSERT_EQ(store.OffsetOf(end), from + inserted.size()) << "edit " << edit;
        ASSERT_EQ(store.CharacterCount(), text.size()) << "edit " << edit;
        if (edit % 100 == 0) {
            ASSERT_EQ(store.Text(), text) << "edit " << edit;
        }
        // Lines appended after edits go after the last, as the program adds them.
        if (edit % 10 == 0) {
            store.AppendLine("appended");
            text += "\nappended";
        }
    }
    EXPECT_EQ(store.Text(), text);
    EXPECT_EQ(store.LineCount(), text.count('\n') + 1);
    // Everything taken out leaves the empty log.
    store.Replace({}, store.End(), {});
    EXPECT_TRUE(store.IsEmpty());
}

TEST(LogStore, EveryCp1251CharacterShowsAsTheCodePageHasIt)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (b != '\n')
            all += char(b);
    EXPECT_EQ(LogString(all), FromAnsi(all));
    EXPECT_EQ(LogString("\xCF\xF3\xF1\xEA"), QStringLiteral("Пуск"));
    EXPECT_EQ(LogBytes(QStringLiteral("Пуск\r\nü€\rend")), A("Пуск\n?€\nend"));
    // Every byte back; one '?' for each character lacking, a surrogate pair or half.
    EXPECT_EQ(ToAnsi(FromAnsi(all)), all);
    EXPECT_EQ(LogBytes(QStringLiteral("日→ a😀b") + QChar(0xD83D)), "?? a?b?");
}

// A soft hyphen that ends a row is drawn as a hyphen: the row fits with it.
TEST(LogWrap, ARowEndingInASoftHyphenFitsWithTheHyphen)
{
    // The log's own font: without kerning, as the view lays its rows out.
    QFont font;
    font.setKerning(false);
    TLogWrap wrap;
    wrap.SetFont(font, nullptr);
    const QByteArray line = A("Ус\u00adта\u00adнов\u00adка ") + QByteArray("W\xAD").repeated(40);
    for (int width = 20; width <= 200; ++width) {
        wrap.SetWidth(width);
        for (qsizetype start = 0, end = 0; start < line.size(); start = end) {
            end = wrap.RowEnd(line, start);
            QTextLayout row(LogString(line.sliced(start, end - start).trimmed()), font);
            row.beginLayout();
            row.createLine();
            row.endLayout();
            // A system whose fonts put glyphs on whole pixels may add up to
            // one; the log's margin takes it.
            EXPECT_LE(row.lineAt(0).naturalTextWidth(), width + 1.01) << width;
        }
    }
}

class LogViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        view.resize(300, 200);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.activateWindow();
        view.setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.hasFocus(); }, 10000));
    }

    QWidget *Viewport() const { return view.viewport(); }
    int RowHeight() const { return QFontMetrics(view.font()).lineSpacing(); }

    // The column each row of a line starts at.
    std::vector<qsizetype> RowStarts(qsizetype line) const
    {
        std::vector<qsizetype> starts{0};
        const qsizetype length = view.Store().LineLength(line);
        for (qsizetype end = view.RowSpan({line, 0}).second; end < length; end = view.RowSpan({line, end}).second)
            starts.push_back(end);
        return starts;
    }

    // The middle of a character on the screen.
    QPoint PointOf(TLogPosition position) const
    {
        const QRect rect = view.CharacterRect(position);
        EXPECT_FALSE(rect.isEmpty()) << position.Line << ":" << position.Column << " is not in sight";
        return QPoint(rect.left() + 1, rect.center().y());
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&view, key, modifiers);
    }

    void Type(const QString &text)
    {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, &view, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
    }

    void Fill(int lines, const QByteArray &prefix = "line ")
    {
        for (int i = 0; i < lines; ++i)
            view.AppendLine(prefix + QByteArray::number(i));
    }

    TLogView view;
};
} // namespace

// At each width every row fits, breaks after a space (a hex line's bytes are
// never cut), and the rows put together are the line.
TEST_F(LogViewTest, LongLinesWrapAtTheWidthOfTheView)
{
    const QByteArray line = HexLineOf(100);
    view.AppendLine(line);
    const QFontMetricsF metrics(view.font());
    qsizetype rowsBefore = 0;
    for (int width : {1000, 521, 300, 120}) {
        view.resize(width, 200);
        const qreal room = Viewport()->width();
        const std::vector<qsizetype> starts = RowStarts(0);
        SCOPED_TRACE(width);
        EXPECT_GT(qsizetype(starts.size()), rowsBefore);
        rowsBefore = qsizetype(starts.size());
        QByteArray joined;
        for (size_t r = 0; r < starts.size(); ++r) {
            const qsizetype end = r + 1 < starts.size() ? starts[r + 1] : line.size();
            const QByteArray row = line.sliced(starts[r], end - starts[r]);
            EXPECT_EQ(starts[r] % 3, 0) << "row " << r;
            EXPECT_LE(metrics.horizontalAdvance(QString::fromLatin1(row.trimmed())), room) << "row " << r;
            joined += row;
        }
        EXPECT_EQ(joined, line);
        // Every character of the line is on the screen, inside the view.
        view.EnsureVisible({0, 0});
        for (qsizetype c = 0; c < line.size(); ++c) {
            const QRect rect = view.CharacterRect({0, c});
            if (rect.isEmpty())
                continue; // below the view at this width
            EXPECT_GE(rect.left(), 0) << c;
            EXPECT_LE(rect.left(), Viewport()->width()) << c;
        }
    }
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
}

// A word wider than the view breaks where it must; an empty line is a row.
TEST_F(LogViewTest, AWordWiderThanTheViewBreaksInside)
{
    view.resize(120, 200);
    view.AppendLine(QByteArray(200, 'W'));
    view.AppendLine("");
    const std::vector<qsizetype> starts = RowStarts(0);
    ASSERT_GT(starts.size(), 2u);
    EXPECT_EQ(RowStarts(1), std::vector<qsizetype>{0});
    EXPECT_EQ(view.toPlainText(), QString(200, u'W') + u'\n');
}

TEST_F(LogViewTest, TheViewFollowsTheEndOnlyWhileItShowsIt)
{
    Fill(100);
    EXPECT_TRUE(view.IsAtEnd());
    QScrollBar *bar = view.verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    // Wrapped lines at the end: the last row is in sight, above the bottom.
    view.AppendLine(HexLineOf(60));
    view.AppendLine(HexLineOf(60, 60));
    EXPECT_TRUE(view.IsAtEnd());
    const QRect last = view.CharacterRect(view.Store().End());
    ASSERT_FALSE(last.isEmpty());
    EXPECT_LE(last.bottom(), Viewport()->height());
    EXPECT_TRUE(view.CharacterRect({0, 0}).isEmpty());

    // Scrolled back, the view stays where the operator left it.
    bar->setValue(10);
    EXPECT_FALSE(view.IsAtEnd());
    const int maximum = bar->maximum();
    const TLogPosition top = view.PositionAt(QPoint(5, 5));
    view.AppendLine("while scrolled back");
    EXPECT_EQ(bar->value(), 10);
    // The maximum is the top line of the last page. The rows of the wrapped
    // lines before may still fill the page after one more line (how many
    // rows they wrap into depends on the font): a page of one-row lines
    // puts the last page's top line among them.
    for (int i = 1; i < bar->pageStep(); ++i)
        view.AppendLine("while scrolled back");
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(bar->maximum(), view.LineCount() - bar->pageStep());
    EXPECT_GT(bar->maximum(), maximum);
    EXPECT_EQ(view.PositionAt(QPoint(5, 5)), top);
    EXPECT_EQ(view.LineText(view.LineCount() - 1), QStringLiteral("while scrolled back"));

    // Back at the end, it follows again.
    bar->setValue(bar->maximum());
    EXPECT_TRUE(view.IsAtEnd());
    view.AppendLine("at the end");
    EXPECT_TRUE(view.IsAtEnd());
    EXPECT_FALSE(view.CharacterRect(view.Store().End()).isEmpty());

    // The operator types into a line in sight until it wraps: the end has
    // moved down a row, and the view still follows it.
    view.AppendLine("short 1");
    view.AppendLine("short 2");
    view.SetCursorPosition({view.LineCount() - 2, 7});
    const qsizetype rows = RowStarts(view.LineCount() - 2).size();
    while (qsizetype(RowStarts(view.LineCount() - 2).size()) == rows)
        Type(QStringLiteral(" typed"));
    EXPECT_TRUE(view.IsAtEnd());
    view.AppendLine("after the typing");
    EXPECT_TRUE(view.IsAtEnd());
    EXPECT_FALSE(view.CharacterRect(view.Store().End()).isEmpty());
}

// A resize wraps anew what is in sight: the end stays in sight when it was,
// and otherwise the first character at the top stays at the top.
TEST_F(LogViewTest, AResizeRewrapsWhatIsInSight)
{
    for (int i = 0; i < 300; ++i)
        view.AppendLine(HexLineOf(50, i));
    view.resize(150, 200);
    EXPECT_TRUE(view.IsAtEnd());
    EXPECT_FALSE(view.CharacterRect(view.Store().End()).isEmpty());
    view.resize(600, 300);
    EXPECT_TRUE(view.IsAtEnd());
    EXPECT_FALSE(view.CharacterRect(view.Store().End()).isEmpty());

    view.verticalScrollBar()->setValue(100);
    EXPECT_EQ(view.PositionAt(QPoint(3, 3)), (TLogPosition{100, 0}));
    // One notch of the wheel: three rows down, into a line's second row.
    QWheelEvent wheel(QPointF(10, 10), Viewport()->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &wheel);
    TLogPosition top = view.PositionAt(QPoint(3, 3));
    ASSERT_GT(top.Column, 0);
    for (int width : {200, 450, 120}) {
        view.resize(width, 300);
        // The row at the top is the one that holds what was the first
        // character at the top.
        const TLogPosition now = view.PositionAt(QPoint(3, 3));
        EXPECT_EQ(now.Line, top.Line) << width;
        EXPECT_EQ(now.Column, view.RowSpan(top).first) << width;
        top = now;
        EXPECT_FALSE(view.IsAtEnd());
    }
}

// The wheel and the page keys move the view by rows, and Shift with the
// page keys selects across pages.
TEST_F(LogViewTest, KeysSelectAcrossPagesAndTheSelectionIsCopied)
{
    Fill(500);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view.PositionAt(QPoint(3, 3)), (TLogPosition{0, 0}));
    Key(Qt::Key_Right);
    Key(Qt::Key_PageDown, Qt::ShiftModifier);
    Key(Qt::Key_PageDown, Qt::ShiftModifier);
    const TLogPosition cursor = view.CursorPosition();
    const qsizetype page = Viewport()->height() / RowHeight();
    EXPECT_GE(cursor.Line, 2 * (page - 1));
    EXPECT_FALSE(view.CharacterRect(cursor).isEmpty());
    EXPECT_TRUE(view.CharacterRect({0, 0}).isEmpty());
    QStringList expected;
    for (qsizetype line = 0; line < cursor.Line; ++line)
        expected << QStringLiteral("line %1").arg(line);
    expected << view.LineText(cursor.Line).left(cursor.Column);
    expected[0].remove(0, 1);
    EXPECT_EQ(view.SelectedText(), expected.join(u'\n'));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), expected.join(u'\n'));

    // The wheel scrolls, and the view no longer follows the end.
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(view.IsAtEnd());
    QWheelEvent wheel(QPointF(10, 10), Viewport()->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &wheel);
    EXPECT_FALSE(view.IsAtEnd());
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum() - QApplication::wheelScrollLines());
}

// Dragging the mouse from a row of a wrapped line into the next line
// selects the text between, with the line break.
TEST_F(LogViewTest, TheMouseSelectsAcrossWrappedLines)
{
    const QByteArray first = HexLineOf(60);
    view.AppendLine("before");
    view.AppendLine(first);
    view.AppendLine("after the long one");
    const std::vector<qsizetype> starts = RowStarts(1);
    ASSERT_GE(starts.size(), 3u);
    const TLogPosition from{1, starts[1] + 3}; // the second byte of the second row
    const TLogPosition to{2, 5};
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, PointOf(from));
    QTest::mouseMove(Viewport(), PointOf({2, 2}));
    QTest::mouseMove(Viewport(), PointOf(to));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, PointOf(to));
    EXPECT_EQ(view.AnchorPosition(), from);
    EXPECT_EQ(view.CursorPosition(), to);
    EXPECT_EQ(view.SelectedText(), QString::fromLatin1(first.sliced(from.Column)) + QStringLiteral("\nafter"));

    // Shift and a click extend it; a double click takes a word, a third
    // click the line.
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, PointOf({2, 10}));
    EXPECT_EQ(view.SelectedText(), QString::fromLatin1(first.sliced(from.Column)) + QStringLiteral("\nafter the "));
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, PointOf({2, 7}));
    EXPECT_EQ(view.SelectedText(), QStringLiteral("the"));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, PointOf({2, 7}));
    EXPECT_EQ(view.SelectedText(), QStringLiteral("after the long one"));
}

// Typing replaces the selection and is kept in cp1251; a run of typed keys
// or of Backspace is undone in one step; cut, paste and Delete can be undone
// and redone.
TEST_F(LogViewTest, TheOperatorsEditsAndTheirUndo)
{
    view.AppendLine("first line");
    view.AppendLine("second line");
    view.SetCursorPosition({0, 6});
    view.SetCursorPosition({0, 10}, true);
    Type(QStringLiteral("строка ü"));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first строка ?\nsecond line"));
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first строка\nsecond line"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first строка ?\nsecond line"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first line\nsecond line"));
    EXPECT_FALSE(view.IsUndoAvailable());
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first строка ?\nsecond line"));

    // Delete at the end of a line joins the next; Enter splits a line again.
    Key(Qt::Key_End);
    Key(Qt::Key_Delete);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first строка ?second line"));
    Key(Qt::Key_Return);
    Key(Qt::Key_Tab);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first строка ?\n\tsecond line"));
    EXPECT_TRUE(view.hasFocus()); // Tab was typed, the focus stayed

    // Cut a selection spanning lines, paste it back elsewhere.
    view.SetCursorPosition({0, 6});
    view.SetCursorPosition({1, 3}, true);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("строка ?\n\tse"));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first cond line"));
    Key(Qt::Key_End);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first cond lineстрока ?\n\tse"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("first строка ?\n\tsecond line"));

    // Text from the clipboard in any line-break style becomes lines.
    QApplication::clipboard()->setText(QStringLiteral("a\r\nb\rc"));
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a\nb\nc"));
    EXPECT_EQ(view.LineCount(), 3);
}

// The context menu offers what a text box offers, enabled as it applies.
TEST_F(LogViewTest, TheContextMenuOffersTheTextBoxActions)
{
    view.AppendLine("menu line");
    QApplication::clipboard()->clear();
    std::unique_ptr<QMenu> menu(view.CreateStandardContextMenu());
    QStringList names;
    for (QAction *action : menu->actions())
        if (!action->isSeparator())
            names << action->objectName() + (action->isEnabled() ? "+" : "-");
    EXPECT_EQ(names, (QStringList{"edit-undo-", "edit-redo-", "edit-cut-", "edit-copy-", "edit-paste-",
                                  "edit-delete-", "select-all+"}));

    view.SetCursorPosition({0, 0});
    view.SetCursorPosition({0, 4}, true);
    menu.reset(view.CreateStandardContextMenu());
    menu->findChild<QAction *>(QStringLiteral("edit-copy"))->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("menu"));
    menu->findChild<QAction *>(QStringLiteral("edit-delete"))->trigger();
    EXPECT_EQ(view.toPlainText(), QStringLiteral(" line"));
    menu.reset(view.CreateStandardContextMenu());
    EXPECT_TRUE(menu->findChild<QAction *>(QStringLiteral("edit-undo"))->isEnabled());
    EXPECT_TRUE(menu->findChild<QAction *>(QStringLiteral("edit-paste"))->isEnabled());
    EXPECT_FALSE(menu->findChild<QAction *>(QStringLiteral("edit-cut"))->isEnabled());
    menu->findChild<QAction *>(QStringLiteral("edit-undo"))->trigger();
    EXPECT_EQ(view.toPlainText(), QStringLiteral("menu line"));
    menu->findChild<QAction *>(QStringLiteral("select-all"))->trigger();
    EXPECT_EQ(view.SelectedText(), QStringLiteral("menu line"));
}

// Lines the program appends are no edits: undo passes over them, also when
// the operator typed at the end of the last line before one came.
TEST_F(LogViewTest, AppendedLinesAreNotUndone)
{
    view.AppendLine("from the gateway");
    EXPECT_FALSE(view.IsUndoAvailable());
    Key(Qt::Key_End, Qt::ControlModifier);
    Type(QStringLiteral(" note"));
    view.AppendLine("next");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("from the gateway\nnext"));
    // Into an empty log a line becomes the first line; what emptied the log
    // is no longer undone around it.
    view.selectAll();
    Key(Qt::Key_Delete);
    view.AppendLine("again");
    EXPECT_EQ(view.toPlainText(), QStringLiteral("again"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("again"));
    // An empty line is a line, also as the first one.
    view.clear();
    view.AppendLine("");
    view.AppendLine("x");
    EXPECT_EQ(view.toPlainText(), QStringLiteral("\nx"));
}

// Screen readers read the log and its selection, and edit it, through the
// text interfaces, in the offsets of the text with its line breaks.
TEST_F(LogViewTest, ScreenReadersReadAndEditTheText)
{
    view.AppendLine(A("Несовпадение MAC-адреса"));
    view.AppendLine(HexLineOf(40));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::EditableText);
    EXPECT_TRUE(accessible->state().multiLine);
    EXPECT_TRUE(accessible->state().editable);
    QAccessibleTextInterface *text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    const QString plain = view.toPlainText();
    EXPECT_EQ(text->characterCount(), plain.size());
    EXPECT_EQ(text->text(0, text->characterCount()), plain);
    EXPECT_EQ(accessible->text(QAccessible::Value), plain);

    int start = 0, end = 0;
    EXPECT_EQ(text->textAtOffset(3, QAccessible::WordBoundary, &start, &end), QStringLiteral("Несовпадение"));
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 12);
    EXPECT_EQ(text->textAtOffset(3, QAccessible::ParagraphBoundary, &start, &end),
              QStringLiteral("Несовпадение MAC-адреса\n"));
    EXPECT_EQ(text->textAfterOffset(3, QAccessible::ParagraphBoundary, &start, &end),
              QString::fromLatin1(HexLineOf(40)));
    EXPECT_EQ(text->textBeforeOffset(31, QAccessible::CharBoundary, &start, &end), QStringLiteral("0"));
    // A line's rows are the screen reader's lines.
    const std::vector<qsizetype> rows = RowStarts(1);
    ASSERT_GE(rows.size(), 2u);
    const int second = int(plain.indexOf(u'\n')) + 1;
    EXPECT_EQ(text->textAtOffset(second + 1, QAccessible::LineBoundary, &start, &end),
              QString::fromLatin1(HexLineOf(40).first(rows[1])));

    text->setSelection(0, 13, 16);
    EXPECT_EQ(view.SelectedText(), QStringLiteral("MAC"));
    EXPECT_EQ(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(13, 16));
    EXPECT_EQ(text->cursorPosition(), 16);

    const QRect rect = text->characterRect(13);
    ASSERT_FALSE(rect.isEmpty());
    EXPECT_EQ(text->offsetAtPoint(rect.center()), 13);

    QAccessibleEditableTextInterface *editable = accessible->editableTextInterface();
    ASSERT_NE(editable, nullptr);
    editable->replaceText(13, 16, QStringLiteral("IP"));
    EXPECT_EQ(view.LineText(0), QStringLiteral("Несовпадение IP-адреса"));
    view.undo();
    EXPECT_EQ(view.LineText(0), QStringLiteral("Несовпадение MAC-адреса"));
}
