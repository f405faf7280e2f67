#include "platform/registry/Hive.h"
#include "support/Ansi.h"

#include <QList>
#include <gtest/gtest.h>

namespace {
const QByteArray Root = "HKEY_CURRENT_USER";

QByteArray Sz(const QByteArray &text)
{
    return text + '\0';
}

THiveParseResult Parse(const QByteArray &text)
{
    return ParseHive(text, Root);
}
} // namespace

TEST(Hive, LoadsAHiveWrittenByHand)
{
    // LF line ends, comments, blanks around '=', a key whose parents have no
    // section, a repeated section, hex continued over lines, cp1251 text.
    const QByteArray text = "REGEDIT4\n"
                            "; written by hand\n"
                            "\n"
                            "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf\\MainWindow]\n"
                            "\"leKVIP_Text\"=\"10.0.0.5:971\"\n"
                            "\"Quoted\" = \"say \\\"hi\\\" C:\\\\dir\\\\\"\n"
                            "@=\"default\"\n"
                            "\"Count\"=dword:0000002A\n"
                            "\"Path\"=hex(2):25,54,45,4d,\\\n"
                            "  50,25,00\n"
                            "\"Blob\"=hex:\n"
                            "[hkey_current_user\\software\\orbastel\\v3721conf\\mainwindow]\n"
                            "\"leTMSName_Text\"=\"" + A("Сервер") + "\"\n"
                            "\"Lone\"=\"C:\\Temp\"\n";
    const THiveParseResult result = Parse(text);
    ASSERT_TRUE(result.Ok) << result.ErrorLine << ": " << result.Error.constData();
    const THiveKey *software = result.Root.FindSubKey("SOFTWARE");
    ASSERT_NE(software, nullptr);
    EXPECT_EQ(software->Name, "Software"); // the case it was created with
    const THiveKey *key = software->FindSubKey("Orbastel")->FindSubKey("V3721Conf")->FindSubKey("MainWindow");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->Values.size(), 8u);
    EXPECT_EQ(key->Values[0], (THiveValue{"leKVIP_Text", Reg::REG_SZ, Sz("10.0.0.5:971")}));
    EXPECT_EQ(key->FindValue("quoted")->Data, Sz("say \"hi\" C:\\dir\\"));
    EXPECT_EQ(key->FindValue("")->Data, Sz("default"));
    EXPECT_EQ(key->FindValue("Count")->Type, Reg::REG_DWORD);
    EXPECT_EQ(key->FindValue("Count")->Data, QByteArray("\x2a\0\0\0", 4));
    EXPECT_EQ(*key->FindValue("Path"), (THiveValue{"Path", Reg::REG_EXPAND_SZ, Sz("%TEMP%")}));
    EXPECT_EQ(*key->FindValue("Blob"), (THiveValue{"Blob", Reg::REG_BINARY, {}}));
    EXPECT_EQ(key->FindValue("leTMSName_Text")->Data, Sz(A("Сервер")));
    EXPECT_EQ(key->FindValue("Lone")->Data, Sz("C:\\Temp"));
}

TEST(Hive, WritesTheRegistryEditorsExportForm)
{
    THiveKey root;
    THiveKey &key = root.AddSubKey("Software").AddSubKey("Orbastel").AddSubKey("V3721Conf");
    THiveKey &window = key.AddSubKey("MainWindow");
    window.SetValue("FormVersion", Reg::REG_SZ, Sz("0"));
    window.SetValue("leTMSName_Text", Reg::REG_SZ, Sz(A("ТМ \"1\" \\")));
    window.SetValue("", Reg::REG_DWORD, QByteArray("\x01\x02\x03\x04", 4));
    window.SetValue("Multi", Reg::REG_MULTI_SZ, QByteArray("a\0b\0\0", 5));
    window.SetValue("Line", Reg::REG_SZ, Sz("two\r\nlines"));
    key.AddSubKey("Alpha");
    const QByteArray expected = "REGEDIT4\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software]\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Orbastel]\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf]\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf\\Alpha]\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf\\MainWindow]\r\n"
                                "\"FormVersion\"=\"0\"\r\n"
                                "\"leTMSName_Text\"=\"" + A("ТМ") + " \\\"1\\\" \\\\\"\r\n"
                                "@=dword:04030201\r\n"
                                "\"Multi\"=hex(7):61,00,62,00,00\r\n"
                                "\"Line\"=hex(1):74,77,6f,0d,0a,6c,69,6e,65,73,00\r\n"
                                "\r\n";
    EXPECT_EQ(FormatHive(root, Root), expected);
}

TEST(Hive, EveryValueSurvivesWritingAndReading)
{
    THiveKey root;
    root.Name = Root;
    THiveKey &key = root.AddSubKey(A("Ключ [1]")).AddSubKey("Sub");
    QByteArray everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte.append(char(i));
    key.SetValue("AllBytes", Reg::REG_SZ, everyByte);
    key.SetValue("NoTerminator", Reg::REG_SZ, "abc");
    key.SetValue("Empty", Reg::REG_SZ, {});
    key.SetValue("EmptyText", Reg::REG_SZ, Sz({}));
    key.SetValue("Name \"q\" \\", Reg::REG_SZ, Sz("a\tb"));
    key.SetValue("Long", Reg::REG_BINARY, everyByte.repeated(4));
    key.SetValue("Short dword", Reg::REG_DWORD, "\x01\x02");
    key.SetValue("Qword", Reg::REG_QWORD, QByteArray(8, '\xff'));
    key.SetValue("Type", 0x12345678u, "x");
    root.AddSubKey("Empty key");

    const QByteArray text = FormatHive(root, Root);
    const THiveParseResult result = Parse(text);
    ASSERT_TRUE(result.Ok) << result.ErrorLine << ": " << result.Error.constData();
    EXPECT_EQ(result.Root, root);
    // Long hex lists are wrapped the way the registry editor wraps them.
    for (const QByteArray &line : text.split('\n'))
        EXPECT_LE(line.size(), 81);
    EXPECT_EQ(FormatHive(result.Root, Root), text);
}

TEST(Hive, ImportDeletionsApply)
{
    const THiveParseResult result = Parse("REGEDIT4\r\n"
                                          "[HKEY_CURRENT_USER\\A\\B]\r\n\"x\"=\"1\"\r\n\"y\"=\"2\"\r\n"
                                          "[HKEY_CURRENT_USER\\A\\C]\r\n"
                                          "[HKEY_CURRENT_USER\\A\\B]\r\n\"x\"=-\r\n"
                                          "[-HKEY_CURRENT_USER\\A\\C]\r\n\"ignored\"=\"z\"\r\n"
                                          "[-HKEY_CURRENT_USER\\Missing\\Key]\r\n");
    ASSERT_TRUE(result.Ok) << result.Error.constData();
    const THiveKey *a = result.Root.FindSubKey("A");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->SubKeys.size(), 1u);
    EXPECT_EQ(a->SubKeys[0].Values, (std::vector<THiveValue>{{"y", Reg::REG_SZ, Sz("2")}}));
}

TEST(Hive, MalformedTextIsReportedWithItsLine)
{
    struct Case {
        const char *name;
        QByteArray text;
        int line;
    };
    const QByteArray head = "REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n";
    const Case cases[] = {
        {"no header", "[HKEY_CURRENT_USER\\K]\r\n", 1},
        {"blank only", "  \r\n\r\n", 1},
        {"unicode export", "Windows Registry Editor Version 5.00\r\n", 1},
        {"other root", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n", 2},
        {"empty key name", "REGEDIT4\r\n[HKEY_CURRENT_USER\\a\\\\b]\r\n", 2},
        {"no closing bracket", "REGEDIT4\r\n[HKEY_CURRENT_USER\\K\r\n", 2},
        {"value outside key", "REGEDIT4\r\n\"a\"=\"b\"\r\n", 2},
        {"unterminated text", head + "\"a\"=\"b\r\n", 3},
        {"unterminated name", head + "\"a=\"b\"\r\n", 3},
        {"junk after text", head + "\"a\"=\"b\" c\r\n", 3},
        {"no equals", head + "\"a\" \"b\"\r\n", 3},
        {"long dword", head + "\"a\"=dword:123456789\r\n", 3},
        {"bad dword", head + "\"a\"=dword:12g4\r\n", 3},
        {"bad hex byte", head + "\"a\"=hex:01,zz\r\n", 3},
        {"three-digit byte", head + "\"a\"=hex:100\r\n", 3},
        {"bad hex type", head + "\"a\"=hex(q):01\r\n", 3},
        {"unknown type", head + "\"a\"=qword:01\r\n", 3},
        {"continuation at end", head + "\"a\"=hex:01,\\\r\n", 3},
        {"stray text", head + "garbage\r\n", 3},
        {"NUL byte", head + QByteArray("\"a\"=\"b\0\"\r\n", 10), 3},
        {"lone CR", head + "\"a\"=\"b\rc\"\r\n", 3},
        {"deleting the root", "REGEDIT4\r\n[-HKEY_CURRENT_USER]\r\n", 2},
        {"too deep", "REGEDIT4\r\n[HKEY_CURRENT_USER" + QByteArray("\\k").repeated(MaxKeyDepth + 1) + "]\r\n", 2},
    };
    for (const Case &c : cases) {
        const THiveParseResult result = Parse(c.text);
        EXPECT_FALSE(result.Ok) << c.name;
        EXPECT_EQ(result.ErrorLine, c.line) << c.name;
        EXPECT_FALSE(result.Error.isEmpty()) << c.name;
    }
    EXPECT_TRUE(Parse({}).Ok);
}

TEST(Hive, NamesCompareWithoutLetterCaseAndSubkeysStaySorted)
{
    THiveKey root;
    bool created = false;
    root.AddSubKey("beta", &created);
    EXPECT_TRUE(created);
    root.AddSubKey(A("Альфа"));
    root.AddSubKey("Alpha");
    root.AddSubKey("BETA", &created);
    EXPECT_FALSE(created);
    ASSERT_EQ(root.SubKeys.size(), 3u);
    EXPECT_EQ(root.SubKeys[0].Name, "Alpha");
    EXPECT_EQ(root.SubKeys[1].Name, "beta");
    EXPECT_EQ(root.SubKeys[2].Name, A("Альфа"));
    EXPECT_NE(root.FindSubKey(A("АЛЬФА")), nullptr);

    THiveKey &key = root.SubKeys[0];
    EXPECT_TRUE(key.SetValue("Name", Reg::REG_SZ, Sz("1")));
    EXPECT_FALSE(key.SetValue("NAME", Reg::REG_SZ, Sz("1")));
    EXPECT_TRUE(key.SetValue("name", Reg::REG_SZ, Sz("2")));
    ASSERT_EQ(key.Values.size(), 1u);
    EXPECT_EQ(key.Values[0].Name, "Name");
    EXPECT_TRUE(key.RemoveValue("nAmE"));
    EXPECT_FALSE(key.RemoveValue("Name"));
    EXPECT_TRUE(root.RemoveSubKey("ALPHA"));
    EXPECT_FALSE(root.RemoveSubKey("Alpha"));
}
