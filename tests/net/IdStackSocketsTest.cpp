// The stack's socket operations against real loopback sockets.

#include "net/IdException.h"
#include "net/IdStackWinsock.h"
#include "support/SocketOption.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace Sockets;

namespace {
class StackSockets : public testing::Test {
protected:
    void TearDown() override
    {
        for (TIdStackSocketHandle s : opened)
            stack.SockClose(s);
    }

    TIdStackSocketHandle OpenDatagram()
    {
        const TIdStackSocketHandle s = stack.NewSocketHandle(SockDgram, 0);
        opened.push_back(s);
        return s;
    }

    // A datagram socket bound to `ip` and `port`; returns the port bound.
    int Bind(TIdStackSocketHandle s, const QByteArray &ip, int port = 0)
    {
        EXPECT_FALSE(stack.CheckSocketResult(stack.SockBind(s, AfInet, ip, port)));
        int family = 0;
        QByteArray boundIp;
        int boundPort = 0;
        stack.SockBoundAddress(s, family, boundIp, boundPort);
        EXPECT_EQ(family, AfInet);
        return boundPort;
    }

    TIdStackWinsock stack;
    std::vector<TIdStackSocketHandle> opened;
};
} // namespace

TEST_F(StackSockets, BindsToEveryAddressOrOneAndReportsWhatWasBound)
{
    for (const QByteArray &any : {QByteArray(), QByteArray("0.0.0.0")}) {
        const TIdStackSocketHandle s = OpenDatagram();
        ASSERT_EQ(stack.SockBind(s, AfInet, any, 0), 0);
        int family = 0;
        QByteArray ip = "unset";
        int port = 0;
        stack.SockBoundAddress(s, family, ip, port);
        EXPECT_EQ(ip, "0.0.0.0");
        EXPECT_GT(port, 0);
        EXPECT_LE(port, 65535);
    }

    const TIdStackSocketHandle first = OpenDatagram();
    const int port = Bind(first, "127.000.000.001");
    const TIdStackSocketHandle again = OpenDatagram();
    ASSERT_EQ(stack.SockBind(again, AfInet, "127.0.0.1", port), -1);
    EXPECT_EQ(stack.SockLastError(), WsaError::AddressInUse);
    EXPECT_TRUE(stack.CheckSocketResult(-1, {WsaError::AddressInUse}));

    // A port is sent as its low 16 bits.
    const TIdStackSocketHandle wrapped = OpenDatagram();
    ASSERT_EQ(stack.SockBind(wrapped, AfInet, "127.0.0.1", 65536 + 47213), 0);
    int family = 0;
    QByteArray ip;
    int boundPort = 0;
    stack.SockBoundAddress(wrapped, family, ip, boundPort);
    EXPECT_EQ(ip, "127.0.0.1");
    EXPECT_EQ(boundPort, 47213);
}

TEST_F(StackSockets, DatagramsArriveWithTheSendersCanonicalAddress)
{
    const TIdStackSocketHandle receiver = OpenDatagram();
    const int receiverPort = Bind(receiver, "0.0.0.0");
    const TIdStackSocketHandle sender = OpenDatagram();
    const int senderPort = Bind(sender, "127.0.0.1");

    const QByteArray payload("GR\0\x01\xFF\x80", 6);
    EXPECT_EQ(stack.SockSendTo(sender, payload.constData(), int(payload.size()), 0, "127.000.0.01",
                               receiverPort),
              int(payload.size()));
    EXPECT_EQ(stack.SockSendTo(sender, "", 0, 0, "127.0.0.1", receiverPort), 0);

    char buffer[8192];
    QByteArray ip;
    int port = 0;
    const int received = stack.SockRecvFrom(receiver, buffer, sizeof buffer, 0, ip, port);
    ASSERT_FALSE(stack.CheckSocketResult(received));
    EXPECT_EQ(QByteArray(buffer, received), payload);
    EXPECT_EQ(ip, "127.0.0.1");
    EXPECT_EQ(port, senderPort);
    // A datagram of no bytes is one datagram, not an error.
    EXPECT_EQ(stack.SockRecvFrom(receiver, buffer, sizeof buffer, 0, ip, port), 0);
}

TEST_F(StackSockets, OversizedDatagramFailsWithMessageTooLongAndIsConsumed)
{
    const TIdStackSocketHandle receiver = OpenDatagram();
    const int receiverPort = Bind(receiver, "127.0.0.1");
    const TIdStackSocketHandle sender = OpenDatagram();
    const int senderPort = Bind(sender, "127.0.0.1");

    const QByteArray big(9000, 'B');
    ASSERT_EQ(stack.SockSendTo(sender, big.constData(), 9000, 0, "127.0.0.1", receiverPort), 9000);
    ASSERT_EQ(stack.SockSendTo(sender, "next", 4, 0, "127.0.0.1", receiverPort), 4);

    QByteArray buffer(8192, '\0');
    QByteArray ip;
    int port = 0;
    EXPECT_EQ(stack.SockRecvFrom(receiver, buffer.data(), 8192, 0, ip, port), -1);
    try {
        stack.CheckSocketResult(-1);
        ADD_FAILURE() << "the cut datagram was not reported";
    } catch (const EIdSocketError &e) {
        EXPECT_EQ(e.SocketErrorCode(), WsaError::MessageSize);
        EXPECT_EQ(e.Message(), "Socket Error # 10040\r\nMessage too long.");
    }
    EXPECT_EQ(buffer, QByteArray(8192, 'B'));

    // The rest of the big datagram is gone: the next receive gets the next one.
    EXPECT_EQ(stack.SockRecvFrom(receiver, buffer.data(), 8192, 0, ip, port), 4);
    EXPECT_EQ(buffer.left(4), "next");
    EXPECT_EQ(port, senderPort);

    // The platform refuses a datagram beyond its limit with the same code.
    const QByteArray huge(70000, 'H');
    EXPECT_EQ(stack.SockSendTo(sender, huge.constData(), 70000, 0, "127.0.0.1", receiverPort), -1);
    EXPECT_EQ(stack.SockLastError(), WsaError::MessageSize);
}

TEST_F(StackSockets, SelectReportsOnlyTheReadySockets)
{
    const TIdStackSocketHandle quiet = OpenDatagram();
    Bind(quiet, "127.0.0.1");
    const TIdStackSocketHandle busy = OpenDatagram();
    const int busyPort = Bind(busy, "127.0.0.1");

    TIdSocketList readList{quiet, busy};
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(stack.SockSelect(&readList, nullptr, nullptr, 1000), 0);
    EXPECT_GE(clock.elapsed(), 950);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(readList.isEmpty());

    ASSERT_EQ(stack.SockSendTo(quiet, "x", 1, 0, "127.0.0.1", busyPort), 1);
    readList = {quiet, busy};
    TIdSocketList writeList{quiet};
    EXPECT_EQ(stack.SockSelect(&readList, &writeList, nullptr, 1000), 2);
    EXPECT_EQ(readList, TIdSocketList{busy});
    EXPECT_EQ(writeList, TIdSocketList{quiet});

    // -2 waits without limit: a datagram sent later ends the wait.
    char buffer[16];
    QByteArray ip;
    int port = 0;
    ASSERT_EQ(stack.SockRecvFrom(busy, buffer, sizeof buffer, 0, ip, port), 1);
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        stack.SockSendTo(quiet, "y", 1, 0, "127.0.0.1", busyPort);
    });
    readList = {busy};
    clock.restart();
    EXPECT_EQ(stack.SockSelect(&readList, nullptr, nullptr, -2), 1);
    later.join();
    EXPECT_GE(clock.elapsed(), 1100);
    EXPECT_EQ(readList, TIdSocketList{busy});

    // A closed socket fails the wait; the lists then hold nothing.
    const TIdStackSocketHandle closed = stack.NewSocketHandle(SockDgram, 0);
    stack.SockClose(closed);
    readList = {busy, closed};
    EXPECT_EQ(stack.SockSelect(&readList, nullptr, nullptr, 0), -1);
    EXPECT_EQ(stack.SockLastError(), WsaError::NotSocket);
    EXPECT_TRUE(readList.isEmpty());
}

TEST_F(StackSockets, SelectTakesSixtyFourSocketsAndRefusesSixtyFive)
{
    TIdSocketList sockets;
    for (int i = 0; i < 65; ++i)
        sockets.append(OpenDatagram());

    TIdSocketList sixtyFour = sockets.mid(0, 64);
    EXPECT_EQ(stack.SockSelect(&sixtyFour, nullptr, nullptr, 50), 0);
    TIdSocketList writable = sockets.mid(0, 64);
    EXPECT_EQ(stack.SockSelect(nullptr, &writable, nullptr, 50), 64);
    EXPECT_EQ(writable, sockets.mid(0, 64));

    // Refused before anything waits, and the list is left as it was.
    for (TIdSocketList *read : {&sockets, static_cast<TIdSocketList *>(nullptr)}) {
        TIdSocketList one{sockets.first()};
        TIdSocketList tooMany = sockets;
        QElapsedTimer clock;
        clock.start();
        try {
            stack.SockSelect(read ? read : &one, nullptr, read ? nullptr : &tooMany, 5000);
            ADD_FAILURE() << "65 handles were accepted";
        } catch (const EIdStackSetSizeExceeded &e) {
            EXPECT_EQ(e.Message(), "Set Size Exceeded.");
        }
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(sockets.size(), 65);
        EXPECT_EQ(tooMany.size(), 65);
        EXPECT_EQ(one, TIdSocketList{sockets.first()});
    }
}

TEST_F(StackSockets, OptionsCreationAndFailedCalls)
{
    const TIdStackSocketHandle s = OpenDatagram();
    const int32_t on = -1;
    ASSERT_EQ(stack.SockSetOption(s, SolSocket, SoBroadcast, &on, 4), 0);
    int value = SocketOptionValue(s, SOL_SOCKET, SO_BROADCAST);
    ASSERT_NE(value, -1);
    EXPECT_NE(value, 0);
    const int32_t off = 0;
    ASSERT_EQ(stack.SockSetOption(s, SolSocket, SoBroadcast, &off, 4), 0);
    value = SocketOptionValue(s, SOL_SOCKET, SO_BROADCAST);
    ASSERT_NE(value, -1);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(stack.SockSetOption(s, SolSocket, 0x7777, &on, 4), -1);
    EXPECT_EQ(stack.SockLastError(), WsaError::NoProtocolOption);

    // Broadcasting needs the option, as on Windows. The loopback network's
    // broadcast address has a route on every machine ...
    Bind(s, "");
    EXPECT_EQ(stack.SockSendTo(s, "b", 1, 0, "127.255.255.255", 47219), -1);
    EXPECT_EQ(stack.SockLastError(), WsaError::AccessDenied);
    // ... the limited broadcast only where another network is up (connecting
    // a socket that may broadcast asks the routing without sending); with a
    // route it is refused like any broadcast, without one it is unreachable.
    const TIdStackSocketHandle probe = OpenDatagram();
    ASSERT_EQ(stack.SockSetOption(probe, SolSocket, SoBroadcast, &on, 4), 0);
    const bool routed = stack.SockConnect(probe, AfInet, "255.255.255.255", 47219) == 0;
    if (!routed) {
        ASSERT_EQ(stack.SockLastError(), WsaError::NetworkUnreachable);
    }
    EXPECT_EQ(stack.SockSendTo(s, "b", 1, 0, "255.255.255.255", 47219), -1);
    EXPECT_EQ(stack.SockLastError(), routed ? WsaError::AccessDenied : WsaError::NetworkUnreachable);
    // With the option the same socket may broadcast.
    ASSERT_EQ(stack.SockSetOption(s, SolSocket, SoBroadcast, &on, 4), 0);
    EXPECT_EQ(stack.SockSendTo(s, "b", 1, 0, "127.255.255.255", 47219), 1);
    ASSERT_EQ(stack.SockSetOption(s, SolSocket, SoBroadcast, &off, 4), 0);

    try {
        stack.NewSocketHandle(77, 0);
        ADD_FAILURE() << "a socket of an unknown type was made";
    } catch (const EIdInvalidSocket &e) {
        EXPECT_EQ(e.Message(), "Cannot allocate socket.");
    }

    // A socket that is gone: raw calls return -1, the address query raises,
    // and the text the operator sees carries the code.
    const TIdStackSocketHandle gone = stack.NewSocketHandle(SockDgram, 0);
    EXPECT_EQ(stack.SockClose(gone), 0);
    EXPECT_EQ(stack.SockSendTo(gone, "x", 1, 0, "127.0.0.1", 47219), -1);
    EXPECT_EQ(stack.SockLastError(), WsaError::NotSocket);
    int family = 0;
    QByteArray ip;
    int port = 0;
    try {
        stack.SockBoundAddress(gone, family, ip, port);
        ADD_FAILURE() << "no error for a closed socket";
    } catch (const EIdSocketError &e) {
        EXPECT_EQ(e.SocketErrorCode(), WsaError::NotSocket);
        EXPECT_EQ(e.Message(), "Socket Error # 10038\r\nSocket operation on non-socket.");
    }
    // Address texts are converted before anything is sent.
    EXPECT_THROW(stack.SockSendTo(s, "x", 1, 0, "kv-ip", 971), EConvertError);
}

TEST_F(StackSockets, LastErrorBelongsToTheThreadThatFailed)
{
    const TIdStackSocketHandle s = OpenDatagram();
    const int port = Bind(s, "127.0.0.1");
    const TIdStackSocketHandle other = OpenDatagram();
    ASSERT_EQ(stack.SockBind(other, AfInet, "127.0.0.1", port), -1);
    ASSERT_EQ(stack.SockLastError(), WsaError::AddressInUse);

    int32_t seenThere = 0;
    std::thread([&] {
        const TIdStackSocketHandle gone = stack.NewSocketHandle(SockDgram, 0);
        stack.SockClose(gone);
        stack.SockSendTo(gone, "x", 1, 0, "127.0.0.1", port);
        seenThere = stack.SockLastError();
    }).join();
    EXPECT_EQ(seenThere, WsaError::NotSocket);
    EXPECT_EQ(stack.SockLastError(), WsaError::AddressInUse);
}

TEST_F(StackSockets, StreamOperationsConnectAcceptAndTransfer)
{
    const TIdStackSocketHandle listener = stack.NewSocketHandle(SockStream, 0);
    opened.push_back(listener);
    ASSERT_EQ(stack.SockBind(listener, AfInet, "127.0.0.1", 0), 0);
    ASSERT_EQ(stack.SockListen(listener, 1), 0);
    int family = 0;
    QByteArray ip;
    int listenPort = 0;
    stack.SockBoundAddress(listener, family, ip, listenPort);

    const TIdStackSocketHandle client = stack.NewSocketHandle(SockStream, 0);
    opened.push_back(client);
    ASSERT_EQ(stack.SockConnect(client, AfInet, "127.0.0.1", listenPort), 0);
    int clientPort = 0;
    stack.SockBoundAddress(client, family, ip, clientPort);

    QByteArray peerIp;
    int peerPort = 0;
    const TIdStackSocketHandle accepted = stack.SockAccept(listener, peerIp, peerPort);
    ASSERT_GE(accepted, 0);
    opened.push_back(accepted);
    EXPECT_EQ(peerIp, "127.0.0.1");
    EXPECT_EQ(peerPort, clientPort);
    stack.SockPeerAddress(client, family, peerIp, peerPort);
    EXPECT_EQ(peerPort, listenPort);

    EXPECT_EQ(stack.SockSend(client, "hello", 5, 0), 5);
    char buffer[16];
    EXPECT_EQ(stack.SockRecv(accepted, buffer, sizeof buffer, 0), 5);
    EXPECT_EQ(QByteArray(buffer, 5), "hello");

    // After the peer has gone, a send fails with a code instead of ending
    // the process with a signal.
    EXPECT_EQ(stack.SockShutdown(accepted, SdBoth), 0);
    EXPECT_EQ(stack.SockClose(accepted), 0);
    opened.pop_back();
    EXPECT_EQ(stack.SockRecv(client, buffer, sizeof buffer, 0), 0);
    int result = 0;
    for (int i = 0; i < 10 && result != -1; ++i)
        result = stack.SockSend(client, "again", 5, 0);
    EXPECT_EQ(result, -1);
    EXPECT_NE(stack.SockLastError(), 0);
}

TEST_F(StackSockets, HostAndServiceLookups)
{
    EXPECT_EQ(stack.SockResolveAddress("127.0.0.1"), "localhost");
    EXPECT_EQ(stack.SockHostToNet16(0x1234), qToBigEndian<uint16_t>(0x1234));
    EXPECT_EQ(stack.SockNetToHost32(stack.SockHostToNet32(0x01020304)), 0x01020304u);

    EXPECT_EQ(stack.SockServicePort("971"), 971);
    EXPECT_EQ(stack.SockServicePort("$10"), 16);
    try {
        stack.SockServicePort("no-such-service");
        ADD_FAILURE() << "an unknown service gave a port";
    } catch (const EIdInvalidServiceName &e) {
        EXPECT_EQ(e.Message(), "no-such-service is not a valid service.");
    }
    EXPECT_TRUE(stack.SockServiceNames(47219).isEmpty());
    if (QFile::exists(QStringLiteral("/etc/services"))) {
        EXPECT_EQ(stack.SockServicePort("echo"), 7);
        EXPECT_EQ(stack.SockServiceNames(7).value(0), "echo");
    }

    try {
        const QByteArrayList &local = stack.LocalAddressList();
        ASSERT_FALSE(local.isEmpty());
        for (const QByteArray &address : local)
            EXPECT_TRUE(TIdStack::IsAddressText(address)) << address.constData();
        EXPECT_EQ(stack.FirstLocalAddress(), local.first());
    } catch (const EIdSocketError &e) {
        // A workstation whose own name does not resolve.
        EXPECT_GE(e.SocketErrorCode(), WsaError::HostNotFound) << e.what();
    }
}
