#include "platform/cp1251/CodePageRules.h"

#include <gtest/gtest.h>

// What the conversion call is asked with for the code pages workstations
// have as their ANSI or OEM code page.
TEST(CodePageRules, FollowTheSystemsRulesForEachCodePage)
{
    struct {
        uint32_t codePage;
        uint32_t flags;
        bool defaultChar, everyCharacter;
    } const cases[] = {
        {1251, WC_NO_BEST_FIT_CHARS, true, false},  // Cyrillic
        {1252, WC_NO_BEST_FIT_CHARS, true, false},  // Western
        {932, WC_NO_BEST_FIT_CHARS, true, false},   // Japanese, double-byte
        {866, WC_NO_BEST_FIT_CHARS, true, false},   // Russian OEM
        {437, WC_NO_BEST_FIT_CHARS, true, false},   // US OEM
        {65001, 0, false, true},                    // UTF-8, as ANSI or OEM code page
        {65000, 0, false, true},                    // UTF-7
        {54936, 0, true, true},                     // GB18030
        {50220, 0, true, false},                    // ISO-2022 Japanese
        {57004, 0, true, false},                    // ISCII
    };
    for (const auto &c : cases) {
        const TCodePageRules rules = CodePageRules(c.codePage);
        EXPECT_EQ(rules.Flags, c.flags) << c.codePage;
        EXPECT_EQ(rules.TakesDefaultChar, c.defaultChar) << c.codePage;
        EXPECT_EQ(rules.HoldsEveryCharacter, c.everyCharacter) << c.codePage;
    }
}

TEST(CodePageRules, EachCharacterACodePageLacksIsOneQuestionMark)
{
    const QString pair = QString::fromUtf8("\xF0\x9F\x94\x94"); // one character, two units
    const QString high(pair[0]), low(pair[1]), word = QStringLiteral("Пуск"), a = QStringLiteral("a");
    struct {
        uint32_t codePage;
        QString text, units;
    } const cases[] = {
        {1251, word + pair + a, word + QStringLiteral("?a")},
        {932, pair + pair, QStringLiteral("??")},
        {65001, word + pair, word + pair},
        {65001, high + a + low, QStringLiteral("?a?")},
        {1251, low + high, QStringLiteral("??")},
        {65001, high, QStringLiteral("?")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(UnitsToConvert(c.text, CodePageRules(c.codePage)), c.units) << c.codePage << " " << c.text.size();
}
