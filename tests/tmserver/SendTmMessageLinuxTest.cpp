// Names that would lead the Linux stand-in's socket file out of its folder.
// On Windows the system judges mailslot names itself and there is no folder
// to leave (the empty name gives "\\.\mailslot\.ms", a name like any other).

#include "SendTmMessageFixture.h"

TEST_F(SendTmMessageTest, InvalidNamesNeverReachAFileOutsideTheFolder)
{
    for (const char *name : {"", "../x", "a/b", "..\\up", "."}) {
        boxes.Boxes.clear();
        probe.leTMSName()->setText(QString::fromUtf8(name));
        window.SendTmMessage({});
        ASSERT_EQ(boxes.Boxes.size(), 1) << name;
        EXPECT_EQ(boxes.Boxes[0].Text, ErrorText(123)) << name;
    }
}
