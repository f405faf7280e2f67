#pragma once

#include "platform/clipboard/ClipboardWindow.h"

// The clipboard viewer chain. The platform knows only the first member;
// every member keeps its successor and passes each notification on with
// SendMessage. After every change of the clipboard's contents the first
// member receives WM_DRAWCLIPBOARD.
// On Windows it is the system's own chain, shared with other programs'
// viewers. On Linux it is local to the process, and the change signal of
// Qt's clipboard is delivered to the first member (ClipboardChanged).

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
// On Linux called for every change signal of the system clipboard; on
// Windows the system sends the message itself.
void ClipboardChanged();

} // namespace ClipboardApi
