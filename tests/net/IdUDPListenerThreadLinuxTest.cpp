// The listener on BSD sockets: a socket number that comes to name something
// else than a socket.

#include "ListenerTest.h"

#include "net/IdUDPListenerThread.h"

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
