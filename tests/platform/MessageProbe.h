#pragma once

// A window of the program's clipboard API that records the messages it gets.

#include "platform/clipboard/ClipboardWindow.h"

#include <tuple>
#include <vector>

using TMessage = std::tuple<uint32_t, uintptr_t, intptr_t>;

struct TProbe {
    std::vector<TMessage> Messages;
    ClipboardApi::TWindowHandle Handle = ClipboardApi::CreateWindow(
        [this](uint32_t m, uintptr_t w, intptr_t l) { Messages.emplace_back(m, w, l); });
    ~TProbe() { ClipboardApi::DestroyWindow(Handle); }
};
