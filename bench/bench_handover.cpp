// Datagrams through the UDP endpoint on loopback: how many per second reach
// the handler through the GUI hand-over (ThreadedEvent false) and on the
// listener itself (ThreadedEvent true), the time from send to handler, how
// long a flood keeps the GUI thread from its timers, and how long ending the
// endpoint waits for its listener.

#include "BenchEnvironment.h"
#include "ProcessStats.h"
#include "framework/GuiHandover.h"
#include "framework/MemoryStream.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPListenerThread.h"
#include "net/IdUDPServer.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

// On the monotonic clock, which the sender's sleeps use too.
int64_t Now()
{
    static_assert(Clock::is_steady);
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Each datagram carries its number and its send time.
struct TStamp {
    int64_t Number;
    int64_t SentNs;
};

// The paced sender sends this many datagrams back to back at a time.
constexpr int Burst = 20;

class TRun {
public:
    TRun(bool threaded, int count) : FLatencyNs(count, -1)
    {
        TIdSocketHandle *binding = FServer.Bindings().Add();
        binding->SetIP("127.0.0.1");
        FServer.SetThreadedEvent(threaded);
        FServer.OnUDPRead = [this](QObject *, TMemoryStream &data, TIdSocketHandle &) {
            TStamp stamp;
            if (data.Read(&stamp, sizeof stamp) != sizeof stamp || stamp.Number < 0 ||
                stamp.Number >= int64_t(FLatencyNs.size()))
                return;
            FLatencyNs[stamp.Number] = Now() - stamp.SentNs;
            const bool last = ++FReceived == int(FLatencyNs.size());
            FReceived.notify_all();
            if (last && FLoop)
                FLoop->quit();
        };
        FServer.SetActive(true);
        FPort = binding->Port();
        FSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
    }
    ~TRun() { ::close(FSocket); }

    // Sends every datagram from a thread of its own: with `window`, never
    // more than that many ahead of the handler; with `intervalNs`, on a
    // fixed schedule whatever the handler does. Returns the seconds from the
    // first send to the last arrival (or to giving up).
    double Run(int window, int64_t intervalNs)
    {
        const int count = int(FLatencyNs.size());
        std::atomic<bool> sent{false};
        const int64_t start = Now();
        std::thread sender([&] {
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            to.sin_port = htons(uint16_t(FPort));
            // The sender sleeps rather than spins, so that it leaves the
            // processors to the two threads measured.
            ::prctl(PR_SET_TIMERSLACK, 1UL);
            for (int i = 0; i < count; ++i) {
                if (window > 0)
                    for (int received = FReceived; i - received >= window; received = FReceived)
                        FReceived.wait(received);
                if (intervalNs > 0 && i % Burst == 0) {
                    const int64_t due = start + i * intervalNs;
                    const timespec at{time_t(due / 1'000'000'000), long(due % 1'000'000'000)};
                    ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
                }
                const TStamp stamp{i, Now()};
                ::sendto(FSocket, &stamp, sizeof stamp, 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
            }
            sent = true;
        });

        // Gives up 500 ms after the last send when datagrams were lost.
        int64_t lastProgress = Now();
        int seen = 0;
        auto finished = [&] {
            if (FReceived >= count)
                return true;
            if (FReceived != seen) {
                seen = FReceived;
                lastProgress = Now();
            }
            return sent && Now() - lastProgress > 500'000'000;
        };
        if (FServer.ThreadedEvent()) {
            while (!finished())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else {
            QEventLoop loop;
            FLoop = &loop;
            QTimer check;
            QObject::connect(&check, &QTimer::timeout, &loop, [&] {
                if (finished())
                    loop.quit();
            });
            check.start(100);
            if (!finished())
                loop.exec();
            FLoop = nullptr;
        }
        const double seconds = double(Now() - start) / 1e9;
        sender.join();
        return seconds;
    }

    void Report(benchmark::State &state, double seconds)
    {
        std::vector<int64_t> arrived;
        for (const int64_t ns : FLatencyNs)
            if (ns >= 0)
                arrived.push_back(ns);
        std::sort(arrived.begin(), arrived.end());
        auto percentile = [&](double p) {
            return arrived.empty() ? 0.0 : double(arrived[size_t(p * (arrived.size() - 1))]) / 1000.0;
        };
        state.counters["datagrams/s"] = double(arrived.size()) / seconds;
        state.counters["lost"] = double(FLatencyNs.size() - arrived.size());
        state.counters["p50_us"] = percentile(0.50);
        state.counters["p99_us"] = percentile(0.99);
        state.counters["max_us"] = percentile(1.0);
    }

private:
    TIdUDPServer FServer;
    std::vector<int64_t> FLatencyNs;
    std::atomic<int> FReceived{0};
    QEventLoop *FLoop = nullptr;
    int FPort = 0;
    int FSocket = -1;
};

// As fast as the handler takes them, at most 64 in flight (the socket's
// queue holds a few hundred): the throughput of the hand-over.
void BM_Throughput(benchmark::State &state)
{
    for (auto _ : state) {
        TRun run(state.range(0) != 0, 200'000);
        const double stolenBefore = StolenMilliseconds();
        run.Report(state, run.Run(64, 0));
        state.counters["stolen_ms"] = StolenMilliseconds() - stolenBefore;
    }
}
BENCHMARK(BM_Throughput)->ArgName("ThreadedEvent")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// 20,000 datagrams per second on a fixed schedule for 2 s: the time from
// send to handler at the required rate.
void BM_Latency20k(benchmark::State &state)
{
    for (auto _ : state) {
        TRun run(state.range(0) != 0, 40'000);
        const double stolenBefore = StolenMilliseconds();
        run.Report(state, run.Run(0, 50'000));
        state.counters["stolen_ms"] = StolenMilliseconds() - stolenBefore;
    }
}
BENCHMARK(BM_Latency20k)->ArgName("ThreadedEvent")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The throughput flood through the hand-over while a 10 ms timer ticks on
// the GUI thread: the longest gap between two ticks is the longest the flood
// kept the GUI thread from its event loop. Run with the GUI thread's watch
// for the next request after its last call (as the program runs) and,
// as the baseline, without it.
void BM_TimerDuringFlood(benchmark::State &state)
{
    SetWatchForNextRequest(state.range(0) != 0);
    for (auto _ : state) {
        TRun run(false, 200'000);
        std::vector<int64_t> ticks;
        ticks.reserve(2000);
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &timer, [&] { ticks.push_back(Now()); });
        timer.start(10);
        const double stolenBefore = StolenMilliseconds();
        run.Report(state, run.Run(64, 0));
        state.counters["stolen_ms"] = StolenMilliseconds() - stolenBefore;
        timer.stop();
        std::vector<int64_t> gaps;
        for (size_t i = 1; i < ticks.size(); ++i)
            gaps.push_back(ticks[i] - ticks[i - 1]);
        std::sort(gaps.begin(), gaps.end());
        state.counters["ticks"] = double(ticks.size());
        state.counters["tick_gap_p99_ms"] = gaps.empty() ? 0.0 : double(gaps[size_t(0.99 * (gaps.size() - 1))]) / 1e6;
        state.counters["tick_gap_max_ms"] = gaps.empty() ? 0.0 : double(gaps.back()) / 1e6;
    }
    SetWatchForNextRequest(true);
}
BENCHMARK(BM_TimerDuringFlood)->ArgName("Watch")->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// How long the GUI thread waits for the listener's end when the endpoint is
// deactivated (0) or destroyed (1) while its listener waits for datagrams,
// and when a listener that was never started is destroyed (2), ten times
// each. The listener looks whether it must stop at least once a second (its
// 1000 ms wait), so the first two take up to about a second.
void BM_EndWhileListening(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<double> ends;
        for (int i = 0; i < 10; ++i) {
            auto server = std::make_unique<TIdUDPServer>();
            server->Bindings().Add()->SetIP("127.0.0.1");
            std::unique_ptr<TIdUDPListenerThread> unstarted;
            if (state.range(0) == 2)
                unstarted = std::make_unique<TIdUDPListenerThread>(server->BufferSize(), server.get());
            else
                server->SetActive(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the listener waits now
            const int64_t start = Now();
            if (state.range(0) == 0)
                server->SetActive(false);
            else if (state.range(0) == 1)
                server.reset();
            else
                unstarted.reset();
            ends.push_back(double(Now() - start) / 1e6);
        }
        std::sort(ends.begin(), ends.end());
        state.SetIterationTime(ends[ends.size() / 2] / 1e3);
        state.counters["fastest_ms"] = ends.front();
        state.counters["median_ms"] = ends[ends.size() / 2];
        state.counters["slowest_ms"] = ends.back();
    }
}
BENCHMARK(BM_EndWhileListening)->ArgName("Case")->Arg(0)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    TBenchEnvironment environment(argc, argv);
    return environment.RunBenchmarks(argc, argv);
}
