// One gateway poll's worth of socket work, through the stack and on the bare
// system calls: send a 9-byte datagram over loopback (the stack also turns
// the host text into an address text, as every send of the endpoint does),
// wait for it as the listener does (select with a 1000 ms timeout), receive
// it into an 8192-byte buffer with the sender's address.

#include "net/IdStackWinsock.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
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
} // namespace

BENCHMARK_MAIN();
