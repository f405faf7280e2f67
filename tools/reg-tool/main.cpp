// reg-tool: reads and changes the program's registry from the command line:
// on Windows the system's registry, on Linux the stand-in's hive files (same
// files, same locking as the program).
//
// Texts on the command line are taken in the terminal's encoding and stored
// in cp1251.

#include "platform/cp1251/Ansi.h"
#include "platform/registry/Registry.h"
#include "commandline/CommandLine.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <string>

using namespace Reg;

namespace {
const char Tool[] = "reg-tool";
const char UsageText[] =
    "usage: reg-tool query KEY [NAME]     print the values of KEY (or one value):\n"
    "                                     name, type (REG_SZ, REG_DWORD ...), data;\n"
    "                                     then the full path of each subkey\n"
    "       reg-tool set KEY NAME TEXT    set a REG_SZ value, creating KEY\n"
    "       reg-tool delete KEY           delete KEY and every key below it (of a\n"
    "                                     root key: every key and value in it)\n"
    "       reg-tool --help | --version\n"
    "Reads and changes the settings the board configurator keeps in the registry\n"
    "(~/.config/registry/HKEY_CURRENT_USER.reg and so on, one file per root key).\n"
    "KEY starts with a root key, by its name or abbreviation: HKEY_CURRENT_USER\n"
    "(HKCU), HKEY_LOCAL_MACHINE (HKLM), HKEY_CLASSES_ROOT (HKCR), HKEY_USERS (HKU),\n"
    "HKEY_CURRENT_CONFIG (HKCC). Exit status: 0 done, 1 the registry refused, 2 wrong\n"
    "arguments.\n"
    "example: reg-tool query 'HKCU\\Software\\Orbastel\\V3721Conf\\MainWindow'\n"
    "         reg-tool set 'HKCU\\Software\\Orbastel\\V3721Conf\\MainWindow' leTMSName_Text TMS\n";

QByteArray Arg(const char *text)
{
    return ToAnsi(QString::fromLocal8Bit(text));
}

// The failure of `what` on the key (or value) as the operator named it.
int Fail(const std::string &what, LONG error, bool value = false)
{
    std::string reason;
    switch (error) {
    case ERROR_FILE_NOT_FOUND: reason = value ? "no such value" : "no such key"; break;
    case ERROR_ACCESS_DENIED: reason = "access denied"; break;
    case ERROR_REGISTRY_CORRUPT: reason = "the hive file cannot be read"; break;
    case ERROR_CANTREAD: reason = "the hive file cannot be read"; break;
    case ERROR_CANTWRITE: reason = "the hive file cannot be written"; break;
    default: reason = "failed"; break;
    }
    std::fprintf(stderr, "%s: %s: %s (error %d)\n", Tool, what.c_str(), reason.c_str(), int(error));
    return 1;
}

// The root key of a name or its usual abbreviation, in any letter case.
HKEY RootKey(const QByteArray &name)
{
    static const std::pair<const char *, HKEY> abbreviations[] = {
        {"HKCU", HKEY_CURRENT_USER}, {"HKLM", HKEY_LOCAL_MACHINE}, {"HKCR", HKEY_CLASSES_ROOT},
        {"HKU", HKEY_USERS},         {"HKCC", HKEY_CURRENT_CONFIG}};
    for (const auto &[abbreviation, root] : abbreviations)
        if (name.compare(abbreviation, Qt::CaseInsensitive) == 0)
            return root;
    return RootKeyFromName(name);
}

// Splits "ROOT\path" into the root key and the path below it.
bool SplitKey(QByteArray key, HKEY *root, QByteArray *path)
{
    while (key.endsWith('\\'))
        key.chop(1);
    const qsizetype slash = key.indexOf('\\');
    *root = RootKey(slash < 0 ? key : key.left(slash));
    *path = slash < 0 ? QByteArray() : key.mid(slash + 1);
    return *root != HKEY_NONE;
}

int SetText(HKEY key, const QByteArray &name, const QByteArray &text)
{
    const QByteArray data = text + '\0';
    return SetValueEx(key, name, REG_SZ, data.constData(), DWORD(data.size()));
}

QByteArray TypeName(DWORD type)
{
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case 5: return "REG_DWORD_BIG_ENDIAN";
    case 6: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case 8: return "REG_RESOURCE_LIST";
    case 9: return "REG_FULL_RESOURCE_DESCRIPTOR";
    case 10: return "REG_RESOURCE_REQUIREMENTS_LIST";
    case REG_QWORD: return "REG_QWORD";
    default: return "type " + QByteArray::number(type);
    }
}

// A little-endian number of 4 or 8 bytes as 0x... (decimal).
QString Number(const QByteArray &data)
{
    quint64 value = 0;
    for (qsizetype i = data.size() - 1; i >= 0; --i)
        value = value << 8 | uchar(data[i]);
    return QStringLiteral("0x%1 (%2)").arg(value, int(data.size() * 2), 16, QLatin1Char('0')).arg(value);
}

QString Shown(DWORD type, const QByteArray &data)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        return FromAnsi(data.left(data.indexOf('\0')));
    if (type == REG_MULTI_SZ) {
        QStringList items;
        for (const QByteArray &item : data.split('\0'))
            if (!item.isEmpty())
                items << FromAnsi(item);
        return items.join(QStringLiteral("\\0"));
    }
    if ((type == REG_DWORD && data.size() == 4) || (type == REG_QWORD && data.size() == 8))
        return Number(data);
    return QString::fromLatin1(data.toHex(' '));
}

void PrintValue(const QByteArray &name, DWORD type, const QByteArray &data)
{
    std::printf("%s\t%s\t%s\n", FromAnsi(name.isEmpty() ? QByteArray("@") : name).toLocal8Bit().constData(),
                TypeName(type).constData(), Shown(type, data).toLocal8Bit().constData());
}

// Deletes the key at `path` below `base` and every key below it, deepest
// first. A root key itself cannot be deleted: for the empty path below a
// root, its subkeys and values are deleted instead, as RegDeleteTree does.
LONG DeleteTree(HKEY base, const QByteArray &path)
{
    HKEY key = HKEY_NONE;
    if (LONG error = OpenKeyEx(base, path, KEY_ALL_ACCESS, &key))
        return error;
    QList<QByteArray> subKeys, values;
    QByteArray name;
    for (DWORD i = 0; EnumKeyEx(key, i, &name) == ERROR_SUCCESS; ++i)
        subKeys.append(name);
    if (path.isEmpty())
        for (DWORD i = 0; EnumValue(key, i, &name, nullptr, nullptr) == ERROR_SUCCESS; ++i)
            values.append(name);
    LONG error = ERROR_SUCCESS;
    for (const QByteArray &sub : subKeys)
        if (!error)
            error = DeleteTree(key, sub);
    for (const QByteArray &value : values)
        if (!error)
            error = DeleteValue(key, value);
    CloseKey(key);
    if (error || path.isEmpty())
        return error;
    return DeleteKey(base, path);
}

int Query(HKEY root, const QByteArray &path, const std::string &keyText, const char *valueName)
{
    HKEY key = HKEY_NONE;
    if (LONG error = OpenKeyEx(root, path, KEY_READ, &key))
        return Fail(keyText, error);
    QByteArray name, data;
    DWORD type = 0;
    bool found = false;
    for (DWORD i = 0; EnumValue(key, i, &name, &type, &data) == ERROR_SUCCESS; ++i) {
        // A value asked for by name is found whatever the letter case, and
        // shown by its name as stored.
        if (valueName && FromAnsi(name).compare(QString::fromLocal8Bit(valueName), Qt::CaseInsensitive) != 0)
            continue;
        PrintValue(name, type, data);
        found = true;
    }
    // After the values, each subkey by its full path, as the system's
    // "reg query" lists them.
    if (!valueName) {
        const QByteArray parent = RootKeyName(root) + (path.isEmpty() ? QByteArray() : '\\' + path);
        for (DWORD i = 0; EnumKeyEx(key, i, &name) == ERROR_SUCCESS; ++i)
            std::printf("%s\n", FromAnsi(parent + '\\' + name).toLocal8Bit().constData());
    }
    CloseKey(key);
    if (valueName && !found)
        return Fail(keyText + " " + valueName, ERROR_FILE_NOT_FOUND, true);
    return 0;
}

int Set(HKEY root, const QByteArray &path, const std::string &keyText, const char *name, const char *text)
{
    HKEY key = HKEY_NONE;
    if (LONG error = CreateKeyEx(root, path, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key))
        return Fail(keyText, error);
    const LONG error = SetText(key, Arg(name), Arg(text));
    CloseKey(key);
    return error ? Fail(keyText + " " + name, error, true) : 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && CommandLine::IsHelpOrVersion(argv[1], Tool, UsageText))
        return 0;
    if (argc < 2)
        return CommandLine::UsageError(Tool, "a command is needed", UsageText);
    const std::string command = argv[1];
    const int words = argc - 2; // after the command
    if (command != "query" && command != "set" && command != "delete")
        return CommandLine::UsageError(Tool, "unknown command " + command, UsageText);
    if ((command == "query" && (words < 1 || words > 2)) || (command == "set" && words != 3)
        || (command == "delete" && words != 1))
        return CommandLine::UsageError(Tool, "wrong number of arguments for " + command, UsageText);
    HKEY root;
    QByteArray path;
    if (!SplitKey(Arg(argv[2]), &root, &path))
        return CommandLine::UsageError(Tool, std::string(argv[2]) + " does not start with a root key", UsageText);

    QCoreApplication application(argc, argv);
    const std::string keyText = argv[2];
    if (command == "query")
        return Query(root, path, keyText, words == 2 ? argv[3] : nullptr);
    if (command == "set")
        return Set(root, path, keyText, argv[3], argv[4]);
    const LONG error = DeleteTree(root, path);
    return error ? Fail(keyText, error) : 0;
}
