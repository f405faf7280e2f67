#pragma once

#include <cstdint>
#include <functional>

// Windows as the clipboard protocols see them: a handle that receives
// messages; a message sent to a handle that is gone is dropped.
// On Windows each handle is a real, hidden window of the system, so that
// the system and other programs can send it the clipboard messages. On
// Linux the handles are process-local.

namespace ClipboardApi {

using TWindowHandle = uint32_t;
using TWindowProc = std::function<void(uint32_t Msg, uintptr_t WParam, intptr_t LParam)>;

// The messages of the clipboard protocols and a window's last message.
constexpr uint32_t WM_NCDESTROY = 0x0082;
constexpr uint32_t WM_DESTROYCLIPBOARD = 0x0307;
constexpr uint32_t WM_DRAWCLIPBOARD = 0x0308;
constexpr uint32_t WM_CHANGECBCHAIN = 0x030D;

// A new window whose messages go to proc. A window procedure must not throw:
// it runs inside another window's message handling.
TWindowHandle CreateWindow(TWindowProc proc);

// Sends WM_NCDESTROY, then forgets the handle. False for an unknown handle.
bool DestroyWindow(TWindowHandle window);

bool IsWindow(TWindowHandle window);

// Synchronous delivery; nothing happens for 0 or an unknown handle.
void SendMessage(TWindowHandle window, uint32_t msg, uintptr_t wParam, intptr_t lParam);

} // namespace ClipboardApi
