// reg-tool on the test's own settings hive: root keys by name or
// abbreviation, value types by name, failures in words.

#include "platform/registry/Registry.h"
#include "settings/RegistryValues.h"
#include "support/Ansi.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>

using namespace Reg;

namespace {
ToolRun RegTool(const QStringList &arguments)
{
    return RunTool(ToolPaths::RegTool, arguments);
}
} // namespace

TEST(RegTool, RootKeysAreTakenByNameOrAbbreviation)
{
    struct Root {
        QString Abbreviation;
        QString Name;
        HKEY Key;
    };
    const Root roots[] = {{QStringLiteral("HKCU"), QStringLiteral("HKEY_CURRENT_USER"), HKEY_CURRENT_USER},
                          {QStringLiteral("HKLM"), QStringLiteral("HKEY_LOCAL_MACHINE"), HKEY_LOCAL_MACHINE},
                          {QStringLiteral("HKCR"), QStringLiteral("HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT},
                          {QStringLiteral("HKU"), QStringLiteral("HKEY_USERS"), HKEY_USERS},
                          {QStringLiteral("hkcc"), QStringLiteral("HKEY_CURRENT_CONFIG"), HKEY_CURRENT_CONFIG}};
    for (const Root &root : roots) {
        SCOPED_TRACE(root.Name.toStdString());
        const ToolRun set = RegTool({QStringLiteral("set"), root.Abbreviation + QStringLiteral("\\Software\\Short"),
                                     QStringLiteral("Value"), root.Abbreviation});
        ASSERT_EQ(set.Status, 0) << set.Err.constData();
        // The value is in that root key's hive, found by its full name too.
        HKEY key = HKEY_NONE;
        ASSERT_EQ(OpenKeyEx(root.Key, "Software\\Short", KEY_READ, &key), ERROR_SUCCESS);
        CloseKey(key);
        const ToolRun query = RegTool({QStringLiteral("query"), root.Name + QStringLiteral("\\Software\\Short")});
        EXPECT_EQ(query.Status, 0) << query.Err.constData();
        EXPECT_EQ(query.Out, "Value\tREG_SZ\t" + root.Abbreviation.toLatin1() + '\n');
        EXPECT_EQ(RegTool({QStringLiteral("delete"), root.Abbreviation + QStringLiteral("\\Software\\Short")}).Status, 0);
    }
}

TEST(RegTool, QueryShowsEachValueWithItsTypeByNameThenTheSubkeys)
{
    const QByteArray path = "Software\\Typed";
    RegistryValues::Set(path, "Text", A("Сервер ТМ"));
    RegistryValues::SetRaw(path, "Count", REG_DWORD, QByteArray("\x2a\x00\x00\x00", 4));
    RegistryValues::SetRaw(path, "Blob", REG_BINARY, QByteArray("\x01\x02\xff", 3));
    RegistryValues::SetRaw(path, "Path", REG_EXPAND_SZ, QByteArray("%TEMP%\\x\0", 10));
    RegistryValues::SetRaw(path, "List", REG_MULTI_SZ, QByteArray("one\0two\0\0", 9));
    RegistryValues::SetRaw(path, "Big", REG_QWORD, QByteArray("\x01\x00\x00\x00\x01\x00\x00\x00", 8));
    RegistryValues::SetRaw(path, "Nothing", REG_NONE, QByteArray());
    RegistryValues::SetRaw(path, "", REG_SZ, QByteArray("default\0", 8));
    RegistryValues::Set(path + "\\Sub\\Deeper", "v", "1");
    RegistryValues::Set(path + A("\\Под"), "v", "1");

    const ToolRun all = RegTool({QStringLiteral("query"), QStringLiteral("HKCU\\Software\\Typed")});
    EXPECT_EQ(all.Status, 0) << all.Err.constData();
    EXPECT_EQ(QString::fromLocal8Bit(all.Out), QStringLiteral("Text\tREG_SZ\tСервер ТМ\n"
                                                              "Count\tREG_DWORD\t0x0000002a (42)\n"
                                                              "Blob\tREG_BINARY\t01 02 ff\n"
                                                              "Path\tREG_EXPAND_SZ\t%TEMP%\\x\n"
                                                              "List\tREG_MULTI_SZ\tone\\0two\n"
                                                              "Big\tREG_QWORD\t0x0000000100000001 (4294967297)\n"
                                                              "Nothing\tREG_NONE\t\n"
                                                              "@\tREG_SZ\tdefault\n"
                                                              "HKEY_CURRENT_USER\\Software\\Typed\\Sub\n"
                                                              "HKEY_CURRENT_USER\\Software\\Typed\\Под\n"));
    const ToolRun one = RegTool({QStringLiteral("query"), QStringLiteral("HKCU\\Software\\Typed"), QStringLiteral("count")});
    EXPECT_EQ(one.Status, 0);
    EXPECT_EQ(one.Out, "Count\tREG_DWORD\t0x0000002a (42)\n");
    EXPECT_EQ(RegTool({QStringLiteral("query"), QStringLiteral("hkcu\\")}).Out, "HKEY_CURRENT_USER\\Software\n");
}

TEST(RegTool, AMissingKeyOrValueIsSaidInWords)
{
    RegistryValues::Set("Software\\Present", "Here", "1");
    const ToolRun key = RegTool({QStringLiteral("query"), QStringLiteral("HKCU\\Software\\Absent")});
    EXPECT_EQ(key.Status, 1);
    EXPECT_EQ(key.Out, QByteArray());
    EXPECT_EQ(key.Err, "reg-tool: HKCU\\Software\\Absent: no such key (error 2)\n");

    const ToolRun value =
        RegTool({QStringLiteral("query"), QStringLiteral("HKCU\\Software\\Present"), QStringLiteral("Gone")});
    EXPECT_EQ(value.Status, 1);
    EXPECT_EQ(value.Out, QByteArray());
    EXPECT_EQ(value.Err, "reg-tool: HKCU\\Software\\Present Gone: no such value (error 2)\n");
}

TEST(RegTool, DeleteRemovesTheKeyTreeAndReportsSuccess)
{
    for (const char *path : {"Software\\Doomed\\A\\B", "Software\\Doomed\\C", "Software\\Kept"})
        RegistryValues::Set(path, "v", "1");
    RegistryValues::Set("", "AtTheRoot", "1");
    const auto run = [](const QByteArray &key) {
        const ToolRun tool = RegTool({QStringLiteral("delete"), QString::fromLatin1(key)});
        return std::pair{tool.Status, tool.Err.toStdString()};
    };
    const auto doomed = run("HKEY_CURRENT_USER\\Software\\Doomed");
    EXPECT_EQ(doomed.first, 0);
    EXPECT_EQ(doomed.second, "");
    EXPECT_FALSE(RegistryValues::KeyExists("Software\\Doomed"));
    EXPECT_EQ(RegistryValues::Get("Software\\Kept", "v"), "1");

    const auto missing = run("HKEY_CURRENT_USER\\Software\\Doomed");
    EXPECT_EQ(missing.first, 1);
    EXPECT_EQ(missing.second, "reg-tool: HKEY_CURRENT_USER\\Software\\Doomed: no such key (error 2)\n");

    // A root key cannot go: deleting it empties it, as RegDeleteTree does.
    const auto all = run("HKEY_CURRENT_USER");
    EXPECT_EQ(all.first, 0);
    EXPECT_EQ(all.second, "");
    HKEY root = HKEY_NONE;
    ASSERT_EQ(OpenKeyEx(HKEY_CURRENT_USER, "", KEY_READ, &root), ERROR_SUCCESS);
    DWORD subKeys = 1, values = 1;
    ASSERT_EQ(QueryInfoKey(root, &subKeys, nullptr, &values, nullptr, nullptr), ERROR_SUCCESS);
    CloseKey(root);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(values, 0u);
}
