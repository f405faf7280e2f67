#include "platform/clipboard/ClipboardWindow.h"

#include <memory>
#include <unordered_map>

namespace ClipboardApi {

namespace {
struct TWindowTable {
    std::unordered_map<TWindowHandle, std::shared_ptr<TWindowProc>> Procs;
    TWindowHandle Last = 0;
};

TWindowTable &Windows()
{
    static TWindowTable table;
    return table;
}
} // namespace

TWindowHandle CreateWindow(TWindowProc proc)
{
    TWindowTable &table = Windows();
    // Handles are not reused while the process runs, so a stale handle never
    // reaches a window that came later.
    do
        ++table.Last;
    while (table.Last == 0 || table.Procs.count(table.Last));
    table.Procs.emplace(table.Last, std::make_shared<TWindowProc>(std::move(proc)));
    return table.Last;
}

bool DestroyWindow(TWindowHandle window)
{
    if (!IsWindow(window))
        return false;
    SendMessage(window, WM_NCDESTROY, 0, 0);
    Windows().Procs.erase(window);
    return true;
}

bool IsWindow(TWindowHandle window)
{
    return window != 0 && Windows().Procs.count(window) != 0;
}

void SendMessage(TWindowHandle window, uint32_t msg, uintptr_t wParam, intptr_t lParam)
{
    const auto found = Windows().Procs.find(window);
    if (found == Windows().Procs.end())
        return;
    // Held for the call: the procedure may destroy its own window.
    const std::shared_ptr<TWindowProc> proc = found->second;
    if (*proc)
        (*proc)(msg, wParam, lParam);
}

} // namespace ClipboardApi
