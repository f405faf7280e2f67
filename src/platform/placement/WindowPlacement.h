#pragma once

#include <cstdint>

class QWidget;

// Window placement of a top-level Qt window in the terms of the Windows
// WINDOWPLACEMENT record: show command, minimised and maximised positions
// and the normal (restored) rectangle, right and bottom exclusive. A
// rectangle read here and applied again puts the window back where it was.
//
// What the normal rectangle holds differs by system:
// - Windows: the frame rectangle as GetWindowPlacement gives it (workspace
//   coordinates, in the screen's device pixels: at 150 % display scaling a
//   window of 400 of Qt's pixels measures 600), and the minimised and
//   maximised positions are the system's own.
// - Linux: the window's client area (QWidget::normalGeometry) in screen
//   coordinates, in Qt's pixels, the measure of the stand-in's placement at
//   every scale. The frame is left out on purpose: under X11 it is known
//   only after the window manager has decorated the mapped window, and the
//   offscreen platform invents one, while the client rectangle can be set
//   exactly before the window is first shown. Qt leaves the minimised and
//   maximised positions to the window manager; they are kept with the
//   window as last set, (-1, -1) before that.

namespace Wnd {
inline constexpr uint32_t SW_HIDE = 0;
inline constexpr uint32_t SW_SHOWNORMAL = 1;
inline constexpr uint32_t SW_SHOWMINIMIZED = 2;
inline constexpr uint32_t SW_SHOWMAXIMIZED = 3;
inline constexpr uint32_t SW_SHOWNOACTIVATE = 4;
inline constexpr uint32_t SW_SHOW = 5;
inline constexpr uint32_t SW_MINIMIZE = 6;
inline constexpr uint32_t SW_SHOWMINNOACTIVE = 7;
inline constexpr uint32_t SW_SHOWNA = 8;
inline constexpr uint32_t SW_RESTORE = 9;
inline constexpr uint32_t SW_SHOWDEFAULT = 10;

inline constexpr uint32_t WPF_SETMINPOSITION = 1;
inline constexpr uint32_t WPF_RESTORETOMAXIMIZED = 2;

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TPoint &) const = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    bool operator==(const TRect &) const = default;
};

struct TWindowPlacement {
    uint32_t Length = 44;
    uint32_t Flags = 0;
    uint32_t ShowCmd = 0;
    TPoint MinPosition;
    TPoint MaxPosition;
    TRect NormalPosition;
};
static_assert(sizeof(TWindowPlacement) == 44);

// Both fail (return false) for anything but a top-level window.
// Reading gives ShowCmd 2 for a minimised window, 3 for a maximised one and
// 1 otherwise, and WPF_RESTORETOMAXIMIZED for a window minimised from the
// maximised state.
bool GetWindowPlacement(const QWidget *window, TWindowPlacement *placement);
// Applies the normal rectangle (keeping the window state; a rectangle that
// no screen shows is moved onto the primary screen), records the positions
// (the minimised one only with WPF_SETMINPOSITION) and then acts on the show
// command: 0 hides a shown window and otherwise changes nothing, 2, 6 and 7
// minimise, 3 maximises, 5 and 8 only show, the others show the window
// normal.
bool SetWindowPlacement(QWidget *window, const TWindowPlacement &placement);

// On the screen: shown, minimised or not. A window about to be shown (in its
// show event) is not yet visible.
bool IsWindowVisible(const QWidget *window);
bool IsIconic(const QWidget *window);

// Minimises the window once the events now pending have been processed (the
// system command SC_MINIMIZE posted to it).
void PostMinimize(QWidget *window);
} // namespace Wnd
