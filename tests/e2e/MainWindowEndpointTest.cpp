#include "support/UdpPeer.h"

#include "framework/MemoryStream.h"
#include "net/IdException.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPListenerThread.h"
#include "net/IdUDPServer.h"
#include "app/MainUnit.h"
#include "support/frmMainProbe.h"

#include <QTest>
#include <gtest/gtest.h>

// The main window's endpoint on UDP port 971 itself.

namespace {
// Port 971 needs root or the bind capability; without either these tests
// have nothing to check.
bool CanBind971()
{
    UdpPeer probe(971, UdpPeer::AnyAddress);
    return probe.Bound();
}
} // namespace

TEST(MainWindowEndpoint, IsConfiguredAsDesignedAndInactive)
{
    TfrmMain window;
    const TfrmMainProbe probe(window);
    TIdUDPServer *server = probe.IdUDPServer1();
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->Name(), QStringLiteral("IdUDPServer1"));
    EXPECT_EQ(server->Owner(), &window);
    EXPECT_FALSE(server->Loading());
    ASSERT_EQ(server->Bindings().Count(), 1);
    EXPECT_EQ(server->Bindings()[0]->IP(), "0.0.0.0");
    EXPECT_EQ(server->Bindings()[0]->Port(), 971);
    EXPECT_EQ(server->DefaultPort(), 971);
    EXPECT_FALSE(server->Active());
    EXPECT_FALSE(server->Bindings()[0]->SocketOpen());
    EXPECT_EQ(server->BufferSize(), 8192);
    EXPECT_FALSE(server->BroadcastEnabled());
    EXPECT_FALSE(server->ThreadedEvent());
    EXPECT_TRUE(bool(server->OnUDPRead));
}

TEST(MainWindowEndpoint, BindsPort971AndLogsWhenReceptionEnds)
{
    if (!CanBind971())
        GTEST_SKIP() << "UDP port 971 cannot be bound here";
    {
        TfrmMain window;
        const TfrmMainProbe probe(window);
        TIdUDPServer *server = probe.IdUDPServer1();
        server->SetDefaultPort(5000); // the operator's port reaches only the sends
        server->SetActive(true);
        EXPECT_EQ(server->Bindings()[0]->Port(), 971);
        EXPECT_EQ(server->Bindings()[0]->IP(), "0.0.0.0");

        server->OnUDPRead = [](QObject *, TMemoryStream &, TIdSocketHandle &) {
            throw EIdSocketError(10054, "Socket Error # 10054\r\nConnection reset by peer.");
        };
        UdpPeer peer;
        ASSERT_TRUE(peer.SendTo(971, "C"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !probe.LogText().isEmpty(); }, 10000));
        EXPECT_EQ(probe.LogText(),
                  QStringLiteral("Приём датаграмм прекращён, перезапустите программу: "
                                 "Socket Error # 10054 Connection reset by peer."));
        server->OnUDPRead = nullptr;
        // The window goes with its endpoint still active (how long that
        // waits for the listener: bench_handover, BM_EndWhileListening).
    }
    EXPECT_EQ(GlobalStack, nullptr);
    EXPECT_TRUE(UdpPeer(971, UdpPeer::AnyAddress).Bound());
}

TEST(MainWindowEndpoint, ASecondStartAfterPort971WasTakenUsesAnyPort)
{
    if (!CanBind971())
        GTEST_SKIP() << "UDP port 971 cannot be bound here";
    UdpPeer blocker(971, UdpPeer::AnyAddress);
    ASSERT_TRUE(blocker.Bound());
    TfrmMain window;
    const TfrmMainProbe probe(window);
    TIdUDPServer *server = probe.IdUDPServer1();
    EXPECT_THROW(server->SetActive(true), EIdCouldNotBindSocket);
    EXPECT_FALSE(server->Active());
    server->SetActive(true);
    EXPECT_TRUE(server->Active());
    const int port = server->Bindings()[0]->Port();
    EXPECT_NE(port, 971);
    EXPECT_GT(port, 0);

    int arrived = 0;
    server->OnUDPRead = [&](QObject *, TMemoryStream &, TIdSocketHandle &) { ++arrived; };
    UdpPeer peer;
    ASSERT_TRUE(peer.SendTo(port, "GR"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return arrived == 1; }, 10000));
}
