#include "platform/beep/MessageBeep.h"
#include "support/BeepRecorder.h"

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
