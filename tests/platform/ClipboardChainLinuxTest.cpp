#include "platform/clipboard/ClipboardChain.h"
#include "platform/MessageProbe.h"
#include "support/ClipboardContent.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace ClipboardApi;

TEST(ClipboardChain, LeavingTellsTheFirstMember)
{
    TProbe a, b, c;
    const TWindowHandle before = GetClipboardViewer();
    SetClipboardViewer(a.Handle);
    SetClipboardViewer(b.Handle);
    SetClipboardViewer(c.Handle);
    c.Messages.clear();
    b.Messages.clear();

    ChangeClipboardChain(b.Handle, a.Handle); // from the middle
    EXPECT_EQ(c.Messages, (std::vector<TMessage>{{WM_CHANGECBCHAIN, b.Handle, intptr_t(a.Handle)}}));
    EXPECT_TRUE(b.Messages.empty());
    EXPECT_EQ(GetClipboardViewer(), c.Handle);

    ChangeClipboardChain(c.Handle, a.Handle); // the first member: its successor takes its place
    EXPECT_EQ(GetClipboardViewer(), a.Handle);
    EXPECT_EQ(a.Messages.back(), TMessage(WM_CHANGECBCHAIN, c.Handle, intptr_t(a.Handle)));

    ChangeClipboardChain(a.Handle, before);
    EXPECT_EQ(GetClipboardViewer(), before);
}
