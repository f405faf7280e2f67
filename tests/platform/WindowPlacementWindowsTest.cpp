#include "platform/placement/DevicePixels.h"
#include "platform/placement/WindowPlacement.h"
#include "platform/PlacementProbe.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <windows.h>

// The placement is the system's own: the normal rectangle is the frame as
// the system keeps it, in the display's device pixels.

namespace {
Wnd::TRect FrameOf(const QWidget &w)
{
    RECT frame{};
    GetWindowRect(reinterpret_cast<HWND>(w.winId()), &frame);
    return {frame.left, frame.top, frame.right, frame.bottom};
}

QRect ClientOf(const QWidget &w)
{
    const HWND hwnd = reinterpret_cast<HWND>(w.winId());
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    return QRect(origin.x, origin.y, client.right, client.bottom);
}
} // namespace

TEST(SystemWindowPlacement, TheNormalRectangleIsTheFrameAndComesBack)
{
    QWidget saved;
    saved.show();
    Wnd::TWindowPlacement placement = PlacementOf(saved);
    placement.ShowCmd = 1;
    placement.NormalPosition = {100, 120, 500, 420};
    ASSERT_TRUE(Wnd::SetWindowPlacement(&saved, placement));
    EXPECT_EQ(FrameOf(saved), (Wnd::TRect{100, 120, 500, 420}));
    EXPECT_EQ(PlacementOf(saved).NormalPosition, (Wnd::TRect{100, 120, 500, 420}));
    EXPECT_LT(saved.width(), 400) << "Qt's geometry is the client area inside the frame";
    EXPECT_EQ(saved.geometry(), Wnd::DeviceToQt(ClientOf(saved), Wnd::ScreenScales()))
        << "Qt knows where the window is";

    // What one window stored puts another in the same place.
    QWidget restored;
    Wnd::TWindowPlacement stored = PlacementOf(saved);
    ASSERT_TRUE(Wnd::SetWindowPlacement(&restored, stored));
    EXPECT_TRUE(restored.isVisible());
    EXPECT_EQ(FrameOf(restored), stored.NormalPosition);
    EXPECT_EQ(restored.geometry(), saved.geometry());
}

TEST(SystemWindowPlacement, AnyRectangleGivesAUsableWindow)
{
    QWidget w;
    Wnd::TWindowPlacement placement = PlacementOf(w);
    placement.ShowCmd = 0;
    for (const Wnd::TRect &rect : {Wnd::TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, Wnd::TRect{20, 30, 20, 10}}) {
        ASSERT_TRUE(Wnd::SetWindowPlacement(&w, placement = [&] { placement.NormalPosition = rect; return placement; }()));
        EXPECT_GE(w.width(), 1);
        EXPECT_GE(w.height(), 1);
        EXPECT_FALSE(w.isVisible());
    }
}
