#include "platform/clipboard/ClipboardWindow.h"

#include <memory>
#include <windows.h>
// The handle API keeps the names of the calls it stands for.
#undef CreateWindow
#undef SendMessage

// Each handle is a real window of a class of the program's own, hidden and
// never shown, so that the system can send it the clipboard messages; its
// window procedure hands them to the procedure given at creation. Window
// handles are 32 bits wide on every Windows, so they fit the handle type.

namespace ClipboardApi {

namespace {
using TProcHolder = std::shared_ptr<TWindowProc>;

HWND Hwnd(TWindowHandle window)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

LRESULT CALLBACK ProcWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto *holder = reinterpret_cast<TProcHolder *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (holder) {
        switch (msg) {
        case WM_DRAWCLIPBOARD:
        case WM_CHANGECBCHAIN:
        case WM_DESTROYCLIPBOARD:
        case WM_NCDESTROY: {
            // Held for the call: the procedure may destroy its own window.
            const TProcHolder proc = *holder;
            if (*proc)
                (*proc)(msg, wParam, lParam);
            if (msg == WM_NCDESTROY) {
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                delete holder;
            }
            return 0;
        }
        default: break;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const wchar_t *WindowClass()
{
    static const wchar_t name[] = L"V3721ClipboardWindow";
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ProcWindow;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = name;
        return RegisterClassW(&windowClass) != 0;
    }();
    return registered ? name : nullptr;
}
} // namespace

TWindowHandle CreateWindow(TWindowProc proc)
{
    const wchar_t *windowClass = WindowClass();
    if (!windowClass)
        return 0;
    HWND hwnd = CreateWindowExW(0, windowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        return 0;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TProcHolder(std::make_shared<TWindowProc>(std::move(proc)))));
    return TWindowHandle(reinterpret_cast<uintptr_t>(hwnd));
}

bool DestroyWindow(TWindowHandle window)
{
    // The system sends WM_NCDESTROY as the window goes.
    return window != 0 && ::DestroyWindow(Hwnd(window));
}

bool IsWindow(TWindowHandle window)
{
    return window != 0 && ::IsWindow(Hwnd(window));
}

void SendMessage(TWindowHandle window, uint32_t msg, uintptr_t wParam, intptr_t lParam)
{
    if (window != 0)
        SendMessageW(Hwnd(window), msg, wParam, lParam);
}

} // namespace ClipboardApi
