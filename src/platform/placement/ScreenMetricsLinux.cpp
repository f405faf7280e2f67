#include "platform/placement/ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace Wnd {
int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN:
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QSize size = screen->geometry().size();
            return index == SM_CXSCREEN ? size.width() : size.height();
        }
        return 0;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    default: return 0;
    }
}

int ScreenPixelsPerInch()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return int(std::lround(screen->logicalDotsPerInchY()));
    return 96;
}
} // namespace Wnd
