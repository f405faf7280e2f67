#include "framework/GuiHandover.h"
#include "framework/MessageBox.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QElapsedTimer>
#include <atomic>
#include <chrono>
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
// until `done` or `timeoutMs`; a timer wakes the loop every `tickMs` so that
// a flag set by another thread is seen. Returns the milliseconds it ran.
qint64 RunLoopUntil(const std::atomic<bool> &done, int timeoutMs, int tickMs)
{
    QTimer tick;
    tick.start(tickMs);
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return clock.elapsed();
}
} // namespace

TEST(GuiHandover, CallsRunOnTheGuiThreadFirstInFirstOutWhileRequestersWait)
{
    std::vector<int> order;
    std::atomic<int> wrongThread{0};
    std::atomic<int> returnedEarly{0};
    std::vector<std::thread> requesters;
    // Each requester queues while the GUI thread is busy, in a known order.
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
        std::this_thread::sleep_for(100ms);
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return done >= 200; }, 5000));
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return runtimeError.load(); }, 5000));
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
        while (!boxOpen)
            std::this_thread::sleep_for(5ms);
        RunOnGuiThread([&] {
            QWidget *box = QApplication::activeModalWidget();
            secondSawBox = box != nullptr;
            if (box)
                box->close();
        });
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondSawBox && !boxOpen; }, 5000));
    first.join();
    second.join();
    EXPECT_TRUE(secondSawBox);
}

// With the posted wake-up taken away, the idle hook alone runs the call.
TEST(GuiHandover, CallsRunWhenTheLoopGoesIdle)
{
    std::atomic<bool> ran{false};
    std::thread requester([&] { RunOnGuiThread([&] { ran = true; }); });
    std::this_thread::sleep_for(100ms);
    QCoreApplication::removePostedEvents(nullptr, QEvent::MetaCall);
    // The loop is woken every 200 ms should the hook be missing.
    const qint64 elapsed = RunLoopUntil(ran, 2500, 200);
    const bool ranWhileIdle = ran;
    ServicePendingCalls(); // lets the requester go even if the hook failed
    requester.join();
    EXPECT_TRUE(ranWhileIdle);
    EXPECT_LT(elapsed, 1000);
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
    RunLoopUntil(finished, 10000, 100);
    EXPECT_TRUE(finished) << "the calls were still running after 10 s";
    while (!finished) // lets the requester go however it failed
        ServicePendingCalls();
    requester.join();
    ASSERT_EQ(int(ran.size()), calls);
    for (int i = 0; i < calls; ++i)
        ASSERT_EQ(ran[i], i);
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
