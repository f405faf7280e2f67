// The registry calls on the system's own registry: what they write is what
// the registry editor's command line (reg.exe) sees, and back.

#include "platform/registry/Registry.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace Reg;

namespace {
const QByteArray TestKey = "Software\\Orbastel\\V3721ConfTest";

QByteArray RegCommand(const QStringList &arguments)
{
    QProcess reg;
    reg.start(QStringLiteral("reg"), arguments);
    if (!reg.waitForFinished(60000))
        return "reg did not finish";
    return reg.readAllStandardOutput();
}

void DeleteTestKey()
{
    HKEY key = HKEY_NONE;
    if (OpenKeyEx(HKEY_CURRENT_USER, TestKey, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    QByteArray name;
    while (EnumKeyEx(key, 0, &name) == ERROR_SUCCESS && DeleteKey(key, name) == ERROR_SUCCESS) {
    }
    CloseKey(key);
    DeleteKey(HKEY_CURRENT_USER, TestKey);
}
} // namespace

TEST(SystemRegistry, ValueWrittenIsReadBackAndSeenByRegQuery)
{
    DeleteTestKey();
    HKEY key = HKEY_NONE;
    DWORD disposition = 0;
    ASSERT_EQ(CreateKeyEx(HKEY_CURRENT_USER, TestKey, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const QByteArray text = QByteArray("127.0.0.1:9710") + '\0';
    ASSERT_EQ(SetValueEx(key, "leKVIP_Text", REG_SZ, text.constData(), DWORD(text.size())), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    ASSERT_EQ(QueryValueEx(key, "LEKVIP_TEXT", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, DWORD(text.size()));
    QByteArray data(qsizetype(size), '\0');
    DWORD small = 3;
    EXPECT_EQ(QueryValueEx(key, "leKVIP_Text", &type, data.data(), &small), ERROR_MORE_DATA);
    EXPECT_EQ(small, DWORD(text.size()));
    ASSERT_EQ(QueryValueEx(key, "leKVIP_Text", &type, data.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(data, text);
    CloseKey(key);

    const QByteArray shown =
        RegCommand({QStringLiteral("query"), QStringLiteral("HKCU\\Software\\Orbastel\\V3721ConfTest"), QStringLiteral("/v"),
                    QStringLiteral("leKVIP_Text")});
    EXPECT_TRUE(shown.contains("REG_SZ")) << shown.constData();
    EXPECT_TRUE(shown.contains("127.0.0.1:9710")) << shown.constData();
    DeleteTestKey();
}

TEST(SystemRegistry, ValueAddedByRegIsReadAndKeysDeleteOnlyWhenEmpty)
{
    DeleteTestKey();
    RegCommand({QStringLiteral("add"), QStringLiteral("HKCU\\Software\\Orbastel\\V3721ConfTest\\Sub"), QStringLiteral("/v"),
                QStringLiteral("Count"), QStringLiteral("/t"), QStringLiteral("REG_DWORD"), QStringLiteral("/d"),
                QStringLiteral("42"), QStringLiteral("/f")});
    HKEY key = HKEY_NONE;
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, TestKey + "\\Sub", KEY_READ, &key), ERROR_SUCCESS);
    QByteArray name, data;
    DWORD type = 0;
    ASSERT_EQ(EnumValue(key, 0, &name, &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(name, "Count");
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, QByteArray("\x2a\0\0\0", 4));
    EXPECT_EQ(EnumValue(key, 1, &name, &type, &data), ERROR_NO_MORE_ITEMS);
    // A key opened for reading takes no values.
    EXPECT_EQ(SetValueEx(key, "x", REG_SZ, "", 1), ERROR_ACCESS_DENIED);
    CloseKey(key);

    EXPECT_EQ(DeleteKey(HKEY_CURRENT_USER, TestKey), ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenKeyEx(HKEY_CURRENT_USER, TestKey + "\\Missing", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    DeleteTestKey();
    EXPECT_EQ(OpenKeyEx(HKEY_CURRENT_USER, TestKey, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}
