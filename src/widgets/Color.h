#pragma once

#include <QColor>
#include <QObject>
#include <cstdint>

namespace Graphics {
Q_NAMESPACE

// A colour as the program stores it: red + green * 256 + blue * 65536, or a
// system colour (high bit set, following the desktop's palette). The named
// values are those the program uses; any other value is a plain colour.
enum TColor : int32_t {
    clWindow = int32_t(0x80000005),
    clBtnFace = int32_t(0x8000000F),
    clBtnShadow = int32_t(0x80000010),
    clBtnHighlight = int32_t(0x80000014),
    clNone = 0x1FFFFFFF,
};
Q_ENUM_NS(TColor)

} // namespace Graphics

using Graphics::TColor;
using enum Graphics::TColor;

// Drawing picks the nearest colour of the selected palette for a colour with
// this flag.
constexpr int32_t PaletteRelativeFlag = 0x02000000;

constexpr TColor RGBColor(uint8_t red, uint8_t green, uint8_t blue)
{
    return TColor(red | green << 8 | blue << 16);
}

// System colours replaced by their current values; plain colours unchanged.
TColor ColorToRGB(TColor color);

// The colour to paint with (the palette-relative flag is ignored; clNone is
// transparent).
QColor ToQColor(TColor color);
