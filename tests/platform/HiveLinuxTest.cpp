#include "platform/registry/Hive.h"
#include "support/Ansi.h"

#include <QList>
#include <QStringEncoder>
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

// The text as the registry editor exports it in the 5.00 format.
QByteArray Utf16Export(const QByteArray &utf8)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return "\xFF\xFE" + QByteArray(encoder.encode(QString::fromUtf8(utf8)));
}

const THiveValue *ValueAt(const THiveKey &root, const QByteArray &key, const QByteArray &name)
{
    const THiveKey *k = root.FindSubKey(key);
    return k ? k->FindValue(name) : nullptr;
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

TEST(Hive, OnlyAFileWithoutAHeaderOrWithTextThatDoesNotDecodeCannotBeRead)
{
    struct Case {
        const char *name;
        QByteArray text;
        int line;
    };
    const Case cases[] = {
        {"no header", "[HKEY_CURRENT_USER\\K]\r\n", 1},
        {"blank only", "  \r\n\r\n", 1},
        {"header after a section", "; note\r\n[HKEY_CURRENT_USER\\K]\r\nREGEDIT4\r\n", 2},
        {"another header", "REGEDIT5\r\n", 1},
        {"UTF-16 without a byte order mark", Utf16Export("REGEDIT4\r\n").mid(2), 1},
        {"UTF-16 with a lone surrogate",
         Utf16Export("Windows Registry Editor Version 5.00\r\n\r\n\"v\"=\"") + QByteArray("\x00\xD8", 2) + Utf16Export("\"\r\n").mid(2),
         3},
        {"UTF-16 of an odd length", Utf16Export("Windows Registry Editor Version 5.00\r\n") + "x", 2},
        {"UTF-8 that does not decode", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\"v\"=\"\xFF\"\r\n", 2},
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


TEST(Hive, ReadsWhatTheRegistryEditorImports)
{
    struct Case {
        const char *name;
        QByteArray text;
        THiveValue expected; // the value "v" of HKEY_CURRENT_USER\K
    };
    const QByteArray head = "REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n";
    const QByteArray v5 = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n";
    const Case cases[] = {
        {"comment lines", "REGEDIT4\r\n; by hand\r\n[HKEY_CURRENT_USER\\K]\r\n  ; indented\r\n\"v\"=\"1\"\r\n",
         {"v", Reg::REG_SZ, Sz("1")}},
        {"note after a text", head + "\"v\"=\"1\" ; note\r\n", {"v", Reg::REG_SZ, Sz("1")}},
        {"note right after a text", head + "\"v\"=\"1\";note\r\n", {"v", Reg::REG_SZ, Sz("1")}},
        {"';' inside a text", head + "\"v\"=\"a;b ; c\"\r\n", {"v", Reg::REG_SZ, Sz("a;b ; c")}},
        {"';' inside a text and a note", head + "\"v\"=\"a;b\" ;c\"d\"\r\n", {"v", Reg::REG_SZ, Sz("a;b")}},
        {"';' inside the name", head + "\"v;\"=\"1\"\r\n\"v\"=\"2\"\r\n", {"v", Reg::REG_SZ, Sz("2")}},
        {"note after a dword", head + "\"v\"=dword:0000002a ; note\r\n", {"v", Reg::REG_DWORD, QByteArray("*\0\0\0", 4)}},
        {"note after a hex list", head + "\"v\"=hex:01,02 ; note\r\n", {"v", Reg::REG_BINARY, "\x01\x02"}},
        {"note on the section line", "REGEDIT4\r\n[HKEY_CURRENT_USER\\K] ; note\r\n\"v\"=\"1\"\r\n",
         {"v", Reg::REG_SZ, Sz("1")}},
        {"blank and comment lines inside a hex list",
         head + "\"v\"=hex:01,\\\r\n\r\n; between\r\n  02,\\ ; note\r\n  03\r\n", {"v", Reg::REG_BINARY, "\x01\x02\x03"}},
        {"key with a trailing backslash", "REGEDIT4\r\n[HKEY_CURRENT_USER\\K\\]\r\n\"v\"=\"1\"\r\n",
         {"v", Reg::REG_SZ, Sz("1")}},
        {"CR CR LF line ends", "REGEDIT4\r\r\n[HKEY_CURRENT_USER\\K]\r\r\n\"v\"=\"1\"\r\r\n", {"v", Reg::REG_SZ, Sz("1")}},
        {"control characters inside a text", head + "\"v\"=\"a\x01\tb\rc\x7f\"\r\n",
         {"v", Reg::REG_SZ, Sz("a\x01\tb\rc\x7f")}},
        {"NUL byte inside a text", head + QByteArray("\"v\"=\"b\0\"\r\n", 10), {"v", Reg::REG_SZ, Sz(QByteArray("b\0", 2))}},
        {"line break escape", head + "\"v\"=\"one\\ntwo\\\\n\"\r\n", {"v", Reg::REG_SZ, Sz("one\ntwo\\n")}},
        {"section of another root",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"other\"\r\n[-HKEY_USERS\\K]\r\n"
         "[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"1\"\r\n",
         {"v", Reg::REG_SZ, Sz("1")}},
        {"5.00 in UTF-16 with a byte order mark",
         Utf16Export("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"Сервер\"\r\n"),
         {"v", Reg::REG_SZ, Sz(A("Сервер"))}},
        {"5.00 in UTF-8", v5 + "\"v\"=\"Сервер\"\r\n", {"v", Reg::REG_SZ, Sz(A("Сервер"))}},
        {"5.00 in UTF-8 with a byte order mark", "\xEF\xBB\xBF" + v5 + "\"v\"=\"Сервер\"\r\n",
         {"v", Reg::REG_SZ, Sz(A("Сервер"))}},
        {"5.00 text lists are UTF-16", v5 + "\"v\"=hex(2):25,00,1f,04,25,00,00,00\r\n",
         {"v", Reg::REG_EXPAND_SZ, Sz(A("%П%"))}},
        {"5.00 characters without a cp1251 code", v5 + "\"v\"=\"中\"\r\n", {"v", Reg::REG_SZ, Sz("?")}},
    };
    for (const Case &c : cases) {
        const THiveParseResult result = Parse(c.text);
        ASSERT_TRUE(result.Ok) << c.name << ": line " << result.ErrorLine << ": " << result.Error.constData();
        const THiveValue *value = ValueAt(result.Root, "K", "v");
        ASSERT_NE(value, nullptr) << c.name;
        EXPECT_EQ(*value, c.expected) << c.name << ": " << value->Data.toHex(' ').constData();
        EXPECT_EQ(result.Root.SubKeys.size(), 1u) << c.name;
    }
}

TEST(Hive, LinesTheEditorWouldSkipAreSkippedWithTheirLineAndTheRestIsRead)
{
    struct Case {
        const char *name;
        QByteArray text;
        std::vector<int> skipped;
    };
    const QByteArray head = "REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n";
    const Case cases[] = {
        {"empty key name", "REGEDIT4\r\n[HKEY_CURRENT_USER\\a\\\\b]\r\n; note\r\n\"x\"=\"1\"\r\n", {2, 4}},
        {"no closing bracket", "REGEDIT4\r\n[HKEY_CURRENT_USER\\K\r\n\"x\"=\"1\"\r\n", {2, 3}},
        {"text after the closing bracket", "REGEDIT4\r\n[HKEY_CURRENT_USER\\K] x\r\n\"x\"=\"1\"\r\n", {2, 3}},
        {"no root key", "REGEDIT4\r\n[Software\\K]\r\n\"x\"=\"1\"\r\n", {2, 3}},
        {"value outside key", "REGEDIT4\r\n\"a\"=\"b\"\r\n", {2}},
        {"unterminated text", head + "\"a\"=\"b\r\n", {3}},
        {"unterminated name", head + "\"a=\"b\"\r\n", {3}},
        {"junk after text", head + "\"a\"=\"b\" c\r\n", {3}},
        {"no equals", head + "\"a\" \"b\"\r\n", {3}},
        {"long dword", head + "\"a\"=dword:123456789\r\n", {3}},
        {"bad dword", head + "\"a\"=dword:12g4\r\n", {3}},
        {"bad hex byte", head + "\"a\"=hex:01,zz\r\n", {3}},
        {"three-digit byte", head + "\"a\"=hex:100\r\n", {3}},
        {"bad hex type", head + "\"a\"=hex(q):01\r\n", {3}},
        {"unknown type", head + "\"a\"=qword:01\r\n", {3}},
        {"continuation onto the next section", head + "\"a\"=hex:01,\\\r\n; note\r\n", {3}},
        {"continuation onto the next value", head + "\"a\"=hex:01,\\\r\n\"b\"=\"2\"\r\n\"c\"=hex:\\\r\n", {3, 5}},
        {"stray text", head + "garbage\r\n; note\r\nmore\r\n", {3, 5}},
        {"control character in a name", head + "\"a\x01\"=\"b\"\r\n", {3}},
        {"deleting the root", "REGEDIT4\r\n[-HKEY_CURRENT_USER]\r\n", {2}},
        {"too deep", "REGEDIT4\r\n[HKEY_CURRENT_USER" + QByteArray("\\k").repeated(MaxKeyDepth + 1) + "]\r\n", {2}},
    };
    const QByteArray tail = "[HKEY_CURRENT_USER\\After]\r\n\"ok\"=\"1\"\r\n";
    for (const Case &c : cases) {
        const THiveParseResult result = Parse(c.text + tail);
        ASSERT_TRUE(result.Ok) << c.name << ": line " << result.ErrorLine << ": " << result.Error.constData();
        std::vector<int> lines;
        for (const THiveSkippedLine &skipped : result.Skipped) {
            lines.push_back(skipped.Line);
            EXPECT_FALSE(skipped.Reason.isEmpty()) << c.name;
            EXPECT_TRUE(c.text.contains(skipped.Text.split('\n').first())) << c.name;
        }
        EXPECT_EQ(lines, c.skipped) << c.name;
        const THiveValue *after = ValueAt(result.Root, "After", "ok");
        ASSERT_NE(after, nullptr) << c.name;
        EXPECT_EQ(after->Data, Sz("1")) << c.name;
        if (const THiveKey *k = result.Root.FindSubKey("K")) {
            for (const THiveValue &value : k->Values)
                EXPECT_EQ(value.Name, "b") << c.name << ": only a whole value is read";
        }
    }
}

TEST(Hive, NothingReadIsLostWhenTheHiveIsWrittenBack)
{
    const QByteArray text = "REGEDIT4\r\n"
                            "; Settings of the board configurator, by hand\r\n"
                            "\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
                            "\"Kept\"=\"as it is\"\r\n"
                            "\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf\\MainWindow] ; the main window\r\n"
                            "; the plant's gateway\r\n"
                            "\"leKVIP_Text\"=\"10.0.0.1\"\r\n"
                            "\"leKVIP_Text\"=\"10.0.0.5:971\" ; note\r\n"
                            "\"Old\"=\"gone\"\r\n"
                            "garbage\r\n"
                            "\"Bin\"=hex:01,\\\r\n"
                            "  ; inside\r\n"
                            "  02\r\n"
                            "\"Count\"=dword:00000001 ;; counted\r\n"
                            "\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Gone]\r\n"
                            "; about Gone\r\n"
                            "\"x\"=\"1\"\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Implied\\Child]\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Deleted]\r\n"
                            "[-HKEY_CURRENT_USER\\Software\\Deleted]\r\n"
                            "\"ignored\"=\"after a deletion\"\r\n";
    THiveParseResult read = Parse(text);
    ASSERT_TRUE(read.Ok);
    // Written back unchanged: the same lines, a value given twice and a
    // deletion included.
    EXPECT_EQ(FormatHive(read.Document, read.Root).toStdString(), text.toStdString());

    THiveKey &window = *read.Root.FindSubKey("Software")->FindSubKey("Orbastel")->FindSubKey("V3721Conf")->FindSubKey(
        "MainWindow");
    window.SetValue("leKVIP_Text", Reg::REG_SZ, Sz("10.0.0.6:971"));
    window.SetValue("Count", Reg::REG_BINARY, QByteArray(30, '\x11'));
    window.RemoveValue("Old");
    window.SetValue("leTMSName_Text", Reg::REG_SZ, Sz(A("ТМ")));
    read.Root.FindSubKey("Software")->RemoveSubKey("Gone");
    read.Root.FindSubKey("Software")->FindSubKey("Implied")->RemoveSubKey("Child");
    read.Root.FindSubKey("Software")->FindSubKey("Orbastel")->AddSubKey("New").SetValue("n", Reg::REG_SZ, Sz("1"));
    read.Root.SetValue("AtRoot", Reg::REG_SZ, Sz("r"));
    const QByteArray written = FormatHive(read.Document, read.Root);
    EXPECT_EQ(written.toStdString(),
              ("REGEDIT4\r\n"
               "; Settings of the board configurator, by hand\r\n"
               "\r\n"
               "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
               "\"Kept\"=\"as it is\"\r\n"
               "\r\n"
               "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf\\MainWindow] ; the main window\r\n"
               "; the plant's gateway\r\n"
               "\"leKVIP_Text\"=\"10.0.0.1\"\r\n"
               "\"leKVIP_Text\"=\"10.0.0.6:971\" ; note\r\n"
               "\"Old\"=-\r\n"
               "garbage\r\n"
               "\"Bin\"=hex:01,\\\r\n"
               "  ; inside\r\n"
               "  02\r\n"
               "\"Count\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\r\n"
               "  11,11,11,11,11,11,11,11 ;; counted\r\n"
               "\"leTMSName_Text\"=\"" + A("ТМ") + "\"\r\n"
               "\r\n"
               "[HKEY_CURRENT_USER\\Software\\Deleted]\r\n"
               "[-HKEY_CURRENT_USER\\Software\\Deleted]\r\n"
               "\"ignored\"=\"after a deletion\"\r\n"
               "\r\n"
               "[HKEY_CURRENT_USER]\r\n"
               "\"AtRoot\"=\"r\"\r\n"
               "\r\n"
               "[HKEY_CURRENT_USER\\Software\\Implied]\r\n"
               "\r\n"
               "[HKEY_CURRENT_USER\\Software\\Orbastel\\New]\r\n"
               "\"n\"=\"1\"\r\n"
               "\r\n")
                  .toStdString());
    const THiveParseResult again = Parse(written);
    ASSERT_TRUE(again.Ok);
    EXPECT_EQ(again.Root, read.Root);
    ASSERT_EQ(again.Skipped.size(), 1u);
    EXPECT_EQ(again.Skipped[0].Text, "garbage");
    EXPECT_EQ(FormatHive(again.Document, again.Root), written);
}

TEST(Hive, AVersion5FileIsWrittenBackInTheVersion5Format)
{
    THiveParseResult read = Parse(Utf16Export("Windows Registry Editor Version 5.00\r\n"
                                              "\r\n"
                                              "[HKEY_CURRENT_USER\\K]\r\n"
                                              "\"Wide\"=\"中文 ✓\" ; 中\r\n"
                                              "\"Path\"=hex(2):25,00,54,00,00,00\r\n"
                                              "\r\n"));
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.Document.Format, THiveFormat::Version5);
    THiveKey &key = *read.Root.FindSubKey("K");
    EXPECT_EQ(key.FindValue("Wide")->Data, Sz("?? ?"));
    key.SetValue("Path", Reg::REG_EXPAND_SZ, Sz(A("%Ю%")));
    key.SetValue("Name", Reg::REG_SZ, Sz(A("Сервер")));
    key.AddSubKey(A("Ключ")).SetValue("Lines", Reg::REG_SZ, Sz("a\r\nb"));
    EXPECT_EQ(FormatHive(read.Document, read.Root),
              Utf16Export("Windows Registry Editor Version 5.00\r\n"
                          "\r\n"
                          "[HKEY_CURRENT_USER\\K]\r\n"
                          "\"Wide\"=\"中文 ✓\" ; 中\r\n"
                          "\"Path\"=hex(2):25,00,2e,04,25,00,00,00\r\n"
                          "\"Name\"=\"Сервер\"\r\n"
                          "\r\n"
                          "[HKEY_CURRENT_USER\\K\\Ключ]\r\n"
                          "\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"
                          "\r\n"));
    // A new hive of the 5.00 format.
    THiveKey fresh;
    fresh.AddSubKey("K").SetValue("v", Reg::REG_SZ, Sz(A("Я")));
    EXPECT_EQ(FormatHive(NewHiveDocument(Root, THiveFormat::Version5), fresh),
              Utf16Export("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"Я\"\r\n\r\n"));
}
