#include "platform/beep/MessageBeep.h"
#include "support/BeepRecorder.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

TEST(MessageBeep, RecorderTakesEveryBeepAndRestoresThePreviousOne)
{
    BeepRecorder outer;
    {
        BeepRecorder inner;
        MessageBeep(BeepKind::Simple);
        MessageBeep(BeepKind::Asterisk);
        EXPECT_EQ(inner.Beeps, (QList<uint32_t>{BeepKind::Simple, BeepKind::Asterisk}));
    }
    MessageBeep(BeepKind::Asterisk);
    EXPECT_EQ(outer.Beeps, QList<uint32_t>{BeepKind::Asterisk});
}

TEST(MessageBeep, RealSoundsNeverHoldTheCaller)
{
    // Whether or not a sound server answers, the caller only queues the
    // sound: a burst far longer than the queue returns at once and drops the
    // surplus instead of waiting for it.
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 500; ++i)
        MessageBeep(i % 2 ? BeepKind::Asterisk : BeepKind::Simple);
    EXPECT_LT(timer.elapsed(), 250);
}
