// How long the program takes from being started to its main window on the
// screen: the real executable, started afresh each time, timed from the
// start of its process to the X server's report that its main window was
// mapped. Beside it, in the same run, the same for the least Qt program
// there is (this benchmark started again with --bare-window: an application
// and one empty window of the main window's size).
//
// Needs an X display: run it under xvfb-run -a.

#include "BenchEnvironment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {
using Clock = std::chrono::steady_clock;
constexpr int MapTimeoutMs = 20000;

// The X server, watched for windows mapped on the root.
class TDisplay {
public:
    TDisplay() : FConnection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(FConnection))
            return;
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(FConnection, screen->root, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            FConnection, xcb_intern_atom(FConnection, 0, std::strlen(name), name), nullptr);
        if (atom)
            FPidAtom = atom->atom;
        std::free(atom);
        xcb_flush(FConnection);
    }
    ~TDisplay() { xcb_disconnect(FConnection); }

    bool Usable() const { return !xcb_connection_has_error(FConnection) && FPidAtom != XCB_ATOM_NONE; }

    // Waits for a window of process `pid` to be mapped; false after the
    // timeout or when the process ended first.
    bool WaitForWindowOf(pid_t pid)
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(MapTimeoutMs);
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection)) {
                const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY
                    && PidOf(reinterpret_cast<xcb_map_notify_event_t *>(event)->window) == pid;
                std::free(event);
                if (mapped)
                    return true;
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid)
                return false;
            pollfd entry{xcb_get_file_descriptor(FConnection), POLLIN, 0};
            ::poll(&entry, 1, 50);
        }
        return false;
    }

private:
    pid_t PidOf(xcb_window_t window)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            FConnection, xcb_get_property(FConnection, 0, window, FPidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = 0;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pid = pid_t(*static_cast<const uint32_t *>(xcb_get_property_value(reply)));
        std::free(reply);
        return pid;
    }

    xcb_connection_t *FConnection;
    xcb_atom_t FPidAtom = XCB_ATOM_NONE;
};

TDisplay *WatchedDisplay = nullptr;

// This process's environment for the started programs, on the X display.
std::vector<std::string> ChildEnvironment()
{
    std::vector<std::string> variables;
    for (char **variable = environ; *variable; ++variable)
        if (std::strncmp(*variable, "QT_QPA_PLATFORM=", 16) != 0)
            variables.emplace_back(*variable);
    variables.emplace_back("QT_QPA_PLATFORM=xcb");
    return variables;
}

// Starts the program and returns the seconds until its window was mapped,
// or a negative number when it did not appear; the program is ended after.
double StartToWindow(const std::vector<std::string> &command)
{
    std::vector<std::string> variables = ChildEnvironment();
    std::vector<char *> argv, envp;
    for (const std::string &argument : command)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    for (std::string &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    const bool shown = WatchedDisplay->WaitForWindowOf(pid);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    return shown ? seconds : -1;
}

void BM_StartToWindow(benchmark::State &state, std::vector<std::string> command)
{
    if (StartToWindow(command) < 0) { // the first start fills the caches
        state.SkipWithError(("no window from " + command[0]).c_str());
        return;
    }
    std::vector<double> times;
    for (auto _ : state) {
        const double seconds = StartToWindow(command);
        if (seconds < 0) {
            state.SkipWithError(("no window from " + command[0]).c_str());
            return;
        }
        state.SetIterationTime(seconds);
        times.push_back(seconds);
    }
    std::sort(times.begin(), times.end());
    state.counters["p50_ms"] = 1000 * times[times.size() / 2];
    state.counters["max_ms"] = 1000 * times.back();
}

// The baseline: a Qt application with one empty window of the main
// window's size.
int BareWindow(int argc, char **argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(533, 428);
    window.show();
    return application.exec();
}
} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--bare-window") == 0)
        return BareWindow(argc, argv);

    TBenchEnvironment environment(argc, argv);
    TDisplay display;
    if (!display.Usable()) {
        std::fprintf(stderr, "bench_startup: needs an X display; run it as xvfb-run -a %s\n", argv[0]);
        return 1;
    }
    WatchedDisplay = &display;
    const std::string directory = QCoreApplication::applicationDirPath().toStdString();
    benchmark::RegisterBenchmark("StartToWindow/Program", BM_StartToWindow,
                                 std::vector<std::string>{directory + "/../src/v3721conf"})
        ->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("StartToWindow/BareQt", BM_StartToWindow,
                                 std::vector<std::string>{QCoreApplication::applicationFilePath().toStdString(),
                                                          "--bare-window"})
        ->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
    return environment.RunBenchmarks(argc, argv);
}
