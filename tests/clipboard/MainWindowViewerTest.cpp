#include "app/ClipboardViewer.h"
#include "widgets/Image.h"
#include "widgets/Memo.h"
#include "widgets/PaletteGrid.h"
#include "platform/clipboard/ClipboardChain.h"
#include "app/MainUnit.h"
#include "support/ClipboardContent.h"
#include "support/PrivateSettings.h"
#include "support/frmMainProbe.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

using namespace ClipboardContent;

namespace {
// The next widgets after from in the focus chain that take the focus by Tab.
QList<QWidget *> TabChainAfter(QWidget *from, int count)
{
    QList<QWidget *> chain;
    for (QWidget *w = from->nextInFocusChain(); w != from && chain.size() < count; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w;
    return chain;
}
} // namespace

TEST(MainWindowViewer, SitsWhereDesignedWithoutScrollBarsInButtonFace)
{
    Clear();
    PrivateSettings settings;
    TfrmMain window;
    const TfrmMainProbe probe(window);
    TClipboardViewer *viewer = probe.ClipboardViewer1();
    EXPECT_EQ(viewer->geometry(), QRect(412, 5, 113, 41));
    EXPECT_EQ(viewer->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(viewer->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_FALSE(viewer->AutoScroll());
    EXPECT_EQ(viewer->Color(), clBtnFace);
    EXPECT_EQ(viewer->ViewFormat(), cvDefault);
    EXPECT_TRUE(viewer->OnChange());
    EXPECT_FALSE(viewer->Chained()) << "joins when its window is created, as the main window is shown";

    window.show();
    EXPECT_TRUE(viewer->Chained());
    EXPECT_EQ(ClipboardApi::GetClipboardViewer(), viewer->WindowHandle());
    EXPECT_EQ(viewer->ViewFormat(), cvEmpty);

    // Tab order: the log, then the preview, then the check box.
    SetText(QStringLiteral("#TC0:1:1"));
    const auto *memo = qobject_cast<TMemo *>(viewer->Preview());
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(TabChainAfter(probe.Memo1(), 2), (QList<QWidget *>{const_cast<TMemo *>(memo), probe.cbPLDKv2()}));
}

TEST(MainWindowViewer, LeavesTheChainWithTheWindow)
{
    Clear();
    PrivateSettings settings;
    const ClipboardApi::TWindowHandle before = ClipboardApi::GetClipboardViewer();
    {
        TfrmMain window;
        window.show();
        EXPECT_NE(ClipboardApi::GetClipboardViewer(), before);
    }
    EXPECT_EQ(ClipboardApi::GetClipboardViewer(), before);
}

TEST(MainWindowViewer, ScreenshotsShowTextImageAndPalettePreviews)
{
    Clear();
    PrivateSettings settings;
    TfrmMain window;
    window.show();
    TClipboardViewer *viewer = TfrmMainProbe(window).ClipboardViewer1();
    const QRect client(viewer->mapTo(&window, viewer->viewport()->geometry().topLeft()), viewer->viewport()->size());

    SetText(QStringLiteral("#TC0:1:1"));
    QImage shot = window.grab().toImage();
    KeepScreenshot(shot, "main-text.png");
    EXPECT_EQ(shot.pixelColor(client.topLeft() + QPoint(2, 2)), ToQColor(clWindow)) << "the text field's background";

    Set([] {
        auto *data = new QMimeData;
        data->setImageData(Filled(30, 16, QColor(200, 0, 0)));
        return data;
    }());
    shot = window.grab().toImage();
    KeepScreenshot(shot, "main-image.png");
    EXPECT_EQ(shot.pixelColor(client.center()), QColor(200, 0, 0));
    EXPECT_EQ(shot.pixelColor(client.topLeft() + QPoint(1, 1)), ToQColor(clBtnFace)) << "around the image: button face";

    std::vector<Gdi::TPaletteEntry> entries;
    for (int i = 0; i < 16; ++i)
        entries.push_back({uint8_t(i * 16), uint8_t(255 - i * 16), uint8_t(i % 2 * 255), 0});
    Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(entries)}}));
    shot = window.grab().toImage();
    KeepScreenshot(shot, "main-palette.png");
    ASSERT_NE(qobject_cast<TPaletteGrid *>(viewer->Preview()), nullptr);
    EXPECT_EQ(shot.pixelColor(client.topLeft() + QPoint(10, 10)), QColor(0, 255, 0)) << "the first swatch";
    EXPECT_EQ(shot.pixelColor(client.topLeft() + QPoint(30, 10)), QColor(16, 239, 255)) << "the second swatch";
}
