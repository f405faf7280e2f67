#pragma once

// A plain loopback UDP socket for the endpoint tests: the other end of the
// wire, written directly on the platform's socket calls.

#include "platform/sockets/Sockets.h"

#include <QByteArray>

// Whether a datagram waits on the socket within `timeoutMs`.
inline bool WaitReadable(Sockets::TSocket s, int timeoutMs)
{
    Sockets::TSocketSet ready;
    ready.Count = 1;
    ready.Sockets[0] = s;
    const Sockets::TTimeVal wait{timeoutMs / 1000, timeoutMs % 1000 * 1000};
    return Sockets::Select(0, &ready, nullptr, nullptr, &wait) == 1;
}

class UdpPeer {
public:
    static constexpr Sockets::TInAddr Loopback{127, 0, 0, 1};
    static constexpr Sockets::TInAddr AnyAddress{0, 0, 0, 0};

    // The address of a dotted text such as "127.0.0.5".
    static Sockets::TInAddr Address(const char *dotted)
    {
        const uint32_t network = Sockets::InetAddr(dotted);
        Sockets::TInAddr address;
        for (int i = 0; i < 4; ++i)
            address[i] = uint8_t(Sockets::NetToHost32(network) >> (24 - 8 * i));
        return address;
    }

    // Bound to 127.0.0.1 and a port of the system's choice, or `port`.
    explicit UdpPeer(int port = 0, Sockets::TInAddr address = Loopback)
    {
        FStarted = Sockets::Startup() == 0;
        FSocket = Sockets::Socket(Sockets::AfInet, Sockets::SockDgram, 0);
        Sockets::TSockAddrIn local;
        local.Family = Sockets::AfInet;
        local.Address = address;
        local.Port = Sockets::HostToNet16(uint16_t(port));
        FBound = Sockets::Bind(FSocket, &local, Sockets::SockAddrInLength) == 0;
        int length = Sockets::SockAddrInLength;
        Sockets::GetSockName(FSocket, &local, &length);
        FPort = Sockets::NetToHost16(local.Port);
    }
    ~UdpPeer()
    {
        Sockets::CloseSocket(FSocket);
        if (FStarted)
            Sockets::Cleanup();
    }
    UdpPeer(const UdpPeer &) = delete;
    UdpPeer &operator=(const UdpPeer &) = delete;

    bool Bound() const { return FBound; }
    int Port() const { return FPort; }

    bool SendTo(int port, const QByteArray &bytes) const
    {
        Sockets::TSockAddrIn to;
        to.Family = Sockets::AfInet;
        to.Address = Loopback;
        to.Port = Sockets::HostToNet16(uint16_t(port));
        return Sockets::SendTo(FSocket, bytes.constData(), int(bytes.size()), 0, &to, Sockets::SockAddrInLength)
               == bytes.size();
    }

    // One datagram, or a null array when none comes within `timeoutMs`;
    // `fromPort` receives the sender's port.
    QByteArray Receive(int timeoutMs = 2000, int *fromPort = nullptr) const
    {
        if (!WaitReadable(FSocket, timeoutMs))
            return QByteArray();
        QByteArray bytes(70000, '\0');
        Sockets::TSockAddrIn from;
        int length = Sockets::SockAddrInLength;
        const int n = Sockets::RecvFrom(FSocket, bytes.data(), int(bytes.size()), 0, &from, &length);
        if (n < 0)
            return QByteArray();
        if (fromPort)
            *fromPort = Sockets::NetToHost16(from.Port);
        bytes.truncate(n);
        if (bytes.isNull())
            bytes = QByteArray("", 0);
        return bytes;
    }

private:
    bool FStarted = false;
    Sockets::TSocket FSocket = Sockets::InvalidSocket;
    int FPort = 0;
    bool FBound = false;
};

// A UDP port that was free a moment ago.
inline int FreeUdpPort()
{
    UdpPeer probe(0, UdpPeer::AnyAddress);
    return probe.Port();
}
