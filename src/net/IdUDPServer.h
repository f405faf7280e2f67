#pragma once

#include "net/IdUDPBase.h"

#include <QByteArray>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class TIdSocketHandle;
class TIdSocketHandles;
class TIdUDPListenerThread;
class TMemoryStream;

// A UDP endpoint that binds every one of its bindings and receives on all of
// them through one listener thread. Each datagram is given to OnUDPRead: on
// the GUI thread (the listener waits until the handler has returned), or on
// the listener thread itself with ThreadedEvent. Everything else is GUI
// thread only.
//
// OnUDPRead must not deactivate or destroy its own endpoint: the
// deactivation waits for the listener, which waits for that handler.
class TIdUDPServer : public TIdUDPBase {
    Q_OBJECT
    Q_PROPERTY(int DefaultPort READ DefaultPort WRITE SetDefaultPort)
    Q_PROPERTY(bool ThreadedEvent READ ThreadedEvent WRITE SetThreadedEvent)

public:
    // AData holds the datagram, positioned at 0; it and ABinding's sender are
    // valid only during the call.
    using TUDPReadEvent = std::function<void(QObject *Sender, TMemoryStream &AData, TIdSocketHandle &ABinding)>;
    // The listener stopped receiving for good (the handler raised, or a
    // socket error that is not one a stray datagram causes); Reason is the
    // exception's message. Raised on the GUI thread.
    using TListenerEndedEvent = std::function<void(QObject *Sender, const QByteArray &Reason)>;

    explicit TIdUDPServer(QObject *owner = nullptr);
    // Deactivates, then destroys the bindings.
    ~TIdUDPServer() override;

    TIdSocketHandles &Bindings() const { return *FBindings; }
    // Replaces the bindings by copies of source's; DefaultPort stays.
    void SetBindings(const TIdSocketHandles &source);
    // The port of bindings added later; existing bindings keep theirs.
    int DefaultPort() const;
    void SetDefaultPort(int port);
    bool ThreadedEvent() const { return FThreadedEvent.load(); }
    void SetThreadedEvent(bool threaded) { FThreadedEvent = threaded; }

    // None while inactive; binding 0 after activation, then the binding of
    // the latest datagram.
    TIdSocketHandle *SendingBinding() const { return FSendingBinding.load(); }
    // Exists while the endpoint is active.
    TIdUDPListenerThread *Listener() const { return FListener.get(); }

    TUDPReadEvent OnUDPRead;
    TListenerEndedEvent OnListenerEnded;

    // Called by the listener for each datagram, on the thread that is to run
    // OnUDPRead.
    void DatagramArrived(TMemoryStream &AData, TIdSocketHandle &ABinding);

protected:
    bool GetActive() const override;
    // Activation: bind every binding in index order, start the listener,
    // apply the broadcast permission.
    TIdSocketHandle *AcquireBinding() override;
    // Deactivation: stop the listener, close every binding (clearing its
    // address and port), wait for the listener's end, release it.
    void ReleaseBinding() override;
    void ApplyBroadcast() override;
    virtual void DeliverUDPRead(TMemoryStream &AData, TIdSocketHandle &ABinding);

private slots:
    void ReportListenerEnded();

private:
    friend class TIdUDPListenerThread;
    // Listener thread: tells the GUI thread that reception has ended.
    void ListenerFailed(const QByteArray &reason);

    std::unique_ptr<TIdSocketHandles> FBindings;
    std::atomic<TIdSocketHandle *> FSendingBinding{nullptr};
    std::unique_ptr<TIdUDPListenerThread> FListener;
    std::atomic<bool> FThreadedEvent{false};
    // Held by the listener while it reads the bindings' sockets and records a
    // sender, and by the deactivation while it closes the sockets, so that a
    // closed socket number is never used again by the listener.
    std::mutex FSocketLock;
    QByteArray FListenerEndReason; // under FSocketLock
};
