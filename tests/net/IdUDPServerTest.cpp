#include "support/UdpPeer.h"

#include "framework/MemoryStream.h"
#include "net/IdException.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPListenerThread.h"
#include "net/IdUDPServer.h"

#include <QTest>
#include <gtest/gtest.h>
#include "support/SocketOption.h"

// Activation, deactivation, sending and their failures, on real loopback
// sockets. Every endpoint binds ports of its own.

namespace {
int SocketOption(const TIdSocketHandle &binding, int name)
{
    return SocketOptionValue(binding.SocketHandle(), SOL_SOCKET, name);
}

// A server with one binding to `ip`:`port`.
void AddBinding(TIdUDPServer &server, const QByteArray &ip, int port)
{
    TIdSocketHandle *binding = server.Bindings().Add();
    binding->SetIP(ip);
    binding->SetPort(port);
}
} // namespace

TEST(IdUDPServer, TheStoredBindingIsBoundWhateverTheDefaultPort)
{
    const int port = FreeUdpPort();
    TIdUDPServer server;
    AddBinding(server, "0.0.0.0", port);
    server.SetDefaultPort(5000);
    EXPECT_FALSE(server.Active());
    EXPECT_EQ(server.SendingBinding(), nullptr);

    server.SetActive(true);
    TIdSocketHandle *binding = server.Bindings()[0];
    EXPECT_TRUE(server.Active());
    EXPECT_TRUE(binding->SocketOpen());
    EXPECT_EQ(binding->IP(), "0.0.0.0");
    EXPECT_EQ(binding->Port(), port);
    EXPECT_EQ(server.SendingBinding(), binding);
    EXPECT_EQ(server.Bindings().FindBinding(binding->SocketHandle()), binding);
    ASSERT_NE(server.Listener(), nullptr);
    EXPECT_EQ(server.Listener()->ReceiveSize, 8192);
    EXPECT_EQ(SocketOption(*binding, SO_BROADCAST), 0);

    // Activating again binds nothing and starts no second listener.
    TIdUDPListenerThread *listener = server.Listener();
    const int socket = binding->SocketHandle();
    server.SetActive(true);
    EXPECT_EQ(server.Listener(), listener);
    EXPECT_EQ(binding->SocketHandle(), socket);
}

TEST(IdUDPServer, DeactivationClearsTheAddressSoTheNextActivationTakesAnyPort)
{
    const int port = FreeUdpPort();
    TIdUDPServer server;
    AddBinding(server, "0.0.0.0", port);
    server.SetActive(true);
    TIdSocketHandle *binding = server.Bindings()[0];

    server.SetActive(false);
    EXPECT_FALSE(server.Active());
    EXPECT_EQ(server.Listener(), nullptr);
    EXPECT_EQ(server.SendingBinding(), nullptr);
    EXPECT_FALSE(binding->SocketOpen());
    EXPECT_EQ(binding->SocketHandle(), -1);
    EXPECT_TRUE(binding->IP().isEmpty());
    EXPECT_EQ(binding->Port(), 0);

    server.SetActive(true);
    EXPECT_TRUE(server.Active());
    EXPECT_EQ(binding->IP(), "0.0.0.0");
    EXPECT_GT(binding->Port(), 0);
    UdpPeer peer;
    EXPECT_TRUE(peer.SendTo(binding->Port(), "x")); // the new port is live
}

TEST(IdUDPServer, WithoutBindingsTheDefaultPortMakesOne)
{
    const int port = FreeUdpPort();
    TIdUDPServer server;
    server.SetDefaultPort(port);
    server.SetActive(true);
    ASSERT_EQ(server.Bindings().Count(), 1);
    EXPECT_EQ(server.Bindings()[0]->IP(), "0.0.0.0");
    EXPECT_EQ(server.Bindings()[0]->Port(), port);

    TIdUDPServer none;
    try {
        none.SetActive(true);
        FAIL() << "activated without bindings";
    } catch (const EIdNoBindingsSpecified &e) {
        EXPECT_EQ(e.Message(), "No bindings specified.");
    }
    EXPECT_EQ(none.Bindings().Count(), 0);
    EXPECT_FALSE(none.Active());
}

// A bind to a taken port fails with the bind message and leaves the bindings
// before it bound, the failing one open but unbound and the endpoint
// inactive; the next activation reopens the failing binding on a port of the
// stack's choice.
TEST(IdUDPServer, ASecondActivationAfterABindFailureTakesAnyPort)
{
    UdpPeer blocker(0, UdpPeer::AnyAddress);
    const int freePort = FreeUdpPort();
    TIdUDPServer server;
    AddBinding(server, "0.0.0.0", freePort);
    AddBinding(server, "0.0.0.0", blocker.Port());
    AddBinding(server, "127.0.0.1", 0);
    try {
        server.SetActive(true);
        FAIL() << "bound a taken port";
    } catch (const EIdCouldNotBindSocket &e) {
        EXPECT_EQ(e.Message(), "Could not bind socket. Address and port are already in use.");
    }
    TIdSocketHandles &bindings = server.Bindings();
    EXPECT_TRUE(bindings[0]->SocketOpen());
    EXPECT_EQ(bindings[0]->Port(), freePort);
    EXPECT_TRUE(bindings[1]->SocketOpen());
    EXPECT_EQ(bindings[1]->Port(), blocker.Port());
    EXPECT_FALSE(bindings[2]->SocketOpen());
    EXPECT_EQ(server.SendingBinding(), nullptr);
    EXPECT_EQ(server.Listener(), nullptr);
    EXPECT_FALSE(server.Active());

    server.SetActive(true);
    EXPECT_TRUE(server.Active());
    EXPECT_NE(bindings[1]->Port(), blocker.Port());
    EXPECT_GT(bindings[1]->Port(), 0);
    EXPECT_EQ(bindings[2]->IP(), "127.0.0.1");
    EXPECT_NE(server.Listener(), nullptr);
}

TEST(IdUDPServer, SendingOpensTheEndpointAndLeavesFromItsBinding)
{
    const int port = FreeUdpPort();
    UdpPeer peer;
    TIdUDPServer server;
    AddBinding(server, "0.0.0.0", port);
    server.SendText("localhost", peer.Port(), "GD");
    EXPECT_TRUE(server.Active());
    EXPECT_NE(server.Listener(), nullptr);
    int from = 0;
    EXPECT_EQ(peer.Receive(2000, &from), "GD");
    EXPECT_EQ(from, port);

    server.SendText("127.0.0.1", peer.Port(), "");
    const QByteArray empty = peer.Receive();
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());

    const char poll[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    server.SendBytes("127.0.0.1", peer.Port(), poll, 9);
    EXPECT_EQ(peer.Receive(), QByteArray(poll, 9));
}

TEST(IdUDPServer, SendFailuresLeaveTheEndpointAsItWas)
{
    TIdUDPServer server;
    AddBinding(server, "0.0.0.0", FreeUdpPort());
    // The host is resolved before anything is opened (a name holding a NUL
    // fails without asking any name server).
    EXPECT_THROW(server.SendText(QByteArray("bad\0host", 8), 9, "x"), EIdSocketError);
    EXPECT_FALSE(server.Active());
    EXPECT_FALSE(server.Bindings()[0]->SocketOpen());

    const QByteArray huge(70000, 'x');
    try {
        server.SendText("127.0.0.1", 9, huge);
        FAIL() << "sent 70000 bytes";
    } catch (const EIdPackageSizeTooBig &e) {
        EXPECT_EQ(e.Message(), "Package Size Too Big.");
    }
    EXPECT_TRUE(server.Active());
}

TEST(IdUDPServer, BroadcastPermissionFollowsTheProperty)
{
    TIdUDPServer server;
    AddBinding(server, "0.0.0.0", 0);
    AddBinding(server, "127.0.0.1", 0);
    server.SetBroadcastEnabled(true); // inactive: applied at activation
    server.SetActive(true);
    EXPECT_NE(SocketOption(*server.Bindings()[0], SO_BROADCAST), 0);
    EXPECT_NE(SocketOption(*server.Bindings()[1], SO_BROADCAST), 0);
    server.SetBroadcastEnabled(false);
    EXPECT_EQ(SocketOption(*server.Bindings()[0], SO_BROADCAST), 0);
    EXPECT_EQ(SocketOption(*server.Bindings()[1], SO_BROADCAST), 0);
}

TEST(IdUDPServer, ActiveWrittenWhileLoadingWaitsForLoaded)
{
    TIdUDPServer server;
    AddBinding(server, "127.0.0.1", 0);
    server.SetLoading();
    server.setProperty("Active", true);
    EXPECT_TRUE(server.Active()); // reads the pending value
    EXPECT_FALSE(server.Bindings()[0]->SocketOpen());
    EXPECT_EQ(server.Listener(), nullptr);
    server.Loaded();
    EXPECT_FALSE(server.Loading());
    EXPECT_TRUE(server.Bindings()[0]->SocketOpen());
    EXPECT_NE(server.Listener(), nullptr);
}

TEST(IdUDPServer, BindingsAreCopiedAndKeepTheDefaultPort)
{
    TIdSocketHandles source;
    source.SetDefaultPort(1234);
    TIdSocketHandle *a = source.AddBinding();
    a->SetIP("127.0.0.1");
    a->SetRemote("10.0.0.1", 55);
    source.Add()->SetPort(7);

    TIdUDPServer server;
    server.SetDefaultPort(971);
    AddBinding(server, "0.0.0.0", 1);
    server.SetBindings(source);
    ASSERT_EQ(server.Bindings().Count(), 2);
    EXPECT_EQ(server.DefaultPort(), 971);
    EXPECT_EQ(server.Bindings()[0]->IP(), "127.0.0.1");
    EXPECT_EQ(server.Bindings()[0]->Port(), 1234);
    EXPECT_EQ(server.Bindings()[0]->RemoteIP(), "10.0.0.1");
    EXPECT_EQ(server.Bindings()[0]->RemotePort(), 55);
    EXPECT_EQ(server.Bindings()[1]->Port(), 7);
    EXPECT_EQ(server.Bindings()[0]->Collection(), &server.Bindings());

    // A binding destroyed on its own leaves its collection.
    delete server.Bindings()[0];
    ASSERT_EQ(server.Bindings().Count(), 1);
    EXPECT_EQ(server.Bindings()[0]->Port(), 7);
}

TEST(IdUDPServer, TheStackLivesAsLongAsTheLastComponent)
{
    ASSERT_EQ(GlobalStack, nullptr);
    auto first = std::make_unique<TIdUDPServer>();
    TIdStack *stack = GlobalStack.get();
    ASSERT_NE(stack, nullptr);
    auto second = std::make_unique<TIdUDPBase>();
    EXPECT_EQ(GlobalStack.get(), stack);
    first.reset();
    EXPECT_EQ(GlobalStack.get(), stack);
    second.reset();
    EXPECT_EQ(GlobalStack, nullptr);
}

// The plain endpoint sends through one unbound socket of its own.
TEST(IdUDPBase, SendsThroughItsOwnSocket)
{
    UdpPeer peer;
    TIdUDPBase endpoint;
    EXPECT_FALSE(endpoint.Active());
    endpoint.SendText("LocalHost", peer.Port(), "hello");
    EXPECT_TRUE(endpoint.Active());
    EXPECT_EQ(peer.Receive(), "hello");
    endpoint.SetActive(false);
    EXPECT_FALSE(endpoint.Active());
}
