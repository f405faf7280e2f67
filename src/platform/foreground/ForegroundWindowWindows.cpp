#include "platform/foreground/ForegroundWindow.h"

#include <QApplication>

#include <windows.h>

namespace {
HWND Hwnd(uint32_t window)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

HWND Hwnd(QWidget *window)
{
    return reinterpret_cast<HWND>(window->winId());
}

QWidget *OwnWindow(HWND hwnd)
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->internalWinId() == WId(hwnd))
            return top;
    return nullptr;
}
} // namespace

TForegroundWindow TForegroundWindow::Current()
{
    TForegroundWindow result;
    HWND foreground = GetForegroundWindow();
    if (!foreground)
        return result;
    if (QWidget *own = OwnWindow(foreground))
        result.FWidget = own;
    else
        result.FNative = uint32_t(reinterpret_cast<uintptr_t>(foreground));
    return result;
}

bool TForegroundWindow::Activate() const
{
    HWND target = nullptr;
    if (FWidget) {
        if (!FWidget->isVisible())
            return false;
        target = Hwnd(FWidget);
    } else if (FNative != 0 && IsWindow(Hwnd(FNative))) {
        target = Hwnd(FNative);
    }
    return target && SetForegroundWindow(target);
}

void BringToFront(QWidget *window)
{
    HWND hwnd = Hwnd(window);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd);
}
