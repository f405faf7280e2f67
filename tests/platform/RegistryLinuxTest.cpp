// The registry's Linux stand-in: its hive file, the locking and the
// reports of lines it skips.

#include "platform/files/ConfigFiles.h"
#include "platform/registry/Registry.h"
#include "support/Ansi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <thread>

using namespace Reg;

namespace {
const QString Tool = QStringLiteral(V3721_TOOLS_DIR "/reg-tool/reg-tool");
// A second process writing the hive: hive-writer fill|churn KEY ... (KEY below HKEY_CURRENT_USER).
const QString Writer = QStringLiteral(V3721_HIVE_WRITER);

QString Hive()
{
    return HiveFilePath(HKEY_CURRENT_USER);
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// An open key that closes itself.
struct Key {
    HKEY Handle = HKEY_NONE;
    ~Key()
    {
        if (Handle != HKEY_NONE)
            CloseKey(Handle);
    }
};

LONG SetText(HKEY key, const QByteArray &name, const QByteArray &text)
{
    const QByteArray data = text + '\0';
    return SetValueEx(key, name, REG_SZ, data.constData(), DWORD(data.size()));
}

QByteArray Text(HKEY key, const QByteArray &name)
{
    DWORD type = 0, size = 0;
    if (QueryValueEx(key, name, &type, nullptr, &size) != ERROR_SUCCESS)
        return "<missing>";
    QByteArray data(size, '\0');
    QueryValueEx(key, name, &type, data.data(), &size);
    return data.left(data.indexOf('\0'));
}

QByteArray KeyOf(const QByteArray &path)
{
    return "HKEY_CURRENT_USER\\" + path;
}

// The text as the registry editor exports it in the 5.00 format.
QByteArray Utf16Export(const QByteArray &utf8)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return "\xFF\xFE" + QByteArray(encoder.encode(QString::fromUtf8(utf8)));
}

QStringList HiveFolderEntries(const QString &pattern)
{
    return QDir(QFileInfo(Hive()).path()).entryList({pattern}, QDir::Files | QDir::Hidden);
}
} // namespace

TEST(Registry, CreatesAndOpensKeysByPath)
{
    Key created, again, opened;
    DWORD disposition = 0;
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "Software\\Orbastel\\V3721Conf", REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, &created.Handle, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\orbastel\\v3721conf\\", REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, &again.Handle, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "software\\Orbastel", KEY_READ, &opened.Handle), ERROR_SUCCESS);

    HKEY none = HKEY_NONE;
    EXPECT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software\\Missing", KEY_READ, &none), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(none, HKEY_NONE);
    EXPECT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "\\Software", KEY_READ, &none), ERROR_BAD_PATHNAME);
    EXPECT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "a\\\\b", 0, KEY_ALL_ACCESS, &none), ERROR_BAD_PATHNAME);
    EXPECT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "a\nb", 0, KEY_ALL_ACCESS, &none), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(OpenKeyEx(HKEY(12345), "", KEY_READ, &none), ERROR_INVALID_HANDLE);
    const QByteArray deep = QByteArray("k\\").repeated(MaxKeyDepth);
    Key deepest;
    EXPECT_EQ(CreateKeyEx(HKEY_CURRENT_USER, deep, 0, KEY_ALL_ACCESS, &deepest.Handle), ERROR_SUCCESS);
    EXPECT_EQ(CreateKeyEx(deepest.Handle, "one more", 0, KEY_ALL_ACCESS, &none), ERROR_INVALID_PARAMETER);

    // A key opened relative to another, and the empty path for the key itself.
    Key sub, self;
    ASSERT_EQ(CreateKeyEx(created.Handle, "MainWindow", 0,
                          KEY_ALL_ACCESS, &sub.Handle, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(OpenKeyEx(created.Handle, "", KEY_READ, &self.Handle), ERROR_SUCCESS);
    EXPECT_EQ(SetText(sub.Handle, "Name", "v"), ERROR_SUCCESS);
    Key viaPath;
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software\\Orbastel\\V3721Conf\\MainWindow", KEY_READ, &viaPath.Handle),
              ERROR_SUCCESS);
    EXPECT_EQ(Text(viaPath.Handle, "NAME"), "v");

    HKEY closeTwice = HKEY_NONE;
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, &closeTwice), ERROR_SUCCESS);
    EXPECT_EQ(CloseKey(closeTwice), ERROR_SUCCESS);
    EXPECT_EQ(CloseKey(closeTwice), ERROR_INVALID_HANDLE);
    EXPECT_EQ(CloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST(Registry, ValuesAreQueriedWithTypeAndSize)
{
    Key key;
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "Software\\T", 0, KEY_ALL_ACCESS, &key.Handle), ERROR_SUCCESS);
    const QByteArray text = A("Сервер ТМ");
    ASSERT_EQ(SetText(key.Handle, "Name", text), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    ASSERT_EQ(QueryValueEx(key.Handle, "name", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, DWORD(text.size() + 1));
    char small[4];
    size = sizeof small;
    EXPECT_EQ(QueryValueEx(key.Handle, "Name", &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, DWORD(text.size() + 1));
    QByteArray buffer(64, 'x');
    size = DWORD(buffer.size());
    ASSERT_EQ(QueryValueEx(key.Handle, "Name", &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(buffer.left(size), text + '\0');
    EXPECT_EQ(QueryValueEx(key.Handle, "Name", &type, buffer.data(), nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(QueryValueEx(key.Handle, "Other", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);

    const char dword[4] = {1, 0, 0, 0};
    ASSERT_EQ(SetValueEx(key.Handle, "", REG_DWORD, dword, 4), ERROR_SUCCESS);
    ASSERT_EQ(QueryValueEx(key.Handle, "", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(SetValueEx(key.Handle, "line\nbreak", REG_SZ, "x", 2), ERROR_INVALID_PARAMETER);

    // Overwriting keeps the first spelling of the name and the order.
    ASSERT_EQ(SetText(key.Handle, "NAME", "2"), ERROR_SUCCESS);
    QByteArray name;
    ASSERT_EQ(EnumValue(key.Handle, 0, &name, &type, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(name, "Name");
    EXPECT_EQ(Text(key.Handle, "Name"), "2");
    EXPECT_EQ(EnumValue(key.Handle, 2, &name, &type, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(DeleteValue(key.Handle, "name"), ERROR_SUCCESS);
    EXPECT_EQ(DeleteValue(key.Handle, "name"), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, AccessOfTheHandleIsEnforced)
{
    Key full, readOnly;
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "Software\\T", 0, KEY_ALL_ACCESS, &full.Handle), ERROR_SUCCESS);
    ASSERT_EQ(SetText(full.Handle, "A", "1"), ERROR_SUCCESS);
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software\\T", KEY_READ, &readOnly.Handle), ERROR_SUCCESS);
    EXPECT_EQ(SetText(readOnly.Handle, "A", "2"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(DeleteValue(readOnly.Handle, "A"), ERROR_ACCESS_DENIED);
    HKEY sub = HKEY_NONE;
    EXPECT_EQ(CreateKeyEx(readOnly.Handle, "Sub", 0, KEY_ALL_ACCESS, &sub), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Text(readOnly.Handle, "A"), "1");
    Key writeOnly;
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software\\T", KEY_SET_VALUE, &writeOnly.Handle), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(QueryValueEx(writeOnly.Handle, "A", nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
}

TEST(Registry, KeysAreListedAndDeletedLeavesFirst)
{
    Key root;
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "Software\\Tree", 0, KEY_ALL_ACCESS, &root.Handle), ERROR_SUCCESS);
    for (const char *path : {"b\\deep\\deeper", "A", "c"}) {
        Key k;
        ASSERT_EQ(CreateKeyEx(root.Handle, path, 0, KEY_ALL_ACCESS, &k.Handle), ERROR_SUCCESS);
    }
    DWORD subKeys = 0, longest = 0, values = 0;
    ASSERT_EQ(QueryInfoKey(root.Handle, &subKeys, &longest, &values, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 3u);
    EXPECT_EQ(longest, 1u);
    EXPECT_EQ(values, 0u);
    QList<QByteArray> names;
    QByteArray name;
    for (DWORD i = 0; EnumKeyEx(root.Handle, i, &name) == ERROR_SUCCESS; ++i)
        names.append(name);
    EXPECT_EQ(names, (QList<QByteArray>{"A", "b", "c"}));

    Key deep;
    ASSERT_EQ(OpenKeyEx(root.Handle, "b\\deep", KEY_ALL_ACCESS, &deep.Handle), ERROR_SUCCESS);
    EXPECT_EQ(DeleteKey(root.Handle, "b"), ERROR_ACCESS_DENIED); // still has subkeys
    EXPECT_EQ(DeleteKey(root.Handle, "b\\deep\\deeper"), ERROR_SUCCESS);
    EXPECT_EQ(DeleteKey(root.Handle, "b\\deep\\deeper"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(DeleteKey(root.Handle, "b\\deep"), ERROR_SUCCESS);
    EXPECT_EQ(DeleteKey(root.Handle, ""), ERROR_INVALID_PARAMETER);
    // A handle to a deleted key stays valid but finds nothing.
    EXPECT_EQ(SetText(deep.Handle, "x", "1"), ERROR_KEY_DELETED);
    EXPECT_EQ(EnumKeyEx(deep.Handle, 0, &name), ERROR_KEY_DELETED);
    EXPECT_EQ(EnumKeyEx(root.Handle, 3, &name), ERROR_NO_MORE_ITEMS);
}

TEST(Registry, TheHiveFileIsARegistryEditorExport)
{
    QFile::remove(Hive());
    Key key;
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "Software\\Orbastel\\V3721Conf\\MainWindow", 0, KEY_ALL_ACCESS,
                          &key.Handle),
              ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.Handle, "leTMSName_Text", A("ТМ")), ERROR_SUCCESS);
    EXPECT_EQ(FileBytes(Hive()), "REGEDIT4\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Orbastel]\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf]\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf\\MainWindow]\r\n"
                                 "\"leTMSName_Text\"=\"\xD2\xCC\"\r\n\r\n");
    // Each root has its own file.
    Key machine;
    ASSERT_EQ(CreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\X", 0, KEY_ALL_ACCESS, &machine.Handle), ERROR_SUCCESS);
    EXPECT_TRUE(FileBytes(HiveFilePath(HKEY_LOCAL_MACHINE)).contains("[HKEY_LOCAL_MACHINE\\Software\\X]"));
    EXPECT_FALSE(FileBytes(Hive()).contains("\\X]"));
    EXPECT_TRUE(Hive().endsWith(QStringLiteral("/registry/HKEY_CURRENT_USER.reg")));
    EXPECT_TRUE(Hive().startsWith(ConfigDirectory()));
}

TEST(Registry, ReadsAHiveWrittenByHand)
{
    WriteFile(Hive(), "REGEDIT4\n\n"
                      "; settings by hand\n"
                      "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf\\MainWindow]\n"
                      "\"leKVIP_Text\"=\"10.0.0.5:971\"\n"
                      "\"leTMSName_Text\"=\"" + A("Сервер") + "\"\n"
                      "\"FormVersion\"=dword:00000001\n");
    Key key;
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software\\Orbastel\\V3721Conf\\MainWindow", KEY_READ, &key.Handle),
              ERROR_SUCCESS);
    EXPECT_EQ(Text(key.Handle, "leKVIP_Text"), "10.0.0.5:971");
    EXPECT_EQ(Text(key.Handle, "leTMSName_Text"), A("Сервер"));
    DWORD type = 0;
    ASSERT_EQ(QueryValueEx(key.Handle, "FormVersion", &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
}

TEST(Registry, AMalformedHiveIsKeptAsideAndReported)
{
    // Text that does not decode on its third line.
    const QByteArray damaged = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Software]\r\n"
                               "\"a\"=\"unterminated \xFF\r\n";
    WriteFile(Hive(), damaged);
    QList<QByteArray> reports;
    const THiveProblemHandler previous = SetHiveProblemHandler([&](const QByteArray &r) { reports.append(r); });

    HKEY key = HKEY_NONE;
    EXPECT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, &key), ERROR_REGISTRY_CORRUPT);
    EXPECT_TRUE(reports.isEmpty()); // reading changes nothing
    EXPECT_EQ(FileBytes(Hive()), damaged);

    Key created;
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "Software\\New", 0, KEY_ALL_ACCESS, &created.Handle), ERROR_SUCCESS);
    ASSERT_EQ(SetText(created.Handle, "v", "1"), ERROR_SUCCESS);
    SetHiveProblemHandler(previous);

    ASSERT_EQ(reports.size(), 1);
    const QStringList aside = QDir(QFileInfo(Hive()).path())
                                  .entryList({QStringLiteral("HKEY_CURRENT_USER.reg.bad-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(reports[0].contains(ToAnsi(aside[0])));
    EXPECT_TRUE(reports[0].contains(A("(строка 3)"))) << FromAnsi(reports[0]).toStdString();
    EXPECT_EQ(FileBytes(QFileInfo(Hive()).path() + QLatin1Char('/') + aside[0]), damaged);
    EXPECT_EQ(Text(created.Handle, "v"), "1");
    EXPECT_FALSE(FileBytes(Hive()).contains("unterminated"));
}

TEST(Registry, AnUnreadableHiveIsNotTouched)
{
    // A folder where the hive should be: nothing can read or replace it.
    QFile::remove(Hive());
    ASSERT_TRUE(QDir().mkpath(Hive()));
    WriteFile(Hive() + QStringLiteral("/keep"), "x");
    HKEY key = HKEY_NONE;
    EXPECT_NE(OpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_NE(CreateKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(FileBytes(Hive() + QStringLiteral("/keep")), "x");
    QDir(Hive()).removeRecursively();
}

TEST(Registry, ChangesOfAnotherProcessAreSeenAtOnce)
{
    Key key;
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "Software\\Shared", 0, KEY_ALL_ACCESS, &key.Handle), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.Handle, "Mine", "1"), ERROR_SUCCESS);
    ASSERT_EQ(QProcess::execute(Tool, {QStringLiteral("set"), QString::fromLatin1(KeyOf("Software\\Shared")),
                                       QStringLiteral("Theirs"), QStringLiteral("2")}),
              0);
    EXPECT_EQ(Text(key.Handle, "Theirs"), "2");
    EXPECT_EQ(Text(key.Handle, "Mine"), "1");
}

TEST(Registry, ProcessesWritingAtOnceLoseNothing)
{
    const int count = 150;
    const QString key = QStringLiteral("Software\\Race");
    QProcess first, second;
    first.start(Writer, {QStringLiteral("fill"), key, QStringLiteral("A"), QString::number(count)});
    second.start(Writer, {QStringLiteral("fill"), key, QStringLiteral("B"), QString::number(count)});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(second.waitForStarted());
    // This process writes too, from a thread of its own.
    std::thread third([&] {
        HKEY k = HKEY_NONE;
        if (CreateKeyEx(HKEY_CURRENT_USER, "Software\\Race", 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
            return;
        for (int i = 0; i < count; ++i)
            SetText(k, "C" + QByteArray::number(i), QByteArray::number(i));
        CloseKey(k);
    });
    third.join();
    ASSERT_TRUE(first.waitForFinished(60000));
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().constData();

    Key race;
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software\\Race", KEY_READ, &race.Handle), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(QueryInfoKey(race.Handle, nullptr, nullptr, &values, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(values, DWORD(3 * count));
    for (const char *prefix : {"A", "B", "C"})
        for (int i = 0; i < count; i += 7)
            EXPECT_EQ(Text(race.Handle, prefix + QByteArray::number(i)), QByteArray::number(i));
    EXPECT_TRUE(ParseHive(FileBytes(Hive()), "HKEY_CURRENT_USER").Ok);
}

TEST(Registry, AWriterKilledAtAnyInstantLeavesTheOldOrTheNewHive)
{
    Key key;
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, "Software\\Crash", 0, KEY_ALL_ACCESS, &key.Handle), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.Handle, "Stable", "kept"), ERROR_SUCCESS);
    const int size = 200000;
    const int kills = 25;
    int interrupted = 0; // kills that left a half-written temporary file
    for (int round = 0; round < kills; ++round) {
        QProcess writer;
        writer.start(Writer, {QStringLiteral("churn"), QStringLiteral("Software\\Crash"), QStringLiteral("Big"),
                              QString::number(size)});
        ASSERT_TRUE(writer.waitForStarted());
        ASSERT_TRUE(writer.waitForReadyRead(10000)); // at least one write done
        QThread::usleep(QRandomGenerator::global()->bounded(20000));
        ::kill(pid_t(writer.processId()), SIGKILL);
        ASSERT_TRUE(writer.waitForFinished(10000));
        if (!HiveFolderEntries(QStringLiteral("HKEY_CURRENT_USER.reg.new-*")).isEmpty())
            ++interrupted;

        const THiveParseResult hive = ParseHive(FileBytes(Hive()), "HKEY_CURRENT_USER");
        ASSERT_TRUE(hive.Ok) << "round " << round << ": line " << hive.ErrorLine << " " << hive.Error.constData();
        EXPECT_EQ(Text(key.Handle, "Stable"), "kept");
        const QByteArray big = Text(key.Handle, "Big");
        ASSERT_EQ(big.size(), size) << "round " << round;
        EXPECT_EQ(big.count(big[0]), size) << "round " << round; // one whole version
    }
    // The next write clears away what the killed writers left.
    ASSERT_EQ(SetText(key.Handle, "Stable", "kept"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.Handle, "Big", "done"), ERROR_SUCCESS);
    EXPECT_EQ(HiveFolderEntries(QStringLiteral("HKEY_CURRENT_USER.reg.new*")), QStringList());
    RecordProperty("KillsDuringAWrite", interrupted);
    std::printf("kills that interrupted a write: %d of %d\n", interrupted, kills);
}


TEST(Registry, AHandEditedHiveIsReadWholeAndWrittenBackWithEverythingInIt)
{
    const QByteArray edited = "REGEDIT4\r\n"
                              "; settings of the board configurator\r\n"
                              "\r\n"
                              "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
                              "\"Kept\"=\"as it is\"\r\n"
                              "\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Edited\\]\r\r\n"
                              "\"Gateway\"=\"10.0.0.5:971\" ; the plant's gateway\r\n"
                              "\"Semicolon\"=\"a;b\"\r\n"
                              "typed by mistake\r\n"
                              "\"Blob\"=hex:01,\\\r\n"
                              "\r\n"
                              "  ; inside the list\r\n"
                              "  02\r\n";
    WriteFile(Hive(), edited);
    const QStringList aside = HiveFolderEntries(QStringLiteral("*.bad-*"));
    QList<QByteArray> reports;
    const THiveProblemHandler previous = SetHiveProblemHandler([&](const QByteArray &r) { reports.append(r); });

    Key key;
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software\\Edited", KEY_ALL_ACCESS, &key.Handle), ERROR_SUCCESS);
    EXPECT_EQ(Text(key.Handle, "Gateway"), "10.0.0.5:971");
    EXPECT_EQ(Text(key.Handle, "Semicolon"), "a;b");
    DWORD type = 0, size = 4;
    char blob[4] = {};
    ASSERT_EQ(QueryValueEx(key.Handle, "Blob", &type, blob, &size), ERROR_SUCCESS);
    EXPECT_EQ(QByteArray(blob, int(size)), "\x01\x02");
    // The operator hears of the skipped line once, not at every access.
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(A("строку 10"))) << FromAnsi(reports[0]).toStdString();

    ASSERT_EQ(SetText(key.Handle, "Gateway", "10.0.0.6:971"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.Handle, "Added", "1"), ERROR_SUCCESS);
    EXPECT_EQ(reports.size(), 1);
    EXPECT_EQ(FileBytes(Hive()), "REGEDIT4\r\n"
                                 "; settings of the board configurator\r\n"
                                 "\r\n"
                                 "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
                                 "\"Kept\"=\"as it is\"\r\n"
                                 "\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Edited\\]\r\n"
                                 "\"Gateway\"=\"10.0.0.6:971\" ; the plant's gateway\r\n"
                                 "\"Semicolon\"=\"a;b\"\r\n"
                                 "typed by mistake\r\n"
                                 "\"Blob\"=hex:01,\\\r\n"
                                 "\r\n"
                                 "  ; inside the list\r\n"
                                 "  02\r\n"
                                 "\"Added\"=\"1\"\r\n");
    EXPECT_EQ(HiveFolderEntries(QStringLiteral("*.bad-*")), aside);

    // A line spoilt later is reported again, with its own number.
    QByteArray spoilt = FileBytes(Hive());
    spoilt.replace("\"Semicolon\"=\"a;b\"", "\"Semicolon\"=\"a;b");
    WriteFile(Hive(), spoilt);
    EXPECT_EQ(Text(key.Handle, "Gateway"), "10.0.0.6:971");
    SetHiveProblemHandler(previous);
    ASSERT_EQ(reports.size(), 2);
    EXPECT_TRUE(reports[1].contains(A("строки 9, 10"))) << FromAnsi(reports[1]).toStdString();
}

TEST(Registry, AVersion5HiveIsReadAndWrittenBackInItsOwnFormat)
{
    WriteFile(Hive(), Utf16Export("Windows Registry Editor Version 5.00\r\n"
                                  "\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Wide]\r\n"
                                  "\"Name\"=\"Сервер ТМ\"\r\n"
                                  "\"Other\"=\"中文 ✓\"\r\n"
                                  "\"Lines\"=\"one\\ntwo\"\r\n"
                                  "\r\n"));
    Key key;
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software\\Wide", KEY_ALL_ACCESS, &key.Handle), ERROR_SUCCESS);
    EXPECT_EQ(Text(key.Handle, "Name"), A("Сервер ТМ"));
    EXPECT_EQ(Text(key.Handle, "Lines"), "one\ntwo");
    ASSERT_EQ(SetText(key.Handle, "Name", A("Сервер")), ERROR_SUCCESS);
    EXPECT_EQ(FileBytes(Hive()), Utf16Export("Windows Registry Editor Version 5.00\r\n"
                                             "\r\n"
                                             "[HKEY_CURRENT_USER\\Software\\Wide]\r\n"
                                             "\"Name\"=\"Сервер\"\r\n"
                                             "\"Other\"=\"中文 ✓\"\r\n"
                                             "\"Lines\"=\"one\\ntwo\"\r\n"
                                             "\r\n"));

    // UTF-8 is read as well, and written back as the editor writes 5.00.
    WriteFile(Hive(), "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Wide]\n"
                      "\"Name\"=\"Сервер\"\n");
    ASSERT_EQ(SetText(key.Handle, "Added", "1"), ERROR_SUCCESS);
    EXPECT_EQ(Text(key.Handle, "Name"), A("Сервер"));
    EXPECT_EQ(FileBytes(Hive()), Utf16Export("Windows Registry Editor Version 5.00\r\n"
                                             "[HKEY_CURRENT_USER\\Software\\Wide]\r\n"
                                             "\"Name\"=\"Сервер\"\r\n"
                                             "\"Added\"=\"1\"\r\n"));
}

TEST(Registry, WritersRacingOnAMalformedHiveLoseNothing)
{
    // Each round: a hive that must be kept aside, and eight processes that
    // each set a value of their own at once. While the lock was held on the
    // hive itself, values went missing and writers failed with 1013 in most
    // of these rounds.
    const int rounds = 30, writers = 8;
    const QStringList asideBefore = HiveFolderEntries(QStringLiteral("HKEY_CURRENT_USER.reg.bad-*"));
    for (int round = 0; round < rounds; ++round) {
        WriteFile(Hive(), "this is not a hive\r\n");
        const QString key = QString::fromLatin1(KeyOf("Software\\Race" + QByteArray::number(round)));
        std::vector<std::unique_ptr<QProcess>> tools;
        for (int i = 0; i < writers; ++i) {
            tools.push_back(std::make_unique<QProcess>());
            tools.back()->start(Tool, {QStringLiteral("set"), key, QStringLiteral("V%1").arg(i), QString::number(i)});
        }
        for (auto &tool : tools) {
            ASSERT_TRUE(tool->waitForFinished(60000));
            EXPECT_EQ(tool->exitCode(), 0) << "round " << round << ": " << tool->readAllStandardError().constData();
        }
        Key race;
        ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "Software\\Race" + QByteArray::number(round), KEY_READ, &race.Handle),
                  ERROR_SUCCESS)
            << "round " << round;
        for (int i = 0; i < writers; ++i)
            EXPECT_EQ(Text(race.Handle, "V" + QByteArray::number(i)), QByteArray::number(i)) << "round " << round;
    }
    // The hive was kept aside once a round, and no writer left a file behind.
    EXPECT_EQ(HiveFolderEntries(QStringLiteral("HKEY_CURRENT_USER.reg.bad-*")).size(), asideBefore.size() + rounds);
    EXPECT_EQ(HiveFolderEntries(QStringLiteral("HKEY_CURRENT_USER.reg.new*")), QStringList());
}
