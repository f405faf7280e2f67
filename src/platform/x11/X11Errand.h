#pragma once

#include <QDeadlineTimer>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// Work for an X connection of its own, on a thread of its own that nobody
// joins: the thread and the one who started it share this state, and
// whichever lets go last frees it. Dropping the errand cuts the work's waits
// short (every wait of the work polls Cancel() too) and never waits for the
// thread, which may be inside an X call that a stopped server holds (such as
// connecting); it ends when that call returns and delivers nothing.
class TX11Errand {
public:
    // Runs work on a thread of its own; nullptr when no thread could be
    // started.
    static std::shared_ptr<TX11Errand> Start(std::function<void(TX11Errand &)> work);
    ~TX11Errand();
    TX11Errand(const TX11Errand &) = delete;
    TX11Errand &operator=(const TX11Errand &) = delete;

    // A descriptor that becomes readable when the errand is dropped.
    int Cancel() const { return FCancel; }
    // For the work: runs deliver under the errand's lock, unless the errand
    // has been dropped (so that whatever deliver reaches is still there).
    void Deliver(const std::function<void()> &deliver);

    // For the one who started it: waits until the work has returned or the
    // deadline has passed; whether it has returned.
    bool Wait(QDeadlineTimer deadline);
    // For the one who started it: nothing is delivered from now on.
    void Drop();

private:
    TX11Errand() = default;

    std::mutex FLock;
    std::condition_variable FReturned;
    bool FDone = false;
    bool FDropped = false;
    int FCancel = -1;
};
