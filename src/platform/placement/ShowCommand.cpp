#include "platform/placement/ShowCommand.h"

#include "platform/placement/WindowPlacement.h"

#include <QWidget>

namespace Wnd {
void ApplyShowCommand(QWidget *window, uint32_t showCmd, uint32_t flags)
{
    switch (showCmd) {
    case SW_HIDE:
        if (IsWindowVisible(window))
            window->hide();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE: {
        const bool toMaximized = (flags & WPF_RESTORETOMAXIMIZED) || window->isMaximized();
        window->setWindowState(toMaximized ? Qt::WindowMinimized | Qt::WindowMaximized : Qt::WindowMinimized);
        window->show();
        break;
    }
    case SW_SHOWMAXIMIZED:
        window->setWindowState(Qt::WindowMaximized);
        window->show();
        break;
    case SW_SHOW:
    case SW_SHOWNA:
        window->show();
        break;
    default:
        window->setWindowState(Qt::WindowNoState);
        window->show();
        break;
    }
}
} // namespace Wnd
