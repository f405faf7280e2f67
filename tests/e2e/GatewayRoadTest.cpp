// The whole road from the board to the TM server: the gateway simulator and
// the mailslot receiver run as real processes, the main window is the real
// one, and "Пуск" is clicked.

#include "app/DeviceEvent.h"
#include "app/MainUnit.h"
#include "support/Ansi.h"
#include "support/BeepRecorder.h"
#include "support/ChildProcess.h"
#include "support/MessageBoxRecorder.h"
#include "support/frmMainProbe.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>

namespace {
const QString Tools = QStringLiteral(V3721_TOOLS_DIR);
const QByteArray SimulatorMac = "0A:1B:2C:3D:4E:5F";

class GatewayRoad : public testing::Test {
protected:
    void SetUp() override
    {
        DeviceEvent = {};
        ASSERT_TRUE(receiver.Running()) << receiver.ErrorOutput().constData();
        // The receiver says so once its mailslot exists.
        QByteArray said;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                said += receiver.ErrorOutput();
                return said.contains("listening on");
            },
            10000))
            << said.constData();

        const std::optional<QByteArray> banner = simulator.ReadLine(10000);
        ASSERT_TRUE(banner) << simulator.ErrorOutput().constData();
        const QRegularExpressionMatch port =
            QRegularExpression(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+), MAC ")).match(QString::fromLatin1(*banner));
        ASSERT_TRUE(port.hasMatch()) << banner->constData();
        simulatorPort = port.captured(1);
    }
    void TearDown() override
    {
        DeviceEvent = {};
        if (HasFailure()) {
            // What the tools and the log said, for whoever reads the failure.
            simulator.WaitForLine("\n", 1000);
            std::fprintf(stderr, "kvip-sim said:\n%s\n%s\ntms-mailslot said:\n%s\nthe log:\n%s\n",
                         simulator.Seen.join('\n').constData(), simulator.ErrorOutput().constData(),
                         receiver.ErrorOutput().constData(), probe.LogText().toUtf8().constData());
        }
    }

    // Clicks "Пуск" with the given address field.
    void Start(const QString &address)
    {
        probe.leKVIP()->setText(address);
        QTest::mouseClick(probe.Button1(), Qt::LeftButton);
    }

    // Waits until the gateway's identity reply has been taken in.
    bool MacLearnt()
    {
        return QTest::qWaitFor([&] { return probe.Link().GatewayMac[0] != 0; }, 10000);
    }

    // The next message at the mailslot, as its bytes.
    QByteArray NextMessage()
    {
        const std::optional<QByteArray> line = receiver.ReadLine(10000);
        if (!line)
            return {};
        return QByteArray::fromHex(QJsonDocument::fromJson(*line).object().value(QStringLiteral("hex")).toString().toLatin1());
    }

    ChildProcess receiver{Tools + QStringLiteral("/tms-mailslot/tms-mailslot"), {QStringLiteral("--json")}};
    // Lines without the time, compared whole.
    ChildProcess simulator{Tools + QStringLiteral("/kvip-sim/kvip-sim"),
                           {QStringLiteral("--no-time"), QStringLiteral("--port"), QStringLiteral("0"),
                            QStringLiteral("--mac"), QString::fromLatin1(SimulatorMac)}};
    QString simulatorPort;
    MessageBoxRecorder boxes;
    BeepRecorder beeps;
    TfrmMain window;
    TfrmMainProbe probe{window};
};

QByteArray Message(const char *line)
{
    return QByteArray(line) + "\r\n" + QByteArray(1, '\0');
}
} // namespace

TEST_F(GatewayRoad, GreetingReplyPollAndKeyEventsReachTheTmServer)
{
    Start(QStringLiteral("127.0.0.1:") + simulatorPort);
    ASSERT_TRUE(boxes.Boxes.isEmpty()) << boxes.Boxes[0].Text.constData();

    // On the wire: the greeting from the program's port 971, answered.
    ASSERT_TRUE(simulator.WaitForLine("<- 127.0.0.1:971 47 44  greeting", 10000)) << simulator.Seen.join('\n').constData();
    ASSERT_TRUE(simulator.WaitForLine("-> 127.0.0.1:971 47 52 0A 1B 2C 3D 4E 5F  identity reply", 10000));
    EXPECT_TRUE(MacLearnt());
    EXPECT_EQ(probe.Link().GatewayMac, (std::array<uint8_t, 6>{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}));
    EXPECT_TRUE(probe.LogLines().contains(QStringLiteral("47 52 0A 1B 2C 3D 4E 5F ")));

    // The next poll carries the learnt MAC (the poll timer's period is the
    // main window's test's).
    const std::optional<QByteArray> poll = simulator.WaitForLine("  poll", 15000);
    ASSERT_TRUE(poll) << "no poll after \"Пуск\"";
    EXPECT_EQ(*poll, "<- 127.0.0.1:971 44 44 0A 1B 2C 3D 4E 5F 34  poll, MAC 0A:1B:2C:3D:4E:5F");

    // A kind B key event: mode 0, decimal values; the host as typed.
    simulator.Write("b 3 7 69");
    EXPECT_EQ(NextMessage(), Message("hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=127.0.0.1`TMPORT$QZR_0"
                                     "`_RQL_MUX3.qzrexMux3Idx=3`_RQL_MUX2.qzrexMux2Idx=7"
                                     "`TMO_QZREX_STATUS_20.qzrexSt2Num=2`TMO_QZREX_ST2_IND.qzrexSt2IndNum=5"));
    // A kind C key event with the indicator-block option set, as it is at start.
    simulator.Write("c 1 42 5");
    EXPECT_EQ(NextMessage(), Message("hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=127.0.0.1`TMPORT$QZR_1"
                                     "`TMO_QZREX_STATUS_20.qzrexSt2Num=$012A`TMO_QZREX_ST2_IND.qzrexSt2IndNum=5"));
    // Datagrams that are not key events of this gateway reach nobody; the
    // link still works after them.
    simulator.Write("foreign c 9 9 9");
    simulator.Write("malformed b");
    simulator.Write("short 13");
    simulator.Write("c 0xFF 0xFF 200");
    EXPECT_EQ(NextMessage(), Message("hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=127.0.0.1`TMPORT$QZR_1"
                                     "`TMO_QZREX_STATUS_20.qzrexSt2Num=$FFFF`TMO_QZREX_ST2_IND.qzrexSt2IndNum=200"));
    EXPECT_EQ(beeps.Beeps.size(), 6);
    EXPECT_TRUE(probe.LogText().contains(QStringLiteral("Несовпадение MAC-адреса")));
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}

TEST_F(GatewayRoad, GatewayTypedAsANameIsNotRefusedAsForeign)
{
    // The replies come from 127.0.0.1, which is what LOCALHOST resolved to.
    Start(QStringLiteral("LOCALHOST:") + simulatorPort);
    ASSERT_TRUE(simulator.WaitForLine("identity reply", 10000)) << simulator.Seen.join('\n').constData();
    EXPECT_TRUE(MacLearnt());
    EXPECT_EQ(probe.Link().GatewayMac, (std::array<uint8_t, 6>{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}));
    EXPECT_FALSE(probe.LogText().contains(QStringLiteral("Несовпадение IP-адреса")));

    simulator.Write("c 0 1 2");
    // The TM server keeps the host as the operator typed it.
    EXPECT_EQ(NextMessage(), Message("hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=LOCALHOST`TMPORT$QZR_1"
                                     "`TMO_QZREX_STATUS_20.qzrexSt2Num=$0001`TMO_QZREX_ST2_IND.qzrexSt2IndNum=2"));
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}

TEST_F(GatewayRoad, BrokenDatagramsDoNotStopTheRoad)
{
    Start(QStringLiteral("127.0.0.1:") + simulatorPort);
    ASSERT_TRUE(simulator.WaitForLine("identity reply", 10000)) << simulator.Seen.join('\n').constData();
    ASSERT_TRUE(MacLearnt());
    ASSERT_EQ(probe.Link().GatewayMac[0], 0x0A);

    // Nothing, too much, a lone byte, a stale identity reply: then a key
    // event still goes through.
    for (const char *command : {"empty", "oversized", "oversized 65507", "raw 23", "gr 00:00:00:00:00:00 g",
                                "gr", "c 7 7 7"})
        simulator.Write(command);
    EXPECT_EQ(NextMessage(), Message("hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=127.0.0.1`TMPORT$QZR_1"
                                     "`TMO_QZREX_STATUS_20.qzrexSt2Num=$0707`TMO_QZREX_ST2_IND.qzrexSt2IndNum=7"));
    const QStringList log = probe.LogLines();
    EXPECT_TRUE(log.contains(QStringLiteral("23 ")));
    EXPECT_TRUE(log.contains(QStringLiteral("67 52 00 00 00 00 00 00 ")));
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}
