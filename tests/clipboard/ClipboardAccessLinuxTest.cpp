// Text without a terminating zero, as only the Linux stand-in keeps it: its
// block is exactly the bytes given (a Windows block may be larger, and what
// follows the bytes is not the owner's).

#include "app/Clipboard.h"
#include "support/ClipboardContent.h"

#include <gtest/gtest.h>

using namespace ClipboardContent;

TEST(ClipboardAccess, TextWithoutAZeroIsItsWholeBlock)
{
    Set(Data({{QStringLiteral("CF_TEXT"), QByteArray("no zero")}}));
    EXPECT_EQ(ClipboardAccess().ClipboardText(), "no zero");
}
