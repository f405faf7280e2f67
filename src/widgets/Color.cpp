#include "widgets/Color.h"

#include <QGuiApplication>
#include <QPalette>

namespace {
QColor SystemColor(TColor color)
{
    const QPalette palette = QGuiApplication::palette();
    switch (color) {
    case clWindow: return palette.color(QPalette::Base);
    case clBtnShadow: return palette.color(QPalette::Dark);
    case clBtnHighlight: return palette.color(QPalette::Light);
    default: return palette.color(QPalette::Button);
    }
}
} // namespace

TColor ColorToRGB(TColor color)
{
    if (uint32_t(color) & 0x80000000u) {
        const QColor c = SystemColor(color);
        return RGBColor(c.red(), c.green(), c.blue());
    }
    return color;
}

QColor ToQColor(TColor color)
{
    if (color == clNone)
        return QColor(Qt::transparent);
    const uint32_t rgb = uint32_t(ColorToRGB(color));
    return QColor(rgb & 0xFF, rgb >> 8 & 0xFF, rgb >> 16 & 0xFF);
}
