#include "platform/placement/ScreenMetrics.h"
#include "platform/placement/WindowPlacement.h"
#include "platform/PlacementProbe.h"

#include <QApplication>
#include <QScreen>
#include <QShowEvent>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Wnd;

TEST(WindowPlacement, ShowCommands)
{
    QWidget w;
    w.setGeometry(10, 10, 200, 100);
    TWindowPlacement placement = PlacementOf(w);
    placement.ShowCmd = SW_HIDE;
    SetWindowPlacement(&w, placement);
    EXPECT_FALSE(w.isVisible()); // a hidden window stays hidden
    placement.ShowCmd = SW_SHOW;
    SetWindowPlacement(&w, placement);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(IsWindowVisible(&w));
    placement.ShowCmd = SW_HIDE;
    SetWindowPlacement(&w, placement);
    EXPECT_FALSE(w.isVisible());
    placement.ShowCmd = SW_MINIMIZE;
    SetWindowPlacement(&w, placement);
    EXPECT_TRUE(IsIconic(&w));
    placement.ShowCmd = SW_SHOWNORMAL;
    SetWindowPlacement(&w, placement);
    EXPECT_FALSE(IsIconic(&w));
    EXPECT_FALSE(w.isMaximized());
}

TEST(WindowPlacement, AWindowIsNotVisibleDuringItsShowEvent)
{
    ShowProbe w;
    w.show();
    EXPECT_FALSE(w.VisibleInShowEvent);
    EXPECT_TRUE(IsWindowVisible(&w));
}

TEST(WindowPlacement, PostedMinimiseWaitsForTheEventLoop)
{
    QWidget w;
    w.show();
    PostMinimize(&w);
    EXPECT_FALSE(w.isMinimized());
    QApplication::processEvents();
    EXPECT_TRUE(w.isMinimized());
    {
        auto *gone = new QWidget;
        PostMinimize(gone);
        delete gone; // the posted call goes with it
    }
    QApplication::processEvents();
}

TEST(ScreenMetrics, ComeFromThePrimaryScreen)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
#ifdef Q_OS_WIN
    // The system's measure: the display's own pixels and dots per inch.
    const double scale = screen->devicePixelRatio();
#else
    // The stand-in's: Qt's pixels at every scale, and the classic frames.
    const double scale = 1;
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CYDLGFRAME), 3);
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
#endif
    // Qt's size of the screen is the system's divided and rounded.
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN), screen->geometry().width() * scale, scale / 2);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN), screen->geometry().height() * scale, scale / 2);
    EXPECT_EQ(ScreenPixelsPerInch(), qRound(screen->logicalDotsPerInchY() * scale));
    EXPECT_EQ(GetSystemMetrics(999), 0);
}
