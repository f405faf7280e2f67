#include "platform/placement/WindowPlacement.h"

#include "platform/placement/DevicePixels.h"
#include "platform/placement/ShowCommand.h"

#include <QWidget>

#include <algorithm>
#include <utility>

#include <windows.h>

// The system's own placement of the window's native handle: the normal
// rectangle is the frame as the system keeps it (in workspace coordinates)
// and the minimised and maximised positions are the system's. The show
// command is carried out through Qt, so that Qt's state of the window stays
// the window's.

namespace Wnd {
namespace {
HWND Hwnd(const QWidget *window)
{
    // The native window is made when it is first asked for.
    return reinterpret_cast<HWND>(const_cast<QWidget *>(window)->winId());
}

// The rectangle as the system can take it: at least as large as a window
// can be made and as its frame around a client area of one pixel, at most
// as large as all screens together.
RECT UsableRect(HWND hwnd, const TRect &rect)
{
    RECT framed{0, 0, 1, 1};
    AdjustWindowRectEx(&framed, DWORD(GetWindowLongW(hwnd, GWL_STYLE)), FALSE, DWORD(GetWindowLongW(hwnd, GWL_EXSTYLE)));
    // Each side kept within one length of the screens, its length between
    // the smallest window and the screens' extent.
    const auto span = [](int32_t from, int32_t to, int least, int origin, int extent) {
        const int64_t length = std::clamp<int64_t>(int64_t(to) - from, least, std::max(least, extent));
        const int64_t start = std::clamp<int64_t>(from, int64_t(origin) - length, int64_t(origin) + extent);
        return std::pair<LONG, LONG>(LONG(start), LONG(start + length));
    };
    const auto [left, right] = span(rect.Left, rect.Right,
                                    std::max<int>(::GetSystemMetrics(SM_CXMINTRACK), framed.right - framed.left),
                                    ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
    const auto [top, bottom] = span(rect.Top, rect.Bottom,
                                    std::max<int>(::GetSystemMetrics(SM_CYMINTRACK), framed.bottom - framed.top),
                                    ::GetSystemMetrics(SM_YVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return {left, top, right, bottom};
}

// The client area on the screen in device pixels, right and bottom exclusive.
QRect ClientOnScreen(HWND hwnd)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    return QRect(origin.x, origin.y, client.right - client.left, client.bottom - client.top);
}
} // namespace

bool GetWindowPlacement(const QWidget *window, TWindowPlacement *placement)
{
    if (!window || !window->isWindow() || !placement)
        return false;
    WINDOWPLACEMENT native{};
    native.length = sizeof native;
    if (!::GetWindowPlacement(Hwnd(window), &native))
        return false;
    placement->Length = native.length;
    placement->Flags = native.flags;
    placement->ShowCmd = native.showCmd;
    placement->MinPosition = {native.ptMinPosition.x, native.ptMinPosition.y};
    placement->MaxPosition = {native.ptMaxPosition.x, native.ptMaxPosition.y};
    const RECT &normal = native.rcNormalPosition;
    placement->NormalPosition = {normal.left, normal.top, normal.right, normal.bottom};
    return true;
}

bool SetWindowPlacement(QWidget *window, const TWindowPlacement &placement)
{
    if (!window || !window->isWindow())
        return false;
    const HWND hwnd = Hwnd(window);
    WINDOWPLACEMENT native{};
    native.length = sizeof native;
    native.flags = placement.Flags;
    // The system only places the window here; it is shown, minimised or
    // maximised through Qt below. A rectangle that no screen shows is
    // moved onto one by the system.
    native.showCmd = ::IsWindowVisible(hwnd) ? SW_SHOWNA : SW_HIDE;
    native.ptMinPosition = {placement.MinPosition.X, placement.MinPosition.Y};
    native.ptMaxPosition = {placement.MaxPosition.X, placement.MaxPosition.Y};
    native.rcNormalPosition = UsableRect(hwnd, placement.NormalPosition);
    if (!::SetWindowPlacement(hwnd, &native))
        return false;
    // A window in its normal state now stands where the system put it: Qt
    // learns its geometry at once rather than from a later event, in its
    // own pixels.
    if (!::IsIconic(hwnd) && !::IsZoomed(hwnd)
        && !(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        window->setGeometry(DeviceToQt(ClientOnScreen(hwnd), ScreenScales()));
    ApplyShowCommand(window, placement.ShowCmd, placement.Flags);
    return true;
}

bool IsWindowVisible(const QWidget *window)
{
    return window && window->internalWinId() && ::IsWindowVisible(Hwnd(window));
}

bool IsIconic(const QWidget *window)
{
    if (!window)
        return false;
    return window->internalWinId() ? bool(::IsIconic(Hwnd(window))) : window->isMinimized();
}

void PostMinimize(QWidget *window)
{
    PostMessageW(Hwnd(window), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}
} // namespace Wnd
