#pragma once

#include "framework/Exception.h"

#include <QByteArray>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// A worker thread that runs its work in repeated passes (RunOnce) and can be
// started, halted and stopped. It is created suspended and halted:
// StartRunning sets it going.
//
// Life of the thread: while it is not terminated, it waits as long as it is
// halted, then runs BeforeRunning, passes while it is not halted, and
// AfterRunning (also after a failed pass). A program exception that escapes
// ends the thread: its message is kept in ExitMessage, OnRunException is
// told, and the thread is marked terminated. Any other exception ends it as
// well and is kept as FatalException.
//
// The halted and terminated flags are plain flags read before every pass;
// StopRunning never waits. A subclass whose passes use its own members calls
// EndThread() first in its destructor, so that the thread has ended before
// they go.
class TIdThread {
public:
    // What StopRunning does: terminate the thread (the default), or only halt
    // it until the next StartRunning.
    enum class THaltMode { Terminate, Halt };
    using TRunExceptionEvent = std::function<void(TIdThread *Thread, const Exception &E)>;

    // Raises EThread when the platform refuses a thread.
    TIdThread();
    virtual ~TIdThread();
    TIdThread(const TIdThread &) = delete;
    TIdThread &operator=(const TIdThread &) = delete;

    bool Halted() const { return FHalted.load(); }
    bool Terminated() const { return FTerminated.load(); }
    bool IsHalted() const { return Terminated() || Halted(); }
    // Whether the thread's body has ended.
    bool Finished() const { return FFinished.load(); }
    // Whether the thread waits, halted, to be started or ended: it runs no
    // pass until then.
    bool Suspended() const { return FSuspended.load(); }

    // Unhalts a halted thread and lets it go on; otherwise nothing.
    void StartRunning();
    // Halts a running thread (and with THaltMode::Terminate marks it
    // terminated); returns at once.
    void StopRunning();
    // Marks the thread terminated and wakes it if it waits halted.
    void Terminate();
    // Waits for the thread's end. On the GUI thread the wait keeps running
    // calls handed over by other threads, so a thread blocked in a hand-over
    // can finish. Raises EThread when called by the thread itself.
    void WaitFor();
    // Terminate, halt, wait.
    void EndAndWait();

    // Set once the thread has ended.
    QByteArray ExitMessage() const;
    std::exception_ptr FatalException() const;

    THaltMode HaltMode = THaltMode::Terminate;
    // Called on the thread when a program exception ends it.
    TRunExceptionEvent OnRunException;

protected:
    virtual void RunOnce() = 0;
    virtual void BeforeRunning() {}
    virtual void AfterRunning() {}

    // Unless the thread has ended: marks it terminated, wakes it and waits
    // for its end.
    void EndThread();

private:
    void Body();
    void Execute();
    // Waits, on the thread itself, until it is unhalted or terminated.
    void SuspendWhileHalted();

    mutable std::mutex FLock;
    std::condition_variable FWake;
    std::atomic<bool> FHalted{true};
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FSuspended{false};
    QByteArray FExitMessage;
    std::exception_ptr FFatalException;
    std::thread FThread;
};
