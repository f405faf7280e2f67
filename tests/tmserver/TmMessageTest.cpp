#include "app/TmMessage.h"

#include <gtest/gtest.h>

namespace {
const QByteArray Head = "hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=10.0.0.5`";

TDeviceEvent Event(bool mode, uint8_t a, uint8_t b, uint8_t c)
{
    return TDeviceEvent{mode, a, b, c};
}
} // namespace

TEST(ComposeTmMessage, ModeZeroSplitsTheIndicatorByte)
{
    const QByteArray expected = Head + "TMPORT$QZR_0`_RQL_MUX3.qzrexMux3Idx=3`_RQL_MUX2.qzrexMux2Idx=7`"
                                       "TMO_QZREX_STATUS_20.qzrexSt2Num=2`TMO_QZREX_ST2_IND.qzrexSt2IndNum=5\r\n";
    EXPECT_EQ(ComposeTmMessage(Event(false, 3, 7, 0x45), "10.0.0.5", true, {}), expected + '\0');
    // The option does not matter in mode 0.
    EXPECT_EQ(ComposeTmMessage(Event(false, 3, 7, 0x45), "10.0.0.5", false, {}), expected + '\0');
    EXPECT_EQ(ComposeTmMessage(Event(false, 255, 255, 0xFF), "h", true, {}),
              QByteArray("hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=h`TMPORT$QZR_0`"
                         "_RQL_MUX3.qzrexMux3Idx=255`_RQL_MUX2.qzrexMux2Idx=255`"
                         "TMO_QZREX_STATUS_20.qzrexSt2Num=7`TMO_QZREX_ST2_IND.qzrexSt2IndNum=31\r\n")
                  + '\0');
}

TEST(ComposeTmMessage, ModeOneWithTheOptionSet)
{
    EXPECT_EQ(ComposeTmMessage(Event(true, 0x01, 0x2A, 5), "10.0.0.5", true, {}),
              Head + "TMPORT$QZR_1`TMO_QZREX_STATUS_20.qzrexSt2Num=$012A`TMO_QZREX_ST2_IND.qzrexSt2IndNum=5\r\n"
                  + '\0');
    EXPECT_EQ(ComposeTmMessage(Event(true, 0xFF, 0xFF, 200), "10.0.0.5", true, {}),
              Head + "TMPORT$QZR_1`TMO_QZREX_STATUS_20.qzrexSt2Num=$FFFF`TMO_QZREX_ST2_IND.qzrexSt2IndNum=200\r\n"
                  + '\0');
}

TEST(ComposeTmMessage, ModeOneWithTheOptionClear)
{
    EXPECT_EQ(ComposeTmMessage(Event(true, 0x01, 0x2A, 5), "10.0.0.5", false, {}),
              Head + "TMPORT$QZR_1`TMO_QZREX_STATUS.qzrexStNum=$012A`TMO_QZREX_ST_IND.qzrexStIndNum=5\r\n" + '\0');
}

TEST(ComposeTmMessage, ExtraTextIsTheSecondLine)
{
    const QByteArray message = ComposeTmMessage(Event(false, 0, 0, 0), "", true, "a`b");
    EXPECT_EQ(message,
              QByteArray("hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=`TMPORT$QZR_0`"
                         "_RQL_MUX3.qzrexMux3Idx=0`_RQL_MUX2.qzrexMux2Idx=0`"
                         "TMO_QZREX_STATUS_20.qzrexSt2Num=0`TMO_QZREX_ST2_IND.qzrexSt2IndNum=0\r\na`b\r\n")
                  + '\0');
    EXPECT_EQ(message.count('\0'), 1);
    EXPECT_TRUE(message.endsWith(QByteArray("\r\n") + '\0'));
}

TEST(TmMailslotPath, NamesTheServersMailslot)
{
    EXPECT_EQ(TmMailslotPath("TMS"), "\\\\.\\mailslot\\TMS.ms");
}
