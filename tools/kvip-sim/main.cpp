// kvip-sim: a stand-in for the KV-IP gateway, for tests, demonstrations and
// commissioning without hardware. It answers the program's greeting with an
// identity reply, reports the polls, and sends key events (and broken
// datagrams) to the program on command. Every datagram it sends or receives
// is printed as hex, stamped with the local time.

#include "app/GatewayProtocol.h"
#include "platform/sockets/Sockets.h"
#include "commandline/CommandLine.h"
#include "TimeStamp.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace Sockets;

namespace {
constexpr uint16_t DefaultListenPort = 9710;
constexpr uint16_t ProgramPort = 971;
constexpr int DefaultWaitMs = 10000;
constexpr qsizetype DefaultOversize = 8193;
constexpr qsizetype MaxDatagram = 65507;
constexpr qsizetype MaxHexShown = 64;

volatile std::sig_atomic_t stopRequested = 0;
// A signal does not end a wait for a datagram: the waits look at the flag
// at least this often.
constexpr int StopCheckMs = 500;

void OnSignal(int)
{
    stopRequested = 1;
}

const char Tool[] = "kvip-sim";
const char UsageText[] =
    "usage: kvip-sim [options] [command ...]\n"
    "Plays the KV-IP gateway: answers \"GD\" with an identity reply, reports polls,\n"
    "and sends key events to the program on command. Every datagram is printed\n"
    "as hex, stamped with the local time.\n"
    "example: kvip-sim wait-greeting 'c 1 42 5'    (then type 127.0.0.1:9710 into\n"
    "         the configurator's address field and press \"Пуск\")\n"
    "options:\n"
    "  --listen ADDR     address to listen on (default 127.0.0.1)\n"
    "  --port N          port to listen on (default 9710; 0 picks a free one);\n"
    "                    type ADDR:N into the program's address field\n"
    "  --mac MAC         the gateway's MAC (default 02:00:00:37:21:01)\n"
    "  --to HOST[:PORT]  where key events go (default: the sender of the latest\n"
    "                    greeting or poll, else 127.0.0.1:971)\n"
    "  --reply G|g|none  first byte of the identity reply, or no reply (default G)\n"
    "  --no-time         leave the time off the printed lines\n"
    "  --help, --version\n"
    "Commands given as arguments run in order, each argument one command; then\n"
    "commands are read from standard input, one a line, until \"quit\". The\n"
    "simulator keeps answering greetings when standard input ends.\n"
    "A command given as an argument that fails ends the simulator with status 1.\n"
    "commands (values 0..255, decimal or 0x hex):\n"
    "  b A B C           key event of kind B (mode 0: a, b, c)\n"
    "  c A B C           key event of kind C (mode 1: a, b, c)\n"
    "  foreign b|c A B C the key event carrying another MAC\n"
    "  malformed b|c     kind B with byte 12 not 0x02, kind C with byte 9 not 0\n"
    "  short N [b|c]     the first N bytes of a key event (default kind C)\n"
    "  gr [MAC] [G|g]    an identity reply now (default this gateway's MAC)\n"
    "  raw HEX ...       any bytes, e.g. raw 23 00 41\n"
    "  empty             a datagram of no bytes\n"
    "  oversized [N]     a datagram of N bytes (default 8193)\n"
    "  wait-greeting [MS] / wait-poll [MS]\n"
    "                    wait for the next greeting / poll (default 10000 ms)\n"
    "  flood N RATE      N key events at RATE a second, kinds B and C in turn, each\n"
    "                    followed by one broken datagram (foreign MAC, malformed,\n"
    "                    short, empty, oversized, or from 127.0.0.2); prints one\n"
    "                    summary line instead of every datagram\n"
    "  sleep MS          pause\n"
    "  to HOST[:PORT]    change where datagrams go\n"
    "  mac MAC           change the gateway's MAC\n"
    "  help, quit\n";

struct TPeer {
    TSockAddrIn Address;

    std::string Text() const
    {
        std::string text;
        for (uint8_t part : Address.Address)
            text += (text.empty() ? "" : ".") + std::to_string(part);
        return text + ":" + std::to_string(NetToHost16(Address.Port));
    }
};

// A datagram socket bound to `address`, or InvalidSocket.
TSocket BoundSocket(TSockAddrIn &address)
{
    const TSocket s = Socket(AfInet, SockDgram, IpProtoUdp);
    if (s == InvalidSocket)
        return InvalidSocket;
    int length = SockAddrInLength;
    if (Bind(s, &address, SockAddrInLength) != 0 || GetSockName(s, &address, &length) != 0) {
        const int32_t error = LastError();
        CloseSocket(s);
        SetLastError(error);
        return InvalidSocket;
    }
    return s;
}

bool SendQuietly(TSocket socket, const TPeer &peer, const QByteArray &datagram)
{
    return SendTo(socket, datagram.constData(), int(datagram.size()), 0, &peer.Address, SockAddrInLength)
        == datagram.size();
}

// The next datagram waiting on `socket`; nothing when the receive failed.
std::optional<QByteArray> ReceiveFrom(TSocket socket, TPeer *peer)
{
    static char buffer[MaxDatagram + 1];
    TPeer from;
    int length = SockAddrInLength;
    const int n = RecvFrom(socket, buffer, sizeof buffer, 0, &from.Address, &length);
    if (n < 0)
        return std::nullopt;
    if (peer)
        *peer = from;
    return QByteArray(buffer, n);
}

std::vector<std::string> Words(const std::string &line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        size_t end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
            ++end;
        if (end > i)
            words.push_back(line.substr(i, end - i));
        i = end;
    }
    return words;
}

// Decimal, or hexadecimal after "0x"; nothing outside 0..max.
std::optional<long> Number(const std::string &text, long max)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = text.c_str() + (hex ? 2 : 0);
    if (*digits == '\0' || *digits == '-' || *digits == '+' || *digits == ' ')
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || value < 0 || value > max)
        return std::nullopt;
    return value;
}

std::optional<TPeer> ParsePeer(const std::string &text, uint16_t defaultPort)
{
    std::string host = text;
    uint16_t port = defaultPort;
    if (const size_t colon = text.find(':'); colon != std::string::npos) {
        host = text.substr(0, colon);
        const std::optional<long> number = Number(text.substr(colon + 1), 65535);
        if (!number)
            return std::nullopt;
        port = uint16_t(*number);
    }
    if (host.empty())
        return std::nullopt;
    TPeer peer;
    peer.Address.Family = AfInet;
    peer.Address.Port = HostToNet16(port);
    const uint32_t dotted = InetAddr(host.c_str());
    if (dotted != 0xFFFFFFFF || host == "255.255.255.255") {
        std::memcpy(peer.Address.Address.data(), &dotted, 4);
        return peer;
    }
    THostRecord found;
    if (!GetHostByName(QByteArray::fromStdString(host), found))
        return std::nullopt;
    peer.Address.Address = found.Addresses.first();
    return peer;
}

QByteArray Shown(const QByteArray &datagram)
{
    if (datagram.size() <= MaxHexShown)
        return HexLine(datagram);
    return HexLine(datagram.left(MaxHexShown)) + "... (" + QByteArray::number(datagram.size()) + " bytes)";
}

// A kind B event with byte 12 not 0x02, and a kind C event with byte 9 not 0:
// logged by the program, not passed on.
QByteArray MalformedKindB(const TMacAddress &mac)
{
    QByteArray event = KindBDatagram(mac, 1, 2, 3);
    event[12] = 0x03;
    return event;
}

QByteArray MalformedKindC(const TMacAddress &mac)
{
    QByteArray event = KindCDatagram(mac, 1, 2, 3);
    event[9] = 0x01;
    return event;
}

TMacAddress ForeignMac(TMacAddress mac)
{
    mac[5] ^= 0xFF;
    return mac;
}

std::string EventText(const char *kind, uint8_t a, uint8_t b, uint8_t c)
{
    return std::string("key event kind ") + kind + " a=" + std::to_string(a) + " b=" + std::to_string(b)
        + " c=" + std::to_string(c);
}

class TSimulator {
public:
    TMacAddress Mac{0x02, 0x00, 0x00, 0x37, 0x21, 0x01};
    char ReplyFirst = 'G'; // 0: no reply
    std::optional<TPeer> Destination;
    bool ExitOnFailure = false;
    bool Stamped = true;

    bool Listen(const std::string &address, uint16_t port)
    {
        std::optional<TPeer> local = ParsePeer(address + ":" + std::to_string(port), port);
        if (!local) {
            std::fprintf(stderr, "kvip-sim: cannot resolve the listen address %s\n", address.c_str());
            return false;
        }
        const std::string wanted = local->Text();
        FSocket = BoundSocket(local->Address);
        if (FSocket == InvalidSocket) {
            std::fprintf(stderr, "kvip-sim: cannot listen on %s: error %d\n", wanted.c_str(), int(LastError()));
            return false;
        }
        Print("kvip-sim: listening on " + local->Text() + ", MAC " + MacText(Mac).toStdString());
        return true;
    }

    // Runs one command line; false when it asks to quit, or when it failed
    // and ExitOnFailure is set.
    bool Run(const std::string &line)
    {
        const std::vector<std::string> w = Words(line);
        if (w.empty() || w[0][0] == '#')
            return true;
        const std::string &name = w[0];
        if (name == "quit" || name == "exit")
            return false;
        if (name == "help") {
            std::fputs(UsageText, stdout);
        } else if ((name == "b" || name == "c") && w.size() == 4) {
            return SendEvent(name, Mac, w[1], w[2], w[3], "");
        } else if (name == "foreign" && w.size() == 5 && (w[1] == "b" || w[1] == "c")) {
            const TMacAddress other = ForeignMac(Mac);
            return SendEvent(w[1], other, w[2], w[3], w[4], " with foreign MAC " + MacText(other).toStdString());
        } else if (name == "malformed" && w.size() == 2 && w[1] == "b") {
            Send(MalformedKindB(Mac), "malformed kind B (byte 12 not 0x02)");
        } else if (name == "malformed" && w.size() == 2 && w[1] == "c") {
            Send(MalformedKindC(Mac), "malformed kind C (byte 9 not 0)");
        } else if (name == "short" && (w.size() == 2 || (w.size() == 3 && (w[2] == "b" || w[2] == "c")))) {
            const bool kindB = w.size() == 3 && w[2] == "b";
            const QByteArray event = kindB ? KindBDatagram(Mac, 1, 2, 3) : KindCDatagram(Mac, 1, 2, 3);
            const std::optional<long> n = Number(w[1], event.size());
            if (!n)
                return Fail("short: N must be 0.." + std::to_string(event.size()));
            Send(event.left(*n), std::string("short kind ") + (kindB ? "B" : "C") + " (" + w[1] + " bytes)");
        } else if (name == "gr" && w.size() <= 3) {
            TMacAddress mac = Mac;
            char first = 'G';
            for (size_t i = 1; i < w.size(); ++i) {
                if (w[i] == "g" || w[i] == "G")
                    first = w[i][0];
                else if (const std::optional<TMacAddress> parsed = ParseMac(QByteArray::fromStdString(w[i])))
                    mac = *parsed;
                else
                    return Fail("gr: not a MAC: " + w[i]);
            }
            Send(IdentityReplyDatagram(mac, first), "identity reply");
        } else if (name == "raw" && w.size() >= 2) {
            QByteArray bytes;
            for (size_t i = 1; i < w.size(); ++i) {
                const QByteArray part = QByteArray::fromStdString(w[i]);
                const QByteArray decoded = QByteArray::fromHex(part);
                if (part.size() % 2 != 0 || decoded.size() * 2 != part.size()
                    || decoded.toHex() != part.toLower())
                    return Fail("raw: not hex: " + w[i]);
                bytes += decoded;
            }
            Send(bytes.left(MaxDatagram), "raw");
        } else if (name == "empty" && w.size() == 1) {
            Send({}, "empty datagram");
        } else if (name == "oversized" && w.size() <= 2) {
            const std::optional<long> n = w.size() == 2 ? Number(w[1], MaxDatagram) : DefaultOversize;
            if (!n)
                return Fail("oversized: N must be 0.." + std::to_string(MaxDatagram));
            QByteArray big = KindCDatagram(Mac, 1, 2, 3).leftJustified(*n, '\0', true);
            Send(big, "oversized datagram");
        } else if ((name == "wait-greeting" || name == "wait-poll") && w.size() <= 2) {
            const std::optional<long> ms = w.size() == 2 ? Number(w[1], 86400000) : DefaultWaitMs;
            if (!ms)
                return Fail(name + ": MS must be a number");
            const bool greeting = name == "wait-greeting";
            if (!WaitFor(greeting ? FGreetings : FPolls, int(*ms)))
                return Fail(std::string("timed out waiting for a ") + (greeting ? "greeting" : "poll"));
        } else if (name == "flood" && w.size() == 3) {
            const std::optional<long> n = Number(w[1], 1000000000), rate = Number(w[2], 1000000);
            if (!n || !rate || *rate == 0)
                return Fail("flood: N must be a count and RATE 1..1000000");
            Flood(*n, *rate);
        } else if (name == "sleep" && w.size() == 2) {
            const std::optional<long> ms = Number(w[1], 86400000);
            if (!ms)
                return Fail("sleep: MS must be a number");
            Serve(int(*ms), [] { return false; });
        } else if (name == "to" && w.size() == 2) {
            const std::optional<TPeer> peer = ParsePeer(w[1], ProgramPort);
            if (!peer)
                return Fail("to: cannot resolve " + w[1]);
            Destination = peer;
            Print("kvip-sim: sending to " + peer->Text());
        } else if (name == "mac" && w.size() == 2) {
            const std::optional<TMacAddress> mac = ParseMac(QByteArray::fromStdString(w[1]));
            if (!mac)
                return Fail("mac: not a MAC: " + w[1]);
            Mac = *mac;
            Print("kvip-sim: MAC " + MacText(Mac).toStdString());
        } else {
            return Fail("unknown command: " + line + " (type help)");
        }
        return true;
    }

    // Answers datagrams for up to timeoutMs (-1: no limit), or until `done`
    // is true, a signal arrives or, when `input` is set, a piece of standard
    // input has come. Returns whether `done` became true.
    template <class Done>
    bool Serve(int timeoutMs, Done done, bool *input = nullptr)
    {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!stopRequested) {
            if (done())
                return true;
            int wait = StopCheckMs;
            if (timeoutMs >= 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0)
                    return false;
                wait = std::min(wait, int(left.count()));
            }
            TSocketSet ready;
            ready.Sockets[ready.Count++] = FSocket;
            const bool watchInput = input && FInput != InvalidSocket;
            if (watchInput)
                ready.Sockets[ready.Count++] = FInput;
            const TTimeVal timeout{wait / 1000, wait % 1000 * 1000};
            if (Select(0, &ready, nullptr, nullptr, &timeout) < 0) {
                std::fprintf(stderr, "kvip-sim: select failed with error %d\n", int(LastError()));
                stopRequested = 1;
                break;
            }
            bool inputReady = false;
            for (uint32_t i = 0; i < ready.Count; ++i) {
                if (ready.Sockets[i] == FSocket)
                    Receive();
                else
                    inputReady = true;
            }
            if (watchInput && inputReady) {
                *input = true;
                return false;
            }
        }
        return done();
    }

    // Reads and runs commands from standard input until "quit", then keeps
    // serving when the input ends.
    void Interact()
    {
        StartInputReader();
        std::string pending;
        for (;;) {
            bool input = false;
            Serve(-1, [] { return false; }, &input);
            if (stopRequested)
                return;
            const std::optional<QByteArray> chunk = ReceiveFrom(FInput, nullptr);
            FInputTaken.Release();
            if (!chunk)
                continue;
            if (!chunk->isEmpty()) {
                pending.append(chunk->constData(), size_t(chunk->size()));
            } else {
                FInputEnded = true;
                CloseSocket(FInput);
                FInput = InvalidSocket;
            }
            for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!Run(line))
                    return;
            }
            if (FInputEnded && !pending.empty()) {
                if (!Run(pending))
                    return;
                pending.clear();
            }
        }
    }

private:
    TSocket FSocket = InvalidSocket;
    int FGreetings = 0;
    int FPolls = 0;
    bool FInputEnded = false;
    std::optional<TPeer> FLastPeer;
    // Standard input is read on a thread of its own and comes to the wait as
    // datagrams on this loopback socket, one piece at a time (the reader
    // waits until a piece is taken); an empty datagram is the end.
    TSocket FInput = InvalidSocket;
    // A count guarded by a lock rather than std::binary_semaphore, whose
    // release the MinGW build's library was seen to lose: the reader then
    // waited for good and no command arrived after the first.
    class TInputTaken {
    public:
        void Release()
        {
            {
                const std::lock_guard lock(FMutex);
                ++FCount;
            }
            FTaken.notify_one();
        }
        void Acquire()
        {
            std::unique_lock lock(FMutex);
            FTaken.wait(lock, [this] { return FCount > 0; });
            --FCount;
        }

    private:
        std::mutex FMutex;
        std::condition_variable FTaken;
        int FCount = 0;
    } FInputTaken;

    void StartInputReader()
    {
        TSockAddrIn address;
        address.Family = AfInet;
        address.Address = {127, 0, 0, 1};
        FInput = BoundSocket(address);
        if (FInput == InvalidSocket) {
            std::fprintf(stderr, "kvip-sim: cannot read commands (error %d)\n", int(LastError()));
            return;
        }
        const TSocket sender = Socket(AfInet, SockDgram, IpProtoUdp);
        std::thread([this, sender, address] {
            const TPeer self{address};
            for (;;) {
                char chunk[4096];
                const auto n = ::read(STDIN_FILENO, chunk, sizeof chunk);
                if (n < 0 && errno == EINTR)
                    continue;
                const QByteArray piece(chunk, n > 0 ? qsizetype(n) : 0);
                if (!SendQuietly(sender, self, piece))
                    break;
                FInputTaken.Acquire();
                if (piece.isEmpty())
                    break;
            }
            CloseSocket(sender);
        }).detach();
    }

    // One line of output, stamped with the local time unless Stamped is off.
    void Print(const std::string &line) const
    {
        const QByteArray stamp = Stamped ? LineStamp() : QByteArray();
        std::printf("%s%s\n", stamp.constData(), line.c_str());
        std::fflush(stdout);
    }

    bool Fail(const std::string &why)
    {
        std::fprintf(stderr, "kvip-sim: %s\n", why.c_str());
        std::fflush(stderr);
        return !ExitOnFailure;
    }

    // The broken datagrams of a flood, in turn, with the log lines the program
    // writes for each (hex line, and the MAC line where the MAC differs;
    // nothing for the datagrams the endpoint drops).
    struct TBroken {
        QByteArray Datagram;
        bool FromOtherAddress = false;
        int LogLines = 0;
    };

    std::vector<TBroken> BrokenDatagrams() const
    {
        return {{KindCDatagram(ForeignMac(Mac), 1, 2, 3), false, 2},
                {MalformedKindB(Mac), false, 1},
                {MalformedKindC(Mac), false, 1},
                {KindCDatagram(Mac, 1, 2, 3).left(5), false, 2},
                {QByteArray(), false, 0},
                {KindCDatagram(Mac, 1, 2, 3).leftJustified(DefaultOversize, '\0'), false, 0},
                {KindCDatagram(Mac, 1, 2, 3), true, 1}};
    }

    // Sends `count` key events at `rate` a second on a fixed schedule, each
    // followed by a broken datagram, answering greetings and polls meanwhile.
    void Flood(long count, long rate)
    {
        using Clock = std::chrono::steady_clock;
        const TPeer target = Target();
        const std::vector<TBroken> broken = BrokenDatagrams();
        TSockAddrIn otherAddress;
        otherAddress.Family = AfInet;
        otherAddress.Address = {127, 0, 0, 2};
        const TSocket other = BoundSocket(otherAddress);
        long events[2] = {0, 0}, brokenSent = 0, failed = 0, logLines = 0;
        const Clock::time_point start = Clock::now();
        for (long i = 0; i < count && !stopRequested; ++i) {
            const Clock::time_point due = start + std::chrono::nanoseconds(i * 1000000000LL / rate);
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
            if (wait > 0)
                Serve(int(wait), [] { return false; });
            const bool kindB = i % 2 == 0;
            const auto a = uint8_t(i), b = uint8_t(i >> 8), c = uint8_t(i >> 16);
            if (SendQuietly(FSocket, target, kindB ? KindBDatagram(Mac, a, b, c) : KindCDatagram(Mac, a, b, c))) {
                ++events[kindB ? 0 : 1];
                logLines += 2;
            } else {
                ++failed;
            }
            const TBroken &next = broken[size_t(i) % broken.size()];
            if (next.FromOtherAddress && other == InvalidSocket)
                continue;
            if (SendQuietly(next.FromOtherAddress ? other : FSocket, target, next.Datagram)) {
                ++brokenSent;
                logLines += next.LogLines;
            } else {
                ++failed;
            }
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (other != InvalidSocket)
            CloseSocket(other);
        char summary[256];
        std::snprintf(summary, sizeof summary,
                      "flood: %ld key events (%ld kind B, %ld kind C) and %ld broken datagrams to %s in %.1f s, "
                      "%ld sends failed; the program logs %ld lines for them",
                      events[0] + events[1], events[0], events[1], brokenSent, target.Text().c_str(), seconds, failed,
                      logLines);
        Print(summary);
    }

    bool WaitFor(const int &counter, int timeoutMs)
    {
        const int start = counter;
        return Serve(timeoutMs, [&] { return counter > start; });
    }

    bool SendEvent(const std::string &kind, const TMacAddress &mac, const std::string &a, const std::string &b,
                   const std::string &c, const std::string &note)
    {
        const std::optional<long> va = Number(a, 255), vb = Number(b, 255), vc = Number(c, 255);
        if (!va || !vb || !vc)
            return Fail("key event values must be 0..255");
        const bool kindB = kind == "b";
        const QByteArray event = kindB ? KindBDatagram(mac, uint8_t(*va), uint8_t(*vb), uint8_t(*vc))
                                       : KindCDatagram(mac, uint8_t(*va), uint8_t(*vb), uint8_t(*vc));
        Send(event, EventText(kindB ? "B" : "C", uint8_t(*va), uint8_t(*vb), uint8_t(*vc)) + note);
        return true;
    }

    TPeer Target() const
    {
        if (Destination)
            return *Destination;
        if (FLastPeer)
            return *FLastPeer;
        return *ParsePeer("127.0.0.1", ProgramPort);
    }

    void Send(const QByteArray &datagram, const std::string &what)
    {
        SendTo(Target(), datagram, what);
    }

    void SendTo(const TPeer &peer, const QByteArray &datagram, const std::string &what)
    {
        if (!SendQuietly(FSocket, peer, datagram))
            Print("-> " + peer.Text() + " failed (error " + std::to_string(LastError()) + "): "
                  + Shown(datagram).toStdString() + " " + what);
        else
            Print("-> " + peer.Text() + " " + Shown(datagram).toStdString() + " " + what);
    }

    void Receive()
    {
        TPeer peer;
        const std::optional<QByteArray> received = ReceiveFrom(FSocket, &peer);
        if (!received)
            return;
        const QByteArray &datagram = *received;
        const bool greeting = datagram == GreetingDatagram();
        const bool poll = datagram.size() == PollLength && datagram.startsWith("DD") && datagram[8] == '4';
        std::string what = "(not understood)";
        if (greeting) {
            what = "greeting";
        } else if (poll) {
            TMacAddress mac;
            std::copy_n(datagram.begin() + MacOffset, mac.size(), mac.begin());
            what = "poll, MAC " + MacText(mac).toStdString() + (mac == Mac ? "" : " (not this gateway's)");
        }
        Print("<- " + peer.Text() + " " + Shown(datagram).toStdString() + " " + what);
        if (greeting || poll)
            FLastPeer = peer;
        if (poll)
            ++FPolls;
        if (greeting) {
            ++FGreetings;
            if (ReplyFirst)
                SendTo(peer, IdentityReplyDatagram(Mac, ReplyFirst), "identity reply");
        }
    }
};
} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (const int error = Startup()) {
        std::fprintf(stderr, "kvip-sim: the socket library did not start (error %d)\n", error);
        return 1;
    }
    TSimulator simulator;
    std::string listen = "127.0.0.1";
    long port = DefaultListenPort;
    std::vector<std::string> commands;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (CommandLine::IsHelpOrVersion(arg, Tool, UsageText)) {
            return 0;
        } else if (arg == "--listen" && hasValue) {
            listen = argv[++i];
        } else if (arg == "--port" && hasValue) {
            const std::optional<long> n = Number(argv[++i], 65535);
            if (!n)
                return CommandLine::UsageError(Tool, "--port needs 0..65535", UsageText);
            port = *n;
        } else if (arg == "--mac" && hasValue) {
            const std::optional<TMacAddress> mac = ParseMac(argv[++i]);
            if (!mac)
                return CommandLine::UsageError(Tool, "--mac needs six hex pairs such as 02:00:00:37:21:01", UsageText);
            simulator.Mac = *mac;
        } else if (arg == "--to" && hasValue) {
            simulator.Destination = ParsePeer(argv[++i], ProgramPort);
            if (!simulator.Destination)
                return CommandLine::UsageError(Tool, std::string("--to: cannot resolve ") + argv[i], UsageText);
        } else if (arg == "--reply" && hasValue) {
            const std::string value = argv[++i];
            if (value != "G" && value != "g" && value != "none")
                return CommandLine::UsageError(Tool, "--reply needs G, g or none", UsageText);
            simulator.ReplyFirst = value == "none" ? 0 : value[0];
        } else if (arg == "--no-time") {
            simulator.Stamped = false;
        } else if (arg == "--listen" || arg == "--port" || arg == "--mac" || arg == "--to" || arg == "--reply") {
            return CommandLine::UsageError(Tool, arg + " needs a value", UsageText);
        } else if (arg.rfind("-", 0) == 0) {
            return CommandLine::UsageError(Tool, "unknown option " + arg, UsageText);
        } else {
            commands.push_back(arg);
        }
    }

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif

    if (!simulator.Listen(listen, uint16_t(port)))
        return 1;
    simulator.ExitOnFailure = true;
    for (const std::string &command : commands) {
        if (!simulator.Run(command))
            return stopRequested || command == "quit" || command == "exit" ? 0 : 1;
    }
    simulator.ExitOnFailure = false;
    if (isatty(STDIN_FILENO))
        std::printf("kvip-sim: type help for the commands\n");
    simulator.Interact();
    return 0;
}
