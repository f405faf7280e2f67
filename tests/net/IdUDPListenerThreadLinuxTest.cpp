// The listener on Linux: a socket number that comes to name something else
// than a socket, and the listener's task in /proc.

#include "ListenerTest.h"

#include "net/IdUDPListenerThread.h"
#include "support/WaitUntil.h"

#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

// A socket error no datagram can cause (here: the socket number now names a
// pipe) ends reception, and the reason is reported once.
TEST_F(ListenerTest, AnUnexpectedSocketErrorEndsReceptionAndIsReported)
{
    Activate();
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::write(pipeEnds[1], "x", 1), 1);
    ASSERT_GE(::dup2(pipeEnds[0], Server.Bindings()[0]->SocketHandle()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Endings.isEmpty(); }, 10000));
    EXPECT_TRUE(Endings[0].startsWith("Socket Error # 10038\r\n")) << Endings[0].constData();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Server.Listener()->Finished(); }, 10000));
    QCoreApplication::sendPostedEvents(); // any later report would be queued by now
    EXPECT_EQ(Endings.size(), 1);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

// The listener's thread is gone once the endpoint is, and its port is free
// again. (How long the destruction waits is measured by bench_handover,
// BM_EndWhileListening.)
TEST_F(ListenerTest, DestroyingAnActiveEndpointEndsItsListener)
{
    auto server = std::make_unique<TIdUDPServer>();
    server->Bindings().Add()->SetIP("127.0.0.1");
    server->SetThreadedEvent(true);
    std::atomic<pid_t> listenerTask{0};
    server->OnUDPRead = [&](QObject *, TMemoryStream &, TIdSocketHandle &) { listenerTask = ::gettid(); };
    server->SetActive(true);
    const int port = server->Bindings()[0]->Port();
    ASSERT_TRUE(Peer.SendTo(port, "x"));
    ASSERT_TRUE(WaitUntil([&] { return listenerTask != 0; }));
    const QString task = QStringLiteral("/proc/self/task/%1").arg(listenerTask.load());
    ASSERT_TRUE(QFileInfo::exists(task));
    server.reset();
    // The kernel lets the task go a moment after the join has returned.
    EXPECT_TRUE(WaitUntil([&] { return !QFileInfo::exists(task); }));
    EXPECT_TRUE(UdpPeer(port).Bound());
}
