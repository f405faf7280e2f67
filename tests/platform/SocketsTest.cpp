// The platform socket calls where Linux and Windows Sockets differ: what
// every system gives the program alike.

#include "platform/sockets/Sockets.h"
#include "PlatformSockets.h"

#include <gtest/gtest.h>

using namespace Sockets;

TEST_F(PlatformSockets, PeekedOversizedDatagramStaysQueued)
{
    TSockAddrIn to;
    const TSocket receiver = LoopbackDatagram(to);
    TSockAddrIn from;
    const TSocket sender = LoopbackDatagram(from);
    ASSERT_EQ(SendTo(sender, "0123456789", 10, 0, &to, SockAddrInLength), 10);

    char buffer[4];
    TSockAddrIn source;
    int length = SockAddrInLength;
    EXPECT_EQ(RecvFrom(receiver, buffer, 4, MsgPeek, &source, &length), -1);
    EXPECT_EQ(LastError(), WsaError::MessageSize);
    EXPECT_EQ(source.Port, from.Port);
    char whole[16];
    EXPECT_EQ(Recv(receiver, whole, sizeof whole, 0), 10);

    // Out records must have room for all 16 bytes.
    length = 8;
    EXPECT_EQ(RecvFrom(receiver, whole, sizeof whole, 0, &source, &length), -1);
    EXPECT_EQ(LastError(), WsaError::Fault);
    EXPECT_EQ(SendTo(sender, "x", 1, 0, &to, 15), -1);
    EXPECT_EQ(LastError(), WsaError::Fault);
}

TEST_F(PlatformSockets, RefusesWhatOnlyIPv4DatagramsAndStreamsMayBe)
{
    EXPECT_EQ(Socket(23, SockDgram, 0), -1);
    EXPECT_EQ(LastError(), WsaError::AddressFamilyNotSupported);

    TSockAddrIn bound;
    const TSocket s = LoopbackDatagram(bound);
    const int32_t on = 1;
    EXPECT_EQ(SetSockOpt(s, 0x1234, SoBroadcast, &on, 4), -1);
    EXPECT_EQ(LastError(), WsaError::InvalidArgument);
    EXPECT_EQ(Shutdown(s, 3), -1);
    EXPECT_EQ(LastError(), WsaError::InvalidArgument);
    EXPECT_EQ(Listen(s, 1), -1);
    EXPECT_EQ(LastError(), WsaError::OperationNotSupported);

    char small[1];
    EXPECT_EQ(GetHostName(small, 1), -1);
    EXPECT_EQ(LastError(), WsaError::Fault);
    EXPECT_EQ(InetAddr("10.0.0.1"), qToBigEndian<uint32_t>(0x0A000001));
    EXPECT_EQ(InetAddr("10.0.0.1x"), 0xFFFFFFFFu);
}

TEST_F(PlatformSockets, SelectRefusesEmptyOrBadWaits)
{
    TSockAddrIn to;
    const TSocket s = LoopbackDatagram(to);
    ASSERT_EQ(SendTo(s, "x", 1, 0, &to, SockAddrInLength), 1);
    TSocketSet read;
    TTimeVal wait{1, 0};

    TSocketSet empty;
    EXPECT_EQ(Select(0, &empty, &empty, nullptr, &wait), -1);
    EXPECT_EQ(LastError(), WsaError::InvalidArgument);

    read.Count = 65;
    read.Sockets[0] = s;
    EXPECT_EQ(Select(0, &read, nullptr, nullptr, &wait), -1);
    EXPECT_EQ(LastError(), WsaError::InvalidArgument);
}
