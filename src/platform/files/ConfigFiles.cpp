#include "platform/files/ConfigFiles.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <cstdlib>
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

// Removes what writers killed before their rename left behind. Only a
// writer holding the lock has a temporary file, so under the lock every one
// found is left over.
void RemoveLeftTemporaries(const QString &path)
{
    const QFileInfo file(path);
    const QDir folder = file.dir();
    const QString prefix = file.fileName() + QStringLiteral(".new-");
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name.startsWith(prefix))
            ::unlink(QFile::encodeName(folder.filePath(name)).constData());
}

// Writes the replacement to a temporary file of this writer's own beside the
// file and renames it over the file.
int Replace(const QByteArray &path, const QByteArray &contents)
{
    QByteArray temporary = path + ".new-XXXXXX";
    TFd out(::mkostemp(temporary.data(), O_CLOEXEC));
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
    // The lock is held on a file of its own that is never renamed, so that
    // it stays the same file while the file itself is replaced or moved away.
    TFd lock(::open(QFile::encodeName(LockFilePath(path)).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.Get() < 0)
        return errno;
    if (const int error = Lock(lock.Get()))
        return error;
    RemoveLeftTemporaries(path);
    QByteArray contents;
    const int error = ReadWholeFile(path, &contents);
    if (error && error != ENOENT)
        return error;
    const TFileUpdate result = update(contents);
    if (result.Error)
        return result.Error;
    if (result.Replacement)
        return Replace(QFile::encodeName(path), *result.Replacement);
    return 0;
}

QString LockFilePath(const QString &path)
{
    return path + QStringLiteral(".lock");
}
