// The socket calls on BSD sockets: errno translation, descriptor numbers
// beyond the classic set, and signals during blocking calls.

#include "platform/sockets/Sockets.h"
#include "PlatformSockets.h"

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

TEST(SocketErrorTranslation, UnknownFailuresGetAGeneralCode)
{
    EXPECT_EQ(WsaErrorFromErrno(EADDRINUSE), WsaError::AddressInUse);
    EXPECT_EQ(WsaErrorFromErrno(EIO), WsaError::SystemCallFailure);
    EXPECT_EQ(WsaErrorFromErrno(0), WsaError::SystemCallFailure);
    EXPECT_EQ(WsaErrorFromLookup(HOST_NOT_FOUND), WsaError::HostNotFound);
    EXPECT_EQ(WsaErrorFromLookup(12345), WsaError::NoRecovery);
}

// What BSD sockets would take in a sense of their own (0x40 is MSG_DONTWAIT,
// a raw socket, a short option value, a negative wait) is refused as the
// program's interface promises. Windows Sockets reads these otherwise: Wine
// sends with flag 0x40, answers a raw socket with protocol 0 by
// WSAEPROTONOSUPPORT, takes a 2-byte option, treats a negative timeout as no
// wait, and a 16-byte record of family 23 is too short (WSAEFAULT).
TEST_F(PlatformSockets, StandInRefusesWhatBsdSocketsWouldReadInTheirOwnSense)
{
    TSockAddrIn to;
    const TSocket s = LoopbackDatagram(to);
    EXPECT_EQ(SendTo(s, "x", 1, 0x40, &to, SockAddrInLength), -1);
    EXPECT_EQ(LastError(), WsaError::OperationNotSupported);
    TSockAddrIn wrongFamily = to;
    wrongFamily.Family = 23;
    EXPECT_EQ(SendTo(s, "x", 1, 0, &wrongFamily, SockAddrInLength), -1);
    EXPECT_EQ(LastError(), WsaError::AddressFamilyNotSupported);

    EXPECT_EQ(Socket(AfInet, 3, 0), -1);
    EXPECT_EQ(LastError(), WsaError::SocketTypeNotSupported);
    const int32_t on = 1;
    EXPECT_EQ(SetSockOpt(s, SolSocket, SoBroadcast, &on, 2), -1);
    EXPECT_EQ(LastError(), WsaError::Fault);

    ASSERT_EQ(SendTo(s, "x", 1, 0, &to, SockAddrInLength), 1);
    TSocketSet read;
    read.Count = 1;
    read.Sockets[0] = s;
    TTimeVal negative{0, -1000};
    EXPECT_EQ(Select(0, &read, nullptr, nullptr, &negative), -1);
    EXPECT_EQ(LastError(), WsaError::InvalidArgument);
    EXPECT_EQ(read.Count, 0u);
}

TEST_F(PlatformSockets, SelectWorksForHighSocketNumbers)
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
