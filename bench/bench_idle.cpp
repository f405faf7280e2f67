// What the program costs while nothing happens: wake-ups per second and
// processor time of the real main window, left alone for a minute before
// "Пуск" (the baseline: the window and its 3 s timer, in the same run) and
// for a minute after it, with the gateway simulator answering the greeting
// and receiving a poll every 3 s.
//
// V3721_IDLE_SECONDS changes the length of each measurement (default 60).

#include "BenchEnvironment.h"
#include "ProcessStats.h"
#include "framework/MessageBox.h"
#include "app/MainUnit.h"
#include "support/frmMainProbe.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
TfrmMain *Window = nullptr;

int IdleSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("V3721_IDLE_SECONDS", &ok);
    return ok && seconds > 0 ? seconds : 60;
}

void RunLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The gateway simulator, its output in a file so that reading it does not
// wake this process.
class TGatewaySimulator {
public:
    TGatewaySimulator()
    {
        if (!FOutput.open()) {
            std::fprintf(stderr, "bench_idle: no temporary file for the simulator's output\n");
            std::exit(1);
        }
        FProcess.setStandardInputFile(QProcess::nullDevice());
        FProcess.setStandardOutputFile(FOutput.fileName());
        FProcess.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/kvip-sim/kvip-sim"),
                       {QStringLiteral("--port"), QStringLiteral("0")});
        const QRegularExpression listening(QStringLiteral("listening on ([0-9.]+:[0-9]+)"));
        const QDeadlineTimer deadline(5000);
        while (FAddress.isEmpty() && !deadline.hasExpired()) {
            if (const QRegularExpressionMatch match = listening.match(Output()); match.hasMatch())
                FAddress = match.captured(1);
            else
                RunLoopFor(20);
        }
        if (FAddress.isEmpty()) {
            std::fprintf(stderr, "bench_idle: the gateway simulator did not start (build the tools first)\n");
            std::exit(1);
        }
    }
    ~TGatewaySimulator()
    {
        FProcess.terminate();
        FProcess.waitForFinished(3000);
    }

    QString Address() const { return FAddress; }
    int Count(const char *what) const { return int(Output().count(QString::fromLatin1(what))); }

private:
    QString Output() const
    {
        QFile file(FOutput.fileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryFile FOutput;
    QProcess FProcess;
    QString FAddress;
};

std::unique_ptr<TGatewaySimulator> Gateway;

// Leaves the window alone, its event loop running, and reports what that
// cost the whole process.
void MeasureIdle(benchmark::State &state)
{
    int loopWakeUps = 0;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    const QMetaObject::Connection counting =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, dispatcher, [&] { ++loopWakeUps; });
    QElapsedTimer elapsed;
    elapsed.start();
    const int64_t wakeUpsBefore = ProcessWakeUps();
    const double cpuBefore = ProcessCpuSeconds();
    RunLoopFor(IdleSeconds() * 1000);
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const int64_t wakeUps = ProcessWakeUps() - wakeUpsBefore;
    const double seconds = double(elapsed.nsecsElapsed()) / 1e9;
    QObject::disconnect(counting);
    state.counters["process_wakeups/s"] = double(wakeUps) / seconds;
    // The loop's own wake-up that ends the measurement is counted too.
    state.counters["gui_loop_wakeups/s"] = double(loopWakeUps) / seconds;
    state.counters["cpu_%"] = 100.0 * cpu / seconds;
    state.counters["cpu_ms/s"] = 1000.0 * cpu / seconds;
}

void BM_IdleBeforeStart(benchmark::State &state)
{
    for (auto _ : state)
        MeasureIdle(state);
}

void BM_IdleAfterStart(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QByteArray failure;
        const TMessageBoxHandler previous = SetMessageBoxHandler(
            [&](const QByteArray &text, const QByteArray &, TMsgIcon) { failure = text; });
        const TfrmMainProbe probe(*Window);
        probe.leKVIP()->setText(Gateway->Address());
        probe.Button1()->click();
        SetMessageBoxHandler(previous);
        const QDeadlineTimer deadline(5000);
        while (failure.isEmpty() && Gateway->Count("identity reply") == 0 && !deadline.hasExpired())
            RunLoopFor(20);
        if (Gateway->Count("identity reply") == 0) {
            std::fprintf(stderr, "bench_idle: \"Пуск\" failed: %s\n(port 971 needs root or cap_net_bind_service)\n",
                         failure.isEmpty() ? "no greeting reached the gateway" : failure.constData());
            state.SkipWithError("\"Пуск\" failed");
            return;
        }
        RunLoopFor(500);
        const int pollsBefore = Gateway->Count(" poll, MAC");
        state.ResumeTiming();
        MeasureIdle(state);
        state.counters["polls_received"] = Gateway->Count(" poll, MAC") - pollsBefore;
    }
}
} // namespace

BENCHMARK(BM_IdleBeforeStart)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_IdleAfterStart)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

int main(int argc, char **argv)
{
    TBenchEnvironment environment(argc, argv);
    Gateway = std::make_unique<TGatewaySimulator>();
    auto window = std::make_unique<TfrmMain>();
    Window = window.get();
    window->show();
    RunLoopFor(500);
    const int result = environment.RunBenchmarks(argc, argv);
    window.reset();
    Gateway.reset();
    return result;
}
