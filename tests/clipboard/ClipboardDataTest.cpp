// The clipboard formats and data as the program reads them from Qt's
// clipboard: memory blocks, texts and the list of formats.

#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/ClipboardWindow.h"
#include "support/ClipboardContent.h"

#include <gtest/gtest.h>
#include <set>

using namespace ClipboardApi;
using namespace ClipboardContent;

namespace {
// The clipboard opened for a window of its own while it exists.
struct TOpenClipboard {
    TWindowHandle Window = CreateWindow({});
    bool Ok = OpenClipboard(Window);
    ~TOpenClipboard()
    {
        CloseClipboard();
        DestroyWindow(Window);
    }
};
} // namespace

TEST(ClipboardBlocks, HandlesCountUpFromTheFirstAndSkipThoseInUse)
{
    const auto none = [](uint32_t) { return false; };
    EXPECT_EQ(NextBlockHandle(0, none), 0x10000000u);
    EXPECT_EQ(NextBlockHandle(0x0FFFFFFF, none), 0x10000000u);
    EXPECT_EQ(NextBlockHandle(0x10000000, none), 0x10000001u);
    EXPECT_EQ(NextBlockHandle(0x7FFFFFFF, none), 0x80000000u);

    const std::set<uint32_t> used = {0x10000000, 0x10000001, 0x10000002, 0x10000005, 0xFFFFFFFF};
    const auto inUse = [&used](uint32_t block) { return used.count(block) != 0; };
    EXPECT_EQ(NextBlockHandle(0, inUse), 0x10000003u);
    EXPECT_EQ(NextBlockHandle(0x10000000, inUse), 0x10000003u);
    EXPECT_EQ(NextBlockHandle(0x10000004, inUse), 0x10000006u);
    // After the largest handle the count starts again at the first.
    EXPECT_EQ(NextBlockHandle(0xFFFFFFFF, none), 0x10000000u);
    EXPECT_EQ(NextBlockHandle(0xFFFFFFFE, inUse), 0x10000003u);
    EXPECT_EQ(NextBlockHandle(0xFFFFFFFE, none), 0xFFFFFFFFu);
}

TEST(ClipboardBlocks, EveryRenderingIsABlockOfItsOwnAboveTheFirstHandle)
{
    SetText(QStringLiteral("x"));
    TOpenClipboard open;
    ASSERT_TRUE(open.Ok);
    const uint32_t text = GetClipboardData(CF_TEXT);
    const uint32_t oem = GetClipboardData(CF_OEMTEXT);
    EXPECT_GE(text, FirstBlockHandle);
    EXPECT_EQ(oem, text + 1);
    EXPECT_EQ(QByteArray(GlobalLock(text), GlobalSize(text)), QByteArray("x", 2));
    EXPECT_EQ(QByteArray(GlobalLock(oem), GlobalSize(oem)), QByteArray("x", 2));
}
