#include "framework/ErrorDisplay.h"
#include "app/MainUnit.h"
#include "support/Ansi.h"
#include "support/frmMainProbe.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// The form's controls and the state its handlers share are its own: no
// public member or base class hands them out.
template <class Form>
concept ExposesItsState = requires(Form &form) { form.Memo1; } || requires(Form &form) { form.leKVIP; }
                          || requires(Form &form) { form.Host; } || requires(Form &form) { form.GatewayMac; }
                          || requires(Form &form) { form.ObjectText; } || requires(Form &form) { form.IdUDPServer1; };
static_assert(!ExposesItsState<TfrmMain>);

TEST(MainWindow, FreshWindowShowsTheDesignedValues)
{
    TfrmMain window;
    const TfrmMainProbe probe(window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Конфигуратор щита V3721"));
    EXPECT_EQ(probe.leKVIP()->text(), QString());
    EXPECT_EQ(probe.leTMSName()->text(), QStringLiteral("TMS"));
    EXPECT_TRUE(probe.cbPLDKv2()->isChecked());
    EXPECT_EQ(probe.leKVIP()->EditLabel()->text(), QStringLiteral("IP адрес Ворсан KV-IP"));
    EXPECT_EQ(probe.leTMSName()->EditLabel()->text(), QStringLiteral("Имя сервера ТМ"));
    EXPECT_EQ(probe.Button1()->text(), QStringLiteral("Пуск"));
    EXPECT_EQ(probe.cbPLDKv2()->text(), QStringLiteral("Блок индикаторов [v2]"));
    EXPECT_EQ(probe.Timer1()->interval(), 3000);
    EXPECT_TRUE(probe.Timer1()->isActive());
    EXPECT_TRUE(probe.Link().Host.isEmpty());
    EXPECT_EQ(probe.Link().GatewayMac, (std::array<uint8_t, 6>{}));
    // The stored settings are named after these published properties.
    EXPECT_EQ(probe.leKVIP()->property("Text").toString(), QString());
    EXPECT_EQ(probe.leTMSName()->property("Text").toString(), QStringLiteral("TMS"));
    EXPECT_EQ(probe.cbPLDKv2()->property("Checked").toBool(), true);
}

TEST(MainWindow, ComponentsSitWhereDesigned)
{
    TfrmMain window;
    const TfrmMainProbe probe(window);
    EXPECT_EQ(window.size(), QSize(533, 428));
    EXPECT_EQ(window.pos(), QPoint(301, 177));
    EXPECT_EQ(probe.leKVIP()->geometry(), QRect(8, 24, 153, 21));
    EXPECT_EQ(probe.leTMSName()->geometry(), QRect(168, 24, 145, 21));
    EXPECT_EQ(probe.Button1()->geometry(), QRect(321, 22, 75, 25));
    EXPECT_EQ(probe.cbPLDKv2()->geometry(), QRect(8, 48, 153, 17));
    EXPECT_EQ(probe.Memo1()->geometry(), QRect(8, 72, 521, 353));
    // Labels stand 3 pixels above their edits.
    for (TLabeledEdit *edit : {probe.leKVIP(), probe.leTMSName()}) {
        EXPECT_EQ(edit->EditLabel()->geometry().bottom() + 1 + 3, edit->y());
        EXPECT_EQ(edit->EditLabel()->x(), edit->x());
    }
}

TEST(MainWindow, TabOrderFollowsTheDesign)
{
    TfrmMain window;
    const TfrmMainProbe probe(window);
    window.show();
    QList<QWidget *> order;
    QWidget *w = probe.leKVIP();
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
        w = w->nextInFocusChain();
    } while (w != probe.leKVIP() && order.size() < 20);
    ASSERT_GE(order.size(), 5);
    EXPECT_EQ(order.indexOf(probe.leKVIP()), 0);
    EXPECT_LT(order.indexOf(probe.leTMSName()), order.indexOf(probe.Button1()));
    EXPECT_LT(order.indexOf(probe.Button1()), order.indexOf(probe.Memo1()));
    EXPECT_LT(order.indexOf(probe.Memo1()), order.indexOf(probe.cbPLDKv2()));
}

TEST(MainWindow, ResizingMovesOnlyTheLog)
{
    TfrmMain window;
    const TfrmMainProbe probe(window);
    window.show();
    const QRect kvip = probe.leKVIP()->geometry();
    const QRect button = probe.Button1()->geometry();
    const QRect check = probe.cbPLDKv2()->geometry();
    window.resize(800, 600);
    EXPECT_EQ(probe.Memo1()->geometry(), QRect(8, 72, 521 + 267, 353 + 172));
    window.resize(300, 200);
    EXPECT_EQ(probe.Memo1()->geometry(), QRect(8, 72, 521 - 233, 353 - 228));
    EXPECT_EQ(probe.leKVIP()->geometry(), kvip);
    EXPECT_EQ(probe.Button1()->geometry(), button);
    EXPECT_EQ(probe.cbPLDKv2()->geometry(), check);
}

TEST(MainWindow, LogAppendsLinesInCp1251)
{
    TfrmMain window;
    const TfrmMainProbe probe(window);
    window.LogAppend("47 52 ");
    window.LogAppend(A("Несовпадение MAC-адреса"));
    EXPECT_EQ(probe.Memo1()->toPlainText(), QStringLiteral("47 52 \nНесовпадение MAC-адреса"));
    EXPECT_FALSE(probe.Memo1()->IsUndoAvailable()); // the program's lines are not the operator's edits
}

// The log keeps what the operator typed or deleted, follows its end while it
// is scrolled to the end, and stays put when the operator scrolled back.
TEST(MainWindow, LogAppendFollowsTheEndOnlyWhenTheOperatorIsThere)
{
    TfrmMain window;
    const TfrmMainProbe probe(window);
    window.show();
    probe.Memo1()->setPlainText(QStringLiteral("typed by hand"));
    window.LogAppend("first");
    EXPECT_EQ(probe.LogText(), QStringLiteral("typed by hand\nfirst"));
    probe.ClearLog();
    window.LogAppend("again");
    EXPECT_EQ(probe.LogText(), QStringLiteral("again")); // no empty line before it

    QScrollBar *bar = probe.Memo1()->verticalScrollBar();
    for (int i = 0; i < 200; ++i)
        window.LogAppend(QByteArray::number(i));
    QCoreApplication::processEvents();
    ASSERT_GT(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(probe.Memo1()->LineText(probe.Memo1()->PositionAt(QPoint(2, probe.Memo1()->viewport()->height() - 4)).Line),
              QStringLiteral("199"));

    bar->setValue(10);
    const int maximum = bar->maximum();
    window.LogAppend("while scrolled back");
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(bar->maximum(), maximum + 1);
    EXPECT_EQ(probe.Memo1()->LineText(probe.Memo1()->LineCount() - 1), QStringLiteral("while scrolled back"));
    EXPECT_EQ(probe.Memo1()->LineCount(), 202);
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
    const TfrmMainProbe probe(window);
    probe.Timer1()->stop();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int paints = 0;
    TEventCounter counter(probe.Memo1()->viewport(), QEvent::Paint, paints);
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
    EXPECT_TRUE(probe.Memo1()->updatesEnabled());
    EXPECT_EQ(probe.Memo1()->LineText(probe.Memo1()->LineCount() - 1).right(4), QStringLiteral(" 199"));
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
