// One gateway poll's worth of socket work, through the stack and on the bare
// system calls: send a 9-byte datagram over loopback (the stack also turns
// the host text into an address text, as every send of the endpoint does),
// wait for it as the listener does (select with a 1000 ms timeout), receive
// it into an 8192-byte buffer with the sender's address. Also: how long a
// wait on a quiet socket with a timeout really waits.

#include "net/IdStackWinsock.h"

#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr char Poll[9] = {'G', 'S', 0, 1, 2, 3, 4, 5, 6};

void RoundTripThroughTheStack(benchmark::State &state)
{
    TIdStackWinsock stack;
    const TIdStackSocketHandle receiver = stack.NewSocketHandle(Sockets::SockDgram, 0);
    const TIdStackSocketHandle sender = stack.NewSocketHandle(Sockets::SockDgram, 0);
    stack.CheckSocketResult(stack.SockBind(receiver, Sockets::AfInet, "127.0.0.1", 0));
    int family = 0;
    QByteArray ip;
    int port = 0;
    stack.SockBoundAddress(receiver, family, ip, port);

    const QByteArray host = "127.0.0.1";
    QByteArray buffer(8192, '\0');
    TIdSocketList readList;
    QByteArray senderIp;
    int senderPort = 0;
    for (auto _ : state) {
        // The endpoint turns the host text into an address text on every send.
        if (stack.SockSendTo(sender, Poll, sizeof Poll, 0, stack.HostToAddressText(host), port) !=
            int(sizeof Poll))
            state.SkipWithError("send failed");
        readList.clear();
        readList.append(receiver);
        if (stack.SockSelect(&readList, nullptr, nullptr, 1000) != 1)
            state.SkipWithError("nothing arrived");
        const int received = stack.SockRecvFrom(receiver, buffer.data(), 8192, 0, senderIp, senderPort);
        stack.CheckSocketResult(received);
        benchmark::DoNotOptimize(received);
        benchmark::DoNotOptimize(senderIp.constData());
    }
    stack.SockClose(sender);
    stack.SockClose(receiver);
}
BENCHMARK(RoundTripThroughTheStack);

void RoundTripOnSystemCalls(benchmark::State &state)
{
    const int receiver = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(receiver, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(receiver, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        state.SkipWithError("bind failed");

    char buffer[8192];
    for (auto _ : state) {
        if (::sendto(sender, Poll, sizeof Poll, 0, reinterpret_cast<sockaddr *>(&address), sizeof address) !=
            ssize_t(sizeof Poll))
            state.SkipWithError("send failed");
        fd_set readSet;
        FD_ZERO(&readSet);
        FD_SET(receiver, &readSet);
        timeval timeout{1, 0};
        if (::select(receiver + 1, &readSet, nullptr, nullptr, &timeout) != 1)
            state.SkipWithError("nothing arrived");
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t received =
            ::recvfrom(receiver, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &fromLength);
        benchmark::DoNotOptimize(received);
        benchmark::DoNotOptimize(from);
    }
    ::close(sender);
    ::close(receiver);
}
BENCHMARK(RoundTripOnSystemCalls);

// A wait on a quiet socket with a 700 ms timeout, alone (0) and with a signal
// every 100 ms (1), whose handler makes every blocking call return early:
// the wait must end neither early nor late. Reports how long it waited.
void SelectTimeout(benchmark::State &state)
{
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGUSR1, &action, &previous);
    TIdStackWinsock stack;
    const TIdStackSocketHandle quiet = stack.NewSocketHandle(Sockets::SockDgram, 0);
    stack.CheckSocketResult(stack.SockBind(quiet, Sockets::AfInet, "127.0.0.1", 0));
    const pthread_t waiting = pthread_self();
    for (auto _ : state) {
        std::atomic<bool> done{false};
        std::thread interrupter;
        if (state.range(0) != 0)
            interrupter = std::thread([&] {
                while (!done) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    if (!done)
                        pthread_kill(waiting, SIGUSR1);
                }
            });
        TIdSocketList readList{quiet};
        const auto start = std::chrono::steady_clock::now();
        if (stack.SockSelect(&readList, nullptr, nullptr, 700) != 0)
            state.SkipWithError("the quiet socket was ready");
        const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        done = true;
        if (interrupter.joinable())
            interrupter.join();
        state.SetIterationTime(waited);
        state.counters["waited_ms"] = waited * 1000;
    }
    stack.SockClose(quiet);
    sigaction(SIGUSR1, &previous, nullptr);
}
BENCHMARK(SelectTimeout)->ArgName("Signals")->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
