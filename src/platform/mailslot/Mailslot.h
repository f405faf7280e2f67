#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The mailslot "\\.\mailslot\NAME": one message written whole, read whole.
// On Windows it is the system's own mailslot. On Linux it is a local
// stand-in, an AF_UNIX datagram socket at RUNDIR/mailslot/name, where RUNDIR
// is $XDG_RUNTIME_DIR or /tmp/runtime-$USER and `name` is NAME (cp1251) with
// every letter in lower case and each '\' turned into '/', written in UTF-8.
// One message is one datagram. Failures are reported as Windows error codes.

namespace MailslotError {
constexpr uint32_t Success = 0;
constexpr uint32_t FileNotFound = 2;      // no such mailslot
constexpr uint32_t PathNotFound = 3;
constexpr uint32_t TooManyOpenFiles = 4;
constexpr uint32_t AccessDenied = 5;
constexpr uint32_t NotEnoughMemory = 8;
constexpr uint32_t GenFailure = 31;
constexpr uint32_t InvalidParameter = 87; // message larger than the mailslot takes
constexpr uint32_t InvalidName = 123;
constexpr uint32_t AlreadyExists = 183;   // another server owns the mailslot
constexpr uint32_t FilenameTooLong = 206;
constexpr uint32_t Timeout = 1460;        // the receiver's queue stayed full
} // namespace MailslotError

#ifndef Q_OS_WIN

// The folder holding the mailslot sockets.
QString MailslotDirectory();

// The socket file for a mailslot path (cp1251), or nothing when the path is
// not a valid mailslot name (empty, holding '/' or NUL, an empty component or
// one starting with '.', or not below "\\.\mailslot\"). Names that differ
// only in letter case give the same file. The program and tools/tms-mailslot
// both reach the socket file through this.
std::optional<QString> MailslotSocketPath(const QByteArray &mailslotPath);

// Maps an errno value to the nearest Windows error code.
uint32_t WindowsErrorFromErrno(int error);
#endif

// The writing end, opened for one message at a time.
class TMailslotClient {
public:
    TMailslotClient() = default;
    TMailslotClient(const TMailslotClient &) = delete;
    TMailslotClient &operator=(const TMailslotClient &) = delete;
    ~TMailslotClient();

    uint32_t Open(const QByteArray &mailslotPath);
    // Sends the bytes as one message. Waits at most `WriteTimeoutMs` for room
    // when the receiver's queue is full, so the caller is never frozen.
    uint32_t Write(const QByteArray &message);
    void Close();

    static constexpr int WriteTimeoutMs = 250;

private:
#ifdef Q_OS_WIN
    void *FHandle = nullptr;
#else
    int FSocket = -1;
#endif
};

// The receiving end: owns the mailslot while it exists.
class TMailslotServer {
public:
    TMailslotServer() = default;
    TMailslotServer(const TMailslotServer &) = delete;
    TMailslotServer &operator=(const TMailslotServer &) = delete;
    ~TMailslotServer();

    // Creates the mailslot; one that another running receiver owns gives
    // AlreadyExists. On Linux: creates the folders (mode 0700) and binds the
    // socket; a socket file left behind by a receiver that is gone is
    // replaced.
    uint32_t Create(const QByteArray &mailslotPath);
    // Waits up to timeoutMs (-1: no limit) for the next message; on Linux a
    // signal also ends the wait.
    std::optional<QByteArray> Read(int timeoutMs);
    // Gives the mailslot up (on Linux: unbinds and removes the socket file).
    void Close();

#ifdef Q_OS_WIN
private:
    void *FHandle = nullptr;
#else
    int Handle() const { return FSocket; }
    const QString &SocketPath() const { return FPath; }

private:
    int FSocket = -1;
    QString FPath;
#endif
};
