#include "platform/clipboard/ClipboardChain.h"

#include "platform/clipboard/ClipboardData.h"


namespace ClipboardApi {

namespace {
TWindowHandle &FirstViewer()
{
    static TWindowHandle first = 0;
    return first;
}

} // namespace

TWindowHandle SetClipboardViewer(TWindowHandle window)
{
    WatchSystemClipboard();
    const TWindowHandle previous = std::exchange(FirstViewer(), window);
    SendMessage(window, WM_DRAWCLIPBOARD, 0, 0);
    return previous;
}

void ChangeClipboardChain(TWindowHandle window, TWindowHandle next)
{
    if (FirstViewer() == window)
        FirstViewer() = next;
    SendMessage(FirstViewer(), WM_CHANGECBCHAIN, window, intptr_t(next));
}

TWindowHandle GetClipboardViewer()
{
    return FirstViewer();
}

void ClipboardChanged()
{
    SendMessage(FirstViewer(), WM_DRAWCLIPBOARD, 0, 0);
}

} // namespace ClipboardApi
