#include "widgets/Picture.h"

#include "platform/clipboard/ClipboardData.h"

#include <QHash>

namespace {
QHash<uint32_t, TClipboardFormats::TGraphicFactory> &Formats()
{
    static QHash<uint32_t, TClipboardFormats::TGraphicFactory> formats = {
        {ClipboardApi::CF_METAFILEPICT, [] { return std::make_unique<TMetafile>(); }},
        {ClipboardApi::CF_ENHMETAFILE, [] { return std::make_unique<TMetafile>(); }},
        {ClipboardApi::CF_BITMAP, [] { return std::make_unique<TBitmap>(); }},
    };
    return formats;
}
} // namespace

void TClipboardFormats::Register(uint32_t format, TGraphicFactory factory)
{
    Formats().insert(format, std::move(factory));
}

bool TClipboardFormats::Contains(uint32_t format)
{
    return Formats().contains(format);
}

std::unique_ptr<TGraphic> TClipboardFormats::Create(uint32_t format)
{
    const auto found = Formats().constFind(format);
    return found == Formats().cend() ? nullptr : (*found)();
}

void TPicture::Assign(const TGraphic &graphic)
{
    FGraphic = graphic.Clone();
    Changed();
}

void TPicture::LoadFromClipboardFormat(uint32_t AFormat, uint32_t AData, Gdi::HPALETTE APalette)
{
    std::unique_ptr<TGraphic> graphic = TClipboardFormats::Create(AFormat);
    if (!graphic)
        throw EInvalidGraphic("Unsupported clipboard format");
    graphic->LoadFromClipboardFormat(AFormat, AData, APalette);
    FGraphic = std::move(graphic);
    Changed();
}

void TPicture::Changed()
{
    if (OnChange)
        OnChange();
}
