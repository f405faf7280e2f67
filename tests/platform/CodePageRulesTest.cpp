#include "platform/cp1251/CodePageRules.h"

#include <gtest/gtest.h>

// How text is converted into the ANSI or OEM code pages workstations have,
// and what becomes '?' before the conversion.
TEST(CodePageRules, FollowTheSystemsRulesForEachCodePage)
{
    const QString pair = QString::fromUtf8("\xF0\x9F\x94\x94"), high(pair[0]), low(pair[1]), a = QStringLiteral("a");
    struct {
        uint32_t codePage, flags;
        bool defaultChar;
        QString text, units;
    } const cases[] = {
        {1251, WC_NO_BEST_FIT_CHARS, true, QStringLiteral("Пуск") + pair + a, QStringLiteral("Пуск?a")},
        {1252, WC_NO_BEST_FIT_CHARS, true, low + high, QStringLiteral("??")},
        {932, WC_NO_BEST_FIT_CHARS, true, pair + pair, QStringLiteral("??")},
        {866, WC_NO_BEST_FIT_CHARS, true, pair, QStringLiteral("?")},
        {65001, 0, false, pair + high + a + low, pair + QStringLiteral("?a?")},
        {54936, 0, true, pair, pair},
        {50220, 0, true, pair, QStringLiteral("?")},
    };
    for (const auto &c : cases) {
        const TCodePageRules rules = CodePageRules(c.codePage);
        EXPECT_EQ(rules.Flags, c.flags) << c.codePage;
        EXPECT_EQ(rules.TakesDefaultChar, c.defaultChar) << c.codePage;
        EXPECT_EQ(UnitsToConvert(c.text, rules), c.units) << c.codePage;
    }
}
