// hive-writer: a second process writing the settings hive, for the tests of
// writers racing each other and of a writer killed in the middle of a write.
//
//   hive-writer fill KEY PREFIX COUNT  set PREFIX0 .. PREFIX<COUNT-1> to their numbers
//   hive-writer churn KEY NAME SIZE    rewrite NAME forever with SIZE copies of
//                                      one digit, the next digit each time,
//                                      printing the number of each write done
//
// KEY is a path below HKEY_CURRENT_USER.

#include "platform/registry/Registry.h"

#include <QByteArray>
#include <cstdio>
#include <cstring>

using namespace Reg;

namespace {
LONG SetText(HKEY key, const QByteArray &name, const QByteArray &text)
{
    const QByteArray data = text + '\0';
    return SetValueEx(key, name, REG_SZ, data.constData(), DWORD(data.size()));
}

int Fail(LONG error)
{
    std::fprintf(stderr, "hive-writer: failed with error %d\n", int(error));
    return 1;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 5 || (std::strcmp(argv[1], "fill") != 0 && std::strcmp(argv[1], "churn") != 0)) {
        std::fprintf(stderr, "usage: hive-writer fill KEY PREFIX COUNT | churn KEY NAME SIZE\n");
        return 2;
    }
    HKEY key = HKEY_NONE;
    if (LONG error = CreateKeyEx(HKEY_CURRENT_USER, argv[2], REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key))
        return Fail(error);
    const QByteArray name = argv[3];
    const int number = QByteArray(argv[4]).toInt();
    if (std::strcmp(argv[1], "fill") == 0) {
        for (int i = 0; i < number; ++i)
            if (LONG error = SetText(key, name + QByteArray::number(i), QByteArray::number(i)))
                return Fail(error);
        return 0;
    }
    for (int i = 0;; ++i) {
        if (LONG error = SetText(key, name, QByteArray(number, char('0' + i % 10))))
            return Fail(error);
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
}
