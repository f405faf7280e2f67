// The platform socket calls where Linux and Windows Sockets differ.

#include "platform/sockets/Sockets.h"

#include <QElapsedTimer>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <netdb.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

using namespace Sockets;

namespace {
class PlatformSockets : public testing::Test {
protected:
    void TearDown() override
    {
        for (TSocket s : opened)
            CloseSocket(s);
    }

    TSocket LoopbackDatagram(TSockAddrIn &bound)
    {
        const TSocket s = Socket(AfInet, SockDgram, 0);
        EXPECT_GE(s, 0);
        opened.push_back(s);
        TSockAddrIn any;
        any.Family = AfInet;
        any.Address = {127, 0, 0, 1};
        EXPECT_EQ(Bind(s, &any, SockAddrInLength), 0);
        int length = SockAddrInLength;
        EXPECT_EQ(GetSockName(s, &bound, &length), 0);
        return s;
    }

    std::vector<TSocket> opened;
};
} // namespace

TEST(SocketErrorTranslation, UnknownFailuresGetAGeneralCode)
{
    EXPECT_EQ(WsaErrorFromErrno(EADDRINUSE), WsaError::AddressInUse);
    EXPECT_EQ(WsaErrorFromErrno(EIO), WsaError::SystemCallFailure);
    EXPECT_EQ(WsaErrorFromErrno(0), WsaError::SystemCallFailure);
    EXPECT_EQ(WsaErrorFromLookup(HOST_NOT_FOUND), WsaError::HostNotFound);
    EXPECT_EQ(WsaErrorFromLookup(12345), WsaError::NoRecovery);
}

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
    EXPECT_EQ(SendTo(sender, "x", 1, 0x40, &to, SockAddrInLength), -1);
    EXPECT_EQ(LastError(), WsaError::OperationNotSupported);
    TSockAddrIn wrongFamily = to;
    wrongFamily.Family = 23;
    EXPECT_EQ(SendTo(sender, "x", 1, 0, &wrongFamily, SockAddrInLength), -1);
    EXPECT_EQ(LastError(), WsaError::AddressFamilyNotSupported);
}

TEST_F(PlatformSockets, SelectWorksForHighSocketNumbersAndRefusesEmptyOrBadWaits)
{
    TSockAddrIn to;
    const TSocket low = LoopbackDatagram(to);
    // Socket numbers beyond the classic 1024-bit descriptor set.
    const TSocket high = ::dup2(low, 1500);
    ASSERT_EQ(high, 1500);
    opened.push_back(high);
    ASSERT_EQ(SendTo(low, "x", 1, 0, &to, SockAddrInLength), 1);

    TSocketSet read;
    read.Count = 1;
    read.Sockets[0] = high;
    TTimeVal wait{1, 0};
    EXPECT_EQ(Select(0, &read, nullptr, nullptr, &wait), 1);
    EXPECT_EQ(read.Count, 1u);

    // Microseconds beyond a second are carried into the seconds.
    read.Count = 1;
    TTimeVal carried{0, 1'500'000};
    EXPECT_EQ(Select(0, &read, nullptr, nullptr, &carried), 1);

    TSocketSet empty;
    EXPECT_EQ(Select(0, &empty, &empty, nullptr, &wait), -1);
    EXPECT_EQ(LastError(), WsaError::InvalidArgument);

    read.Count = 1;
    TTimeVal negative{0, -1000};
    EXPECT_EQ(Select(0, &read, nullptr, nullptr, &negative), -1);
    EXPECT_EQ(LastError(), WsaError::InvalidArgument);
    EXPECT_EQ(read.Count, 0u);

    read.Count = 65;
    EXPECT_EQ(Select(0, &read, nullptr, nullptr, &wait), -1);
    EXPECT_EQ(LastError(), WsaError::InvalidArgument);
}

TEST_F(PlatformSockets, RefusesWhatOnlyIPv4DatagramsAndStreamsMayBe)
{
    EXPECT_EQ(Socket(23, SockDgram, 0), -1);
    EXPECT_EQ(LastError(), WsaError::AddressFamilyNotSupported);
    EXPECT_EQ(Socket(AfInet, 3, 0), -1);
    EXPECT_EQ(LastError(), WsaError::SocketTypeNotSupported);

    TSockAddrIn bound;
    const TSocket s = LoopbackDatagram(bound);
    const int32_t on = 1;
    EXPECT_EQ(SetSockOpt(s, SolSocket, SoBroadcast, &on, 2), -1);
    EXPECT_EQ(LastError(), WsaError::Fault);
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

TEST_F(PlatformSockets, SignalsNeitherEndNorStretchABlockingCall)
{
    // A handler without SA_RESTART makes every blocking call return EINTR.
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

    TSockAddrIn to;
    const TSocket receiver = LoopbackDatagram(to);
    TSockAddrIn from;
    const TSocket sender = LoopbackDatagram(from);
    const pthread_t waiting = pthread_self();
    std::atomic<bool> done = false;
    std::thread interrupter([&] {
        for (int i = 0; i < 15 && !done; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            pthread_kill(waiting, SIGUSR1);
        }
        SendTo(sender, "late", 4, 0, &to, SockAddrInLength);
    });

    TSocketSet read;
    read.Count = 1;
    read.Sockets[0] = receiver;
    TTimeVal wait{0, 700'000};
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Select(0, &read, nullptr, nullptr, &wait), 0);
    EXPECT_GE(clock.elapsed(), 650); // how long it waits: bench_socket_layer, SelectTimeout
    EXPECT_EQ(read.Count, 0u);

    // The receive is still waiting when the datagram comes after the signals.
    char buffer[8];
    EXPECT_EQ(Recv(receiver, buffer, sizeof buffer, 0), 4);
    done = true;
    interrupter.join();
    sigaction(SIGUSR1, &previous, nullptr);
}
