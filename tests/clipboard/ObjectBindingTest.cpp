#include "app/ObjectBinding.h"
#include "support/Ansi.h"

#include <gtest/gtest.h>

TEST(ObjectAddress, PrefixComparedIgnoringAsciiCaseOnly)
{
    struct Case {
        QByteArray text;
        bool object;
    };
    const Case cases[] = {
        {"#TC0:1:1", true},
        {"#tc0:1:1", true},
        {"#tC7", true},
        {"#TC", true},
        {"#T", false},
        {"", false},
        {"TC0:1:1", false},
        {"##TC0", false},
        {" #TC0:1:1", false},
        {"#TD0:1:1", false},
        {A("#ТС0:1:1"), false}, // Cyrillic Т and С look the same but are not ASCII
        {A("#TC0:1:Щит"), true}, // bytes above 127 are ordinary characters
        {"#TC0:1:1\x7f", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsObjectAddress(c.text), c.object) << c.text.toHex(' ').constData();
}

TEST(ObjectAddress, ControlCharactersAndBackquotesAreNotAddresses)
{
    for (const QByteArray &text :
         {QByteArray("#TC0:1:1\r\nhw`TMSTATION"), QByteArray("#TC0:1\n:1"), QByteArray("#TC0:1:1`qzrexStInv=+"),
          QByteArray("#TC0\t1:1"), QByteArray("#TC0:1:1\x1f"), QByteArray("#TC0:1\0:1", 9), QByteArray("#TC`")}) {
        EXPECT_FALSE(IsObjectAddress(text)) << text.toHex(' ').constData();
    }
}

TEST(ObjectBinding, WordsOfTheAddressForBothIndicatorBlocks)
{
    struct Case {
        QByteArray text;
        QByteArray v2;
        QByteArray v1;
    };
    const Case cases[] = {
        {"#TC0:1:1", "qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=1",
         "qzrexStTmsCh=0`qzrexStTmsRtu=1`qzrexStTmsPoint=1"},
        // Lower-case letters are no delimiters: the channel keeps them.
        {"#tc0:1:1", "qzrexSt2TmsCh=tc0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=1",
         "qzrexStTmsCh=tc0`qzrexStTmsRtu=1`qzrexStTmsPoint=1"},
        {"#TC7", "qzrexSt2TmsCh=7`qzrexSt2TmsRtu=`qzrexSt2TmsPoint=", "qzrexStTmsCh=7`qzrexStTmsRtu=`qzrexStTmsPoint="},
        // Runs of delimiters collapse; words after the third are dropped.
        {"#TC::5", "qzrexSt2TmsCh=5`qzrexSt2TmsRtu=`qzrexSt2TmsPoint=", "qzrexStTmsCh=5`qzrexStTmsRtu=`qzrexStTmsPoint="},
        {"#TC12:34:567:89", "qzrexSt2TmsCh=12`qzrexSt2TmsRtu=34`qzrexSt2TmsPoint=567",
         "qzrexStTmsCh=12`qzrexStTmsRtu=34`qzrexStTmsPoint=567"},
        {"#TC1C2T3", "qzrexSt2TmsCh=1`qzrexSt2TmsRtu=2`qzrexSt2TmsPoint=3",
         "qzrexStTmsCh=1`qzrexStTmsRtu=2`qzrexStTmsPoint=3"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ObjectBinding(c.text, true), c.v2) << c.text.constData();
        EXPECT_EQ(ObjectBinding(c.text, false), c.v1) << c.text.constData();
    }
}
