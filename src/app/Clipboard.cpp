#include "app/Clipboard.h"

#include "widgets/ComponentStream.h"
#include "widgets/Picture.h"
#include "framework/Exception.h"
#include "framework/MemoryStream.h"

#include <QWidget>
#include <cstring>
#include <memory>

using namespace ClipboardApi;

const uint32_t PictureFormatId = RegisterClipboardFormat(QStringLiteral("Vantor Picture"));
const uint32_t ComponentFormatId = RegisterClipboardFormat(QStringLiteral("Vantor Component"));

TClipboard &ClipboardAccess()
{
    static TClipboard clipboard;
    return clipboard;
}

void TClipboard::OpenAccess()
{
    if (FOpenCount == 0) {
        // The clipboard is opened on behalf of a window; this one exists only
        // while the clipboard is open and handles no messages.
        FClipboardWindow = CreateWindow([](uint32_t, uintptr_t, intptr_t) {});
        if (!OpenClipboard(FClipboardWindow)) {
            DestroyWindow(FClipboardWindow);
            FClipboardWindow = 0;
            throw Exception("Cannot open clipboard");
        }
    }
    ++FOpenCount;
}

void TClipboard::CloseAccess()
{
    if (FOpenCount == 0)
        return;
    if (--FOpenCount == 0) {
        CloseClipboard();
        DestroyWindow(FClipboardWindow);
        FClipboardWindow = 0;
    }
}

bool TClipboard::FormatAvailable(uint32_t Format)
{
    if (IsClipboardFormatAvailable(Format))
        return true;
    if (Format != PictureFormatId)
        return false;
    TClipboardOpen open;
    for (uint32_t f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f))
        if (TClipboardFormats::Contains(f))
            return true;
    return false;
}

int TClipboard::CountFormats()
{
    return CountClipboardFormats();
}

QByteArray TClipboard::ClipboardText()
{
    TClipboardOpen open;
    const uint32_t data = GetClipboardData(CF_TEXT);
    const char *text = data ? GlobalLock(data) : nullptr;
    if (!text)
        return QByteArray();
    const qsizetype size = GlobalSize(data);
    const void *zero = std::memchr(text, 0, size);
    QByteArray result(text, zero ? static_cast<const char *>(zero) - text : size);
    GlobalUnlock(data);
    return result;
}

QObject *TClipboard::ComponentFromClipboard(QObject *Owner, QWidget *Parent)
{
    TClipboardOpen open;
    const uint32_t data = GetClipboardData(ComponentFormatId);
    const char *block = data ? GlobalLock(data) : nullptr;
    if (!block)
        return nullptr;
    struct TUnlock {
        uint32_t Data;
        ~TUnlock() { GlobalUnlock(Data); }
    } unlock{data};

    TMemoryStream stream;
    stream.Write(block, GlobalSize(data));
    stream.SetPosition(0);
    std::unique_ptr<QObject> component(ReadComponent(stream, Parent));
    if (Owner && !component->isWidgetType())
        component->setParent(Owner);
    return component.release();
}

void TClipboard::LoadPicture(TPicture &Picture)
{
    TClipboardOpen open;
    for (uint32_t f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f))
        if (TClipboardFormats::Contains(f)) {
            Picture.LoadFromClipboardFormat(f, GetClipboardData(f), GetClipboardData(CF_PALETTE));
            return;
        }
    throw Exception("Invalid clipboard format");
}
