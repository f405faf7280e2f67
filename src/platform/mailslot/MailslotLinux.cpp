#include "platform/mailslot/Mailslot.h"

#include "platform/cp1251/Ansi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const QByteArray MailslotPrefix = "\\\\.\\mailslot\\";

// The socket file of a mailslot path and its socket address, or the error
// of a name that is invalid or too long for a socket address.
uint32_t SocketAddress(const QByteArray &mailslotPath, QString &path, sockaddr_un &address)
{
    const std::optional<QString> file = MailslotSocketPath(mailslotPath);
    if (!file)
        return MailslotError::InvalidName;
    const QByteArray native = QFile::encodeName(*file);
    if (native.size() >= qsizetype(sizeof(address.sun_path)))
        return MailslotError::FilenameTooLong;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), native.size());
    path = *file;
    return MailslotError::Success;
}

// Makes the missing folders of path, each private to this user (mode 0700)
// from the moment it exists: the runtime folder among them when it is
// missing too. Folders that exist are left as they are.
bool MakePrivateFolders(const QString &path)
{
    QStringList missing;
    for (QString dir = QDir::cleanPath(path); !QFileInfo(dir).isDir(); dir = QFileInfo(dir).absolutePath()) {
        if (QFileInfo(dir).isRoot())
            return false;
        missing.prepend(dir);
    }
    for (const QString &dir : std::as_const(missing)) {
        const QByteArray native = QFile::encodeName(dir);
        if (::mkdir(native.constData(), 0700) != 0 && !(errno == EEXIST && QFileInfo(dir).isDir()))
            return false;
    }
    return true;
}

int NewSocket()
{
    return ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}
} // namespace

QString MailslotDirectory()
{
    QString runDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runDir.isEmpty()) {
        QString user = qEnvironmentVariable("USER");
        if (user.isEmpty())
            if (const passwd *entry = ::getpwuid(::geteuid()))
                user = QFile::decodeName(entry->pw_name);
        runDir = QStringLiteral("/tmp/runtime-") + user;
    }
    return runDir + QStringLiteral("/mailslot");
}

std::optional<QString> MailslotSocketPath(const QByteArray &mailslotPath)
{
    if (mailslotPath.size() <= MailslotPrefix.size()
        || mailslotPath.left(MailslotPrefix.size()).toLower() != MailslotPrefix)
        return std::nullopt;
    QByteArray name = mailslotPath.mid(MailslotPrefix.size());
    if (name.contains('/') || name.contains('\0'))
        return std::nullopt;
    for (const QByteArray &component : name.split('\\'))
        if (component.isEmpty() || component.startsWith('.'))
            return std::nullopt;
    // Mailslot names ignore the case of every letter, Cyrillic included: the
    // file is named by the text in lower case (file names are UTF-8).
    name.replace('\\', '/');
    return MailslotDirectory() + QLatin1Char('/') + FromAnsi(name).toLower();
}

uint32_t WindowsErrorFromErrno(int error)
{
    using namespace MailslotError;
    switch (error) {
    case 0: return Success;
    case ENOENT:
    case ECONNREFUSED:
    case ENOTCONN: return FileNotFound;
    case ENOTDIR: return PathNotFound;
    case EMFILE:
    case ENFILE: return TooManyOpenFiles;
    case EACCES:
    case EPERM: return AccessDenied;
    case ENOMEM:
    case ENOBUFS: return NotEnoughMemory;
    case EMSGSIZE: return InvalidParameter;
    case ENAMETOOLONG: return FilenameTooLong;
    case EADDRINUSE: return AlreadyExists;
    case EAGAIN: return Timeout;
    default: return GenFailure;
    }
}

TMailslotClient::~TMailslotClient()
{
    Close();
}

uint32_t TMailslotClient::Open(const QByteArray &mailslotPath)
{
    Close();
    QString path;
    sockaddr_un address;
    if (const uint32_t error = SocketAddress(mailslotPath, path, address))
        return error;
    FSocket = NewSocket();
    if (FSocket < 0)
        return WindowsErrorFromErrno(errno);
    if (::connect(FSocket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        const int error = errno;
        Close();
        return WindowsErrorFromErrno(error);
    }
    return MailslotError::Success;
}

uint32_t TMailslotClient::Write(const QByteArray &message)
{
    if (FSocket < 0)
        return MailslotError::GenFailure;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(WriteTimeoutMs);
    for (;;) {
        const ssize_t sent = ::send(FSocket, message.constData(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent == message.size())
            return MailslotError::Success;
        if (sent >= 0)
            return MailslotError::GenFailure;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return WindowsErrorFromErrno(errno);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return MailslotError::Timeout;
        pollfd entry{FSocket, POLLOUT, 0};
        ::poll(&entry, 1, int(left));
    }
}

void TMailslotClient::Close()
{
    if (FSocket >= 0)
        ::close(FSocket);
    FSocket = -1;
}

TMailslotServer::~TMailslotServer()
{
    Close();
}

uint32_t TMailslotServer::Create(const QByteArray &mailslotPath)
{
    Close();
    QString path;
    sockaddr_un address;
    if (const uint32_t error = SocketAddress(mailslotPath, path, address))
        return error;

    // Create every folder from RUNDIR down, private to this user.
    const QString folder = QFileInfo(path).absolutePath();
    if (!MakePrivateFolders(folder))
        return MailslotError::PathNotFound;
    for (QString dir = folder; dir.size() >= MailslotDirectory().size(); dir = QFileInfo(dir).absolutePath())
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const int fd = NewSocket();
    if (fd < 0)
        return WindowsErrorFromErrno(errno);
    auto tryBind = [&] { return ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0; };
    if (!tryBind()) {
        int error = errno;
        if (error == EADDRINUSE) {
            // Someone bound it once: alive if it still takes a connection.
            const int probe = NewSocket();
            const bool alive = probe >= 0
                && ::connect(probe, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
            if (probe >= 0)
                ::close(probe);
            if (alive) {
                ::close(fd);
                return MailslotError::AlreadyExists;
            }
            ::unlink(address.sun_path);
            error = tryBind() ? 0 : errno;
        }
        if (error != 0) {
            ::close(fd);
            return WindowsErrorFromErrno(error);
        }
    }
    FSocket = fd;
    FPath = path;
    return MailslotError::Success;
}

std::optional<QByteArray> TMailslotServer::Read(int timeoutMs)
{
    if (FSocket < 0)
        return std::nullopt;
    pollfd entry{FSocket, POLLIN, 0};
    // A signal ends the wait too, so that the caller can look at its flags.
    if (::poll(&entry, 1, timeoutMs) <= 0)
        return std::nullopt;
    const ssize_t size = ::recv(FSocket, nullptr, 0, MSG_PEEK | MSG_TRUNC);
    if (size < 0)
        return std::nullopt;
    QByteArray message(size, Qt::Uninitialized);
    const ssize_t got = ::recv(FSocket, message.data(), message.size(), 0);
    if (got < 0)
        return std::nullopt;
    message.truncate(got);
    return message;
}

void TMailslotServer::Close()
{
    if (FSocket < 0)
        return;
    ::close(FSocket);
    FSocket = -1;
    QFile::remove(FPath);
    FPath.clear();
}
