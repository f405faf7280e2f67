#pragma once

// An active endpoint on a loopback port of its own that records every
// datagram and every end of its listener.

#include "support/UdpPeer.h"

#include "framework/MemoryStream.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPServer.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

struct Arrival {
    QByteArray Bytes;
    int64_t Position = -1;
    QByteArray RemoteIP;
    int RemotePort = 0;
    bool OnGuiThread = false;
    bool SocketOpen = false;
};

inline bool OnGui()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

class ListenerTest : public testing::Test {
protected:
    void SetUp() override
    {
        TIdSocketHandle *listening = Server.Bindings().Add();
        listening->SetIP("127.0.0.1");
        listening->SetPort(0);
        Server.OnUDPRead = [this](QObject *sender, TMemoryStream &data, TIdSocketHandle &binding) {
            EXPECT_EQ(sender, &Server);
            std::lock_guard lock(Lock);
            Arrivals.push_back({data.Bytes(), data.Position(), binding.RemoteIP(), binding.RemotePort(), OnGui(),
                                binding.SocketOpen()});
        };
        Server.OnListenerEnded = [this](QObject *, const QByteArray &reason) { Endings.append(reason); };
    }

    void Activate()
    {
        Server.SetActive(true);
        Port = Server.Bindings()[0]->Port();
    }

    size_t Count()
    {
        std::lock_guard lock(Lock);
        return Arrivals.size();
    }
    bool WaitForArrivals(size_t n, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return Count() >= n; }, timeoutMs);
    }

    TIdUDPServer Server;
    UdpPeer Peer;
    int Port = 0;
    std::mutex Lock;
    std::vector<Arrival> Arrivals;
    QByteArrayList Endings;
};
