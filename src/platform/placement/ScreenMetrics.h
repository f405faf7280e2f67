#pragma once

// Screen metrics in the terms of GetSystemMetrics and the screen's pixels
// per inch, from the primary screen.

namespace Wnd {
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;

// On Windows the system's own metric, whatever the index. On Linux the
// primary screen's size in pixels for SM_CXSCREEN and SM_CYSCREEN; Qt
// does not tell the frame widths of the window manager, so the border and
// frame metrics are the classic Windows values at 96 pixels per inch (1, 3
// and 4 pixels); 0 for anything else or without a screen.
int GetSystemMetrics(int index);

// The primary screen's logical pixels per inch (vertical), 96 without a
// screen.
int ScreenPixelsPerInch();
} // namespace Wnd
