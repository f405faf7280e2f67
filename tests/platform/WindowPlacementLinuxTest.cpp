#include "platform/placement/ScreenMetrics.h"
#include "platform/placement/WindowPlacement.h"
#include "platform/PlacementProbe.h"

#include <QApplication>
#include <QScreen>
#include <QShowEvent>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Wnd;

namespace {
TRect RectOf(const QRect &r)
{
    return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

} // namespace

TEST(WindowPlacement, PositionsAreRecordedWithTheWindow)
{
    QWidget w;
    w.setGeometry(10, 10, 200, 100);
    TWindowPlacement placement = PlacementOf(w);
    EXPECT_EQ(placement.MinPosition, (TPoint{-1, -1}));
    EXPECT_EQ(placement.MaxPosition, (TPoint{-1, -1}));
    placement.ShowCmd = SW_HIDE;
    placement.MinPosition = {7, 8};
    placement.MaxPosition = {-4, -4};
    SetWindowPlacement(&w, placement);
    EXPECT_EQ(PlacementOf(w).MinPosition, (TPoint{-1, -1})); // only with WPF_SETMINPOSITION
    EXPECT_EQ(PlacementOf(w).MaxPosition, (TPoint{-4, -4}));
    placement.Flags = WPF_SETMINPOSITION;
    SetWindowPlacement(&w, placement);
    EXPECT_EQ(PlacementOf(w).MinPosition, (TPoint{7, 8}));
}

TEST(WindowPlacement, AnyRectangleGivesAUsableWindow)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget w;
    TWindowPlacement placement = PlacementOf(w);
    placement.ShowCmd = SW_HIDE;

    placement.NormalPosition = {area.right() + 5000, 100, area.right() + 5300, 300};
    SetWindowPlacement(&w, placement);
    EXPECT_TRUE(w.geometry().intersects(area)) << "a window no screen shows is brought back";
    EXPECT_EQ(w.size(), QSize(300, 200));

    placement.NormalPosition = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    SetWindowPlacement(&w, placement);
    EXPECT_GE(w.width(), 1);
    EXPECT_GE(w.height(), 1);

    placement.NormalPosition = {20, 30, 20, 10};
    SetWindowPlacement(&w, placement);
    EXPECT_GE(w.width(), 1);
    EXPECT_GE(w.height(), 1);

    QWidget child(&w);
    EXPECT_FALSE(GetWindowPlacement(&child, &placement));
    EXPECT_FALSE(SetWindowPlacement(&child, placement));
    EXPECT_FALSE(SetWindowPlacement(nullptr, placement));
}

TEST(WindowPlacement, ASavedWindowComesBackWhereItWas)
{
    // Moved by its frame position, the way forms are placed; the frame is
    // whatever the platform adds.
    QWidget first;
    first.move(301, 177);
    first.resize(533, 428);
    first.show();
    QApplication::processEvents();
    const TWindowPlacement saved = PlacementOf(first);
    EXPECT_EQ(saved.ShowCmd, SW_SHOWNORMAL);
    EXPECT_EQ(saved.NormalPosition, RectOf(first.geometry()));

    QWidget second; // placed before it is ever shown
    TWindowPlacement restore = saved;
    restore.ShowCmd = SW_HIDE;
    ASSERT_TRUE(SetWindowPlacement(&second, restore));
    EXPECT_FALSE(second.isVisible());
    second.show();
    QApplication::processEvents();
    EXPECT_EQ(second.geometry(), first.geometry());
    EXPECT_EQ(second.frameGeometry(), first.frameGeometry());
    EXPECT_EQ(PlacementOf(second).NormalPosition, saved.NormalPosition);
}

TEST(WindowPlacement, TheNormalRectangleSurvivesMaximisingAndMinimising)
{
    QWidget w;
    w.setGeometry(100, 120, 300, 200);
    w.show();
    TWindowPlacement placement = PlacementOf(w);
    placement.ShowCmd = SW_SHOWMAXIMIZED;
    placement.NormalPosition = {50, 60, 450, 360};
    ASSERT_TRUE(SetWindowPlacement(&w, placement));
    QApplication::processEvents();
    EXPECT_TRUE(w.isMaximized());
    TWindowPlacement read = PlacementOf(w);
    EXPECT_EQ(read.ShowCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(read.NormalPosition, (TRect{50, 60, 450, 360}));

    placement.ShowCmd = SW_SHOWMINIMIZED;
    ASSERT_TRUE(SetWindowPlacement(&w, placement));
    QApplication::processEvents();
    read = PlacementOf(w);
    EXPECT_EQ(read.ShowCmd, SW_SHOWMINIMIZED);
    EXPECT_EQ(read.Flags, WPF_RESTORETOMAXIMIZED);
    EXPECT_EQ(read.NormalPosition, (TRect{50, 60, 450, 360}));

    placement.ShowCmd = SW_RESTORE;
    ASSERT_TRUE(SetWindowPlacement(&w, placement));
    QApplication::processEvents();
    EXPECT_FALSE(w.isMaximized());
    EXPECT_FALSE(w.isMinimized());
    EXPECT_EQ(w.geometry(), QRect(50, 60, 400, 300));
}
