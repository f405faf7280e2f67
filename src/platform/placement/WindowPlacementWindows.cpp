#include "platform/placement/WindowPlacement.h"

#include "platform/placement/ShowCommand.h"

#include <QWidget>

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

// The client area on the screen, right and bottom exclusive.
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
    const TRect &normal = placement.NormalPosition;
    native.rcNormalPosition = {normal.Left, normal.Top, normal.Right, normal.Bottom};
    if (!::SetWindowPlacement(hwnd, &native))
        return false;
    // A window in its normal state now stands where the system put it: Qt
    // learns its geometry at once rather than from a later event.
    if (!::IsIconic(hwnd) && !::IsZoomed(hwnd)
        && !(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        window->setGeometry(ClientOnScreen(hwnd));
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
