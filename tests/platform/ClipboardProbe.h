#pragma once

// The clipboard held open by a probe window of the test's, and a memory
// block's bytes.

#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/ClipboardWindow.h"

#include <QByteArray>

// Opens the clipboard for a probe window for the test's duration.
struct TOpened {
    ClipboardApi::TWindowHandle Window = ClipboardApi::CreateWindow({});
    bool Ok = ClipboardApi::OpenClipboard(Window);
    ~TOpened()
    {
        ClipboardApi::CloseClipboard();
        ClipboardApi::DestroyWindow(Window);
    }
};

inline QByteArray BlockBytes(uint32_t handle)
{
    const char *p = ClipboardApi::GlobalLock(handle);
    return p ? QByteArray(p, ClipboardApi::GlobalSize(handle)) : QByteArray();
}
