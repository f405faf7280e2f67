// What the settings cost: registry calls on the hive file and the main
// window's whole save (at close) and restore (at show). The hive lives in a
// temporary configuration folder, never the user's.

#include "BenchEnvironment.h"
#include "platform/registry/Registry.h"
#include "settings/FormStorage.h"
#include "app/MainUnit.h"
#include "support/frmMainProbe.h"

#include <QFile>
#include <benchmark/benchmark.h>

using namespace Reg;

namespace {
HKEY MainWindowKey()
{
    HKEY key = HKEY_NONE;
    CreateKeyEx(HKEY_CURRENT_USER, "Software\\Orbastel\\V3721Conf\\MainWindow", 0, KEY_ALL_ACCESS, &key);
    return key;
}

void SetText(HKEY key, const QByteArray &name, const QByteArray &text)
{
    const QByteArray data = text + '\0';
    SetValueEx(key, name, REG_SZ, data.constData(), DWORD(data.size()));
}

// A value that changes: one locked rewrite of the hive, flushed to disk.
void BM_SetChangedValue(benchmark::State &state)
{
    const HKEY key = MainWindowKey();
    int i = 0;
    for (auto _ : state)
        SetText(key, "leKVIP_Text", QByteArray::number(i++));
    CloseKey(key);
}
BENCHMARK(BM_SetChangedValue);

// A value written again unchanged: the hive is read but not rewritten.
void BM_SetUnchangedValue(benchmark::State &state)
{
    const HKEY key = MainWindowKey();
    for (auto _ : state)
        SetText(key, "leTMSName_Text", "TMS");
    CloseKey(key);
}
BENCHMARK(BM_SetUnchangedValue);

void BM_QueryValue(benchmark::State &state)
{
    const HKEY key = MainWindowKey();
    SetText(key, "NormPos", "301,177,834,605");
    char buffer[64];
    for (auto _ : state) {
        DWORD size = sizeof buffer;
        benchmark::DoNotOptimize(QueryValueEx(key, "NormPos", nullptr, buffer, &size));
    }
    CloseKey(key);
}
BENCHMARK(BM_QueryValue);

// The main window's close: every value of its key, most of them unchanged.
void BM_MainWindowSave(benchmark::State &state)
{
    TfrmMain window;
    TFormStorage *storage = TfrmMainProbe(window).FormStorage1();
    window.show();
    for (auto _ : state)
        storage->SaveSettings();
    storage->SetActive(false);
}
BENCHMARK(BM_MainWindowSave)->Unit(benchmark::kMillisecond);

// The first close of all: every value is new.
void BM_MainWindowFirstSave(benchmark::State &state)
{
    TfrmMain window;
    TFormStorage *storage = TfrmMainProbe(window).FormStorage1();
    window.show();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(HiveFilePath(HKEY_CURRENT_USER));
        state.ResumeTiming();
        storage->SaveSettings();
    }
    storage->SetActive(false);
}
BENCHMARK(BM_MainWindowFirstSave)->Unit(benchmark::kMillisecond);

// The main window's show: reading the placement and the three fields back.
void BM_MainWindowRestore(benchmark::State &state)
{
    TfrmMain window;
    TFormStorage *storage = TfrmMainProbe(window).FormStorage1();
    window.show();
    storage->SaveSettings();
    for (auto _ : state)
        storage->RestoreSettings();
    storage->SetActive(false);
}
BENCHMARK(BM_MainWindowRestore)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    TBenchEnvironment environment(argc, argv);
    return environment.RunBenchmarks(argc, argv);
}
