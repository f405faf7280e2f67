#include "platform/placement/WindowPlacement.h"

#include "platform/placement/ShowCommand.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace Wnd {
namespace {
const char *const MinPositionProperty = "windowMinPosition";
const char *const MaxPositionProperty = "windowMaxPosition";

TPoint RecordedPosition(const QWidget *window, const char *property)
{
    const QVariant value = window->property(property);
    if (!value.isValid())
        return {-1, -1};
    const QPoint point = value.toPoint();
    return {point.x(), point.y()};
}

// The rectangle as a Qt geometry that Qt can take: sizes of at least one
// pixel, nothing beyond the largest widget size, whatever the numbers were.
QRect ClientRect(const TRect &rect)
{
    const int64_t limit = QWIDGETSIZE_MAX;
    const int64_t left = std::clamp<int64_t>(rect.Left, -limit, limit);
    const int64_t top = std::clamp<int64_t>(rect.Top, -limit, limit);
    const int64_t width = std::clamp<int64_t>(int64_t(rect.Right) - rect.Left, 1, limit);
    const int64_t height = std::clamp<int64_t>(int64_t(rect.Bottom) - rect.Top, 1, limit);
    return QRect(int(left), int(top), int(width), int(height));
}

// A rectangle that no screen shows is moved the least distance that puts
// it on the primary screen's available area.
QRect OnScreen(QRect rect)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return rect;
    for (const QScreen *screen : screens)
        if (screen->geometry().intersects(rect))
            return rect;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.left() + std::max(0, area.width() - rect.width())));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.top() + std::max(0, area.height() - rect.height())));
    return rect;
}

void SetNormalGeometry(QWidget *window, const QRect &rect)
{
    if (window->normalGeometry() == rect)
        return;
    const Qt::WindowStates states = window->windowState();
    if (states & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        // Qt has no way to change the restored geometry alone.
        window->setWindowState(Qt::WindowNoState);
        window->setGeometry(rect);
        window->setWindowState(states);
    } else {
        window->setGeometry(rect);
    }
}
} // namespace

bool GetWindowPlacement(const QWidget *window, TWindowPlacement *placement)
{
    if (!window || !window->isWindow() || !placement)
        return false;
    TWindowPlacement result;
    const bool minimized = window->isMinimized();
    const bool maximized = window->windowState() & Qt::WindowMaximized;
    result.ShowCmd = minimized ? SW_SHOWMINIMIZED : maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    result.Flags = minimized && maximized ? WPF_RESTORETOMAXIMIZED : 0;
    result.MinPosition = RecordedPosition(window, MinPositionProperty);
    result.MaxPosition = RecordedPosition(window, MaxPositionProperty);
    QRect normal = window->normalGeometry();
    if (!normal.isValid())
        normal = window->geometry();
    result.NormalPosition = {normal.x(), normal.y(), normal.x() + normal.width(), normal.y() + normal.height()};
    *placement = result;
    return true;
}

bool SetWindowPlacement(QWidget *window, const TWindowPlacement &placement)
{
    if (!window || !window->isWindow())
        return false;
    if (placement.Flags & WPF_SETMINPOSITION)
        window->setProperty(MinPositionProperty, QPoint(placement.MinPosition.X, placement.MinPosition.Y));
    window->setProperty(MaxPositionProperty, QPoint(placement.MaxPosition.X, placement.MaxPosition.Y));
    SetNormalGeometry(window, OnScreen(ClientRect(placement.NormalPosition)));
    ApplyShowCommand(window, placement.ShowCmd, placement.Flags);
    return true;
}

bool IsWindowVisible(const QWidget *window)
{
    if (!window || !window->isVisible())
        return false;
    const QWindow *handle = window->window()->windowHandle();
    return handle && handle->isVisible();
}

bool IsIconic(const QWidget *window)
{
    return window && window->isMinimized();
}

void PostMinimize(QWidget *window)
{
    QMetaObject::invokeMethod(
        window, [window] { window->setWindowState(window->windowState() | Qt::WindowMinimized); },
        Qt::QueuedConnection);
}
} // namespace Wnd
