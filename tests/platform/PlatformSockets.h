#pragma once

// Loopback datagram sockets made through the platform calls, closed after
// each test.

#include "platform/sockets/Sockets.h"

#include <gtest/gtest.h>
#include <vector>

class PlatformSockets : public testing::Test {
protected:
    using TSocket = Sockets::TSocket;
    using TSockAddrIn = Sockets::TSockAddrIn;

    void SetUp() override { ASSERT_EQ(Sockets::Startup(), 0); }

    void TearDown() override
    {
        for (TSocket s : opened)
            Sockets::CloseSocket(s);
        Sockets::Cleanup();
    }

    TSocket LoopbackDatagram(TSockAddrIn &bound)
    {
        const TSocket s = Sockets::Socket(Sockets::AfInet, Sockets::SockDgram, 0);
        EXPECT_GE(s, 0);
        opened.push_back(s);
        TSockAddrIn any;
        any.Family = Sockets::AfInet;
        any.Address = {127, 0, 0, 1};
        EXPECT_EQ(Sockets::Bind(s, &any, Sockets::SockAddrInLength), 0);
        int length = Sockets::SockAddrInLength;
        EXPECT_EQ(Sockets::GetSockName(s, &bound, &length), 0);
        return s;
    }

    std::vector<TSocket> opened;
};
