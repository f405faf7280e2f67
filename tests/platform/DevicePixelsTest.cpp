#include "platform/placement/DevicePixels.h"

#include <gtest/gtest.h>

using namespace Wnd;

TEST(DevicePixels, ConvertOnTheScreenThatHoldsTheRectangle)
{
    // A screen at 150 % and, to its right, one at 100 %.
    const QList<TScreenScale> two{{QRect(0, 0, 1280, 800), 1.5}, {QRect(1920, 0, 1920, 1080), 1.0}};
    struct {
        QList<TScreenScale> screens;
        QRect device, qt;
    } const cases[] = {
        {{{QRect(0, 0, 1024, 819), 1.25}}, QRect(376, 221, 666, 535), QRect(301, 177, 533, 428)},
        {{{QRect(0, 0, 1280, 800), 2.0}}, QRect(602, 354, 1066, 856), QRect(301, 177, 533, 428)},
        {{{QRect(0, 0, 800, 600), 2.0}, {QRect(-1000, 0, 500, 400), 2.0}}, QRect(-900, 100, 200, 100),
         QRect(-950, 50, 100, 50)},
        {two, QRect(2000, 100, 400, 300), QRect(2000, 100, 400, 300)},
        {two, QRect(-3000, 90, 600, 300), QRect(-2000, 60, 400, 200)}, // on no screen: the first
        {{}, QRect(10, 20, 30, 40), QRect(10, 20, 30, 40)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DeviceToQt(c.device, c.screens), c.qt) << c.device.x();
    // A window that Qt placed, as the system measures it (Qt's own rule: the
    // offset from the screen's corner and the size each scaled and rounded),
    // gives Qt's geometry back, so that a restore leaves it where it was.
    for (const double ratio : {1.25, 1.5, 1.75, 2.0, 2.5}) {
        for (int at = -7; at < 400; at += 3) {
            const QRect qt(at, at / 2, 300 + at, 200 + at / 3);
            const QRect device(-40 + qRound((qt.x() + 40) * ratio), qRound(qt.y() * ratio), qRound(qt.width() * ratio),
                               qRound(qt.height() * ratio));
            EXPECT_EQ(DeviceToQt(device, {{QRect(-40, 0, 2000, 2000), ratio}}), qt) << ratio << " " << at;
        }
    }
}
