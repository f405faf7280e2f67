#include "platform/mailslot/Mailslot.h"
#include "app/DeviceEvent.h"
#include "app/MainUnit.h"
#include "support/Ansi.h"
#include "support/MessageBoxRecorder.h"
#include "support/WaitUntil.h"
#include "support/frmMainProbe.h"
#include "SendTmMessageFixture.h"
#include "app/TmMessage.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {
// Starts tools/tms-mailslot and waits until its mailslot exists (on Linux
// the socket file `fileName` in the mailslot folder); `said` gets what the
// tool wrote to its standard error meanwhile.
bool StartReceiver(QProcess &receiver, const QStringList &arguments, [[maybe_unused]] const QString &fileName,
                   QByteArray &said)
{
    receiver.start(QStringLiteral(V3721_TOOLS_DIR "/tms-mailslot/tms-mailslot"), arguments);
    if (!receiver.waitForStarted(10000))
        return false;
    // The receiver says so once its mailslot exists.
    const bool listening = WaitUntil(
        [&] {
            // On Windows the pipe is read only while the process is waited on.
            receiver.waitForReadyRead(10);
            said += receiver.readAllStandardError();
            return said.contains("listening on") || receiver.state() != QProcess::Running;
        },
        10000, 1);
#ifdef Q_OS_WIN
    const bool created = true;
#else
    const bool created = QFileInfo::exists(MailslotDirectory() + QLatin1Char('/') + fileName);
#endif
    if (listening && said.contains("listening on") && created)
        return true;
    receiver.kill();
    receiver.waitForFinished(2000);
    return false;
}
} // namespace

TEST_F(SendTmMessageTest, DeliversTheComposedMessageInOneWrite)
{
    TMailslotServer server;
    ASSERT_EQ(server.Create("\\\\.\\mailslot\\TMS.ms"), MailslotError::Success);
    DeviceEvent = {true, 0x01, 0x2A, 5};
    window.SendTmMessage("extra`line");
    EXPECT_EQ(server.Read(1000), ComposeTmMessage(DeviceEvent, "10.0.0.5", true, "extra`line"));
    probe.cbPLDKv2()->setChecked(false);
    window.SendTmMessage({});
    EXPECT_EQ(server.Read(1000), ComposeTmMessage(DeviceEvent, "10.0.0.5", false, {}));
    EXPECT_FALSE(server.Read(0).has_value());
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}

TEST_F(SendTmMessageTest, UsesTheNameTypedAtTheTimeOfTheCall)
{
    TMailslotServer server;
    ASSERT_EQ(server.Create("\\\\.\\mailslot\\Other.ms"), MailslotError::Success);
    probe.leTMSName()->setText(QStringLiteral("other"));
    window.SendTmMessage({});
    EXPECT_TRUE(server.Read(1000).has_value());
}

TEST_F(SendTmMessageTest, MissingMailslotShowsTheErrorBoxOncePerMessage)
{
    probe.leTMSName()->setText(QStringLiteral("Absent"));
    window.SendTmMessage({});
    window.SendTmMessage({});
    ASSERT_EQ(boxes.Boxes.size(), 2);
    EXPECT_EQ(boxes.Boxes[0].Text, ErrorText(2));
    EXPECT_EQ(boxes.Boxes[0].Caption, A("Ошибка"));
    EXPECT_EQ(boxes.Boxes[0].Icon, TMsgIcon::Error);
}

TEST_F(SendTmMessageTest, TooLongMessageIsRefusedWholeNotCut)
{
    TMailslotServer server;
    ASSERT_EQ(server.Create("\\\\.\\mailslot\\TMS.ms"), MailslotError::Success);
    const qsizetype base = ComposeTmMessage(DeviceEvent, probe.Link().Host, true, "x").size() - 1;
    // Exactly the largest message that fits goes out whole ...
    const QByteArray fits(MaxTmMessageLength - base + 1, 'x');
    window.SendTmMessage(fits);
    const auto got = server.Read(1000);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->size(), MaxTmMessageLength + 1);
    EXPECT_TRUE(boxes.Boxes.isEmpty());
    // ... one character more is refused with the error box and nothing is
    // sent (a message would be there already: the send returns once written).
    window.SendTmMessage(fits + 'x');
    EXPECT_FALSE(server.Read(0).has_value());
    ASSERT_EQ(boxes.Boxes.size(), 1);
    EXPECT_EQ(boxes.Boxes[0].Text, ErrorText(TmMessageTooLongError));
}

TEST_F(SendTmMessageTest, ReceiverToolPrintsTheMessageItems)
{
    QProcess receiver;
    QByteArray said;
    ASSERT_TRUE(StartReceiver(receiver, {QStringLiteral("--json"), QStringLiteral("--count"), QStringLiteral("1")},
                              QStringLiteral("tms.ms"), said));
    DeviceEvent = {false, 3, 7, 0x45};
    window.SendTmMessage(A("объект"));
    ASSERT_TRUE(receiver.waitForFinished(10000));
    const QByteArray expected = ComposeTmMessage(DeviceEvent, "10.0.0.5", true, A("объект"));
    const QByteArray out = receiver.readAllStandardOutput();
    EXPECT_TRUE(out.contains("\"hex\":\"" + expected.toHex() + "\"")) << out.constData();
    EXPECT_TRUE(out.contains("\"TMPORT$QZR_0\"")) << out.constData();
    EXPECT_TRUE(out.contains(QStringLiteral("\"объект\"").toUtf8())) << out.constData();
    EXPECT_TRUE(boxes.Boxes.isEmpty());
#ifndef Q_OS_WIN
    // The receiver removed the socket file of the Linux stand-in.
    EXPECT_FALSE(QFileInfo::exists(MailslotDirectory() + QStringLiteral("/tms.ms")));
#endif
}

TEST_F(SendTmMessageTest, ReceiverToolTakesACyrillicNameTypedInUtf8)
{
    QProcess receiver;
    QByteArray started;
    ASSERT_TRUE(StartReceiver(receiver,
                              {QStringLiteral("--name"), QStringLiteral("ТМС"), QStringLiteral("--json"),
                               QStringLiteral("--count"), QStringLiteral("2")},
                              QStringLiteral("тмс.ms"), started))
        << started.constData();

    // Another TM server's name finds no mailslot ...
    probe.leTMSName()->setText(QStringLiteral("АБВ"));
    window.SendTmMessage(A("чужое"));
    ASSERT_EQ(boxes.Boxes.size(), 1);
    EXPECT_EQ(boxes.Boxes[0].Text, ErrorText(2));
    // ... while the receiver's name in either letter case reaches it.
    probe.leTMSName()->setText(QStringLiteral("тмс"));
    window.SendTmMessage(A("первое"));
    probe.leTMSName()->setText(QStringLiteral("ТМС"));
    window.SendTmMessage(A("второе"));
    ASSERT_TRUE(receiver.waitForFinished(5000));
    const QByteArray out = receiver.readAllStandardOutput();
    EXPECT_TRUE(out.contains(ComposeTmMessage(DeviceEvent, "10.0.0.5", true, A("первое")).toHex())) << out.constData();
    EXPECT_TRUE(out.contains(ComposeTmMessage(DeviceEvent, "10.0.0.5", true, A("второе")).toHex())) << out.constData();
    EXPECT_FALSE(out.contains(A("чужое").toHex())) << out.constData();
    EXPECT_EQ(boxes.Boxes.size(), 1);
    // The tool names its mailslot readably.
    const QString said = QString::fromUtf8(started + receiver.readAllStandardError());
    EXPECT_TRUE(said.contains(QStringLiteral("\\\\.\\mailslot\\ТМС.ms"))) << said.toStdString();
#ifndef Q_OS_WIN
    // ... and the Linux stand-in's socket file, named in lower case.
    EXPECT_TRUE(said.contains(QStringLiteral("/тмс.ms"))) << said.toStdString();
#endif
}
