// reg-tool: reads and changes the program's registry from the command line:
// on Windows the system's registry, on Linux the stand-in's hive files (same
// files, same locking as the program).
//
//   reg-tool query KEY [NAME]       print the values of KEY (or one value)
//   reg-tool set KEY NAME TEXT      set a REG_SZ value, creating KEY
//   reg-tool delete KEY             delete KEY and every key below it (of a
//                                   root key: every key and value in it)
//   reg-tool fill KEY PREFIX COUNT  set PREFIX0 .. PREFIX<COUNT-1> to their numbers
//   reg-tool churn KEY NAME SIZE    rewrite NAME forever with SIZE copies of
//                                   one digit, the next digit each time
//
// KEY starts with the root key: HKEY_CURRENT_USER\Software\Orbastel\V3721Conf.
// Texts on the command line are taken in the terminal's encoding and stored
// in cp1251.

#include "platform/cp1251/Ansi.h"
#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

using namespace Reg;

namespace {
QByteArray Arg(const char *text)
{
    return ToAnsi(QString::fromLocal8Bit(text));
}

int Fail(const char *what, LONG error)
{
    std::fprintf(stderr, "reg-tool: %s failed with error %d\n", what, int(error));
    return 1;
}

// Splits "ROOT\path" into the root key and the path below it.
bool SplitKey(const QByteArray &key, HKEY *root, QByteArray *path)
{
    const qsizetype slash = key.indexOf('\\');
    *root = RootKeyFromName(slash < 0 ? key : key.left(slash));
    *path = slash < 0 ? QByteArray() : key.mid(slash + 1);
    return *root != HKEY_NONE;
}

int SetText(HKEY key, const QByteArray &name, const QByteArray &text)
{
    const QByteArray data = text + '\0';
    return SetValueEx(key, name, REG_SZ, data.constData(), DWORD(data.size()));
}

void PrintValue(const QByteArray &name, DWORD type, const QByteArray &data)
{
    const QString shown = type == REG_SZ || type == REG_EXPAND_SZ ? FromAnsi(data.left(data.indexOf('\0')))
                                                                  : QString::fromLatin1(data.toHex(' '));
    std::printf("%s\t%u\t%s\n", FromAnsi(name.isEmpty() ? QByteArray("@") : name).toLocal8Bit().constData(),
                unsigned(type), shown.toLocal8Bit().constData());
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
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: reg-tool query|set|delete|fill|churn KEY ...\n");
        return 2;
    }
    const QByteArray command = argv[1];
    HKEY root;
    QByteArray path;
    if (!SplitKey(Arg(argv[2]), &root, &path)) {
        std::fprintf(stderr, "reg-tool: %s does not start with a root key\n", argv[2]);
        return 2;
    }
    if (command == "delete") {
        const LONG error = DeleteTree(root, path);
        return error ? Fail("delete", error) : 0;
    }

    HKEY key = HKEY_NONE;
    if (command == "query") {
        if (LONG error = OpenKeyEx(root, path, KEY_READ, &key))
            return Fail("open", error);
        QByteArray name, data;
        DWORD type = 0;
        if (argc >= 4) {
            // The registry finds the value whatever the letter case.
            name = Arg(argv[3]);
            DWORD size = 0;
            if (QueryValueEx(key, name, &type, nullptr, &size) == ERROR_SUCCESS) {
                data.resize(size);
                if (QueryValueEx(key, name, &type, data.data(), &size) == ERROR_SUCCESS)
                    PrintValue(name, type, data.left(size));
            }
        } else {
            for (DWORD i = 0; EnumValue(key, i, &name, &type, &data) == ERROR_SUCCESS; ++i)
                PrintValue(name, type, data);
        }
        CloseKey(key);
        return 0;
    }
    if (LONG error = CreateKeyEx(root, path, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key))
        return Fail("create", error);
    if (command == "set" && argc == 5) {
        const LONG error = SetText(key, Arg(argv[3]), Arg(argv[4]));
        return error ? Fail("set", error) : 0;
    }
    if (command == "fill" && argc == 5) {
        const QByteArray prefix = Arg(argv[3]);
        const int count = QByteArray(argv[4]).toInt();
        for (int i = 0; i < count; ++i)
            if (LONG error = SetText(key, prefix + QByteArray::number(i), QByteArray::number(i)))
                return Fail("set", error);
        return 0;
    }
    if (command == "churn" && argc == 5) {
        const QByteArray name = Arg(argv[3]);
        const int size = QByteArray(argv[4]).toInt();
        for (int i = 0;; ++i) {
            if (LONG error = SetText(key, name, QByteArray(size, char('0' + i % 10))))
                return Fail("set", error);
            std::printf("%d\n", i);
            std::fflush(stdout);
        }
    }
    std::fprintf(stderr, "reg-tool: unknown command or wrong arguments\n");
    return 2;
}
