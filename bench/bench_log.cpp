// The log grows for as long as the program runs: the cost of one appended
// line when the log already holds 1 k, 100 k and 1 M lines, the memory the
// log takes per line, and the time of one resize of the window at 1 M lines.
//
// Two logs are measured in the same run, each holding the same lines:
// - Log: the main window's log, appended through TfrmMain::LogAppend;
// - PlainTextEdit: the baseline, a QPlainTextEdit set up and appended to as
//   the log was before it had a widget of its own (no wrapping, no undo, its
//   repainting held back for 20 ms after a line, each line converted from
//   cp1251 and added with appendPlainText), in a window of the main
//   window's size.
// Both are shown on the offscreen platform; the main window's timer is
// stopped. The baseline's resize is measured twice: as it was (no
// wrapping), and wrapping at its width as the log now does.

#include "BenchEnvironment.h"
#include "ProcessStats.h"
#include "QuietMainWindow.h"
#include "platform/cp1251/Ansi.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

namespace {
// A typical line: the hex of a kind C key event.
const QByteArray HexLine = "23 00 11 22 33 44 55 66 43 00 00 01 2A 05 ";
constexpr int64_t MillionLines = 1000000;

// One of the two logs, with what its growth cost.
struct TSubject {
    QWidget *Window = nullptr;
    std::function<void(const QByteArray &)> Append;
    int64_t Lines = 0;
    long ResidentBefore = -1; // KiB, before its first line
    long ResidentAtMillion = -1;
};

TSubject Log;
TSubject PlainText;

void GrowTo(TSubject &subject, int64_t lines)
{
    if (subject.ResidentBefore < 0)
        subject.ResidentBefore = ResidentKiB();
    while (subject.Lines < lines) {
        subject.Append(HexLine);
        ++subject.Lines;
        if (subject.Lines % 4096 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    if (subject.Lines >= MillionLines && subject.ResidentAtMillion < 0)
        subject.ResidentAtMillion = ResidentKiB();
}

// Appends lines to a log already holding `state.range(0)` lines; the lines
// appended meanwhile are few against the size, so the size stays as named.
void AppendAt(benchmark::State &state, TSubject *subject)
{
    GrowTo(*subject, state.range(0));
    for (auto _ : state) {
        subject->Append(HexLine);
        ++subject->Lines;
    }
    QCoreApplication::processEvents();
    state.counters["lines"] = double(subject->Lines);
    if (subject->ResidentAtMillion >= 0)
        state.counters["bytes_per_line"] = double(subject->ResidentAtMillion - subject->ResidentBefore) * 1024.0
            / double(MillionLines);
}

// One resize of the window holding the log, to the next of two sizes, and
// the window painted anew.
void ResizeAt(benchmark::State &state, TSubject *subject)
{
    GrowTo(*subject, MillionLines);
    const QSize sizes[] = {subject->Window->size() + QSize(267, 172), subject->Window->size()};
    int next = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        subject->Window->resize(sizes[next]);
        subject->Window->repaint();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        next = 1 - next;
    }
    QCoreApplication::processEvents();
    state.counters["lines"] = double(subject->Lines);
}

// The baseline log as it was.
class TPlainTextLog : public QWidget {
public:
    TPlainTextLog()
    {
        resize(533, 428);
        Memo->setGeometry(8, 72, 521, 353);
        Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        Memo->setUndoRedoEnabled(false);
        Repaint.setSingleShot(true);
        Repaint.setInterval(20);
        QObject::connect(&Repaint, &QTimer::timeout, Memo, [this] { Memo->setUpdatesEnabled(true); });
    }

    void Append(const QByteArray &line)
    {
        if (!Repaint.isActive()) {
            Memo->setUpdatesEnabled(false);
            Repaint.start();
        }
        Memo->appendPlainText(FromAnsi(line));
    }

    QPlainTextEdit *Memo = new QPlainTextEdit(this);

protected:
    void resizeEvent(QResizeEvent *) override { Memo->resize(width() - 12, height() - 75); }

private:
    QTimer Repaint;
};

TPlainTextLog *PlainTextWindow = nullptr;

void WrapThePlainTextLog(benchmark::State &state)
{
    for (auto _ : state)
        PlainTextWindow->Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QCoreApplication::processEvents();
}
} // namespace

int main(int argc, char **argv)
{
    TBenchEnvironment environment(argc, argv);
    const std::unique_ptr<TfrmMain> window = QuietMainWindow();
    Log.Window = window.get();
    Log.Append = [&](const QByteArray &line) { window->LogAppend(line); };

    auto plainText = std::make_unique<TPlainTextLog>();
    plainText->show();
    PlainTextWindow = plainText.get();
    PlainText.Window = plainText.get();
    PlainText.Append = [&](const QByteArray &line) { plainText->Append(line); };
    QCoreApplication::processEvents();

    for (auto [name, subject] : {std::pair("Log", &Log), std::pair("PlainTextEdit", &PlainText)}) {
        benchmark::RegisterBenchmark((std::string("AppendAt/") + name).c_str(), AppendAt, subject)
            ->Arg(1000)->Arg(100000)->Arg(MillionLines)->Unit(benchmark::kMicrosecond)->Iterations(2000);
        benchmark::RegisterBenchmark((std::string("ResizeAtMillion/") + name).c_str(), ResizeAt, subject)
            ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
    }
    benchmark::RegisterBenchmark("WrapThePlainTextEdit", WrapThePlainTextLog)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("ResizeAtMillion/PlainTextEditWrapped", ResizeAt, &PlainText)
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);
    return environment.RunBenchmarks(argc, argv);
}
