#pragma once

#include "net/IdComponent.h"

#include <QByteArray>
#include <memory>

class TIdSocketHandle;

// A UDP endpoint: activation, the broadcast permission and sending. On its
// own it sends through one unbound socket of its own; TIdUDPServer binds a
// list of bindings and receives on them. GUI thread only.
class TIdUDPBase : public TIdComponent {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(int BufferSize READ BufferSize WRITE SetBufferSize)
    Q_PROPERTY(bool BroadcastEnabled READ BroadcastEnabled WRITE SetBroadcastEnabled)

public:
    explicit TIdUDPBase(QObject *owner = nullptr);
    // Deactivates first.
    ~TIdUDPBase() override;

    bool Active() const { return GetActive(); }
    // Nothing when unchanged. While the component is loading the value waits
    // for Loaded(); otherwise true opens the endpoint (AcquireBinding) and
    // false closes it (ReleaseBinding), raising what they raise.
    void SetActive(bool value);

    // The receive buffer length handed to the listener at activation.
    int BufferSize() const { return FBufferSize; }
    void SetBufferSize(int size) { FBufferSize = size; }

    bool BroadcastEnabled() const { return FBroadcastEnabled; }
    // Applied at once to an active endpoint.
    void SetBroadcastEnabled(bool enabled);
    // Sets SO_BROADCAST on `binding` (none: the endpoint's sending binding,
    // opening the endpoint when it is closed). Raises EIdSocketError.
    void SetBroadcastOption(bool enabled, TIdSocketHandle *binding = nullptr);

    // Resolves the host first (a failure leaves everything as it was), then
    // opens the endpoint if needed and sends one datagram. An empty text
    // sends an empty datagram.
    void SendText(const QByteArray &host, int port, const QByteArray &text);
    void SendBytes(const QByteArray &host, int port, const void *buffer, int count);

    // Applies the Active value written while loading.
    void Loaded() override;

protected:
    virtual void ReleaseBinding();
    virtual bool GetActive() const;
    // The binding to send through, opening the endpoint when it is closed.
    virtual TIdSocketHandle *AcquireBinding();
    virtual void ApplyBroadcast();

private:
    std::unique_ptr<TIdSocketHandle> FOwnBinding;
    int FBufferSize = 8192;
    bool FPendingActive = false;
    bool FBroadcastEnabled = false;
};
