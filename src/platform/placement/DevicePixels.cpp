#include "platform/placement/DevicePixels.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace Wnd {
namespace {
// The screen's area in device pixels: the same corner, the size scaled.
QRect DeviceArea(const TScreenScale &screen)
{
    return QRect(screen.Geometry.topLeft(), QSize(int(std::lround(screen.Geometry.width() * screen.Ratio)),
                                                  int(std::lround(screen.Geometry.height() * screen.Ratio))));
}

// Far beyond any screen, and small enough that a position plus a size
// still fits into an int.
constexpr double Limit = 1 << 30;

// origin + (value - origin) * factor, rounded half away from zero as Qt
// rounds, and kept within the limit.
int Scaled(int64_t value, double factor, int64_t origin = 0)
{
    const double scaled = double(origin) + std::round(double(value - origin) * factor);
    return int(std::clamp(scaled, -Limit, Limit));
}

QRect Convert(const QRect &rect, const TScreenScale &screen, double factor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return rect;
    const QPoint origin = screen.Geometry.topLeft();
    return QRect(Scaled(rect.x(), factor, origin.x()), Scaled(rect.y(), factor, origin.y()),
                 Scaled(rect.width(), factor), Scaled(rect.height(), factor));
}
} // namespace

QList<TScreenScale> ScreenScales()
{
    QList<TScreenScale> scales;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        scales.append({primary->geometry(), primary->devicePixelRatio()});
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen != primary)
            scales.append({screen->geometry(), screen->devicePixelRatio()});
    return scales;
}

QRect DeviceToQt(const QRect &device, const QList<TScreenScale> &screens)
{
    if (screens.isEmpty())
        return device;
    const QPoint centre = device.center();
    const TScreenScale *screen = &screens.front();
    for (const TScreenScale &candidate : screens)
        if (DeviceArea(candidate).contains(centre)) {
            screen = &candidate;
            break;
        }
    return Convert(device, *screen, 1 / screen->Ratio);
}
} // namespace Wnd
