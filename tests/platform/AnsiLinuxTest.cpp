// cp1251 on Linux: every byte back and forth, and one '?' for each
// character the code page lacks.

#include "platform/cp1251/Ansi.h"

#include <gtest/gtest.h>

TEST(Ansi, EveryByteComesBackAndEachLackingCharacterIsOneQuestionMark)
{
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    EXPECT_EQ(ToAnsi(FromAnsi(all)), all);

    const QChar high(0xD83D), low(0xDE00);
    const struct {
        QString Text;
        QByteArray Bytes;
    } cases[] = {
        {QStringLiteral("Пуск №5 €"), "\xCF\xF3\xF1\xEA \xB9" "5 \x88"},
        {QStringLiteral("äß→日"), "????"},
        {QStringLiteral("a😀b🔔"), "a?b?"}, // a pair of surrogates is one character
        {QString(QChar::ReplacementCharacter), "?"},
        {QStringLiteral("x") + high, "x?"}, // half of a pair alone, at the end too
        {QString(low) + high + QStringLiteral("y"), "??y"},
        {{}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ToAnsi(c.Text), c.Bytes) << c.Text.toStdString();
}
