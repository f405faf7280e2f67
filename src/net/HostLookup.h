#pragma once

#include "platform/sockets/Sockets.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QObject;

// What looking a host name up came to: its first IPv4 address, or the socket
// error code of the failed lookup, as the looking-up thread read it right
// after the call.
struct THostLookupOutcome {
    std::optional<Sockets::TInAddr> Address;
    int32_t ErrorCode = 0;
};

// GUI thread: the outcome's address text, or the lookup's failure raised as
// the stack raises it (EIdSocketError with the code and its message).
QByteArray AddressTextOf(const THostLookupOutcome &outcome);

// A host name looked up on a thread of its own, so that the GUI thread never
// waits for a name server. The outcome comes back as a queued call on the
// GUI thread, which runs the caller's `done` inside the error display's
// guard. The lookup thread touches nothing of the program's: it never waits
// to be joined, and an outcome whose lookup was dropped goes nowhere.
// Made, used and destroyed on the GUI thread.
class THostLookup {
public:
    using TDone = std::function<void(const THostLookupOutcome &outcome)>;

    THostLookup();
    // Drops the pending lookup.
    ~THostLookup();
    THostLookup(const THostLookup &) = delete;
    THostLookup &operator=(const THostLookup &) = delete;

    // Looks `host` up and hands the outcome to `done`. The newer request
    // wins: a lookup still pending of the same host is kept and its outcome
    // goes to this `done` instead (no second thread for one name); one of
    // another host is dropped. Raises EThread when no thread can be made.
    void Start(const QByteArray &host, TDone done);
    // Forgets the pending lookup: its thread ends by itself, and its outcome
    // reaches no one.
    void Drop();
    bool Pending() const { return FPending != nullptr; }

private:
    struct TRequest;
    static void Deliver(const std::shared_ptr<TRequest> &request, const THostLookupOutcome &outcome);

    // Receives the outcomes' queued calls; the calls still queued go with it.
    std::unique_ptr<QObject> FReceiver;
    std::shared_ptr<TRequest> FPending;
};

// Tests and benchmarks put a resolver of their own in place of the system's
// through this seam (one that waits or fails without a name server): while
// one is installed, every lookup started afterwards runs it on the lookup
// thread. Returns the previous resolver; an empty one restores the system's.
using THostResolver = std::function<THostLookupOutcome(const QByteArray &host)>;
THostResolver SetHostResolver(THostResolver resolver);
