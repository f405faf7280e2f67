// How long a key event takes from the gateway's send to the TM server's
// mailslot, and how many key events a second get through with none lost.
//
// Two routes are measured in the same run, by the same driver thread, which
// plays the gateway (a UDP socket on loopback) and the TM server (the
// mailslot's reading end):
// - Program: the real main window after "Пуск" (endpoint on port 971, its
//   listener thread, the hand-over to the GUI thread, the datagram handler
//   with its log lines, beeps and TM server message);
// - Bare: a thread that only receives the datagram, composes the message and
//   writes it to the mailslot, without the GUI.
// The GUI thread runs the application's event loop as in the program.

#include "BenchEnvironment.h"
#include "framework/ErrorDisplay.h"
#include "framework/MemoryStream.h"
#include "framework/MessageBox.h"
#include "app/GatewayProtocol.h"
#include "net/IdSocketHandle.h"
#include "platform/mailslot/Mailslot.h"
#include "app/MainUnit.h"
#include "support/frmMainProbe.h"
#include "app/TmMessage.h"

#include <QElapsedTimer>
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

const TMacAddress Mac{0x02, 0x00, 0x00, 0x37, 0x21, 0x01};
const QByteArray Host = "127.0.0.1";
const QByteArray MailslotPath = TmMailslotPath("TMS");
constexpr int ArrivalTimeoutMs = 1000;
constexpr int InFlight = 8;         // key events in flight in the rate run
constexpr int RateEvents = 20000;

sockaddr_in Loopback(uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

int BoundSocket(sockaddr_in &address)
{
    const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    socklen_t length = sizeof address;
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr *>(&address), length) != 0
        || ::getsockname(s, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        std::perror("bench_key_event: socket");
        std::exit(1);
    }
    return s;
}

// The gateway's socket, and where key events go on the route being measured.
struct TGateway {
    sockaddr_in Address = Loopback(0);
    int Socket = BoundSocket(Address);

    void Send(const sockaddr_in &to, const QByteArray &datagram) const
    {
        ::sendto(Socket, datagram.constData(), datagram.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
    }

    QByteArray Receive(int timeoutMs) const
    {
        pollfd entry{Socket, POLLIN, 0};
        if (::poll(&entry, 1, timeoutMs) <= 0)
            return {};
        char buffer[1024];
        const ssize_t n = ::recv(Socket, buffer, sizeof buffer, 0);
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }
};

TGateway *Gateway = nullptr;
TMailslotServer *Receiver = nullptr;

// Receive, compose, send: the least any program on this road has to do.
class TBarePipeline {
public:
    TBarePipeline() : FThread([this] { Run(); }) {}
    ~TBarePipeline()
    {
        FStop = true;
        FThread.join();
        ::close(FSocket);
    }
    const sockaddr_in &Address() const { return FAddress; }

private:
    void Run()
    {
        char buffer[8192];
        while (!FStop) {
            pollfd entry{FSocket, POLLIN, 0};
            if (::poll(&entry, 1, 100) <= 0)
                continue;
            const ssize_t n = ::recv(FSocket, buffer, sizeof buffer, 0);
            if (n <= 0)
                continue;
            if (const std::optional<TDeviceEvent> event = KindCEvent(QByteArray::fromRawData(buffer, n))) {
                TMailslotClient mailslot;
                if (mailslot.Open(MailslotPath) == MailslotError::Success)
                    mailslot.Write(ComposeTmMessage(*event, Host, true, {}));
            }
        }
    }

    sockaddr_in FAddress = Loopback(0);
    int FSocket = BoundSocket(FAddress);
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

const sockaddr_in ProgramAddress = Loopback(971);
TBarePipeline *Bare = nullptr;
double BareP99 = 0;

QByteArray Event(int i)
{
    return KindCDatagram(Mac, uint8_t(i >> 16), uint8_t(i >> 8), uint8_t(i));
}

QByteArray Expected(int i)
{
    return ComposeTmMessage({true, uint8_t(i >> 16), uint8_t(i >> 8), uint8_t(i)}, Host, true, {});
}

double Percentile(std::vector<double> samples, double p)
{
    if (samples.empty())
        return 0;
    const size_t k = std::min(samples.size() - 1, size_t(p * double(samples.size())));
    std::nth_element(samples.begin(), samples.begin() + k, samples.end());
    return samples[k];
}

// One key event at a time: from the gateway's send to the message's arrival.
void Latency(benchmark::State &state, const sockaddr_in *target, bool program)
{
    std::vector<double> samples;
    samples.reserve(size_t(state.max_iterations));
    int i = 0;
    for (auto _ : state) {
        ++i;
        const QByteArray event = Event(i);
        const Clock::time_point start = Clock::now();
        Gateway->Send(*target, event);
        const std::optional<QByteArray> message = Receiver->Read(ArrivalTimeoutMs);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!message || *message != Expected(i)) {
            state.SkipWithError(message ? "a message differs from the key event" : "a key event was lost");
            break;
        }
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
    }
    const double p99 = Percentile(samples, 0.99);
    state.counters["p50_us"] = Percentile(samples, 0.50) * 1e6;
    state.counters["p99_us"] = p99 * 1e6;
    state.counters["max_us"] = samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end()) * 1e6;
    if (!program)
        BareP99 = p99;
    else if (BareP99 > 0)
        state.counters["p99_vs_bare"] = p99 / BareP99;
}

// Sustained rate: RateEvents key events with at most InFlight in flight; every
// one must arrive, in order, as the message it should be.
void Rate(benchmark::State &state, const sockaddr_in *target)
{
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        int sent = 0, arrived = 0, wrong = 0;
        while (arrived < RateEvents) {
            while (sent < RateEvents && sent - arrived < InFlight)
                Gateway->Send(*target, Event(++sent));
            const std::optional<QByteArray> message = Receiver->Read(ArrivalTimeoutMs);
            if (!message)
                break;
            ++arrived;
            wrong += *message != Expected(arrived);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.counters["events_per_s"] = arrived / seconds;
        state.counters["lost"] = RateEvents - arrived;
        state.counters["wrong"] = wrong;
        if (arrived < RateEvents || wrong)
            state.SkipWithError("key events were lost or garbled");
    }
}

// Where the program's time goes: the datagram handler alone, and one log
// line, each timed on the GUI thread (the hand-over that gets there is not
// counted).
TfrmMain *MainWindow = nullptr;

template <class Work>
double TimedOnGuiThread(Work work)
{
    double seconds = 0;
    QMetaObject::invokeMethod(
        MainWindow,
        [&] {
            const Clock::time_point start = Clock::now();
            work();
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
        },
        Qt::BlockingQueuedConnection);
    return seconds;
}

void Handler(benchmark::State &state)
{
    TIdSocketHandle binding;
    binding.SetRemote(Host, ntohs(Gateway->Address.sin_port));
    TMemoryStream data;
    int i = 0;
    for (auto _ : state) {
        const QByteArray event = Event(++i);
        data.SetSize(0);
        data.Write(event.constData(), event.size());
        data.SetPosition(0);
        state.SetIterationTime(TimedOnGuiThread([&] { MainWindow->IdUDPServer1UDPRead(nullptr, data, binding); }));
        if (Receiver->Read(ArrivalTimeoutMs) != Expected(i)) {
            state.SkipWithError("the handler sent no message or a wrong one");
            break;
        }
    }
}

void LogLine(benchmark::State &state)
{
    const QByteArray line = HexLine(Event(1));
    for (auto _ : state)
        state.SetIterationTime(TimedOnGuiThread([&] { MainWindow->LogAppend(line); }));
}

void RegisterAll()
{
    static const sockaddr_in bareAddress = Bare->Address();
    benchmark::RegisterBenchmark("KeyEventLatency/Bare", Latency, &bareAddress, false)
        ->Iterations(20000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("KeyEventLatency/Program", Latency, &ProgramAddress, true)
        ->Iterations(20000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("GuiThread/DatagramHandler", Handler)
        ->Iterations(5000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("GuiThread/LogLine", LogLine)
        ->Iterations(5000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("KeyEventRate/Bare", Rate, &bareAddress)
        ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("KeyEventRate/Program", Rate, &ProgramAddress)
        ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

// "Пуск" with the bench's gateway, which answers the greeting.
bool StartLink(TfrmMain &window)
{
    const TfrmMainProbe probe(window);
    QByteArray failure;
    const TMessageBoxHandler previous = SetMessageBoxHandler(
        [&](const QByteArray &text, const QByteArray &, TMsgIcon) { failure = text; });
    probe.leKVIP()->setText(QStringLiteral("127.0.0.1:%1").arg(ntohs(Gateway->Address.sin_port)));
    Guard([&] { window.Button1Click(); });
    SetMessageBoxHandler(previous);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "bench_key_event: \"Пуск\" failed: %s\n(port 971 needs root or cap_net_bind_service)\n",
                     failure.constData());
        return false;
    }
    if (Gateway->Receive(1000) != GreetingDatagram()) {
        std::fprintf(stderr, "bench_key_event: no greeting from the program\n");
        return false;
    }
    Gateway->Send(ProgramAddress, IdentityReplyDatagram(Mac));
    QElapsedTimer timer;
    timer.start();
    while (probe.Link().GatewayMac != Mac && timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (probe.Link().GatewayMac != Mac) {
        std::fprintf(stderr, "bench_key_event: the program did not learn the MAC\n");
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    TBenchEnvironment environment(argc, argv);
    TApplication &application = environment.Application;
    benchmark::Initialize(&argc, argv);

    TMailslotServer receiver;
    if (receiver.Create(MailslotPath) != MailslotError::Success) {
        std::fprintf(stderr, "bench_key_event: cannot create the mailslot\n");
        return 1;
    }
    TGateway gateway;
    Receiver = &receiver;
    Gateway = &gateway;
    TBarePipeline bare;
    Bare = &bare;

    TfrmMain window;
    frmMain = &window;
    MainWindow = &window;
    if (!StartLink(window))
        return 1;

    RegisterAll();
    std::thread driver([&] {
        benchmark::RunSpecifiedBenchmarks();
        QMetaObject::invokeMethod(&application, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    application.exec();
    driver.join();
    benchmark::Shutdown();
    return 0;
}
