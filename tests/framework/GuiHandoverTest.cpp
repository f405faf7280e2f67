#include "framework/GuiHandover.h"
#include "framework/MessageBox.h"
#include "support/WaitUntil.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {
bool OnGui()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Runs the GUI thread's event loop, waiting for events as the program does,
// until `done` answers true or `timeoutMs` (a failure guard) has passed; a
// timer wakes the loop every `tickMs` so that a flag set by another thread is
// seen. Returns whether `done` answered true.
bool RunLoopUntil(const std::function<bool()> &done, int timeoutMs, int tickMs)
{
    QTimer tick;
    tick.start(tickMs);
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}
} // namespace

TEST(GuiHandover, CallsRunOnTheGuiThreadFirstInFirstOutWhileRequestersWait)
{
    std::vector<int> order;
    std::atomic<int> wrongThread{0};
    std::atomic<int> returnedEarly{0};
    std::vector<std::thread> requesters;
    // Each requester queues while the GUI thread is busy, in a known order:
    // the next starts once the one before waits in the queue.
    for (int i = 0; i < 3; ++i) {
        requesters.emplace_back([&, i] {
            bool ran = false;
            RunOnGuiThread([&] {
                if (!OnGui())
                    ++wrongThread;
                order.push_back(i);
                ran = true;
            });
            if (!ran)
                ++returnedEarly;
        });
        EXPECT_TRUE(WaitUntil([&] { return PendingCallCount() == i + 1; }));
    }
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(ServicePendingCalls());
    EXPECT_FALSE(ServicePendingCalls());
    for (auto &t : requesters)
        t.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(wrongThread, 0);
    EXPECT_EQ(returnedEarly, 0);
}

TEST(GuiHandover, TheEventLoopRunsCallsWhenWoken)
{
    std::atomic<int> done{0};
    std::thread requester([&] {
        for (int i = 0; i < 200; ++i)
            RunOnGuiThread([&] { done += OnGui() ? 1 : 1000; });
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done >= 200; }, 10000));
    requester.join();
    EXPECT_EQ(done, 200);
}

TEST(GuiHandover, TheCallsExceptionIsRaisedAgainInTheRequester)
{
    QByteArray message;
    std::atomic<bool> runtimeError{false};
    std::thread requester([&] {
        try {
            RunOnGuiThread([] { throw Exception("handler failed"); });
        } catch (const Exception &e) {
            message = e.Message();
        }
        try {
            RunOnGuiThread([] { throw std::runtime_error("other"); });
        } catch (const std::runtime_error &) {
            runtimeError = true;
        }
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return runtimeError.load(); }, 10000));
    requester.join();
    EXPECT_EQ(message, "handler failed");
    EXPECT_TRUE(runtimeError);
}

TEST(GuiHandover, OnTheGuiThreadTheCallRunsDirectly)
{
    bool ran = false;
    RunOnGuiThread([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_THROW(RunOnGuiThread([] { throw Exception("direct"); }), Exception);
}

TEST(GuiHandover, ServicingOffTheGuiThreadIsRefused)
{
    bool refused = false;
    std::thread other([&] {
        try {
            ServicePendingCalls();
        } catch (const EThread &) {
            refused = true;
        }
    });
    other.join();
    EXPECT_TRUE(refused);
}

// A handed-over call that opens a real message box: the box's own loop goes
// on running the calls queued behind it, and closes the box from one of them.
TEST(GuiHandover, AMessageBoxOpenedByACallKeepsTheQueueMoving)
{
    std::atomic<bool> boxOpen{false};
    bool secondSawBox = false;
    std::thread first([&] {
        RunOnGuiThread([&] {
            boxOpen = true;
            ShowMessageBox("open", "caption", TMsgIcon::Information);
            boxOpen = false;
        });
    });
    std::thread second([&] {
        WaitUntil([&] { return boxOpen.load(); });
        RunOnGuiThread([&] {
            QWidget *box = QApplication::activeModalWidget();
            secondSawBox = box != nullptr;
            if (box)
                box->close();
        });
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondSawBox && !boxOpen; }, 10000));
    first.join();
    second.join();
    EXPECT_TRUE(secondSawBox);
}

// With the posted wake-up taken away, the idle hook alone runs the call.
TEST(GuiHandover, CallsRunWhenTheLoopGoesIdle)
{
    std::atomic<bool> ran{false};
    std::thread requester([&] { RunOnGuiThread([&] { ran = true; }); });
    EXPECT_TRUE(WaitUntil([] { return PendingCallCount() == 1; }));
    QCoreApplication::removePostedEvents(nullptr);
    // The loop is woken every 200 ms should the hook be missing.
    RunLoopUntil([&] { return ran.load(); }, 10000, 200);
    const bool ranWhileIdle = ran;
    ServicePendingCalls(); // lets the requester go even if the hook failed
    requester.join();
    EXPECT_TRUE(ranWhileIdle);
}

// A requester that asks again as soon as its call ran (the listener during a
// burst of datagrams) is served while the GUI thread watches for it after
// the previous call, or else after the GUI thread went back to its loop:
// either way every call runs once, in order. (How much the watching saves
// depends on a free processor, so the benchmark measures it, not this test.)
TEST(GuiHandover, BackToBackRequestsAllRunInOrder)
{
    constexpr int calls = 2000;
    std::vector<int> ran;
    ran.reserve(calls);
    std::atomic<bool> finished{false};
    std::thread requester([&] {
        for (int i = 0; i < calls; ++i)
            RunOnGuiThread([&, i] { ran.push_back(i); });
        finished = true;
    });
    RunLoopUntil([&] { return finished.load(); }, 10000, 100);
    EXPECT_TRUE(finished) << "the calls were still running after 10 s";
    while (!finished) // lets the requester go however it failed
        ServicePendingCalls();
    requester.join();
    ASSERT_EQ(int(ran.size()), calls);
    for (int i = 0; i < calls; ++i)
        ASSERT_EQ(ran[i], i);
}

// Requesters that never let the queue run dry (the listener during a flood
// of datagrams, here several threads whose calls overlap) must not keep the
// GUI thread from its loop: a timer started and an event posted by one of the
// calls get their turn while the calls keep coming.
TEST(GuiHandover, AQueueThatNeverRunsDryStillLetsTheLoopRun)
{
    QObject context;
    std::atomic<bool> timerRan{false};
    std::atomic<bool> postedRan{false};
    std::atomic<bool> stop{false};
    std::atomic<bool> gaveUp{false};
    std::atomic<int> calls{0};
    bool timerDuringFlood = false;
    bool postedDuringFlood = false;
    // Should the loop never get its turn, the requesters give up after this
    // and let the test end.
    const auto giveUpAt = std::chrono::steady_clock::now() + 15s;
    std::atomic<int> running{4};
    std::vector<std::thread> requesters;
    for (int r = 0; r < 4; ++r)
        requesters.emplace_back([&] {
            while (!stop) {
                if (std::chrono::steady_clock::now() > giveUpAt) {
                    gaveUp = true;
                    break;
                }
                RunOnGuiThread([&] {
                    if (calls++ == 0) {
                        QTimer::singleShot(10, &context, [&] {
                            timerDuringFlood = !gaveUp;
                            timerRan = true;
                        });
                        QMetaObject::invokeMethod(
                            &context,
                            [&] {
                                postedDuringFlood = !gaveUp;
                                postedRan = true;
                            },
                            Qt::QueuedConnection);
                    }
                    // Each call ends only once another one waits: the queue
                    // never runs dry while the requesters go on.
                    WaitUntil([&] { return PendingCallCount() > 0 || stop || gaveUp; });
                });
            }
            --running;
        });
    RunLoopUntil([&] { return timerRan && postedRan; }, 30000, 100);
    stop = true;
    while (running > 0) // lets the requesters go however it failed
        ServicePendingCalls();
    for (auto &t : requesters)
        t.join();
    EXPECT_TRUE(timerDuringFlood) << "the timer ran only after the requesters gave up";
    EXPECT_TRUE(postedDuringFlood) << "the posted event ran only after the requesters gave up";
    EXPECT_FALSE(gaveUp);
    EXPECT_GT(calls, 1);
}

TEST(GuiHandover, WaitingServicesCallsUntilDone)
{
    std::atomic<bool> finished{false};
    int ranOnGui = 0;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i)
            RunOnGuiThread([&] { ranOnGui += OnGui() ? 1 : 0; });
        finished = true;
        WakeServicingWait();
    });
    WaitServicingCalls([&] { return finished.load(); });
    worker.join();
    EXPECT_EQ(ranOnGui, 3);
}
