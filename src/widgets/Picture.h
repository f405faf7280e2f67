#pragma once

#include "widgets/Graphic.h"

#include <functional>
#include <memory>

// The table of picture clipboard formats: which kind of picture each format
// loads as. It always holds CF_METAFILEPICT and CF_ENHMETAFILE (metafile)
// and CF_BITMAP (bitmap); modules add their own formats at start-up.
class TClipboardFormats {
public:
    using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

    static void Register(uint32_t format, TGraphicFactory factory);
    // Whether format is a picture format.
    static bool Contains(uint32_t format);
    // A new, empty picture of the kind registered for format; none when the
    // format is not in the table.
    static std::unique_ptr<TGraphic> Create(uint32_t format);
};

// Holds one picture of any kind, or none.
class TPicture {
public:
    const TGraphic *Graphic() const { return FGraphic.get(); }
    void Assign(const TGraphic &graphic);

    // Loads a picture of the kind registered for AFormat. EInvalidGraphic
    // "Unsupported clipboard format" when there is none; the picture is left
    // as it was when loading fails.
    void LoadFromClipboardFormat(uint32_t AFormat, uint32_t AData, Gdi::HPALETTE APalette);

    // Called after every change.
    std::function<void()> OnChange;

private:
    void Changed();

    std::unique_ptr<TGraphic> FGraphic;
};
