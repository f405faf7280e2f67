#pragma once

#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/ClipboardWindow.h"

#include <QByteArray>
#include <cstdint>

class QObject;
class QWidget;
class TPicture;

using ClipboardApi::CF_BITMAP;
using ClipboardApi::CF_ENHMETAFILE;
using ClipboardApi::CF_METAFILEPICT;
using ClipboardApi::CF_OEMTEXT;
using ClipboardApi::CF_PALETTE;
using ClipboardApi::CF_TEXT;

// Registered at start-up. PictureFormatId stands for any picture format in
// FormatAvailable; ComponentFormatId carries a component stream.
extern const uint32_t PictureFormatId;
extern const uint32_t ComponentFormatId;

// The program's one way to the system clipboard (GUI thread only). Format
// checks need no open clipboard; reading data opens it for the duration of
// the operation, and nested OpenAccess calls open it once.
class TClipboard {
public:
    TClipboard() = default;
    TClipboard(const TClipboard &) = delete;
    TClipboard &operator=(const TClipboard &) = delete;

    // Exception "Cannot open clipboard" while another window holds it open.
    void OpenAccess();
    void CloseAccess();
    int OpenCount() const { return FOpenCount; }

    // Whether the format is on the clipboard (or can be rendered from what
    // is). For PictureFormatId also true when any picture format is there.
    bool FormatAvailable(uint32_t Format);
    int CountFormats();

    // The clipboard text in cp1251 up to its first zero byte; empty when
    // there is none.
    QByteArray ClipboardText();

    // The component on the clipboard, read from its stream; none when there
    // is no component data. A control read gets Parent as its parent; any
    // other component gets Owner (when not none) as its owner. The caller
    // owns the result when Owner is none.
    QObject *ComponentFromClipboard(QObject *Owner, QWidget *Parent);

    // Loads the first picture format on the clipboard (in the order the
    // clipboard holds them) into Picture. Exception "Invalid clipboard
    // format" when there is none.
    void LoadPicture(TPicture &Picture);

private:
    int FOpenCount = 0;
    ClipboardApi::TWindowHandle FClipboardWindow = 0;
};

// The one clipboard access object of the process.
TClipboard &ClipboardAccess();

// Keeps the clipboard open for a scope.
class TClipboardOpen {
public:
    TClipboardOpen() { ClipboardAccess().OpenAccess(); }
    ~TClipboardOpen() { ClipboardAccess().CloseAccess(); }
    TClipboardOpen(const TClipboardOpen &) = delete;
    TClipboardOpen &operator=(const TClipboardOpen &) = delete;
};
