#include "net/HostLookup.h"

#include "framework/ErrorDisplay.h"
#include "framework/GuiHandover.h"
#include "net/IdStack.h"

#include <QObject>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {
THostResolver &InstalledResolver()
{
    static THostResolver resolver;
    return resolver;
}

// The system's resolver, on the lookup thread.
THostLookupOutcome SystemResolver(const QByteArray &host)
{
    // The lookup keeps the socket library started for itself: the window,
    // and with it the program's stack, may go while it waits.
    if (const int error = Sockets::Startup())
        return {std::nullopt, error};
    THostLookupOutcome outcome;
    Sockets::THostRecord record;
    if (Sockets::GetHostByName(host, record))
        outcome.Address = record.Addresses.first();
    else
        outcome.ErrorCode = Sockets::LastError(); // this thread's, right after its call
    Sockets::Cleanup();
    return outcome;
}
} // namespace

// One lookup. The lookup thread holds it until it has handed its outcome
// over; Owner and Receiver say, under Lock, whether anyone still wants it.
struct THostLookup::TRequest {
    QByteArray Host;
    THostResolver Resolver;
    TDone Done; // GUI thread only
    std::mutex Lock;
    THostLookup *Owner = nullptr;
    QObject *Receiver = nullptr;
};

QByteArray AddressTextOf(const THostLookupOutcome &outcome)
{
    if (!outcome.Address)
        GlobalStack->RaiseSocketFailure(outcome.ErrorCode);
    return GlobalStack->AddressToText(*outcome.Address);
}

THostLookup::THostLookup() : FReceiver(std::make_unique<QObject>()) {}

THostLookup::~THostLookup()
{
    Drop();
}

void THostLookup::Start(const QByteArray &host, TDone done)
{
    if (FPending && FPending->Host == host) {
        FPending->Done = std::move(done);
        return;
    }
    Drop();
    auto request = std::make_shared<TRequest>();
    request->Host = host;
    request->Resolver = InstalledResolver() ? InstalledResolver() : SystemResolver;
    request->Done = std::move(done);
    request->Owner = this;
    request->Receiver = FReceiver.get();
    try {
        std::thread([request] {
            const THostLookupOutcome outcome = request->Resolver(request->Host);
            std::lock_guard lock(request->Lock);
            if (request->Owner)
                QMetaObject::invokeMethod(
                    request->Receiver, [request, outcome] { Deliver(request, outcome); }, Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error &e) {
        throw EThread(QByteArray("Thread creation error: ") + e.what());
    }
    FPending = std::move(request);
}

void THostLookup::Drop()
{
    if (!FPending)
        return;
    {
        std::lock_guard lock(FPending->Lock);
        FPending->Owner = nullptr;
        FPending->Receiver = nullptr;
    }
    FPending->Done = nullptr;
    FPending.reset();
}

void THostLookup::Deliver(const std::shared_ptr<TRequest> &request, const THostLookupOutcome &outcome)
{
    {
        std::lock_guard lock(request->Lock);
        // Dropped after its outcome was queued.
        if (!request->Owner)
            return;
        request->Owner->FPending.reset();
        request->Owner = nullptr;
        request->Receiver = nullptr;
    }
    const TDone done = std::move(request->Done);
    Guard([&] { done(outcome); });
}

THostResolver SetHostResolver(THostResolver resolver)
{
    return std::exchange(InstalledResolver(), std::move(resolver));
}
