#pragma once

// A plain loopback UDP socket for the endpoint tests: the other end of the
// wire, written directly on the platform's sockets.

#include <QByteArray>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

class UdpPeer {
public:
    // Bound to 127.0.0.1 and a port of the system's choice, or `port`.
    explicit UdpPeer(int port = 0, in_addr_t address = htonl(INADDR_LOOPBACK))
    {
        FSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = address;
        local.sin_port = htons(uint16_t(port));
        FBound = ::bind(FSocket, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0;
        socklen_t length = sizeof local;
        ::getsockname(FSocket, reinterpret_cast<sockaddr *>(&local), &length);
        FPort = ntohs(local.sin_port);
    }
    ~UdpPeer() { ::close(FSocket); }
    UdpPeer(const UdpPeer &) = delete;
    UdpPeer &operator=(const UdpPeer &) = delete;

    bool Bound() const { return FBound; }
    int Port() const { return FPort; }

    bool SendTo(int port, const QByteArray &bytes) const
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(uint16_t(port));
        return ::sendto(FSocket, bytes.constData(), bytes.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to) ==
               bytes.size();
    }

    // One datagram, or a null array when none comes within `timeoutMs`;
    // `fromPort` receives the sender's port.
    QByteArray Receive(int timeoutMs = 2000, int *fromPort = nullptr) const
    {
        pollfd wait{FSocket, POLLIN, 0};
        if (::poll(&wait, 1, timeoutMs) != 1)
            return QByteArray();
        QByteArray bytes(70000, '\0');
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(FSocket, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr *>(&from), &length);
        if (n < 0)
            return QByteArray();
        if (fromPort)
            *fromPort = ntohs(from.sin_port);
        bytes.truncate(n);
        if (bytes.isNull())
            bytes = QByteArray("", 0);
        return bytes;
    }

private:
    int FSocket = -1;
    int FPort = 0;
    bool FBound = false;
};

// A UDP port that was free a moment ago.
inline int FreeUdpPort()
{
    UdpPeer probe(0, htonl(INADDR_ANY));
    return probe.Port();
}
