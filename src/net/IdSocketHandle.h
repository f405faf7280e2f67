#pragma once

#include "net/IdStack.h"

#include <QByteArray>
#include <atomic>
#include <mutex>

class TIdSocketHandles;

// One binding of a UDP endpoint: the local address and port to bind, the
// socket while it is open, and the sender of the latest datagram received
// on it.
//
// Any thread may read a binding while another changes it: the listener
// records each sender, a handler on the listener thread (ThreadedEvent)
// reads it, and the GUI thread meanwhile may close the socket and clear the
// addresses. The addresses are read and written whole under a lock of the
// binding, and read as copies.
class TIdSocketHandle {
public:
    // Appends itself to `collection` (when given) and takes its default port.
    explicit TIdSocketHandle(TIdSocketHandles *collection = nullptr);
    // Closes the socket and leaves the collection.
    virtual ~TIdSocketHandle();
    TIdSocketHandle(const TIdSocketHandle &) = delete;
    TIdSocketHandle &operator=(const TIdSocketHandle &) = delete;

    TIdSocketHandles *Collection() const { return FCollection; }

    TIdStackSocketHandle SocketHandle() const { return FSocketHandle.load(); }
    bool SocketOpen() const { return FSocketOpen.load(); }
    // The local address to bind (empty: any); after a bind, the bound one.
    QByteArray IP() const;
    void SetIP(const QByteArray &ip);
    // The local port to bind (0: the stack chooses); after a bind, the bound one.
    int Port() const;
    void SetPort(int port);
    // The sender of the latest datagram received on this binding; empty and
    // 0 once the socket was closed.
    QByteArray RemoteIP() const;
    int RemotePort() const;
    void SetRemote(const QByteArray &ip, int port);

    // Forgets the socket without closing it; with clearLocal also IP and Port.
    void ClearAddresses(bool clearLocal);
    // Closes any open socket (clearing the local address), then opens a new
    // IPv4 socket; raises EIdInvalidSocket when the platform refuses.
    void OpenSocket(int kind = Sockets::SockDgram, int protocol = 0);
    // Only with a socket open: stops sending, closes it (results ignored)
    // and clears the addresses. With no socket open it does nothing.
    virtual void ShutSocket(bool clearLocal);
    // Binds to IP and Port, then reads back the address actually bound.
    // Raises EIdCouldNotBindSocket when the address is in use, EIdSocketError
    // for any other failure.
    void BindSocket();
    void RefreshLocalAddress();
    void RefreshRemoteAddress();
    // Raises EIdPackageSizeTooBig, EIdSocketError or EIdNotAllBytesSent.
    void SendDatagram(const QByteArray &ip, int port, const void *buffer, int count);
    // Raises EIdSocketError.
    void SetSocketOption(int level, int name, const void *value, int length);
    // Connects the socket to RemoteIP:RemotePort; on success reads back both
    // addresses. Returns the platform result.
    virtual int ConnectPeer(int family);

    // Copies IP, Port, RemoteIP and RemotePort; never the socket.
    void Assign(const TIdSocketHandle &source);

private:
    friend class TIdSocketHandles;

    void SetLocal(const QByteArray &ip, int port);

    TIdSocketHandles *FCollection = nullptr;
    std::atomic<TIdStackSocketHandle> FSocketHandle{Sockets::InvalidSocket};
    std::atomic<bool> FSocketOpen{false};
    mutable std::mutex FAddressLock; // guards the four addresses below
    QByteArray FIP;
    QByteArray FRemoteIP;
    int FPort = 0;
    int FRemotePort = 0;
};
