#pragma once

#include "framework/Exception.h"
#include "platform/clipboard/GdiObjects.h"

#include <QImage>
#include <cstdint>
#include <memory>

class TMemoryStream;

// A picture failed to load or has the wrong kind of data.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// An operation the kind of picture does not support.
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

// A picture of some kind, shown as an image.
class TGraphic {
public:
    virtual ~TGraphic() = default;

    // Loads from clipboard data of the given format (a handle as the
    // clipboard hands it out) and the clipboard's palette (0 when none).
    virtual void LoadFromClipboardFormat(uint32_t AFormat, uint32_t AData, Gdi::HPALETTE APalette) = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    const QImage &Image() const { return FImage; }
    bool Empty() const { return FImage.isNull(); }
    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }

protected:
    QImage FImage;
};

// A bitmap; clipboard data is a bitmap object.
class TBitmap : public TGraphic {
public:
    void LoadFromClipboardFormat(uint32_t AFormat, uint32_t AData, Gdi::HPALETTE APalette) override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }
};

// A metafile. This build has no metafile decoder: a metafile loads as an
// empty picture.
class TMetafile : public TGraphic {
public:
    void LoadFromClipboardFormat(uint32_t AFormat, uint32_t AData, Gdi::HPALETTE APalette) override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TMetafile>(*this); }
};

// An icon in the standard icon-file layout. It cannot be loaded from a
// clipboard format, only from a stream.
class TIcon : public TGraphic {
public:
    void LoadFromClipboardFormat(uint32_t AFormat, uint32_t AData, Gdi::HPALETTE APalette) override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TIcon>(*this); }
    // Reads the icon from the stream's position to its end.
    void LoadFromStream(TMemoryStream &stream);
};
