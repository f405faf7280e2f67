#pragma once

#include <QList>
#include <QRect>

// Qt places windows in device-independent pixels; the system's placement
// on Windows speaks the screen's own pixels, what a window measures at 125,
// 150 or 200 % display scaling. A screen's top-left corner is the same
// number in both measures; within a screen, Qt's pixels are its device
// pixels divided by the screen's ratio. The system's rectangles reach Qt
// through this one conversion; what Qt gives goes to the settings in the
// system's own terms, unconverted.

namespace Wnd {
struct TScreenScale {
    QRect Geometry; // in Qt's pixels
    double Ratio = 1; // device pixels per Qt pixel
};

// The screens as Qt has them now, the primary one first.
QList<TScreenScale> ScreenScales();

// A rectangle in device pixels as Qt's geometry, on the screen that holds
// the rectangle's centre (the first one when none does), rounded as Qt
// rounds its own geometry, position and size each by itself: the result is
// the geometry Qt itself gives a window of that native rectangle.
QRect DeviceToQt(const QRect &device, const QList<TScreenScale> &screens);
} // namespace Wnd
