// The profile (INI) file store and the profile file calls beneath it.

#include "platform/profile/PrivateProfile.h"
#include "settings/IniFileStore.h"

#include <QFile>
#include <gtest/gtest.h>

#ifdef Q_OS_WIN
#include <QDir>
#else
#include "platform/files/ConfigFiles.h"
#endif

namespace {
// Where a relative profile file name lives: the user's application data
// folder on Windows, the configuration folder on Linux.
QString ProfileFolder()
{
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
#else
    return ConfigDirectory();
#endif
}

QByteArray FileText(const QString &name)
{
    QFile file(ProfileFilePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(IniFileStore, QuotedTextsSurviveTheQuoteStripping)
{
    TIniFileStore store(QStringLiteral("test.ini"));
    const QByteArray texts[] = {"\"abc\"", "'abc'", "\"", "'", "\"\"", "a\"", "\"a", "'a\"",
                                " x ",     "x",     "",   "a = b", "[x]",  "\tt"};
    for (const QByteArray &text : texts) {
        store.StoreWriteText("S", "v", text);
        EXPECT_EQ(store.StoreReadText("S", "v", "<missing>"), text) << text.constData();
    }
    store.StoreWriteText("S", "v", "\"abc\"");
    EXPECT_TRUE(FileText(QStringLiteral("test.ini")).contains("v=\"\"abc\"\"\r\n"));
    store.StoreWriteText("S", "w", "'abc'");
    EXPECT_TRUE(FileText(QStringLiteral("test.ini")).contains("w=\"'abc'\"\r\n"));
    store.StoreWriteText("S", "plain", "a\"b");
    EXPECT_TRUE(FileText(QStringLiteral("test.ini")).contains("plain=a\"b\r\n"));
}

TEST(IniFileStore, NumbersFlagsSectionsAndLineBreaks)
{
    TIniFileStore store(QStringLiteral("test.ini"));
    store.WriteNumber("Main", "N", -3);
    store.WriteFlag("Main", "B", true);
    store.StoreWriteText("Main.List", "Count", "1");
    EXPECT_EQ(store.ReadNumber("main", "n", 0), -3);
    EXPECT_EQ(store.StoreReadText("MAIN", "b", {}), "1");
    store.DeleteSection("Main.List");
    EXPECT_EQ(store.StoreReadText("Main.List", "Count", "none"), "none");
    EXPECT_EQ(store.StoreReadText("Main", "N", {}), "-3");
    try {
        store.StoreWriteText("Main", "Text", "two\r\nlines");
        FAIL() << "a line break was written";
    } catch (const ESettingsError &e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'Text'");
    }
    EXPECT_FALSE(FileText(QStringLiteral("test.ini")).contains("lines"));
}

TEST(PrivateProfile, ReadsHandWrittenFiles)
{
    const QByteArray file = "; comment\n"
                            "[Main]\n"
                            "  Name  =  spaced value  \n"
                            "Quoted=\"  inside  \"\n"
                            "Single='x'\n"
                            "Odd=\"x'\n"
                            "noequals\n"
                            "[ Other ]\r\n"
                            "Name=other\r\n"
                            "[Main]\n"
                            "Late=second section of the same name\n";
    EXPECT_EQ(ProfileReadString(file, "main", "NAME", "d"), "spaced value");
    EXPECT_EQ(ProfileReadString(file, "Main", "Quoted", "d"), "  inside  ");
    EXPECT_EQ(ProfileReadString(file, "Main", "Single", "d"), "x");
    EXPECT_EQ(ProfileReadString(file, "Main", "Odd", "d"), "\"x'");
    EXPECT_EQ(ProfileReadString(file, "Other", "Name", "d"), "other");
    EXPECT_EQ(ProfileReadString(file, "Main", "Late", "d"), "d") << "the first section of a name counts";
    EXPECT_EQ(ProfileReadString(file, "Main", "noequals", "d"), "d");
    EXPECT_EQ(ProfileReadString(file, "None", "Name", "d"), "d");
}

TEST(PrivateProfile, WritesOnlyWhatChanges)
{
    const QByteArray file = "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n";
    EXPECT_EQ(ProfileWriteString(file, "a", QByteArray("X"), QByteArray("3")), "[A]\r\nx=3\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_EQ(ProfileWriteString(file, "A", QByteArray("z"), QByteArray("4")),
              "[A]\r\nx=1\r\nz=4\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_EQ(ProfileWriteString(file, "C", QByteArray("w"), QByteArray("5")),
              "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=5\r\n");
    EXPECT_EQ(ProfileWriteString(file, "B", QByteArray("y"), std::nullopt), "[A]\r\nx=1\r\n\r\n[B]\r\n");
    EXPECT_EQ(ProfileWriteString(file, "A", std::nullopt, std::nullopt), "[B]\r\ny=2\r\n");
    EXPECT_FALSE(ProfileWriteString(file, "A", QByteArray("x"), QByteArray("1")).has_value());
    EXPECT_FALSE(ProfileWriteString(file, "C", QByteArray("x"), std::nullopt).has_value());

    EXPECT_EQ(WritePrivateProfileString("S", QByteArray("k=v"), QByteArray("1"), QStringLiteral("p.ini")), 87u);
    EXPECT_EQ(WritePrivateProfileString("S]", QByteArray("k"), QByteArray("1"), QStringLiteral("p.ini")), 87u);
    EXPECT_EQ(WritePrivateProfileString("S", QByteArray("[k"), QByteArray("1"), QStringLiteral("p.ini")), 87u);
    EXPECT_EQ(WritePrivateProfileString("S", QByteArray("k"), QByteArray("1"), QStringLiteral("p.ini")), 0u);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", QStringLiteral("p.ini")), "1");
    EXPECT_EQ(ProfileFilePath(QStringLiteral("p.ini")), ProfileFolder() + QStringLiteral("/p.ini"));
    EXPECT_EQ(ProfileFilePath(QStringLiteral("/abs/p.ini")), QStringLiteral("/abs/p.ini"));
}
