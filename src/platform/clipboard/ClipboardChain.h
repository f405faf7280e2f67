#pragma once

#include "platform/clipboard/ClipboardWindow.h"

// The clipboard viewer chain, local to the process. The platform knows only
// the first member; every member keeps its successor and passes each
// notification on with SendMessage. The system clipboard's change signal is
// delivered to the first member as WM_DRAWCLIPBOARD.

namespace ClipboardApi {

// Makes window the first member and returns the member that was first before
// (0 if none). The window receives WM_DRAWCLIPBOARD at once, before this
// call returns.
TWindowHandle SetClipboardViewer(TWindowHandle window);

// Removes window from the chain: when it is the first member, next takes its
// place. The first member then receives WM_CHANGECBCHAIN (WParam = window,
// LParam = next), which it passes along the chain, so every other member
// hears of it.
void ChangeClipboardChain(TWindowHandle window, TWindowHandle next);

// The first member, 0 when the chain is empty.
TWindowHandle GetClipboardViewer();

// A change of the clipboard contents: WM_DRAWCLIPBOARD to the first member.
// Called for every change signal of the system clipboard.
void ClipboardChanged();

} // namespace ClipboardApi
