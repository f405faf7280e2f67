#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>

// The window that has the keyboard focus on the desktop: one of this
// program's own windows or, where the desktop tells (X11), another program's.
// Wayland and the offscreen platform tell nothing about other programs'
// windows, so there only this program's own windows are found.
class TForegroundWindow {
public:
    // The window that has the focus now; a null window when none is known.
    static TForegroundWindow Current();

    // Gives the focus to the window and brings it to the front. Does nothing
    // when the window is null or gone. True when the request was made.
    bool Activate() const;

    bool IsNull() const { return !FWidget && FNative == 0; }
    QWidget *Widget() const { return FWidget; }
    // The other program's X11 window, 0 for none.
    uint32_t NativeWindow() const { return FNative; }

private:
    QPointer<QWidget> FWidget;
    uint32_t FNative = 0;
    // The X11 window manager offers _NET_ACTIVE_WINDOW: activation goes
    // through it. Without one, the input focus is set directly.
    bool FThroughWindowManager = false;
};

// Raises a window of this program above its siblings and asks for the focus.
void BringToFront(QWidget *window);
