// Reception on real loopback sockets with the real listener thread.

#include "ListenerTest.h"
#include "support/UdpPeer.h"
#include "support/WaitUntil.h"

#include "framework/GuiHandover.h"
#include "framework/MemoryStream.h"
#include "framework/MessageBox.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPListenerThread.h"
#include "net/IdUDPServer.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileInfo>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>

TEST_F(ListenerTest, TheHandlerRunsOnTheGuiThreadWithTheDatagramAndItsSender)
{
    Activate();
    ASSERT_TRUE(Peer.SendTo(Port, "12345"));
    ASSERT_TRUE(WaitForArrivals(1));
    const Arrival &a = Arrivals[0];
    EXPECT_EQ(a.Bytes, "12345");
    EXPECT_EQ(a.Position, 0);
    EXPECT_EQ(a.RemoteIP, "127.0.0.1");
    EXPECT_EQ(a.RemotePort, Peer.Port());
    EXPECT_TRUE(a.OnGuiThread);
    EXPECT_EQ(Server.SendingBinding(), Server.Bindings()[0]);

    // A shorter datagram after a longer one: the reused buffer is cut to it.
    ASSERT_TRUE(Peer.SendTo(Port, "ab"));
    ASSERT_TRUE(WaitForArrivals(2));
    EXPECT_EQ(Arrivals[1].Bytes, "ab");
}

TEST_F(ListenerTest, WithThreadedEventTheHandlerRunsOnTheListener)
{
    Server.SetThreadedEvent(true);
    Activate();
    ASSERT_TRUE(Peer.SendTo(Port, "abc"));
    // No event loop runs here: the listener does not need the GUI thread.
    ASSERT_TRUE(WaitUntil([&] { return Count() >= 1; }));
    ASSERT_EQ(Count(), 1u);
    EXPECT_FALSE(Arrivals[0].OnGuiThread);
    EXPECT_EQ(Arrivals[0].Bytes, "abc");
}

// With ThreadedEvent the handler runs beside the GUI thread, which may
// deactivate the endpoint meanwhile and so clear the binding's sender. The
// handler still reads the binding safely for the whole call: each look gives
// the datagram's sender before the deactivation and nothing after it, never
// a value half written.
TEST_F(ListenerTest, AThreadedHandlerReadsTheSenderWhileTheEndpointIsDeactivated)
{
    Server.SetThreadedEvent(true);
    std::atomic<bool> inHandler{false};
    std::atomic<bool> deactivating{false};
    QByteArray firstIP;
    int firstPort = -1;
    QByteArrayList strange;
    bool cleared = false;
    const QByteArray senderPort = QByteArray::number(Peer.Port());
    Server.OnUDPRead = [&](QObject *, TMemoryStream &, TIdSocketHandle &binding) {
        firstIP = binding.RemoteIP();
        firstPort = binding.RemotePort();
        inHandler = true;
        WaitUntil([&] { return deactivating.load(); });
        // Looks until the deactivation has cleared the sender.
        const QDeadlineTimer deadline(10000);
        while (!cleared && !deadline.hasExpired()) {
            const QByteArray ip = binding.RemoteIP();
            const QByteArray port = QByteArray::number(binding.RemotePort());
            if (ip != "127.0.0.1" && !ip.isEmpty())
                strange << "RemoteIP " + ip;
            if (port != senderPort && port != "0")
                strange << "RemotePort " + port;
            cleared = ip.isEmpty() && port == "0";
        }
    };
    Activate();
    ASSERT_TRUE(Peer.SendTo(Port, "x"));
    ASSERT_TRUE(WaitUntil([&] { return inHandler.load(); }));
    deactivating = true;
    Server.SetActive(false);
    EXPECT_EQ(firstIP, "127.0.0.1");
    EXPECT_EQ(firstPort, Peer.Port());
    EXPECT_TRUE(cleared);
    EXPECT_TRUE(strange.isEmpty()) << strange.join(", ").constData();
    EXPECT_EQ(Server.Listener(), nullptr);
}

TEST_F(ListenerTest, DatagramsArrivingDuringASlowHandlerFollowInOrder)
{
    std::atomic<int> depth{0};
    std::atomic<int> deepest{0};
    auto record = Server.OnUDPRead;
    Server.OnUDPRead = [&](QObject *s, TMemoryStream &d, TIdSocketHandle &b) {
        deepest = std::max(deepest.load(), ++depth);
        if (d.Bytes() == "first") {
            Peer.SendTo(Port, "second");
            Peer.SendTo(Port, "third");
            // The handler goes on until they wait in the socket's queue.
            EXPECT_TRUE(WaitReadable(b.SocketHandle(), 10000));
        }
        record(s, d, b);
        --depth;
    };
    Activate();
    ASSERT_TRUE(Peer.SendTo(Port, "first"));
    ASSERT_TRUE(WaitForArrivals(3));
    EXPECT_EQ(Arrivals[0].Bytes, "first");
    EXPECT_EQ(Arrivals[1].Bytes, "second");
    EXPECT_EQ(Arrivals[2].Bytes, "third");
    EXPECT_EQ(deepest, 1);
}

// The listener, back in its wait after a datagram, is stopped and its sockets
// closed under it: that is the end asked for, not a failure to report. (How
// long the deactivation waits is measured by bench_handover,
// BM_EndWhileListening.)
TEST_F(ListenerTest, DeactivationWhileWaitingEndsTheListenerQuietly)
{
    Activate();
    ASSERT_TRUE(Peer.SendTo(Port, "before"));
    ASSERT_TRUE(WaitForArrivals(1));
    Server.SetActive(false);
    EXPECT_EQ(Server.Listener(), nullptr);
    EXPECT_FALSE(Server.Active());
    QCoreApplication::sendPostedEvents(); // a report of the end would be queued
    EXPECT_TRUE(Endings.isEmpty());
}

// The listener waits for the GUI thread with a datagram in hand when the
// deactivation starts: the deactivation's wait runs that call first, with
// the datagram intact and the binding already closed.
TEST_F(ListenerTest, DeactivationCompletesAPendingHandOverFirst)
{
    Activate();
    ASSERT_TRUE(Peer.SendTo(Port, "pending"));
    // No event loop runs here: the hand-over waits.
    ASSERT_TRUE(WaitUntil([] { return PendingCallCount() == 1; }));
    ASSERT_EQ(Count(), 0u);
    Server.SetActive(false);
    ASSERT_EQ(Count(), 1u);
    EXPECT_EQ(Arrivals[0].Bytes, "pending");
    EXPECT_FALSE(Arrivals[0].SocketOpen);
    EXPECT_TRUE(Arrivals[0].RemoteIP.isEmpty());
    EXPECT_EQ(Server.Listener(), nullptr);
    EXPECT_EQ(Server.SendingBinding(), nullptr);
}

TEST_F(ListenerTest, DatagramsKeepComingWhileAModalDialogIsOpen)
{
    Activate();
    bool allDuringDialog = false;
    QDialog dialog;
    QTimer::singleShot(0, &dialog, [&] {
        for (const char *text : {"a", "b", "c"})
            Peer.SendTo(Port, text);
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (Count() >= 3) {
            allDuringDialog = true;
            dialog.accept();
        }
    });
    poll.start(10);
    QTimer::singleShot(10000, &dialog, &QDialog::reject); // failure guard
    dialog.exec();
    EXPECT_TRUE(allDuringDialog);
    ASSERT_EQ(Count(), 3u);
    EXPECT_EQ(Arrivals[2].Bytes, "c");
}

// A handler that opens a message box: the next datagram waits until the box
// is closed, and nothing locks up.
TEST_F(ListenerTest, AHandlerMayOpenAMessageBox)
{
    auto record = Server.OnUDPRead;
    std::atomic<bool> boxOpen{false};
    bool secondWhileOpen = false;
    Server.OnUDPRead = [&](QObject *s, TMemoryStream &d, TIdSocketHandle &b) {
        if (boxOpen)
            secondWhileOpen = true;
        record(s, d, b);
        if (d.Bytes() == "box") {
            boxOpen = true;
            Peer.SendTo(Port, "next");
            // Closes the box once it is there.
            QTimer closer;
            QObject::connect(&closer, &QTimer::timeout, &closer, [] {
                if (QWidget *box = QApplication::activeModalWidget())
                    box->close();
            });
            closer.start(10);
            ShowMessageBox("text", "caption", TMsgIcon::Warning);
            boxOpen = false;
        }
    };
    Activate();
    ASSERT_TRUE(Peer.SendTo(Port, "box"));
    ASSERT_TRUE(WaitForArrivals(2));
    EXPECT_FALSE(secondWhileOpen);
    EXPECT_EQ(Arrivals[1].Bytes, "next");
}

// Datagrams any host can send must not silence the endpoint: an empty one,
// one longer than the buffer, and an error report for an earlier send are
// dropped, and the next datagram is delivered.
TEST_F(ListenerTest, StrayDatagramsAreDroppedAndReceptionGoesOn)
{
    // The handler answers "after" to a closed port, which makes the next
    // receive report the refusal. The binding is connected to that port so
    // that the report comes back to it.
    int closedPort;
    {
        UdpPeer gone;
        closedPort = gone.Port();
    }
    auto record = Server.OnUDPRead;
    int connected = -1;
    Server.OnUDPRead = [&](QObject *s, TMemoryStream &d, TIdSocketHandle &b) {
        record(s, d, b);
        if (d.Bytes() == "after") {
            b.SetRemote("127.0.0.1", closedPort);
            connected = b.ConnectPeer(2);
            b.SendDatagram("127.0.0.1", closedPort, "?", 1);
        }
    };
    Server.SetBufferSize(16);
    Activate();
    EXPECT_EQ(Server.Listener()->ReceiveSize, 16);
    ASSERT_TRUE(Peer.SendTo(Port, QByteArray()));
    ASSERT_TRUE(Peer.SendTo(Port, QByteArray(17, 'x')));
    ASSERT_TRUE(Peer.SendTo(Port, QByteArray(16, 'y')));
    ASSERT_TRUE(WaitForArrivals(1));
    Server.SetBufferSize(4); // reaches only the next activation
    ASSERT_TRUE(Peer.SendTo(Port, "after"));
    ASSERT_TRUE(WaitForArrivals(2));
    EXPECT_EQ(Arrivals[0].Bytes, QByteArray(16, 'y'));
    EXPECT_EQ(Arrivals[1].Bytes, "after");
    ASSERT_EQ(connected, 0);
    EXPECT_EQ(Server.Bindings()[0]->RemotePort(), closedPort);

    // The refusal of "?" is already on the socket (the loopback reports it
    // within the send), and a receive reports it before any datagram queued
    // after it: the listener drops it first.
    // Only the connected peer's datagrams get through now: send from there.
    UdpPeer late(closedPort);
    ASSERT_TRUE(late.Bound());
    ASSERT_TRUE(late.SendTo(Port, "still here"));
    ASSERT_TRUE(WaitForArrivals(3));
    EXPECT_EQ(Arrivals[2].Bytes, "still here");
    EXPECT_FALSE(Server.Listener()->Finished());
    EXPECT_TRUE(Endings.isEmpty());
}

TEST_F(ListenerTest, AnExceptionFromTheHandlerEndsReceptionAndIsReported)
{
    for (const bool threaded : {false, true}) {
        SCOPED_TRACE(threaded ? "threaded" : "handed over");
        Endings.clear();
        Server.SetThreadedEvent(threaded);
        int calls = 0;
        Server.OnUDPRead = [&](QObject *, TMemoryStream &, TIdSocketHandle &) {
            ++calls;
            throw Exception("handler failed");
        };
        Activate();
        ASSERT_TRUE(Peer.SendTo(Port, "one"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Endings.size() == 1; }, 10000));
        EXPECT_EQ(Endings[0], "handler failed");
        ASSERT_TRUE(QTest::qWaitFor([&] { return Server.Listener()->Finished(); }, 10000));
        EXPECT_EQ(Server.Listener()->ExitMessage(), "handler failed");
        // The endpoint still reads active and sends, but receives no more.
        EXPECT_TRUE(Server.Active());
        // Nobody takes the next datagram out of the socket.
        ASSERT_TRUE(Peer.SendTo(Port, "two"));
        EXPECT_TRUE(WaitReadable(Server.Bindings()[0]->SocketHandle(), 10000));
        QCoreApplication::processEvents();
        EXPECT_EQ(calls, 1);
        Server.SendText("127.0.0.1", Peer.Port(), "reply");
        EXPECT_EQ(Peer.Receive(), "reply");
        EXPECT_EQ(Endings.size(), 1);
        Server.SetActive(false);
    }
}


