#include "widgets/Graphic.h"

#include "framework/MemoryStream.h"

void TBitmap::LoadFromClipboardFormat(uint32_t, uint32_t AData, Gdi::HPALETTE)
{
    // A bitmap the clipboard could not render (broken image data) is empty.
    FImage = Gdi::BitmapImage(AData);
}

void TMetafile::LoadFromClipboardFormat(uint32_t, uint32_t, Gdi::HPALETTE)
{
    FImage = QImage();
}

void TIcon::LoadFromClipboardFormat(uint32_t, uint32_t, Gdi::HPALETTE)
{
    throw EInvalidGraphicOperation("Clipboard does not support Icons");
}

void TIcon::LoadFromStream(TMemoryStream &stream)
{
    const QByteArray bytes(stream.Memory() + stream.Position(), stream.Size() - stream.Position());
    stream.SetPosition(stream.Size());
    QImage image = QImage::fromData(bytes, "ICO");
    if (image.isNull())
        throw EInvalidGraphic("Icon image is not valid");
    FImage = std::move(image);
}
