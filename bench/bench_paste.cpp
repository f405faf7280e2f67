// A million characters pasted into the main window's log, the way the
// operator pastes (Ctrl+V into Memo1: the clipboard's text converted to
// cp1251 and put in place of the selection), and the log painted at its new
// end. Two texts of the same length in the same run:
// - Cp1251: Cyrillic and Latin text, every character in cp1251;
// - Lacking: characters cp1251 lacks (accented Latin, CJK, arrows, emoji
//   beyond 16 bits), each of which becomes one '?'.
// Both are 80-character lines; the log is emptied before each paste.

#include "BenchEnvironment.h"
#include "QuietMainWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr qsizetype Characters = 1000000;
constexpr qsizetype LineLength = 80;

// `Characters` characters (a pair of surrogates is one) taken in turn from
// `pattern`, a line break after every `LineLength` - 1 of them.
QString TextOf(const QString &pattern)
{
    const QList<uint> points = pattern.toUcs4();
    QString text;
    text.reserve(2 * Characters);
    for (qsizetype i = 0; i < Characters; ++i) {
        const char32_t point = i % LineLength == LineLength - 1 ? U'\n' : points[i % points.size()];
        text += QString::fromUcs4(&point, 1);
    }
    return text;
}

TfrmMain *Window = nullptr;

void Paste(benchmark::State &state, const QString &pattern)
{
    const QString text = TextOf(pattern);
    QGuiApplication::clipboard()->setText(text);
    TLogView *log = TfrmMainProbe(*Window).Memo1();
    for (auto _ : state) {
        state.PauseTiming();
        log->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        log->paste();
        log->viewport()->repaint();
    }
    if (log->Store().CharacterCount() != Characters)
        state.SkipWithError("the log does not hold the text pasted");
    state.counters["characters"] = double(Characters);
}
} // namespace

int main(int argc, char **argv)
{
    TBenchEnvironment environment(argc, argv);
    const std::unique_ptr<TfrmMain> window = QuietMainWindow();
    Window = window.get();

    benchmark::RegisterBenchmark("PasteMillion/Cp1251", Paste,
                                 QStringLiteral("Пуск gateway 47 44 Несовпадение MAC-адреса №5 «ТМС» € "))
        ->Unit(benchmark::kMillisecond)->Iterations(10);
    benchmark::RegisterBenchmark("PasteMillion/Lacking", Paste,
                                 QStringLiteral("äöüßéàçñøåæ日本語→≠∞½😀🔔ĀĒĪŌŪ"))
        ->Unit(benchmark::kMillisecond)->Iterations(10);
    return environment.RunBenchmarks(argc, argv);
}
