#include "platform/clipboard/ClipboardChain.h"

#include <windows.h>

// The system's own clipboard viewer chain: the system sends WM_DRAWCLIPBOARD
// to its first member after every change.

namespace ClipboardApi {

namespace {
HWND Hwnd(TWindowHandle window)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

TWindowHandle Handle(HWND hwnd)
{
    return TWindowHandle(reinterpret_cast<uintptr_t>(hwnd));
}
} // namespace

TWindowHandle SetClipboardViewer(TWindowHandle window)
{
    return Handle(::SetClipboardViewer(Hwnd(window)));
}

void ChangeClipboardChain(TWindowHandle window, TWindowHandle next)
{
    ::ChangeClipboardChain(Hwnd(window), Hwnd(next));
}

TWindowHandle GetClipboardViewer()
{
    return Handle(::GetClipboardViewer());
}

void ClipboardChanged()
{
    if (HWND first = ::GetClipboardViewer())
        SendMessageW(first, WM_DRAWCLIPBOARD, 0, 0);
}

} // namespace ClipboardApi
