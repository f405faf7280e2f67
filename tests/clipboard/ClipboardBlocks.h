#pragma once

// Reading the clipboard's blocks as the program does, and the sample text
// the text tests put on it.

#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/ClipboardWindow.h"

#include <QByteArray>
#include <QMimeData>
#include <QString>

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

// MIME data with one format of the given MIME type.
inline QMimeData *MimeData(const QString &mime, const QByteArray &bytes)
{
    auto *data = new QMimeData;
    data->setData(mime, bytes);
    return data;
}

// The whole block of a format of the open clipboard; empty when there is none.
inline QByteArray Block(uint32_t format)
{
    const uint32_t block = ClipboardApi::GetClipboardData(format);
    const char *bytes = ClipboardApi::GlobalLock(block);
    return bytes ? QByteArray(bytes, ClipboardApi::GlobalSize(block)) : QByteArray();
}

inline const QString Sample = QStringLiteral("#TC0:1:1 Пуск");
inline const QByteArray SampleAnsi = QByteArray("#TC0:1:1 \xCF\xF3\xF1\xEA", 13) + '\0';
inline const QByteArray SampleOem = QByteArray("#TC0:1:1 \x8F\xE3\xE1\xAA", 13) + '\0';
