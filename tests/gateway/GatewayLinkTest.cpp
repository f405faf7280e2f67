// "Пуск" and the poll, on the wire: a socket on a loopback address plays the
// gateway. The endpoint binds local port 971, so these tests hold the port's
// lock.

#include "app/GatewayProtocol.h"
#include "net/HostLookup.h"
#include "net/IdSocketHandle.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPServer.h"
#include "platform/mailslot/Mailslot.h"
#include "app/DeviceEvent.h"
#include "app/MainUnit.h"
#include "support/BeepRecorder.h"
#include "support/MessageBoxRecorder.h"
#include "support/PrivateSettings.h"
#include "support/UdpPeer.h"
#include "support/WaitUntil.h"
#include "support/frmMainProbe.h"
#include "app/TmMessage.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <vector>


namespace {
const TMacAddress Mac{0x02, 0x00, 0x00, 0x37, 0x21, 0x01};

// A datagram socket on a loopback address, standing in for the gateway.
class FakeGateway {
public:
    explicit FakeGateway(const char *address = "127.0.0.1") : FPeer(0, UdpPeer::Address(address)), Port(FPeer.Port())
    {
    }

    // The next datagram and the port it came from.
    std::optional<std::pair<QByteArray, int>> Receive(int timeoutMs = 10000)
    {
        int from = 0;
        const QByteArray datagram = FPeer.Receive(timeoutMs, &from);
        if (datagram.isNull())
            return std::nullopt;
        return std::pair{datagram, from};
    }

    void SendToProgram(const QByteArray &datagram) { FPeer.SendTo(971, datagram); }

private:
    UdpPeer FPeer;

public:
    int Port = 0;
};

// Runs the test's event loop until `done` or the time is up.
template <class Done>
bool PumpUntil(Done done, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (done())
            return true;
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// Stands in for the name server: every lookup waits until the test answers
// it, oldest first. One left unanswered fails after 30 s, so that a window
// that waits for its lookup fails the test instead of hanging it.
class GatedResolver {
public:
    GatedResolver() : FPrevious(SetHostResolver([state = FState](const QByteArray &) { return state->Wait(); })) {}
    ~GatedResolver() { SetHostResolver(FPrevious); }

    // Lookups waiting in the resolver now.
    int Waiting() const
    {
        std::lock_guard lock(FState->Lock);
        return FState->Asked - FState->Returned;
    }
    void Answer(const THostLookupOutcome &outcome)
    {
        std::lock_guard lock(FState->Lock);
        FState->Answers.push_back(outcome);
        FState->Changed.notify_all();
    }
    // No lookup thread, pending lookup or queued outcome holds the resolver
    // any more; only this object and the seam do.
    bool AllLetGo() const { return FState.use_count() == 2; }

private:
    struct State {
        std::mutex Lock;
        std::condition_variable Changed;
        int Asked = 0, Returned = 0;
        std::vector<THostLookupOutcome> Answers; // to each lookup in turn

        THostLookupOutcome Wait()
        {
            std::unique_lock lock(Lock);
            const size_t turn = size_t(Asked++);
            Changed.wait_for(lock, std::chrono::seconds(30), [&] { return Answers.size() > turn; });
            ++Returned;
            return Answers.size() > turn ? Answers[turn] : THostLookupOutcome{{}, Sockets::WsaError::TimedOut};
        }
    };
    std::shared_ptr<State> FState = std::make_shared<State>();
    THostResolver FPrevious;
};

class GatewayLink : public testing::Test {
protected:
    void SetUp() override { DeviceEvent = {}; }
    void TearDown() override { DeviceEvent = {}; }

    void Press(const QString &address)
    {
        probe.leKVIP()->setText(address);
        probe.Button1()->click();
    }

    BeepRecorder beeps;
    MessageBoxRecorder boxes;
    TfrmMain window;
    TfrmMainProbe probe{window};
};
} // namespace

TEST_F(GatewayLink, StartGreetsTheTypedPortFromLocalPort971)
{
    FakeGateway gateway("127.0.0.5");
    Press(QStringLiteral("127.0.0.5:%1").arg(gateway.Port));
    ASSERT_TRUE(boxes.Boxes.isEmpty()) << boxes.Boxes[0].Text.constData();
    const auto greeting = gateway.Receive();
    ASSERT_TRUE(greeting);
    EXPECT_EQ(greeting->first, QByteArray("GD"));
    EXPECT_EQ(greeting->second, 971);
    EXPECT_EQ(probe.Link().Host, "127.0.0.5");
    EXPECT_EQ(probe.Link().PortText, QByteArray::number(gateway.Port));
    EXPECT_EQ(probe.IdUDPServer1()->DefaultPort(), gateway.Port);
    EXPECT_TRUE(probe.IdUDPServer1()->Active());
    EXPECT_EQ(probe.IdUDPServer1()->Bindings().Count(), 1);
    EXPECT_EQ(probe.IdUDPServer1()->Bindings().Items(0)->Port(), 971);

    // Pressed again with another field: host and port are taken anew, the
    // endpoint stays as it is, and the greeting goes out again.
    FakeGateway second("127.0.0.6");
    Press(QStringLiteral("127.0.0.6:%1").arg(second.Port));
    const auto again = second.Receive();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->first, QByteArray("GD"));
    EXPECT_EQ(again->second, 971);
    EXPECT_FALSE(gateway.Receive(0)); // a greeting sent to it would be there by now
    EXPECT_EQ(probe.Link().Host, "127.0.0.6");
}

TEST_F(GatewayLink, PortTextDefaultsTo971)
{
    for (const char *field : {"127.0.0.5", "127.0.0.5:", "127.0.0.5:abc"}) {
        Press(QString::fromLatin1(field));
        EXPECT_EQ(probe.Link().Host, "127.0.0.5") << field;
        EXPECT_EQ(probe.IdUDPServer1()->DefaultPort(), 971) << field;
    }
    EXPECT_EQ(probe.Link().PortText, "abc");
    Press(QStringLiteral("127.0.0.5"));
    EXPECT_EQ(probe.Link().PortText, "971");
}

TEST_F(GatewayLink, PollsCarryTheLearntMacOnlyOnceStarted)
{
    FakeGateway gateway;
    // Before "Пуск" a tick sends nothing and opens nothing.
    window.Timer1Timer();
    EXPECT_FALSE(probe.IdUDPServer1()->Active());

    Press(QStringLiteral("127.0.0.1:%1").arg(gateway.Port));
    ASSERT_EQ(gateway.Receive()->first, QByteArray("GD"));
    window.Timer1Timer();
    const auto first = gateway.Receive();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->first, PollDatagram({}));
    EXPECT_EQ(first->first.toHex(' '), "44 44 00 00 00 00 00 00 34");

    gateway.SendToProgram(IdentityReplyDatagram(Mac));
    ASSERT_TRUE(PumpUntil([&] { return probe.Link().GatewayMac == Mac; }));
    window.Timer1Timer();
    const auto second = gateway.Receive();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->first, PollDatagram(Mac));
    EXPECT_EQ(second->second, 971);
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}

TEST_F(GatewayLink, HostWithLeadingZerosIsHeardWhenItAnswers)
{
    TMailslotServer mailslot;
    ASSERT_EQ(mailslot.Create(TmMailslotPath("TMS")), MailslotError::Success);
    FakeGateway gateway;
    Press(QStringLiteral("127.000.00.001:%1").arg(gateway.Port));
    ASSERT_EQ(gateway.Receive()->first, QByteArray("GD"));
    EXPECT_EQ(probe.Link().HostAddress, "127.0.0.1");
    gateway.SendToProgram(IdentityReplyDatagram(Mac));
    ASSERT_TRUE(PumpUntil([&] { return probe.Link().GatewayMac == Mac; }));
    gateway.SendToProgram(KindBDatagram(Mac, 1, 2, 3));
    std::optional<QByteArray> message;
    ASSERT_TRUE(PumpUntil([&] { return (message = mailslot.Read(0)).has_value(); })) << probe.LogText().toStdString();
    EXPECT_EQ(*message, ComposeTmMessage({false, 1, 2, 3}, "127.000.00.001", true, {}));
    EXPECT_FALSE(probe.LogText().contains(QStringLiteral("Несовпадение")));
}

TEST_F(GatewayLink, EmptyAddressFieldHearsNoLocalSender)
{
    TMailslotServer mailslot;
    ASSERT_EQ(mailslot.Create(TmMailslotPath("TMS")), MailslotError::Success);
    // The empty host names this workstation: the greeting goes to the
    // address the workstation's own name gives, port 971, and so comes
    // back to the program itself.
    Press(QString());
    ASSERT_TRUE(PumpUntil([&] { return !probe.Link().HostAddress.isEmpty() || !boxes.Boxes.isEmpty(); }));
    ASSERT_TRUE(boxes.Boxes.isEmpty()) << boxes.Boxes[0].Text.constData();
    EXPECT_TRUE(probe.Link().Host.isEmpty());
    const QString mismatch = QStringLiteral("Несовпадение IP-адреса (");
    const auto logLines = [&] { return probe.LogText().split(QLatin1Char('\n'), Qt::SkipEmptyParts); };
    ASSERT_TRUE(PumpUntil([&] { return logLines().size() >= 1; })) << "the greeting did not come back";
    EXPECT_TRUE(logLines()[0].startsWith(mismatch)) << logLines()[0].toStdString();

    // A local process sending a key event with zero MAC bytes from that
    // very address is not the gateway either.
    FakeGateway local(probe.Link().HostAddress.constData());
    local.SendToProgram(KindCDatagram({}, 1, 2, 3));
    ASSERT_TRUE(PumpUntil([&] { return logLines().size() >= 2; }));
    EXPECT_EQ(logLines()[1], mismatch + QString::fromLatin1(probe.Link().HostAddress) + QLatin1Char(')'));
    EXPECT_EQ(logLines().size(), 2);
    EXPECT_TRUE(beeps.Beeps.isEmpty());
    EXPECT_FALSE(mailslot.Read(0).has_value());
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}

TEST_F(GatewayLink, FailedResolutionForgetsTheAddressOfTheLastStart)
{
    FakeGateway gateway;
    Press(QStringLiteral("LOCALHOST:%1").arg(gateway.Port));
    EXPECT_EQ(probe.Link().HostAddress, "127.0.0.1");
    // A name with a label longer than 63 characters is refused by the
    // resolver at once: the greeting fails and the gateway of the previous
    // start is no longer heard.
    const QString unresolvable = QString(64, QLatin1Char('a')) + QStringLiteral(".invalid");
    Press(unresolvable + QStringLiteral(":%1").arg(gateway.Port));
    ASSERT_TRUE(PumpUntil([&] { return !boxes.Boxes.isEmpty(); })) << probe.Link().HostAddress.constData();
    ASSERT_EQ(boxes.Boxes.size(), 1);
    // The lookup's own error, read on the thread that looked up.
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith("Socket Error # 1100")) << boxes.Boxes[0].Text.constData();
    EXPECT_TRUE(probe.Link().HostAddress.isEmpty());
    EXPECT_EQ(probe.Link().Host, unresolvable.toLatin1());
    gateway.SendToProgram(IdentityReplyDatagram(Mac));
    ASSERT_TRUE(PumpUntil([&] { return probe.LogText().contains(QStringLiteral("Несовпадение IP-адреса (127.0.0.1)")); }));
    EXPECT_EQ(probe.Link().GatewayMac, TMacAddress{});
}

TEST_F(GatewayLink, FailingPollOpensNoSecondBoxWhileOneIsShown)
{
    // Sending to the broadcast address is refused without the broadcast
    // permission: every greeting and every poll fails.
    Press(QStringLiteral("255.255.255.255"));
    ASSERT_EQ(boxes.Boxes.size(), 1);
    ASSERT_TRUE(probe.IdUDPServer1()->Active());

    // The error box's own loop delivers the next ticks while it is open.
    int shown = 0;
    const TMessageBoxHandler previous = SetMessageBoxHandler([&](const QByteArray &, const QByteArray &, TMsgIcon) {
        if (++shown == 1) {
            window.Timer1Timer();
            window.Timer1Timer();
        }
    });
    window.Timer1Timer();
    EXPECT_EQ(shown, 1);
    // Once it is closed, the next failure is shown again.
    window.Timer1Timer();
    EXPECT_EQ(shown, 2);
    SetMessageBoxHandler(previous);
}

// A host name is looked up off the GUI thread, and its outcome leads to what
// the operator saw when the lookup held the window; something else happens
// while the lookup waits.
TEST(HostNameLookup, OutcomesAreThoseOfALookupThatHeldTheWindow)
{
    enum class Meanwhile { Tick, PressAgain, PressAnotherName, Close };
    const struct {
        const char *Name;
        Meanwhile During;
        bool Resolves;
    } cases[] = {
        {"the name resolves; a tick meanwhile sends nothing", Meanwhile::Tick, true},
        {"the lookup fails; a tick meanwhile sends nothing", Meanwhile::Tick, false},
        {"Пуск again with the name waits for the same lookup", Meanwhile::PressAgain, true},
        {"Пуск with another name drops the older lookup's answer", Meanwhile::PressAnotherName, false},
        {"the window closes at once, saving its settings", Meanwhile::Close, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        PrivateSettings settings;
        MessageBoxRecorder boxes;
        GatedResolver resolver;
        FakeGateway gateway("127.0.0.5"), older("127.0.0.6");
        const THostLookupOutcome answer{c.Resolves ? std::optional(UdpPeer::Address("127.0.0.5")) : std::nullopt,
                                        c.Resolves ? 0 : Sockets::WsaError::HostNotFound};
        auto window = std::make_unique<TfrmMain>();
        TfrmMainProbe probe(*window);
        window->show();
        probe.Timer1()->stop(); // the test ticks
        const QByteArray host = c.During == Meanwhile::PressAnotherName ? "gw2.example" : "gw.example";
        auto press = [&](const char *name) {
            probe.leKVIP()->setText(QStringLiteral("%1:%2").arg(QLatin1String(name)).arg(gateway.Port));
            probe.Button1()->click();
        };
        press("gw.example");
        ASSERT_TRUE(WaitUntil([&] { return resolver.Waiting() == 1; }));
        if (c.During == Meanwhile::Close) {
            const QString field = probe.leKVIP()->text();
            window->close();
            window.reset();
            EXPECT_EQ(resolver.Waiting(), 1) << "the window waited for its lookup";
            resolver.Answer(answer);
            ASSERT_TRUE(WaitUntil([&] { return resolver.AllLetGo(); }));
            QCoreApplication::processEvents();
            EXPECT_TRUE(boxes.Boxes.isEmpty());
            EXPECT_FALSE(gateway.Receive(0));
            TfrmMain next;
            next.show();
            EXPECT_EQ(TfrmMainProbe(next).leKVIP()->text(), field);
            continue;
        }
        if (c.During == Meanwhile::Tick)
            window->Timer1Timer();
        else
            press(host.constData());
        if (c.During == Meanwhile::PressAnotherName) {
            ASSERT_TRUE(WaitUntil([&] { return resolver.Waiting() == 2; }));
            resolver.Answer({UdpPeer::Address("127.0.0.6"), 0});
        }

        // The greeting, then a poll: each looks the name up anew and goes to
        // its address, or fails with the lookup's error, once.
        for (const QByteArray &expected : {GreetingDatagram(), PollDatagram({})}) {
            if (expected != GreetingDatagram()) {
                window->Timer1Timer();
                ASSERT_TRUE(WaitUntil([&] { return resolver.Waiting() == 1; }));
            }
            resolver.Answer(answer);
            const qsizetype boxesBefore = boxes.Boxes.size();
            if (c.Resolves) {
                std::optional<std::pair<QByteArray, int>> sent;
                ASSERT_TRUE(PumpUntil([&] { return (sent = gateway.Receive(0)).has_value(); }));
                EXPECT_EQ(sent->first, expected);
                EXPECT_EQ(probe.Link().HostAddress, "127.0.0.5");
            } else {
                ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes.size() > boxesBefore; }));
                EXPECT_EQ(boxes.Boxes.back().Text, "Socket Error # 11001\r\n");
                EXPECT_TRUE(probe.Link().HostAddress.isEmpty());
            }
            EXPECT_EQ(boxes.Boxes.size(), c.Resolves ? 0 : boxesBefore + 1);
            EXPECT_TRUE(probe.IdUDPServer1()->Active());
            EXPECT_EQ(probe.Link().Host, host);
            EXPECT_EQ(probe.Link().PortText, QByteArray::number(gateway.Port));
        }
        EXPECT_FALSE(older.Receive(0)) << "the dropped answer was used";
    }
}
