#include "platform/files/ConfigFiles.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

QString ConfigDirectory()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

namespace {
// Closes a descriptor when the scope ends.
class TFd {
public:
    explicit TFd(int fd = -1) : FFd(fd) {}
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    ~TFd() { Reset(); }
    int Get() const { return FFd; }
    void Reset(int fd = -1)
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = fd;
    }

private:
    int FFd;
};

int ReadAll(int fd, QByteArray *contents)
{
    contents->clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        contents->append(buffer, n);
    }
}

int WriteAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
    }
    return 0;
}

int MakeFolders(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) == 0 || errno == EEXIST)
        return 0;
    if (errno != ENOENT)
        return errno;
    const QString parent = QFileInfo(folder).path();
    if (parent == folder)
        return ENOENT;
    if (const int error = MakeFolders(parent))
        return error;
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

// Takes the exclusive lock, waiting at most LockTimeoutMs.
int Lock(int fd)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(LockTimeoutMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return 0;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return errno;
        if (steady_clock::now() >= deadline)
            return EWOULDBLOCK;
        std::this_thread::sleep_for(milliseconds(1));
    }
}

// Writes the replacement beside the file and renames it over the file.
int Replace(const QByteArray &path, const QByteArray &contents)
{
    const QByteArray temporary = path + ".new";
    TFd out(::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (out.Get() < 0)
        return errno;
    int error = WriteAll(out.Get(), contents);
    if (!error && ::fsync(out.Get()) != 0)
        error = errno;
    out.Reset();
    if (!error && ::rename(temporary.constData(), path.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return error;
    }
    // Make the rename itself durable.
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).path());
    TFd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
    return 0;
}
} // namespace

int ReadWholeFile(const QString &path, QByteArray *contents)
{
    contents->clear();
    TFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EISDIR;
    return ReadAll(fd.Get(), contents);
}

int UpdateFileLocked(const QString &path, const std::function<TFileUpdate(const QByteArray &contents)> &update)
{
    if (const int error = MakeFolders(QFileInfo(path).path()))
        return error;
    const QByteArray name = QFile::encodeName(path);
    TFd fd;
    // The lock belongs to the file the name refers to: a writer that renamed
    // a new version over it while we waited leaves us holding the lock of the
    // old one, so check and start again.
    for (;;) {
        fd.Reset(::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (fd.Get() < 0)
            return errno;
        struct stat held {};
        if (::fstat(fd.Get(), &held) != 0)
            return errno;
        if (!S_ISREG(held.st_mode))
            return EISDIR;
        if (const int error = Lock(fd.Get()))
            return error;
        struct stat current {};
        if (::stat(name.constData(), &current) == 0 && current.st_ino == held.st_ino && current.st_dev == held.st_dev)
            break;
    }
    QByteArray contents;
    if (const int error = ReadAll(fd.Get(), &contents))
        return error;
    const TFileUpdate result = update(contents);
    if (result.Error)
        return result.Error;
    if (result.Replacement)
        return Replace(name, *result.Replacement);
    return 0;
}
