// The Linux stand-in of the mailslot: its socket files, their folder, a
// receiver that is gone, and the bounded wait of a full queue.

#include "platform/mailslot/Mailslot.h"
#include "support/Ansi.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(MailslotSocketPath, FoldsCaseAndMapsHierarchy)
{
    const QString dir = MailslotDirectory();
    EXPECT_EQ(MailslotSocketPath("\\\\.\\mailslot\\TMS.ms"), dir + QStringLiteral("/tms.ms"));
    EXPECT_EQ(MailslotSocketPath("\\\\.\\MAILSLOT\\Srv\\Sub.MS"), dir + QStringLiteral("/srv/sub.ms"));
    // Every letter is folded, Cyrillic included, and the file name is the
    // name's text in UTF-8.
    EXPECT_EQ(MailslotSocketPath("\\\\.\\mailslot\\\xD2\xCC.ms"), dir + QStringLiteral("/тм.ms"));
    EXPECT_EQ(MailslotSocketPath(A("\\\\.\\mailslot\\Сервер ЁЖ\\Тмс.MS")), dir + QStringLiteral("/сервер ёж/тмс.ms"));
}

TEST(MailslotSocketPath, RefusesNamesThatLeaveTheFolder)
{
    for (const QByteArray &bad : {QByteArray("\\\\.\\mailslot\\"), QByteArray("\\\\.\\mailslot\\a/b.ms"),
                                  QByteArray("\\\\.\\mailslot\\..\\x.ms"), QByteArray("\\\\.\\mailslot\\.\\x"),
                                  QByteArray("\\\\.\\mailslot\\.ms"), QByteArray("\\\\.\\mailslot\\a\\\\b"),
                                  QByteArray("\\\\.\\mailslot\\a\\"), QByteArray("\\\\.\\mailslot\\a\0b", 16),
                                  QByteArray("\\\\.\\pipe\\TMS.ms"), QByteArray("TMS.ms")})
        EXPECT_FALSE(MailslotSocketPath(bad).has_value()) << bad.constData();
}

TEST(MailslotSocketFile, LivesInAPrivateFolderOfItsOwnPerName)
{
    TMailslotServer server;
    ASSERT_EQ(server.Create("\\\\.\\mailslot\\Round\\Trip.ms"), MailslotError::Success);
    const QFileInfo folder(QFileInfo(server.SocketPath()).absolutePath());
    EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);

    TMailslotServer upper;
    ASSERT_EQ(upper.Create(A("\\\\.\\mailslot\\ТМС.ms")), MailslotError::Success);
    TMailslotServer other;
    ASSERT_EQ(other.Create(A("\\\\.\\mailslot\\АБВ.ms")), MailslotError::Success);
    EXPECT_NE(upper.SocketPath(), other.SocketPath());

    upper.Close();
    EXPECT_FALSE(QFileInfo::exists(MailslotDirectory() + QStringLiteral("/тмс.ms")));
}

TEST(MailslotSocketFile, ALeftOverFileCountsAsMissingAndIsTakenOver)
{
    TMailslotClient client;

    // A socket file left behind with nobody bound to it counts as missing too,
    // and a new receiver takes it over.
    {
        TMailslotServer gone;
        ASSERT_EQ(gone.Create("\\\\.\\mailslot\\stale.ms"), MailslotError::Success);
        const QString path = gone.SocketPath();
        ::close(gone.Handle());
        // Simulate a crash: the file stays, the socket is gone.
        EXPECT_TRUE(QFileInfo::exists(path));
        EXPECT_EQ(client.Open("\\\\.\\mailslot\\stale.ms"), MailslotError::FileNotFound);
        TMailslotServer next;
        EXPECT_EQ(next.Create("\\\\.\\mailslot\\stale.ms"), MailslotError::Success);
        EXPECT_EQ(client.Open("\\\\.\\mailslot\\stale.ms"), MailslotError::Success);
    }
    EXPECT_EQ(client.Open("\\\\.\\mailslot\\bad/name.ms"), MailslotError::InvalidName);
}

TEST(Mailslot, FullQueueFailsWithinTheTimeoutInsteadOfBlocking)
{
    TMailslotServer server;
    ASSERT_EQ(server.Create("\\\\.\\mailslot\\full.ms"), MailslotError::Success);
    TMailslotClient client;
    ASSERT_EQ(client.Open("\\\\.\\mailslot\\full.ms"), MailslotError::Success);
    uint32_t error = MailslotError::Success;
    int sent = 0;
    QElapsedTimer timer;
    while (error == MailslotError::Success && sent < 100000) {
        timer.start();
        error = client.Write(QByteArray(1000, 'q'));
        ++sent;
    }
    EXPECT_EQ(error, MailslotError::Timeout);
    EXPECT_GE(timer.elapsed(), TMailslotClient::WriteTimeoutMs - 20);
    // Once the receiver reads, there is room again.
    ASSERT_TRUE(server.Read(100).has_value());
    EXPECT_EQ(client.Write("x"), MailslotError::Success);
}

namespace {
// The mode bits of a file, or -1 when it cannot be read.
int ModeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}
} // namespace

TEST(Mailslot, EveryFolderItMakesIsPrivateFromTheRuntimeFolderDown)
{
    // A runtime folder that does not exist yet, made under the usual umask.
    QTemporaryDir parent;
    ASSERT_TRUE(parent.isValid());
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QString runtime = parent.filePath(QStringLiteral("run"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    const mode_t oldMask = ::umask(022);
    {
        TMailslotServer server;
        EXPECT_EQ(server.Create("\\\\.\\mailslot\\Private\\Folders.ms"), MailslotError::Success);
        EXPECT_EQ(ModeOf(runtime), 0700);
        EXPECT_EQ(ModeOf(runtime + QStringLiteral("/mailslot")), 0700);
        EXPECT_EQ(ModeOf(runtime + QStringLiteral("/mailslot/private")), 0700);
    }
    ::umask(oldMask);
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
}
