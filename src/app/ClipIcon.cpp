#include "app/ClipIcon.h"

#include "app/Clipboard.h"
#include "widgets/Picture.h"
#include "framework/MemoryStream.h"

namespace {
uint32_t RegisterIconFormat()
{
    const uint32_t format = ClipboardApi::RegisterClipboardFormat(QStringLiteral("Vantor Icon"));
    TClipboardFormats::Register(format, [] { return std::make_unique<TIcon>(); });
    return format;
}
} // namespace

const uint32_t IconFormatId = RegisterIconFormat();

void ReadIconFromClipboard(TIcon &Icon)
{
    if (!ClipboardAccess().FormatAvailable(IconFormatId))
        return;
    TClipboardOpen open;
    const uint32_t data = ClipboardApi::GetClipboardData(IconFormatId);
    const char *block = data ? ClipboardApi::GlobalLock(data) : nullptr;
    TMemoryStream stream;
    if (block) {
        stream.Write(block, ClipboardApi::GlobalSize(data));
        ClipboardApi::GlobalUnlock(data);
    }
    stream.SetPosition(0);
    Icon.LoadFromStream(stream);
}

std::unique_ptr<TIcon> IconFromClipboard()
{
    if (!ClipboardAccess().FormatAvailable(IconFormatId))
        return nullptr;
    auto icon = std::make_unique<TIcon>();
    ReadIconFromClipboard(*icon);
    return icon;
}
