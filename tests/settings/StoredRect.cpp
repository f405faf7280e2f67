#include "StoredRect.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

QRect StoredNormalRect(const QWidget &window)
{
#ifdef Q_OS_WIN
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(reinterpret_cast<HWND>(const_cast<QWidget &>(window).winId()), &placement);
    const RECT &normal = placement.rcNormalPosition;
    return QRect(normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top);
#else
    return window.isMaximized() || window.isFullScreen() ? window.normalGeometry() : window.geometry();
#endif
}
