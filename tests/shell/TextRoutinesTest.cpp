#include "framework/TextRoutines.h"

#include <gtest/gtest.h>

TEST(FieldAt, EveryDelimiterCounts)
{
    const TCharSet &colon = AddressDelimiters();
    EXPECT_EQ(FieldAt(1, "10.0.0.5:971", colon), "10.0.0.5");
    EXPECT_EQ(FieldAt(2, "10.0.0.5:971", colon), "971");
    EXPECT_EQ(FieldAt(2, "10.0.0.5", colon), "");
    EXPECT_EQ(FieldAt(1, "", colon), "");
    EXPECT_EQ(FieldAt(2, "a::b", colon), "");
    EXPECT_EQ(FieldAt(3, "a::b", colon), "b");
    EXPECT_EQ(FieldAt(1, ":971", colon), "");
    EXPECT_EQ(FieldAt(2, ":971", colon), "971");
    EXPECT_EQ(FieldAt(2, "h:1:2", colon), "1");
    EXPECT_EQ(FieldAt(2, "h:", colon), "");
}

TEST(FieldAt, NumbersOutsideTheTextGiveNothing)
{
    const TCharSet &colon = AddressDelimiters();
    EXPECT_EQ(FieldAt(0, "a:b", colon), "");
    EXPECT_EQ(FieldAt(-3, "a:b", colon), "");
    EXPECT_EQ(FieldAt(3, "a:b", colon), "");
}

TEST(WordAt, RunsOfDelimitersCollapse)
{
    const TCharSet &object = ObjectDelimiters();
    EXPECT_EQ(WordAt(1, "#TC0:1:1", object), "0");
    EXPECT_EQ(WordAt(2, "#TC0:1:1", object), "1");
    EXPECT_EQ(WordAt(3, "#TC0:1:1", object), "1");
    EXPECT_EQ(WordAt(1, "#TC12::7", object), "12");
    EXPECT_EQ(WordAt(2, "#TC12::7", object), "7");
    EXPECT_EQ(WordAt(3, "#TC12::7", object), "");
    EXPECT_EQ(WordAt(3, "#TC5", object), "");
    EXPECT_EQ(WordAt(2, "#TC5:6:", object), "6");
    EXPECT_EQ(WordAt(1, "", object), "");
    EXPECT_EQ(WordAt(0, "#TC5", object), "");
    EXPECT_EQ(WordAt(1, "#TC:::", object), "");
}

TEST(WordAt, LowerCaseLettersAreNotDelimiters)
{
    EXPECT_EQ(WordAt(1, "#tc5:6:7", ObjectDelimiters()), "tc5");
    EXPECT_EQ(WordAt(1, "#tC5", ObjectDelimiters()), "t");
    EXPECT_EQ(WordAt(2, "#tC5", ObjectDelimiters()), "5");
}

TEST(WordAt, HighCharactersAreOrdinaryLetters)
{
    const TCharSet set = MakeCharSet("\xC0 ");
    EXPECT_EQ(WordAt(2, QByteArray("a\xC0\xC0 b\xE0"), set), QByteArray("b\xE0"));
}

TEST(Trim, RemovesBlanksAndControlsAtBothEnds)
{
    EXPECT_EQ(Trim("  \r\n\t "), "");
    EXPECT_EQ(Trim(" \t#TC0:1:1\r\n"), "#TC0:1:1");
    EXPECT_EQ(Trim(QByteArray("\x01 a b \x1f", 7)), "a b");
    EXPECT_EQ(Trim(QByteArray("\xA0x\xA0")), QByteArray("\xA0x\xA0")); // cp1251 no-break space stays
}

TEST(SameTextAscii, FoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(SameTextAscii("#tc", "#TC"));
    EXPECT_TRUE(SameTextAscii("#Tc", "#TC"));
    EXPECT_FALSE(SameTextAscii("#TC", "#TC7"));
    EXPECT_FALSE(SameTextAscii("\xE0", "\xC0")); // Cyrillic a / A compare by code
    EXPECT_FALSE(SameTextAscii("[", "{"));
}

TEST(NumberTexts, DecimalAndHexadecimal)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(2147483647), "2147483647");
    EXPECT_EQ(IntToHex(0x12A, 4), "012A");
    EXPECT_EQ(IntToHex(0xFFFF, 4), "FFFF");
    EXPECT_EQ(IntToHex(0x12345, 4), "12345");
    EXPECT_EQ(IntToHex(0xab, 1), "AB");
}

TEST(StrToIntDef, AcceptedForms)
{
    EXPECT_EQ(StrToIntDef("971", 0), 971);
    EXPECT_EQ(StrToIntDef("   -12", 0), -12);
    EXPECT_EQ(StrToIntDef("+7", 0), 7);
    EXPECT_EQ(StrToIntDef("$1F", 0), 31);
    EXPECT_EQ(StrToIntDef("x1f", 0), 31);
    EXPECT_EQ(StrToIntDef("X1F", 0), 31);
    EXPECT_EQ(StrToIntDef("0x10", 0), 16);
    EXPECT_EQ(StrToIntDef("0X10", 0), 16);
    EXPECT_EQ(StrToIntDef("-$10", 0), -16);
    EXPECT_EQ(StrToIntDef("007", 0), 7);
    EXPECT_EQ(StrToIntDef("2147483647", 0), 2147483647);
    EXPECT_EQ(StrToIntDef("-2147483648", 0), INT32_MIN);
}

TEST(StrToIntDef, AnythingElseGivesTheDefault)
{
    for (const char *text : {"", " ", "abc", "12 ", "1 2", "--1", "+", "-", "$", "0x", "1e3", "12abc",
                             "2147483648", "-2147483649", "$80000000", "99999999999999999999"})
        EXPECT_EQ(StrToIntDef(text, 971), 971) << '"' << text << '"';
}

TEST(StrToInt64Def, SixtyFourBitRange)
{
    EXPECT_EQ(StrToInt64Def("9223372036854775807", 0), INT64_MAX);
    EXPECT_EQ(StrToInt64Def("-9223372036854775808", 0), INT64_MIN);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 5), 5);
    EXPECT_EQ(StrToInt64Def("$FFFFFFFF", 0), 0xFFFFFFFFll);
}
