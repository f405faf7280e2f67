#include "framework/GuiHandover.h"
#include "net/IdThread.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

namespace {
// Counts its passes; a pass can be made to fail or to hand over a call.
class TCountingThread : public TIdThread {
public:
    ~TCountingThread() override { EndThread(); }

    std::atomic<int> Passes{0};
    std::atomic<int> Befores{0};
    std::atomic<int> Afters{0};
    std::atomic<int> FailAt{-1};
    std::atomic<bool> RuntimeFailure{false};
    std::atomic<bool> HandOverEachPass{false};
    std::atomic<int> HandedOverOnGui{0};

protected:
    void BeforeRunning() override { ++Befores; }
    void AfterRunning() override { ++Afters; }
    void RunOnce() override
    {
        const int pass = ++Passes;
        if (pass == FailAt) {
            if (RuntimeFailure)
                throw std::runtime_error("not ours");
            throw Exception("pass failed");
        }
        if (HandOverEachPass)
            RunOnGuiThread([this] {
                if (QThread::currentThread() == QCoreApplication::instance()->thread())
                    ++HandedOverOnGui;
            });
        else
            std::this_thread::sleep_for(1ms);
    }
};
} // namespace

TEST(IdThread, CreatedHaltedThenRunsUntilStopped)
{
    TCountingThread thread;
    EXPECT_TRUE(thread.Halted());
    ASSERT_TRUE(WaitUntil([&] { return thread.Suspended(); }));
    EXPECT_EQ(thread.Passes, 0);
    EXPECT_EQ(thread.Befores, 0);

    thread.StartRunning();
    ASSERT_TRUE(WaitUntil([&] { return thread.Passes >= 5; }));
    EXPECT_FALSE(thread.IsHalted());
    thread.StopRunning();
    EXPECT_TRUE(thread.Terminated());
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
    EXPECT_EQ(thread.Befores, 1);
    EXPECT_EQ(thread.Afters, 1);
    EXPECT_TRUE(thread.ExitMessage().isEmpty());
    EXPECT_FALSE(thread.FatalException());
}

TEST(IdThread, HaltModeOnlyPausesTheThread)
{
    TCountingThread thread;
    thread.HaltMode = TIdThread::THaltMode::Halt;
    thread.StartRunning();
    ASSERT_TRUE(WaitUntil([&] { return thread.Passes >= 3; }));
    thread.StopRunning();
    EXPECT_FALSE(thread.Terminated());
    ASSERT_TRUE(WaitUntil([&] { return thread.Afters == 1; }));
    const int paused = thread.Passes;
    ASSERT_TRUE(WaitUntil([&] { return thread.Suspended(); }));
    EXPECT_EQ(thread.Passes, paused);
    EXPECT_FALSE(thread.Finished());

    thread.StartRunning();
    ASSERT_TRUE(WaitUntil([&] { return thread.Passes > paused + 3; }));
    EXPECT_EQ(thread.Befores, 2);
    thread.EndAndWait();
    EXPECT_TRUE(thread.Finished());
    EXPECT_EQ(thread.Afters, 2);
}

TEST(IdThread, AProgramExceptionEndsTheThreadWithItsMessage)
{
    TCountingThread thread;
    thread.FailAt = 3;
    QByteArray told;
    TIdThread *toldThread = nullptr;
    thread.OnRunException = [&](TIdThread *t, const Exception &e) {
        toldThread = t;
        told = e.Message();
    };
    thread.StartRunning();
    thread.WaitFor();
    EXPECT_EQ(thread.Passes, 3);
    EXPECT_EQ(thread.ExitMessage(), "pass failed");
    EXPECT_EQ(told, "pass failed");
    EXPECT_EQ(toldThread, &thread);
    EXPECT_TRUE(thread.Terminated());
    EXPECT_EQ(thread.Afters, 1); // also after the failed pass
    EXPECT_FALSE(thread.FatalException());
}

TEST(IdThread, AnyOtherExceptionIsKeptAsFatal)
{
    TCountingThread thread;
    thread.FailAt = 2;
    thread.RuntimeFailure = true;
    bool told = false;
    thread.OnRunException = [&](TIdThread *, const Exception &) { told = true; };
    thread.StartRunning();
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
    EXPECT_FALSE(told);
    EXPECT_TRUE(thread.ExitMessage().isEmpty());
    ASSERT_TRUE(thread.FatalException());
    EXPECT_THROW(std::rethrow_exception(thread.FatalException()), std::runtime_error);
}

// Destruction wakes the waiting thread and ends it without a pass; how long
// that takes is measured by bench_handover (BM_EndWhileListening).
TEST(IdThread, DestroyingANeverStartedThreadEndsIt)
{
    std::atomic<int> befores{-1};
    std::atomic<int> passes{-1};
    std::atomic<int> afters{-1};
    {
        class TReportingThread : public TCountingThread {
        public:
            TReportingThread(std::atomic<int> &b, std::atomic<int> &p, std::atomic<int> &a) : B(b), P(p), A(a) {}
            ~TReportingThread() override
            {
                EndThread();
                B = Befores.load();
                P = Passes.load();
                A = Afters.load();
            }
            std::atomic<int> &B, &P, &A;
        } thread(befores, passes, afters);
        ASSERT_TRUE(WaitUntil([&] { return thread.Suspended(); }));
    }
    EXPECT_EQ(befores, 0);
    EXPECT_EQ(passes, 0);
    EXPECT_EQ(afters, 1); // the body's end after a wait that ended terminated
}

// The GUI thread waits for a thread that is blocked in a hand-over: the wait
// runs the call, so the thread can end.
TEST(IdThread, WaitingOnTheGuiThreadRunsHandedOverCalls)
{
    TCountingThread thread;
    thread.HandOverEachPass = true;
    thread.StartRunning();
    // The first pass waits for the GUI thread, which runs no call before it
    // waits for the thread's end.
    ASSERT_TRUE(WaitUntil([] { return PendingCallCount() == 1; }));
    EXPECT_EQ(thread.HandedOverOnGui, 0);
    thread.EndAndWait();
    EXPECT_TRUE(thread.Finished());
    EXPECT_GE(thread.HandedOverOnGui, 1);
    EXPECT_EQ(thread.HandedOverOnGui, thread.Passes);
}

TEST(IdThread, AThreadCannotWaitForItself)
{
    class TSelfWaiter : public TIdThread {
    public:
        ~TSelfWaiter() override { EndThread(); }
        std::atomic<bool> Refused{false};

    protected:
        void RunOnce() override
        {
            try {
                WaitFor();
            } catch (const EThread &) {
                Refused = true;
            }
            StopRunning();
        }
    } thread;
    thread.StartRunning();
    thread.WaitFor();
    EXPECT_TRUE(thread.Refused);
}
