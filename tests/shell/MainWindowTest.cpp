#include "framework/ErrorDisplay.h"
#include "shell/MainUnit.h"
#include "support/Ansi.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(MainWindow, FreshWindowShowsTheDesignedValues)
{
    TfrmMain window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Конфигуратор щита V3721"));
    EXPECT_EQ(window.leKVIP->text(), QString());
    EXPECT_EQ(window.leTMSName->text(), QStringLiteral("TMS"));
    EXPECT_TRUE(window.cbPLDKv2->isChecked());
    EXPECT_EQ(window.leKVIP->EditLabel()->text(), QStringLiteral("IP адрес Ворсан KV-IP"));
    EXPECT_EQ(window.leTMSName->EditLabel()->text(), QStringLiteral("Имя сервера ТМ"));
    EXPECT_EQ(window.Button1->text(), QStringLiteral("Пуск"));
    EXPECT_EQ(window.cbPLDKv2->text(), QStringLiteral("Блок индикаторов [v2]"));
    EXPECT_EQ(window.Timer1->interval(), 3000);
    EXPECT_TRUE(window.Timer1->isActive());
    EXPECT_TRUE(window.Host.isEmpty());
    EXPECT_EQ(window.GatewayMac, (std::array<uint8_t, 6>{}));
    // The stored settings are named after these published properties.
    EXPECT_EQ(window.leKVIP->property("Text").toString(), QString());
    EXPECT_EQ(window.leTMSName->property("Text").toString(), QStringLiteral("TMS"));
    EXPECT_EQ(window.cbPLDKv2->property("Checked").toBool(), true);
}

TEST(MainWindow, ComponentsSitWhereDesigned)
{
    TfrmMain window;
    EXPECT_EQ(window.size(), QSize(533, 428));
    EXPECT_EQ(window.pos(), QPoint(301, 177));
    EXPECT_EQ(window.leKVIP->geometry(), QRect(8, 24, 153, 21));
    EXPECT_EQ(window.leTMSName->geometry(), QRect(168, 24, 145, 21));
    EXPECT_EQ(window.Button1->geometry(), QRect(321, 22, 75, 25));
    EXPECT_EQ(window.cbPLDKv2->geometry(), QRect(8, 48, 153, 17));
    EXPECT_EQ(window.Memo1->geometry(), QRect(8, 72, 521, 353));
    // Labels stand 3 pixels above their edits.
    for (TLabeledEdit *edit : {window.leKVIP, window.leTMSName}) {
        EXPECT_EQ(edit->EditLabel()->geometry().bottom() + 1 + 3, edit->y());
        EXPECT_EQ(edit->EditLabel()->x(), edit->x());
    }
}

TEST(MainWindow, TabOrderFollowsTheDesign)
{
    TfrmMain window;
    window.show();
    QList<QWidget *> order;
    QWidget *w = window.leKVIP;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
        w = w->nextInFocusChain();
    } while (w != window.leKVIP && order.size() < 20);
    ASSERT_GE(order.size(), 5);
    EXPECT_EQ(order.indexOf(window.leKVIP), 0);
    EXPECT_LT(order.indexOf(window.leTMSName), order.indexOf(window.Button1));
    EXPECT_LT(order.indexOf(window.Button1), order.indexOf(window.Memo1));
    EXPECT_LT(order.indexOf(window.Memo1), order.indexOf(window.cbPLDKv2));
}

TEST(MainWindow, ResizingMovesOnlyTheLog)
{
    TfrmMain window;
    window.show();
    const QRect kvip = window.leKVIP->geometry();
    const QRect button = window.Button1->geometry();
    const QRect check = window.cbPLDKv2->geometry();
    window.resize(800, 600);
    EXPECT_EQ(window.Memo1->geometry(), QRect(8, 72, 521 + 267, 353 + 172));
    window.resize(300, 200);
    EXPECT_EQ(window.Memo1->geometry(), QRect(8, 72, 521 - 233, 353 - 228));
    EXPECT_EQ(window.leKVIP->geometry(), kvip);
    EXPECT_EQ(window.Button1->geometry(), button);
    EXPECT_EQ(window.cbPLDKv2->geometry(), check);
}

TEST(MainWindow, LogAppendsLinesInCp1251)
{
    TfrmMain window;
    window.LogAppend("47 52 ");
    window.LogAppend(A("Несовпадение MAC-адреса"));
    EXPECT_EQ(window.Memo1->toPlainText(), QStringLiteral("47 52 \nНесовпадение MAC-адреса"));
    EXPECT_FALSE(window.Memo1->IsUndoAvailable()); // the program's lines are not the operator's edits
}

// The log keeps what the operator typed or deleted, follows its end while it
// is scrolled to the end, and stays put when the operator scrolled back.
TEST(MainWindow, LogAppendFollowsTheEndOnlyWhenTheOperatorIsThere)
{
    TfrmMain window;
    window.show();
    window.Memo1->setPlainText(QStringLiteral("typed by hand"));
    window.LogAppend("first");
    EXPECT_EQ(window.Memo1->toPlainText(), QStringLiteral("typed by hand\nfirst"));
    window.Memo1->clear();
    window.LogAppend("again");
    EXPECT_EQ(window.Memo1->toPlainText(), QStringLiteral("again")); // no empty line before it

    QScrollBar *bar = window.Memo1->verticalScrollBar();
    for (int i = 0; i < 200; ++i)
        window.LogAppend(QByteArray::number(i));
    QCoreApplication::processEvents();
    ASSERT_GT(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(window.Memo1->LineText(window.Memo1->PositionAt(QPoint(2, window.Memo1->viewport()->height() - 4)).Line),
              QStringLiteral("199"));

    bar->setValue(10);
    const int maximum = bar->maximum();
    window.LogAppend("while scrolled back");
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(bar->maximum(), maximum + 1);
    EXPECT_EQ(window.Memo1->LineText(window.Memo1->LineCount() - 1), QStringLiteral("while scrolled back"));
    EXPECT_EQ(window.Memo1->LineCount(), 202);
}

namespace {
// Counts the events of one type a widget receives.
class TEventCounter : public QObject {
public:
    TEventCounter(QObject *watched, QEvent::Type type, int &count) : FType(type), FCount(count)
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == FType)
            ++FCount;
        return false;
    }

private:
    QEvent::Type FType;
    int &FCount;
};
} // namespace

// A burst of lines, one per turn of the event loop as datagrams come, is
// painted a few times rather than once a line, and the last line is shown
// soon after the burst.
TEST(MainWindow, LogRepaintsABurstAFewTimesAndShowsItsEnd)
{
    TfrmMain window;
    window.Timer1->stop();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int paints = 0;
    TEventCounter counter(window.Memo1->viewport(), QEvent::Paint, paints);
    // Paints still due from showing the window are not the burst's.
    QCoreApplication::processEvents();
    paints = 0;
    for (int i = 0; i < 200; ++i) {
        window.LogAppend("23 00 02 00 00 37 21 01 43 00 00 01 2A 05 " + QByteArray::number(i));
        QCoreApplication::processEvents();
    }
    EXPECT_LT(paints, 40);
    const int paintsDuringBurst = paints;
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints > paintsDuringBurst; }, 10000));
    EXPECT_TRUE(window.Memo1->updatesEnabled());
    EXPECT_EQ(window.Memo1->LineText(window.Memo1->LineCount() - 1).right(4), QStringLiteral(" 199"));
}

TEST(ErrorDisplay, TitleAndFullStopRules)
{
    EXPECT_EQ(TitleFromFileName(QStringLiteral("/opt/x/V3721CONF.EXE")), QStringLiteral("V3721conf"));
    EXPECT_EQ(TitleFromFileName(QStringLiteral("/usr/bin/v3721conf")), QStringLiteral("v3721conf"));
    EXPECT_EQ(TitleFromFileName(QStringLiteral("a.b.c")), QStringLiteral("a"));
    EXPECT_EQ(WithFullStop("Failed"), "Failed.");
    EXPECT_EQ(WithFullStop("Done."), "Done.");
    EXPECT_EQ(WithFullStop("Socket Error # 7\r\n"), "Socket Error # 7\r\n");
    EXPECT_EQ(WithFullStop("Operation would block. "), "Operation would block. ");
    EXPECT_EQ(WithFullStop("(5)"), "(5)");  // ')' sorts before '.'
    EXPECT_EQ(WithFullStop("x/"), "x/.");   // '/' sorts after '.'
    EXPECT_EQ(WithFullStop(""), "");
}
