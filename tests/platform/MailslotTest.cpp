// The mailslot's behaviour on every system: messages whole, names that
// ignore letter case, error 2 for a missing one, one receiver at a time.

#include "platform/mailslot/Mailslot.h"
#include "support/Ansi.h"

#include <gtest/gtest.h>



TEST(Mailslot, MessageRoundTripKeepsEveryByte)
{
    TMailslotServer server;
    ASSERT_EQ(server.Create("\\\\.\\mailslot\\Round\\Trip.ms"), MailslotError::Success);

    TMailslotClient client;
    ASSERT_EQ(client.Open("\\\\.\\MAILSLOT\\round\\TRIP.MS"), MailslotError::Success);
    const QByteArray message = QByteArray("a`b\r\n\xCF\xF3\r\n") + '\0';
    EXPECT_EQ(client.Write(message), MailslotError::Success);
    EXPECT_EQ(client.Write(QByteArray(5000, 'x')), MailslotError::Success);
    EXPECT_EQ(server.Read(1000), message);
    EXPECT_EQ(server.Read(1000), QByteArray(5000, 'x'));
    EXPECT_FALSE(server.Read(10).has_value());
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
}

TEST(Mailslot, SecondReceiverIsRefusedWhileTheFirstRuns)
{
    TMailslotServer first;
    ASSERT_EQ(first.Create("\\\\.\\mailslot\\owned.ms"), MailslotError::Success);
    TMailslotServer second;
    EXPECT_EQ(second.Create("\\\\.\\mailslot\\owned.ms"), MailslotError::AlreadyExists);
    first.Close();
    EXPECT_EQ(second.Create("\\\\.\\mailslot\\owned.ms"), MailslotError::Success);
}

