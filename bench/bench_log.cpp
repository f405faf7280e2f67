// The log grows for as long as the program runs: the cost of one appended
// line when the log already holds 1 k, 100 k and 1 M lines, and the memory
// the log takes per line.

#include "BenchEnvironment.h"
#include "ProcessStats.h"
#include "app/MainUnit.h"
#include "support/frmMainProbe.h"

#include <QTimer>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {
TfrmMain *Window = nullptr;
int64_t LinesInLog = 0;

// A typical line: the hex of a kind C key event.
const QByteArray HexLine = "23 00 11 22 33 44 55 66 43 00 00 01 2A 05 ";

void GrowLogTo(int64_t lines)
{
    while (LinesInLog < lines) {
        Window->LogAppend(HexLine);
        ++LinesInLog;
        if (LinesInLog % 4096 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
}

// Appends lines to a log already holding `state.range(0)` lines; the lines
// appended meanwhile are few against the size, so the size stays as named.
void AppendAt(benchmark::State &state)
{
    GrowLogTo(state.range(0));
    for (auto _ : state) {
        Window->LogAppend(HexLine);
        ++LinesInLog;
    }
    QCoreApplication::processEvents();
    state.counters["lines"] = double(LinesInLog);
}
} // namespace

BENCHMARK(AppendAt)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->Iterations(2000);

int main(int argc, char **argv)
{
    TBenchEnvironment environment(argc, argv);
    auto window = std::make_unique<TfrmMain>();
    Window = window.get();
    TfrmMainProbe(*window).Timer1()->stop();
    window->show();
    QCoreApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    const long before = ResidentKiB();
    const int64_t linesBefore = LinesInLog;
    benchmark::RunSpecifiedBenchmarks();
    const long after = ResidentKiB();
    std::printf("log memory: %.1f bytes per line over %lld lines (resident %ld -> %ld KiB)\n",
                double(after - before) * 1024.0 / double(LinesInLog - linesBefore),
                static_cast<long long>(LinesInLog - linesBefore), before, after);
    benchmark::Shutdown();
    return 0;
}
