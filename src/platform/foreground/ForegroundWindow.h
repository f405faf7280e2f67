#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>

// The window that has the keyboard focus on the desktop: one of this
// program's own windows or, where the desktop tells, another program's. On
// Windows that is the system's foreground window, and another program's is
// kept by its window handle. Under X11 it is the window the window manager
// names active (or else the input focus); Wayland and the offscreen
// platform tell nothing about other programs' windows, so there only this
// program's own windows are found.
class TForegroundWindow {
public:
    // The window that has the focus now; a null window when none is known.
    static TForegroundWindow Current();

    // Gives the focus to the window and brings it to the front. Does nothing
    // when the window is null or gone. True when the request was made.
    bool Activate() const;

    bool IsNull() const { return !FWidget && FNative == 0; }
    QWidget *Widget() const { return FWidget; }
    // The other program's window (Windows: its handle; X11: its window id),
    // 0 for none.
    uint32_t NativeWindow() const { return FNative; }

private:
    QPointer<QWidget> FWidget;
    uint32_t FNative = 0;
    // X11 only: the window manager offers _NET_ACTIVE_WINDOW, and activation
    // goes through it. Without one, the input focus is set directly.
    bool FThroughWindowManager = false;
};

// Raises a window of this program above its siblings and asks for the focus
// (on Windows it is also made topmost, above other programs' windows).
void BringToFront(QWidget *window);
