#include "framework/GuiHandover.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

constexpr std::chrono::microseconds SpinBeforeSleeping{100};
// The longest the GUI thread runs handed-over calls one after another: then
// its event loop gets a turn (timers, painting, input) before the calls
// still queued, however fast the requesters ask again.
constexpr std::chrono::microseconds ChainLimit{2000};
// After its last queued call the GUI thread watches this long for the next
// request before it goes back to its event loop.
constexpr std::chrono::microseconds WatchForNextRequest{50};
// A way given during the watch that lasted a time slice (more than this)
// went to another program: with the processors busy, watching costs a time
// slice rather than saving a wake-up, and is left off for a while.
constexpr std::chrono::microseconds TimeSlice{1000};
constexpr std::chrono::milliseconds WatchPauseWhenBusy{50};

// One waiting requester. It lives on the requester's stack; once `Ran` is
// set under `Lock` and `Lock` is released, the GUI thread no longer touches
// it.
struct TRequest {
    explicit TRequest(const std::function<void()> &call) : Call(&call) {}
    const std::function<void()> *Call;
    std::exception_ptr Error;
    std::mutex Lock;
    std::condition_variable Done;
    std::atomic<bool> Ran{false};
};

// The wake-up posted to the GUI thread. At most one waits in its event queue
// at a time: a flood of requests must not pile up wake-ups, each of which
// would run calls before the loop gets to its timers again. One taken out of
// the queue unseen is forgotten, so that the next request posts anew.
class TWakeUpEvent : public QEvent {
public:
    TWakeUpEvent() : QEvent(Kind()) {}
    ~TWakeUpEvent() override;
    static QEvent::Type Kind()
    {
        static const auto kind = QEvent::Type(QEvent::registerEventType());
        return kind;
    }
    bool Seen = false;
};

// Lives on the GUI thread and runs the queue there: on the wake-up posted by
// a requester, and whenever the GUI thread's event dispatcher is about to
// block (also inside nested loops). Only empty events cross threads, so no
// data travels through Qt's own queue.
class THandoverWaker : public QObject {
    Q_OBJECT
public slots:
    void Idle();

protected:
    bool event(QEvent *event) override;
};

struct THandover {
    std::mutex Lock;
    std::condition_variable Arrived; // a request was queued, or a waited-for thread ended
    std::deque<TRequest *> Queue;
    std::atomic<bool> Pending{false};
    std::atomic<bool> WakeUpQueued{false}; // a wake-up waits in the GUI thread's event queue
    bool GuiWatching = false;        // the GUI thread watches the queue: no wake-up needed
    std::atomic<bool> WatchEnabled{true};
    Clock::time_point WatchResumes{}; // GUI thread only
    THandoverWaker *Waker = nullptr; // made at application start-up, lives as long as the process
};

THandover &Handover()
{
    static THandover handover;
    return handover;
}

TWakeUpEvent::~TWakeUpEvent()
{
    if (!Seen)
        Handover().WakeUpQueued = false;
}

// Under the queue's lock.
void PostWakeUp(THandover &handover)
{
    handover.WakeUpQueued = true;
    QCoreApplication::postEvent(handover.Waker, new TWakeUpEvent);
}

bool THandoverWaker::event(QEvent *event)
{
    if (event->type() != TWakeUpEvent::Kind())
        return QObject::event(event);
    static_cast<TWakeUpEvent *>(event)->Seen = true;
    {
        // From here a request needs a wake-up of its own: a call may open a
        // dialog and keep the GUI thread in the dialog's loop.
        THandover &handover = Handover();
        std::lock_guard lock(handover.Lock);
        handover.WakeUpQueued = false;
    }
    ServicePendingCalls();
    return true;
}

void THandoverWaker::Idle()
{
    // A wake-up still queued is delivered on this turn of the loop anyway:
    // the calls wait for it rather than running twice in one turn.
    if (!Handover().WakeUpQueued)
        ServicePendingCalls();
}

bool OnGuiThread(const QCoreApplication *app)
{
    return QThread::currentThread() == app->thread();
}

void RequireGuiThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    if (!app || !OnGuiThread(app))
        throw EThread("Handed-over calls can only be run on the GUI thread");
}

// Runs on the GUI thread while the application object is being made.
void InstallWaker()
{
    THandover &handover = Handover();
    std::lock_guard lock(handover.Lock);
    if (handover.Waker)
        return;
    handover.Waker = new THandoverWaker;
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, handover.Waker, &THandoverWaker::Idle);
}

// Watches, giving way to other threads, until a request is queued or the
// watch is over (at the latest when the chain of calls must end).
void Watch(THandover &handover, Clock::time_point chainEnd)
{
    Clock::time_point now = Clock::now();
    const Clock::time_point end = std::min(now + WatchForNextRequest, chainEnd);
    while (!handover.Pending.load(std::memory_order_acquire) && now < end) {
        const Clock::time_point before = now;
        std::this_thread::yield();
        now = Clock::now();
        if (now - before > TimeSlice) {
            handover.WatchResumes = now + WatchPauseWhenBusy;
            return;
        }
    }
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallWaker)

void RunOnGuiThread(const std::function<void()> &call)
{
    const QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        throw EThread("There is no GUI thread to run the call on");
    if (OnGuiThread(app)) {
        call();
        return;
    }

    TRequest request(call);
    THandover &handover = Handover();
    {
        std::lock_guard lock(handover.Lock);
        handover.Queue.push_back(&request);
        handover.Pending.store(true, std::memory_order_release);
        if (!handover.WakeUpQueued && !handover.GuiWatching)
            PostWakeUp(handover);
    }
    handover.Arrived.notify_all();

    // A short call is usually done within a moment: watching for that a
    // little before going to sleep spares the requester's processor a halt
    // and a wake-up call, which on a virtual machine cost more than the call
    // itself (and made a steady flow of datagrams fall behind).
    const auto spinEnd = Clock::now() + SpinBeforeSleeping;
    while (!request.Ran.load(std::memory_order_acquire) && Clock::now() < spinEnd)
        std::this_thread::yield();
    std::unique_lock lock(request.Lock); // also waits until the GUI thread has let go of it
    request.Done.wait(lock, [&] { return request.Ran.load(); });
    lock.unlock();
    if (request.Error)
        std::rethrow_exception(request.Error);
}

int PendingCallCount()
{
    THandover &handover = Handover();
    std::lock_guard lock(handover.Lock);
    return int(handover.Queue.size());
}

bool ServicePendingCalls()
{
    RequireGuiThread();
    THandover &handover = Handover();
    if (!handover.Pending.load(std::memory_order_acquire))
        return false;
    const Clock::time_point chainEnd = Clock::now() + ChainLimit;
    bool ran = false;
    bool watched = false;
    for (;;) {
        TRequest *request;
        {
            std::unique_lock lock(handover.Lock);
            const Clock::time_point now = Clock::now();
            if (ran && now >= chainEnd) {
                // The loop's turn; the calls left run when it wakes for them.
                handover.GuiWatching = false;
                if (!handover.Queue.empty() && !handover.WakeUpQueued)
                    PostWakeUp(handover);
                break;
            }
            if (handover.Queue.empty()) {
                // A requester whose call just ran usually asks again at once
                // (the listener with the next datagram of a burst): watching
                // for that a moment spares both threads a sleep and a wake-up
                // per call. Whoever queues meanwhile posts no wake-up; this
                // thread looks at the queue under the lock once more when it
                // stops watching.
                handover.GuiWatching = ran && !watched && handover.WatchEnabled.load(std::memory_order_relaxed) &&
                                       now >= handover.WatchResumes;
                if (!handover.GuiWatching)
                    break;
                watched = true;
                lock.unlock();
                Watch(handover, chainEnd);
                continue;
            }
            watched = false;
            handover.GuiWatching = false;
            request = handover.Queue.front();
            handover.Queue.pop_front();
            if (handover.Queue.empty())
                handover.Pending.store(false, std::memory_order_relaxed);
        }
        // The queue's lock is not held while the call runs: a call that opens
        // a dialog lets the dialog's loop run the requests behind it, and a
        // requester never waits on the lock for longer than a queue operation.
        try {
            (*request->Call)();
        } catch (...) {
            request->Error = std::current_exception();
        }
        {
            std::lock_guard lock(request->Lock);
            request->Ran = true;
            request->Done.notify_one();
        }
        ran = true;
    }
    return ran;
}

void SetWatchForNextRequest(bool watch)
{
    Handover().WatchEnabled = watch;
}

void WaitServicingCalls(const std::function<bool()> &done)
{
    RequireGuiThread();
    THandover &handover = Handover();
    for (;;) {
        ServicePendingCalls();
        std::unique_lock lock(handover.Lock);
        handover.Arrived.wait(lock, [&] { return !handover.Queue.empty() || done(); });
        if (done())
            return;
    }
}

void WakeServicingWait()
{
    THandover &handover = Handover();
    {
        std::lock_guard lock(handover.Lock);
    }
    handover.Arrived.notify_all();
}

#include "GuiHandover.moc"
