#include "platform/clipboard/ClipboardChain.h"

#include "platform/clipboard/ClipboardData.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>

namespace ClipboardApi {

namespace {
TWindowHandle &FirstViewer()
{
    static TWindowHandle first = 0;
    return first;
}

// Connects the system clipboard's change signal once per application.
void WatchSystemClipboard()
{
    static QPointer<QClipboard> watched;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard || watched == clipboard)
        return;
    watched = clipboard;
    QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, [] { ClipboardChanged(); });
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
    DiscardRenderedData();
    SendMessage(FirstViewer(), WM_DRAWCLIPBOARD, 0, 0);
}

} // namespace ClipboardApi
