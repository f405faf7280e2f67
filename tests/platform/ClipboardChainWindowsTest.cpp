#include "platform/clipboard/ClipboardChain.h"
#include "platform/clipboard/ClipboardData.h"
#include "platform/MessageProbe.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <vector>

#include <windows.h>
// The program's clipboard API keeps the names of the calls it stands for.
#undef CreateWindow
#undef RegisterClipboardFormat

// The system's own clipboard viewer chain, changed through the system's own
// calls as another program would change it.

namespace {
// The system's handle of a probe's window.
HWND Hwnd(const TProbe &probe)
{
    return reinterpret_cast<HWND>(uintptr_t(probe.Handle));
}

// Text put on the clipboard the way any program does it.
void CopyWithSystemCalls(const char *text)
{
    ASSERT_TRUE(WaitUntil([] { return OpenClipboard(nullptr) != 0; }));
    EmptyClipboard();
    const size_t size = strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}
} // namespace

TEST(SystemClipboardChain, AChangeMadeWithTheSystemCallsReachesTheFirstViewer)
{
    TProbe viewer;
    const HWND before = GetClipboardViewer();
    EXPECT_EQ(ClipboardApi::SetClipboardViewer(viewer.Handle), uint32_t(uintptr_t(before)));
    ASSERT_EQ(viewer.Messages.size(), 1u) << "joining notifies at once";
    EXPECT_EQ(std::get<0>(viewer.Messages[0]), uint32_t(WM_DRAWCLIPBOARD));

    CopyWithSystemCalls("#TC0:1:1");
    ASSERT_TRUE(WaitUntil([&] {
        QCoreApplication::processEvents();
        return viewer.Messages.size() == 2;
    }));
    EXPECT_EQ(std::get<0>(viewer.Messages[1]), uint32_t(WM_DRAWCLIPBOARD));
    EXPECT_TRUE(ClipboardApi::IsClipboardFormatAvailable(CF_TEXT));

    ClipboardApi::ChangeClipboardChain(viewer.Handle, uint32_t(uintptr_t(before)));
    EXPECT_EQ(GetClipboardViewer(), before);
}

TEST(SystemClipboardChain, TheFirstViewerIsToldWhenOneAfterItLeaves)
{
    TProbe ours, second;
    const HWND before = GetClipboardViewer();
    ClipboardApi::SetClipboardViewer(ours.Handle);
    // A second viewer joins after ours: it is first now, ours its successor.
    EXPECT_EQ(SetClipboardViewer(Hwnd(second)), Hwnd(ours));
    second.Messages.clear();

    ClipboardApi::ChangeClipboardChain(ours.Handle, uint32_t(uintptr_t(before)));
    EXPECT_EQ(second.Messages,
              (std::vector<TMessage>{{WM_CHANGECBCHAIN, uintptr_t(ours.Handle), intptr_t(uintptr_t(before))}}));
    EXPECT_EQ(GetClipboardViewer(), Hwnd(second));

    ChangeClipboardChain(Hwnd(second), before);
    EXPECT_EQ(GetClipboardViewer(), before);
}

TEST(SystemClipboardData, TheSystemRendersTextFormatsAndKeepsBlocksWhileOpen)
{
    CopyWithSystemCalls("\xCF\xF3\xF1\xEA"); // "Пуск" in cp1251
    EXPECT_TRUE(ClipboardApi::IsClipboardFormatAvailable(CF_OEMTEXT)) << "rendered by the system";
    TProbe window;
    ASSERT_TRUE(ClipboardApi::OpenClipboard(window.Handle));
    EXPECT_EQ(ClipboardApi::GetOpenClipboardWindow(), window.Handle);
    const uint32_t block = ClipboardApi::GetClipboardData(CF_TEXT);
    ASSERT_NE(ClipboardApi::GlobalLock(block), nullptr);
    EXPECT_EQ(QByteArray(ClipboardApi::GlobalLock(block)), QByteArray("\xCF\xF3\xF1\xEA"));
    ClipboardApi::GlobalUnlock(block);
    ClipboardApi::GlobalUnlock(block);
    EXPECT_GE(block, ClipboardApi::FirstBlockHandle);
    EXPECT_TRUE(ClipboardApi::CloseClipboard());
    EXPECT_EQ(ClipboardApi::GlobalLock(block), nullptr) << "the block went with the access";
}

TEST(SystemClipboardData, RegisteredFormatsAreTheSystemsOwn)
{
    const uint32_t format = ClipboardApi::RegisterClipboardFormat(QStringLiteral("Vantor Picture"));
    EXPECT_EQ(format, RegisterClipboardFormatA("vantor picture"));
    EXPECT_GE(format, 0xC000u);
    EXPECT_EQ(ClipboardApi::ClipboardFormatName(format).toLower(), QStringLiteral("vantor picture"));
}
