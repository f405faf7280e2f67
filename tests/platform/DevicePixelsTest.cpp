#include "platform/placement/DevicePixels.h"

#include <gtest/gtest.h>

using namespace Wnd;

namespace {
// A 1920 x 1200 screen at 150 % (1280 x 800 of Qt's pixels) and, to its
// right, one at 100 %.
const QList<TScreenScale> TwoScreens{{QRect(0, 0, 1280, 800), 1.5}, {QRect(1920, 0, 1920, 1080), 1.0}};
} // namespace

TEST(DevicePixels, ConvertOnTheScreenThatHoldsTheRectangle)
{
    struct {
        const char *name;
        QList<TScreenScale> screens;
        QRect device, qt;
    } const cases[] = {
        {"100 %", {{QRect(0, 0, 1280, 1024), 1.0}}, QRect(297, 177, 541, 455), QRect(297, 177, 541, 455)},
        {"125 %", {{QRect(0, 0, 1024, 819), 1.25}}, QRect(376, 221, 666, 535), QRect(301, 177, 533, 428)},
        {"150 %", {{QRect(0, 0, 1707, 1067), 1.5}}, QRect(452, 266, 800, 642), QRect(301, 177, 533, 428)},
        {"200 %", {{QRect(0, 0, 1280, 800), 2.0}}, QRect(602, 354, 1066, 856), QRect(301, 177, 533, 428)},
        {"a screen left of the primary", {{QRect(0, 0, 800, 600), 2.0}, {QRect(-1000, 0, 500, 400), 2.0}},
         QRect(-900, 100, 200, 100), QRect(-950, 50, 100, 50)},
        {"the second screen", TwoScreens, QRect(2000, 100, 400, 300), QRect(2000, 100, 400, 300)},
        {"the first screen", TwoScreens, QRect(150, 90, 600, 300), QRect(100, 60, 400, 200)},
        {"no screen: the first", TwoScreens, QRect(-3000, 90, 600, 300), QRect(-2000, 60, 400, 200)},
        {"no screens at all", {}, QRect(10, 20, 30, 40), QRect(10, 20, 30, 40)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DeviceToQt(c.device, c.screens), c.qt) << c.name;
}

// A window that Qt placed, as the system measures it, gives Qt's geometry
// back: the restore then leaves the window where the system put it.
TEST(DevicePixels, WhatQtPlacedComesBackWhateverTheScale)
{
    for (const double ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        const QList<TScreenScale> screens{{QRect(-40, 0, 2000, 2000), ratio}};
        for (int at = -7; at < 400; at += 3) {
            const QRect qt(at, at / 2 + 1, 300 + at, 200 + at / 3);
            // Qt's own rule: the offset from the screen's corner and the size
            // each scaled and rounded.
            const QRect device(-40 + qRound((qt.x() + 40) * ratio), qRound(qt.y() * ratio), qRound(qt.width() * ratio),
                               qRound(qt.height() * ratio));
            EXPECT_EQ(DeviceToQt(device, screens), qt) << ratio << " " << at;
        }
    }
    // Numbers far beyond any screen stay far enough within an int.
    const QRect far = DeviceToQt(QRect(-2000000000, 2000000000 - 10, 10, 10), {{QRect(-100, 0, 10, 10), 0.5}});
    EXPECT_EQ(far.left(), -(1 << 30));
    EXPECT_EQ(far.top(), 1 << 30);
}
