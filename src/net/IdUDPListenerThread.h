#pragma once

#include "framework/MemoryStream.h"
#include "net/IdStack.h"
#include "net/IdThread.h"

#include <functional>

class TIdSocketHandle;
class TIdUDPServer;

// The receiving thread of an active TIdUDPServer. Each pass waits up to
// PollWait ms on the sockets of all the server's bindings, receives each
// ready datagram into the one reusable DatagramBuffer, records its sender on
// the binding and hands it to the server, waiting until the handler has
// returned. So at most one datagram is in the handler's hands, and the next
// one is not received before it returns.
//
// An empty datagram, one longer than ReceiveSize, and the receive errors a
// stray peer can cause (a reset or unreachable report for an earlier send)
// are dropped and reception goes on. Any other failure, and an exception
// from the handler, ends the thread; the server is told (OnListenerEnded).
class TIdUDPListenerThread : public TIdThread {
public:
    // Created suspended and halted; the server starts it.
    TIdUDPListenerThread(int receiveSize, TIdUDPServer *server);
    ~TIdUDPListenerThread() override;

    // The binding of the datagram being handed over.
    TIdSocketHandle *ArrivalBinding = nullptr;
    int PollWait = 1000;
    TMemoryStream DatagramBuffer;
    const int ReceiveSize;
    TIdUDPServer *const OwnerServer;

    void HandOver();

protected:
    void RunOnce() override;

private:
    void Pass();
    // Receives one datagram from `socket` into DatagramBuffer; false when it
    // is dropped or the thread was stopped meanwhile.
    bool Receive(TIdStackSocketHandle socket);

    TIdSocketList FReadList;
    QByteArray FSenderIP;
    const std::function<void()> FHandOverCall;
};

// The receive errors that concern one datagram only and leave the socket
// fit for the next one.
bool IsDatagramError(int32_t code);
