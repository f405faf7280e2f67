// How long the GUI thread is away from its event loop while "Пуск" waits for
// the lookup of a gateway typed as a host name, beside the same with the
// gateway typed as numbers, in one run.
//
// The real main window greets a gateway socket on loopback. A resolver put
// in through the lookup seam answers every name after 10 s, as a name server
// that is slow to answer; the window's own 3 s timer ticks meanwhile. A 1 ms
// timer on the GUI thread is the probe: each gap between two of its ticks,
// less the time the thread spent waiting for a processor meanwhile (other
// programs' turns on a busy machine), is a time the GUI thread was away
// from its loop, working or blocked; the longest is reported, beside the
// longest plain gap. Each run lasts until the greeting has come and 10 s
// have passed, so both see the same ticks of the poll timer.

#include "BenchEnvironment.h"
#include "ProcessStats.h"
#include "app/MainUnit.h"
#include "net/HostLookup.h"
#include "support/frmMainProbe.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto LookupWait = std::chrono::seconds(10);

// The gateway: a UDP socket on 127.0.0.1 that counts what arrives.
class TGateway {
public:
    TGateway()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        FSocket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (FSocket < 0 || ::bind(FSocket, reinterpret_cast<sockaddr *>(&address), length) != 0
            || ::getsockname(FSocket, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
            std::perror("bench_host_lookup: socket");
            std::exit(1);
        }
        Port = ntohs(address.sin_port);
    }
    ~TGateway() { ::close(FSocket); }

    // Takes what has arrived; answers whether the greeting is among it.
    bool Greeted()
    {
        char buffer[64];
        for (ssize_t n; (n = ::recv(FSocket, buffer, sizeof buffer, 0)) >= 0;) {
            ++Datagrams;
            FGreeted = FGreeted || QByteArray(buffer, int(n)) == "GD";
        }
        return FGreeted;
    }

    int Port = 0;
    int Datagrams = 0;

private:
    int FSocket = -1;
    bool FGreeted = false;
};

void BM_GuiAwayDuringStart(benchmark::State &state)
{
    const bool name = state.range(0) != 0;
    const THostResolver previous = SetHostResolver([](const QByteArray &) {
        std::this_thread::sleep_for(LookupWait);
        return THostLookupOutcome{Sockets::TInAddr{127, 0, 0, 1}, 0};
    });
    for (auto _ : state) {
        TGateway gateway;
        TfrmMain window;
        const TfrmMainProbe probe(window);
        window.show();
        probe.leKVIP()->setText(QStringLiteral("%1:%2")
                                    .arg(name ? QStringLiteral("gateway.example") : QStringLiteral("127.0.0.1"))
                                    .arg(gateway.Port));

        QEventLoop loop;
        Clock::time_point last = Clock::now();
        int64_t lastQueuedNs = ThreadRunQueueNs();
        Clock::duration longestGap{}, longestAway{};
        QTimer probeTimer;
        probeTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probeTimer, &QTimer::timeout, &loop, [&] {
            const Clock::time_point now = Clock::now();
            const int64_t queuedNs = ThreadRunQueueNs();
            longestGap = std::max(longestGap, now - last);
            longestAway = std::max(longestAway, now - last - std::chrono::nanoseconds(queuedNs - lastQueuedNs));
            last = now;
            lastQueuedNs = queuedNs;
        });
        const double stolenBefore = StolenMilliseconds();
        const Clock::time_point start = Clock::now();
        Clock::time_point greeted{};
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (gateway.Greeted() && greeted == Clock::time_point{})
                greeted = Clock::now();
            if (greeted != Clock::time_point{} && Clock::now() - start >= LookupWait)
                loop.quit();
        });
        probeTimer.start(1);
        check.start(10);
        // "Пуск" is pressed from inside the loop, so that the probe sees it.
        QTimer::singleShot(0, probe.Button1(), &QPushButton::click);
        loop.exec();

        auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
        state.counters["gui_away_max_ms"] = ms(longestAway);
        state.counters["gap_max_ms"] = ms(longestGap);
        state.counters["stolen_ms"] = StolenMilliseconds() - stolenBefore;
        state.counters["greeted_after_ms"] = ms(greeted - start);
        state.counters["datagrams"] = gateway.Datagrams;
    }
    SetHostResolver(previous);
}
BENCHMARK(BM_GuiAwayDuringStart)->ArgName("HostName")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

int main(int argc, char **argv)
{
    TBenchEnvironment environment(argc, argv);
    return environment.RunBenchmarks(argc, argv);
}
