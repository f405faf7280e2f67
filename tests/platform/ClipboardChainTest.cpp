#include "platform/clipboard/ClipboardChain.h"
#include "platform/MessageProbe.h"
#include "support/ClipboardContent.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace ClipboardApi;

TEST(ClipboardChain, JoiningReturnsThePreviousFirstAndNotifiesAtOnce)
{
    TProbe a, b;
    const TWindowHandle before = GetClipboardViewer();
    EXPECT_EQ(SetClipboardViewer(a.Handle), before);
    EXPECT_EQ(a.Messages, (std::vector<TMessage>{{WM_DRAWCLIPBOARD, 0, 0}}));
    EXPECT_EQ(SetClipboardViewer(b.Handle), a.Handle);
    EXPECT_EQ(a.Messages.size(), 1u) << "only the joining window is notified";
    EXPECT_EQ(GetClipboardViewer(), b.Handle);

    // A change reaches the first member only; passing it on is the members' job.
    ClipboardContent::SetText(QStringLiteral("x"));
    EXPECT_EQ(b.Messages.size(), 2u);
    EXPECT_EQ(a.Messages.size(), 1u);

    ChangeClipboardChain(b.Handle, a.Handle);
    ChangeClipboardChain(a.Handle, before);
}

TEST(ClipboardWindow, DestroyedWindowsGetTheirLastMessageAndNothingAfter)
{
    std::vector<uint32_t> messages;
    const TWindowHandle w = CreateWindow([&](uint32_t m, uintptr_t, intptr_t) { messages.push_back(m); });
    EXPECT_TRUE(IsWindow(w));
    SendMessage(w, WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_FALSE(IsWindow(w));
    SendMessage(w, WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(messages, (std::vector<uint32_t>{WM_DRAWCLIPBOARD, WM_NCDESTROY}));
    EXPECT_NE(CreateWindow({}), w) << "handles are not reused";
    SendMessage(0, WM_DRAWCLIPBOARD, 0, 0);
}

TEST(ClipboardWindow, AWindowMayDestroyItselfWhileHandlingAMessage)
{
    int calls = 0;
    TWindowHandle w = 0;
    w = CreateWindow([&](uint32_t m, uintptr_t, intptr_t) {
        ++calls;
        if (m == WM_DRAWCLIPBOARD)
            DestroyWindow(w);
    });
    SendMessage(w, WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_EQ(calls, 2); // the message and WM_NCDESTROY
    EXPECT_FALSE(IsWindow(w));
}
