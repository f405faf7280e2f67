#pragma once

// The clipboard opened for a window of the test's own, and its blocks read
// as the program reads them.

#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/ClipboardWindow.h"

#include <QByteArray>

// The clipboard opened for a window of its own while it exists.
struct TOpenClipboard {
    ClipboardApi::TWindowHandle Window = ClipboardApi::CreateWindow({});
    bool Ok = ClipboardApi::OpenClipboard(Window);
    ~TOpenClipboard()
    {
        ClipboardApi::CloseClipboard();
        ClipboardApi::DestroyWindow(Window);
    }
};

// The whole block of a format of the open clipboard; empty when there is none.
inline QByteArray Block(uint32_t format)
{
    const uint32_t block = ClipboardApi::GetClipboardData(format);
    const char *bytes = ClipboardApi::GlobalLock(block);
    return bytes ? QByteArray(bytes, ClipboardApi::GlobalSize(block)) : QByteArray();
}
