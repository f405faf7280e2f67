#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/ClipboardWindow.h"
#include "platform/clipboard/GdiObjects.h"
#include "support/OpenClipboard.h"
#include "support/Ansi.h"
#include "support/ClipboardContent.h"

#include <gtest/gtest.h>

using namespace ClipboardApi;
using namespace ClipboardContent;

TEST(ClipboardFormats, AvailabilityAndCountNeedNoOpenClipboard)
{
    Clear();
    EXPECT_EQ(CountClipboardFormats(), 0);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    SetText(QStringLiteral("#TC0:1:1"));
    EXPECT_EQ(GetOpenClipboardWindow(), 0u);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_OEMTEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_FALSE(IsClipboardFormatAvailable(0));
    EXPECT_EQ(CountClipboardFormats(), 2);
}

TEST(ClipboardData, RenderedDataIsFreedOnCloseAndOnChange)
{
    Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(3))}}));
    const int palettes = Gdi::LivePaletteCount();
    uint32_t palette = 0;
    {
        TOpenClipboard open;
        palette = GetClipboardData(CF_PALETTE);
        EXPECT_EQ(Gdi::GetPaletteObjectCount(palette), 3);
        EXPECT_EQ(Gdi::LivePaletteCount(), palettes + 1);
    }
    EXPECT_EQ(Gdi::LivePaletteCount(), palettes);
    EXPECT_FALSE(Gdi::GetPaletteObjectCount(palette).has_value());

    SetText(QStringLiteral("old"));
    TOpenClipboard open;
    const uint32_t block = GetClipboardData(CF_TEXT);
    ASSERT_NE(GlobalLock(block), nullptr);
    SetText(QStringLiteral("new"));
    EXPECT_EQ(GlobalLock(block), nullptr) << "a block of the old contents is gone";
    EXPECT_EQ(Block(CF_TEXT), QByteArray("new", 4));
}

TEST(ClipboardData, EnumerationFollowsTheOwnersOrder)
{
    auto *data = new QMimeData;
    data->setImageData(Filled(1, 1, Qt::blue));
    data->setText(QStringLiteral("t"));
    Set(data);
    EXPECT_EQ(EnumClipboardFormats(0), 0u) << "needs an open clipboard";
    TOpenClipboard open;
    QList<uint32_t> walked;
    for (uint32_t f = EnumClipboardFormats(0); f != 0 && walked.size() < 10; f = EnumClipboardFormats(f))
        walked << f;
    // Qt lists the image first when both are set this way.
    QList<uint32_t> expected;
    for (const TMimeFormat &f : ClipboardFormatsOf(data))
        expected << f.Format;
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(walked.size(), 3);
    EXPECT_EQ(EnumClipboardFormats(0x7777), 0u);
}

TEST(ClipboardData, ImagesBecomeBitmapObjectsAndBrokenOnesNothing)
{
    Set(Data({{QStringLiteral("CF_BITMAP"), Encoded(Filled(3, 2, Qt::green), "PNG")}}));
    {
        TOpenClipboard open;
        const QImage image = Gdi::BitmapImage(GetClipboardData(CF_BITMAP));
        EXPECT_EQ(image.size(), QSize(3, 2));
        EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::green));
    }
    EXPECT_EQ(Gdi::LiveBitmapCount(), 0);

    auto *broken = new QMimeData;
    broken->setData(QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n garbage", 17));
    Set(broken);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    TOpenClipboard open;
    EXPECT_EQ(GetClipboardData(CF_BITMAP), 0u);
}
