// The log as the operator meets it in the main window: what the gateway
// said, readable whole, and what the operator types, kept and undoable.

#include "app/GatewayProtocol.h"
#include "app/MainUnit.h"
#include "support/Ansi.h"
#include "support/Screenshot.h"
#include "support/frmMainProbe.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// The operator types text on the keyboard, one key per character.
void Type(QWidget *widget, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

// How far down a widget's picture there are pixels other than the
// background's: from the first such pixel row to the last.
int InkedHeight(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    const QRgb background = widget->palette().color(widget->backgroundRole()).rgb();
    int first = -1, last = -2;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return last - first + 1;
}

class MainWindowLog : public testing::Test {
protected:
    void SetUp() override
    {
        probe.Timer1()->stop();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        probe.Memo1()->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return probe.Memo1()->hasFocus(); }, 10000));
    }

    QWidget *Viewport() const { return probe.Memo1()->viewport(); }

    TfrmMain window;
    const TfrmMainProbe probe{window};
};
} // namespace

// A datagram's hex line is three characters a byte: the line of a 100-byte
// datagram is far wider than the log and wraps into rows below, with no
// horizontal scroll bar.
TEST_F(MainWindowLog, TheHexLineOfALongDatagramWrapsAtTheLogsWidth)
{
    QByteArray datagram(100, '\0');
    for (int i = 0; i < datagram.size(); ++i)
        datagram[i] = char(i);
    window.LogAppend(HexLine(datagram));
    QApplication::processEvents();
    ASSERT_TRUE(QTest::qWaitFor([&] { return probe.Memo1()->updatesEnabled(); }, 10000));
    const int rowHeight = probe.Memo1()->fontMetrics().lineSpacing();
    // 300 characters of about six pixels each in a log 521 pixels wide:
    // at least four rows of text.
    EXPECT_GT(InkedHeight(Viewport()), 3 * rowHeight);
    EXPECT_FALSE(probe.Memo1()->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(probe.Memo1()->verticalScrollBar()->isVisible());
    KeepScreenshot(window.grab().toImage(), "log-long-hex-line.png");
}

// What the operator types is kept as the program keeps every text (cp1251,
// a character it lacks becoming '?'), and can be taken back, while the lines
// the program appends meanwhile stay.
TEST_F(MainWindowLog, TypingIsKeptInCp1251AndUndoTakesBackOnlyTheTyping)
{
    window.LogAppend("47 52 ");
    QTest::keyClick(probe.Memo1(), Qt::Key_End, Qt::ControlModifier);
    Type(probe.Memo1(), QStringLiteral("Пуск ü"));
    EXPECT_EQ(probe.Memo1()->toPlainText(), QStringLiteral("47 52 Пуск ?"));
    window.LogAppend(A("Несовпадение MAC-адреса"));
    EXPECT_EQ(probe.Memo1()->toPlainText(), QStringLiteral("47 52 Пуск ?\nНесовпадение MAC-адреса"));
    QTest::keyClick(probe.Memo1(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(probe.Memo1()->toPlainText(), QStringLiteral("47 52 \nНесовпадение MAC-адреса"));
}

// A selection made with the keyboard across lines is copied with its line
// breaks, and a cut takes it out of the log.
TEST_F(MainWindowLog, ASelectionAcrossLinesIsCopiedAndCut)
{
    window.LogAppend("first");
    window.LogAppend("second");
    window.LogAppend("third");
    QTest::keyClick(probe.Memo1(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(probe.Memo1(), Qt::Key_Right);
    QTest::keyClick(probe.Memo1(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(probe.Memo1(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(probe.Memo1(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("irst\nsecond\nt"));
    QTest::keyClick(probe.Memo1(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(probe.Memo1()->toPlainText(), QStringLiteral("fhird"));
}
