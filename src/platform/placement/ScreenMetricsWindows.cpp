#include "platform/placement/ScreenMetrics.h"

#include <windows.h>

namespace Wnd {
int GetSystemMetrics(int index)
{
    return ::GetSystemMetrics(index);
}

int ScreenPixelsPerInch()
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return 96;
    const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return ppi;
}
} // namespace Wnd
