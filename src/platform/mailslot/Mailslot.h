#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Local stand-in for the Windows mailslot "\\.\mailslot\NAME": an AF_UNIX
// datagram socket at RUNDIR/mailslot/name, where RUNDIR is $XDG_RUNTIME_DIR
// or /tmp/runtime-$USER and `name` is NAME (cp1251) with every letter in
// lower case and each '\' turned into '/', written in UTF-8. One message is
// one datagram. Failures are reported as Windows error codes.

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
    int FSocket = -1;
};

// The receiving end: owns the mailslot while it exists.
class TMailslotServer {
public:
    TMailslotServer() = default;
    TMailslotServer(const TMailslotServer &) = delete;
    TMailslotServer &operator=(const TMailslotServer &) = delete;
    ~TMailslotServer();

    // Creates the folders (mode 0700) and binds the socket. A socket file
    // left behind by a receiver that is gone is replaced; one that a running
    // receiver holds gives AlreadyExists.
    uint32_t Create(const QByteArray &mailslotPath);
    // Waits up to timeoutMs (-1: no limit) for the next message; a signal
    // also ends the wait.
    std::optional<QByteArray> Read(int timeoutMs);
    // Unbinds and removes the socket file.
    void Close();

    int Handle() const { return FSocket; }
    const QString &SocketPath() const { return FPath; }

private:
    int FSocket = -1;
    QString FPath;
};
