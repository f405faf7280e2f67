// The gateway simulator and the mailslot receiver stamp what they print with
// the local time; --no-time leaves it off.

#include "platform/mailslot/Mailslot.h"
#include "support/WaitUntil.h"
#include "tools/ToolRun.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
const QRegularExpression StampedLine(QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d) (.*)$"));

// The times between `before` and `after` (a second's slack either side).
bool Within(const QDateTime &time, const QDateTime &before, const QDateTime &after)
{
    return time >= before.addSecs(-1) && time <= after.addSecs(1);
}

// A stamped line's time of day on the date of `before` (or of the day
// after, when the run went past midnight).
QDateTime TimeOfLine(const QString &stamp, const QDateTime &before)
{
    const QTime time = QTime::fromString(stamp, QStringLiteral("HH:mm:ss.zzz"));
    QDateTime at(before.date(), time);
    if (at < before.addSecs(-1))
        at = at.addDays(1);
    return at;
}

// Writes one message to the TM server mailslot "TMS".
void SendMessage(const QByteArray &message)
{
    TMailslotClient client;
    ASSERT_EQ(client.Open("\\\\.\\mailslot\\TMS.ms"), MailslotError::Success);
    ASSERT_EQ(client.Write(message), MailslotError::Success);
}

// Starts tms-mailslot with `arguments`, sends it one message and returns
// what it printed.
QByteArray ReceiveOne(QStringList arguments)
{
    arguments << QStringLiteral("--count") << QStringLiteral("1");
    QProcess receiver;
    receiver.start(ToolPaths::TmsMailslot, arguments);
    // The receiver says when its mailslot is there.
    receiver.setReadChannel(QProcess::StandardError);
    QByteArray said;
    const bool listening = WaitUntil([&] {
        receiver.waitForReadyRead(10);
        said += receiver.readAllStandardError();
        return said.contains("listening on");
    }, 10000, 10);
    if (!listening) {
        receiver.kill();
        receiver.waitForFinished();
        return "no mailslot";
    }
    SendMessage(QByteArray("a`b\r\n", 6));
    if (!receiver.waitForFinished(10000)) {
        receiver.kill();
        receiver.waitForFinished();
    }
    return receiver.readAllStandardOutput();
}
} // namespace

TEST(ToolTimeStamp, KvipSimStampsEveryLineItPrints)
{
    const QDateTime before = QDateTime::currentDateTime();
    // The discard port of this machine: nobody answers, the send is printed.
    const ToolRun run = RunTool(ToolPaths::KvipSim, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--to"),
                                                     QStringLiteral("127.0.0.1:9"), QStringLiteral("raw 41 42"),
                                                     QStringLiteral("quit")});
    const QDateTime after = QDateTime::currentDateTime();
    ASSERT_EQ(run.Status, 0) << run.Err.constData();
    const QStringList lines = QString::fromUtf8(run.Out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.Out.constData();
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = StampedLine.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        EXPECT_TRUE(Within(TimeOfLine(match.captured(1), before), before, after)) << line.toStdString();
    }
    EXPECT_TRUE(StampedLine.match(lines[0]).captured(2).startsWith(QStringLiteral("kvip-sim: listening on 127.0.0.1:")));
    EXPECT_EQ(StampedLine.match(lines[1]).captured(2), QStringLiteral("-> 127.0.0.1:9 41 42  raw"));

    const ToolRun bare = RunTool(ToolPaths::KvipSim, {QStringLiteral("--no-time"), QStringLiteral("--port"),
                                                      QStringLiteral("0"), QStringLiteral("--to"),
                                                      QStringLiteral("127.0.0.1:9"), QStringLiteral("raw 41 42"),
                                                      QStringLiteral("quit")});
    ASSERT_EQ(bare.Status, 0) << bare.Err.constData();
    EXPECT_TRUE(bare.Out.startsWith("kvip-sim: listening on 127.0.0.1:")) << bare.Out.constData();
    EXPECT_TRUE(bare.Out.endsWith("\n-> 127.0.0.1:9 41 42  raw\n")) << bare.Out.constData();
}

TEST(ToolTimeStamp, TmsMailslotStampsEachMessage)
{
    const QDateTime before = QDateTime::currentDateTime();
    const QByteArray text = ReceiveOne({});
    const QDateTime after = QDateTime::currentDateTime();
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << text.constData();
    const QRegularExpressionMatch match = StampedLine.match(lines[0]);
    ASSERT_TRUE(match.hasMatch()) << text.constData();
    EXPECT_TRUE(Within(TimeOfLine(match.captured(1), before), before, after)) << text.constData();
    EXPECT_EQ(match.captured(2), QStringLiteral("message 1: 6 bytes"));
    EXPECT_EQ(lines.mid(1), (QStringList{QStringLiteral("  line 1:"), QStringLiteral("    a"), QStringLiteral("    b")}));

    EXPECT_EQ(ReceiveOne({QStringLiteral("--no-time")}), "message 1: 6 bytes\n  line 1:\n    a\n    b\n");
}

TEST(ToolTimeStamp, TmsMailslotJsonCarriesTheTimeInAFieldOfItsOwn)
{
    const QDateTime before = QDateTime::currentDateTime();
    const QByteArray json = ReceiveOne({QStringLiteral("--json")});
    const QDateTime after = QDateTime::currentDateTime();
    const QJsonObject message = QJsonDocument::fromJson(json).object();
    ASSERT_FALSE(message.isEmpty()) << json.constData();
    const QString time = message.value(QStringLiteral("time")).toString();
    // ISO 8601 with milliseconds and the offset from UTC.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}([+-]\\d\\d:\\d\\d|Z)$"))
                    .match(time)
                    .hasMatch())
        << time.toStdString();
    EXPECT_TRUE(Within(QDateTime::fromString(time, Qt::ISODateWithMs), before, after)) << time.toStdString();
    EXPECT_EQ(message.value(QStringLiteral("hex")).toString(), QStringLiteral("6160620d0a00"));

    const QJsonObject bare = QJsonDocument::fromJson(ReceiveOne({QStringLiteral("--json"), QStringLiteral("--no-time")})).object();
    EXPECT_FALSE(bare.isEmpty());
    EXPECT_FALSE(bare.contains(QStringLiteral("time")));
}
