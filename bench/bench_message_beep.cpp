// The program's beeps with real sounds (the desktop's sound theme; silent
// without a sound server): how long the caller, the GUI thread, spends in a
// burst of 500 beeps, far more than the few the sound player keeps waiting.
// The caller only queues a sound, and drops the surplus, whether or not a
// sound server answers.

#include "platform/beep/MessageBeep.h"

#include <benchmark/benchmark.h>

namespace {
void BM_BurstOfBeeps(benchmark::State &state)
{
    for (auto _ : state)
        for (int i = 0; i < 500; ++i)
            MessageBeep(i % 2 ? BeepKind::Asterisk : BeepKind::Simple);
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(BM_BurstOfBeeps)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

BENCHMARK_MAIN();
