#include "platform/mailslot/Mailslot.h"
#include "support/Ansi.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <QElapsedTimer>
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

TEST(Mailslot, MessageRoundTripKeepsEveryByte)
{
    TMailslotServer server;
    ASSERT_EQ(server.Create("\\\\.\\mailslot\\Round\\Trip.ms"), MailslotError::Success);
    const QFileInfo folder(QFileInfo(server.SocketPath()).absolutePath());
    EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);

    TMailslotClient client;
    ASSERT_EQ(client.Open("\\\\.\\MAILSLOT\\round\\TRIP.MS"), MailslotError::Success);
    const QByteArray message = QByteArray("a`b\r\n\xCF\xF3\r\n") + '\0';
    EXPECT_EQ(client.Write(message), MailslotError::Success);
    EXPECT_EQ(client.Write(QByteArray(5000, 'x')), MailslotError::Success);
    EXPECT_EQ(server.Read(1000), message);
    EXPECT_EQ(server.Read(1000), QByteArray(5000, 'x'));
    EXPECT_FALSE(server.Read(10).has_value());
}

// The mode bits of a file, or -1 when it cannot be read.
int ModeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

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

TEST(Mailslot, CyrillicNamesAreDistinctButFoldCase)
{
    // Each TM server has a mailslot of its own, whatever its letters ...
    TMailslotServer upper;
    ASSERT_EQ(upper.Create(A("\\\\.\\mailslot\\ТМС.ms")), MailslotError::Success);
    TMailslotServer other;
    ASSERT_EQ(other.Create(A("\\\\.\\mailslot\\АБВ.ms")), MailslotError::Success);
    TMailslotServer yo;
    ASSERT_EQ(yo.Create(A("\\\\.\\mailslot\\Ёлка.ms")), MailslotError::Success);
    EXPECT_NE(upper.SocketPath(), other.SocketPath());
    // ... while the letter case of a name does not matter, as on Windows.
    TMailslotServer lower;
    EXPECT_EQ(lower.Create(A("\\\\.\\mailslot\\тмс.ms")), MailslotError::AlreadyExists);

    const auto send = [](const char *name, const QByteArray &message) {
        TMailslotClient client;
        const uint32_t error = client.Open(A("\\\\.\\mailslot\\") + A(name) + ".ms");
        return error == MailslotError::Success ? client.Write(message) : error;
    };
    EXPECT_EQ(send("тмс", "to ТМС"), MailslotError::Success);
    EXPECT_EQ(send("АБВ", "to АБВ"), MailslotError::Success);
    EXPECT_EQ(send("ЁЛКА", "to Ёлка"), MailslotError::Success);
    EXPECT_EQ(send("ГДЕ", "nobody"), MailslotError::FileNotFound);
    EXPECT_EQ(upper.Read(1000), QByteArray("to ТМС"));
    EXPECT_EQ(other.Read(1000), QByteArray("to АБВ"));
    EXPECT_EQ(yo.Read(1000), QByteArray("to Ёлка"));
    EXPECT_FALSE(upper.Read(0).has_value());
    EXPECT_FALSE(other.Read(0).has_value());
}

TEST(Mailslot, MissingMailslotIsErrorTwo)
{
    TMailslotClient client;
    EXPECT_EQ(client.Open("\\\\.\\mailslot\\nobody.ms"), MailslotError::FileNotFound);

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

TEST(Mailslot, SecondReceiverIsRefusedWhileTheFirstRuns)
{
    TMailslotServer first;
    ASSERT_EQ(first.Create("\\\\.\\mailslot\\owned.ms"), MailslotError::Success);
    TMailslotServer second;
    EXPECT_EQ(second.Create("\\\\.\\mailslot\\owned.ms"), MailslotError::AlreadyExists);
    first.Close();
    EXPECT_FALSE(QFileInfo::exists(MailslotDirectory() + QStringLiteral("/owned.ms")));
    EXPECT_EQ(second.Create("\\\\.\\mailslot\\owned.ms"), MailslotError::Success);
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
