#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/ClipboardWindow.h"
#include "platform/clipboard/GdiObjects.h"
#include "support/Ansi.h"
#include "support/ClipboardContent.h"

#include <gtest/gtest.h>

using namespace ClipboardApi;
using namespace ClipboardContent;

namespace {
// Opens the clipboard for a probe window for the test's duration.
struct TOpened {
    TWindowHandle Window = CreateWindow({});
    bool Ok = OpenClipboard(Window);
    ~TOpened()
    {
        CloseClipboard();
        DestroyWindow(Window);
    }
};

QByteArray BlockBytes(uint32_t handle)
{
    const char *p = GlobalLock(handle);
    return p ? QByteArray(p, GlobalSize(handle)) : QByteArray();
}
} // namespace

TEST(ClipboardFormats, RegisteredFormatsAreStableAndIgnoreLetterCase)
{
    const uint32_t a = RegisterClipboardFormat(QStringLiteral("Vantor Component"));
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(RegisterClipboardFormat(QStringLiteral("VANTOR COMPONENT")), a);
    EXPECT_NE(RegisterClipboardFormat(QStringLiteral("Vantor Icon")), a);
    EXPECT_EQ(ClipboardFormatName(a), QStringLiteral("Vantor Component"));
    EXPECT_EQ(ClipboardFormatName(CF_PALETTE), QStringLiteral("CF_PALETTE"));
    EXPECT_EQ(RegisterClipboardFormat(QString()), 0u);
}

TEST(ClipboardFormats, MimeTypesMapInOrderEachFormatOnce)
{
    QMimeData data;
    data.setData(QStringLiteral("text/html"), "<b>x</b>");
    data.setText(QStringLiteral("x"));
    data.setImageData(Filled(2, 2, Qt::red));
    data.setData(WindowsMimeType(QStringLiteral("CF_PALETTE")), PaletteBlock(Ramp(2)));
    data.setData(WindowsMimeType(QStringLiteral("CF_TEXT")), "raw"); // already there from the text
    data.setData(WindowsMimeType(QStringLiteral("Other Program")), "?");
    data.setData(QStringLiteral("TARGETS"), "x11 selection target, not data");
    const QList<TMimeFormat> formats = ClipboardFormatsOf(&data);
    QList<uint32_t> ids;
    for (const TMimeFormat &f : formats)
        ids << f.Format;
    EXPECT_EQ(ids, (QList<uint32_t>{RegisterClipboardFormat(QStringLiteral("text/html")), CF_TEXT, CF_OEMTEXT, CF_BITMAP,
                                    CF_PALETTE, RegisterClipboardFormat(QStringLiteral("Other Program"))}));
    EXPECT_EQ(formats[1].Mime, QStringLiteral("text/plain"));
    EXPECT_TRUE(ClipboardFormatsOf(nullptr).isEmpty());
}

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

TEST(ClipboardOpen, ExclusiveForOneWindowAtATime)
{
    const TWindowHandle a = CreateWindow({});
    const TWindowHandle b = CreateWindow({});
    ASSERT_TRUE(OpenClipboard(a));
    EXPECT_FALSE(OpenClipboard(b));
    EXPECT_TRUE(OpenClipboard(a)); // the holder itself may open again
    EXPECT_EQ(GetOpenClipboardWindow(), a);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(OpenClipboard(b));
    EXPECT_TRUE(CloseClipboard());
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST(ClipboardData, TextRendersAsAnsiAndOemWithTheirZero)
{
    SetText(QStringLiteral("Пуск\n#TC"));
    EXPECT_EQ(GetClipboardData(CF_TEXT), 0u) << "data needs an open clipboard";
    TOpened open;
    ASSERT_TRUE(open.Ok);
    EXPECT_EQ(BlockBytes(GetClipboardData(CF_TEXT)), A("Пуск\n#TC") + '\0');
    EXPECT_EQ(BlockBytes(GetClipboardData(CF_OEMTEXT)), QByteArray("\x8F\xE3\xE1\xAA\n#TC", 8) + '\0');
    EXPECT_EQ(GetClipboardData(CF_TEXT), GetClipboardData(CF_TEXT)) << "one rendering per open";
    EXPECT_EQ(GetClipboardData(CF_BITMAP), 0u);
}

TEST(ClipboardData, RenderedDataIsFreedOnCloseAndOnChange)
{
    Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(3))}}));
    const int palettes = Gdi::LivePaletteCount();
    uint32_t palette = 0;
    {
        TOpened open;
        palette = GetClipboardData(CF_PALETTE);
        EXPECT_EQ(Gdi::GetPaletteObjectCount(palette), 3);
        EXPECT_EQ(Gdi::LivePaletteCount(), palettes + 1);
    }
    EXPECT_EQ(Gdi::LivePaletteCount(), palettes);
    EXPECT_FALSE(Gdi::GetPaletteObjectCount(palette).has_value());

    SetText(QStringLiteral("old"));
    TOpened open;
    const uint32_t block = GetClipboardData(CF_TEXT);
    ASSERT_NE(GlobalLock(block), nullptr);
    SetText(QStringLiteral("new"));
    EXPECT_EQ(GlobalLock(block), nullptr) << "a block of the old contents is gone";
    EXPECT_EQ(BlockBytes(GetClipboardData(CF_TEXT)), QByteArray("new", 4));
}

TEST(ClipboardData, EnumerationFollowsTheOwnersOrder)
{
    auto *data = new QMimeData;
    data->setImageData(Filled(1, 1, Qt::blue));
    data->setText(QStringLiteral("t"));
    Set(data);
    EXPECT_EQ(EnumClipboardFormats(0), 0u) << "needs an open clipboard";
    TOpened open;
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
        TOpened open;
        const QImage image = Gdi::BitmapImage(GetClipboardData(CF_BITMAP));
        EXPECT_EQ(image.size(), QSize(3, 2));
        EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::green));
    }
    EXPECT_EQ(Gdi::LiveBitmapCount(), 0);

    auto *broken = new QMimeData;
    broken->setData(QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n garbage", 17));
    Set(broken);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    TOpened open;
    EXPECT_EQ(GetClipboardData(CF_BITMAP), 0u);
}

TEST(PaletteBlock, HeaderAndEntriesAreCheckedAgainstTheBlockSize)
{
    const auto entries = Ramp(5);
    const uint32_t whole = PaletteFromBlock(PaletteBlock(entries));
    ASSERT_NE(whole, 0u);
    std::vector<Gdi::TPaletteEntry> back(5);
    EXPECT_EQ(Gdi::GetPaletteEntries(whole, 0, 5, back.data()), 5u);
    EXPECT_EQ(back, entries);

    // A header claiming more entries than the block holds gives those it has.
    const uint32_t cut = PaletteFromBlock(PaletteBlock(entries, 300));
    EXPECT_EQ(Gdi::GetPaletteObjectCount(cut), 5);
    // A trailing partial entry is not an entry.
    EXPECT_EQ(Gdi::GetPaletteObjectCount(PaletteFromBlock(PaletteBlock(entries, 2) + "ab")), 2);

    EXPECT_EQ(PaletteFromBlock(QByteArray()), 0u);
    EXPECT_EQ(PaletteFromBlock(QByteArray("\x00\x03", 2)), 0u);
    EXPECT_EQ(PaletteFromBlock(PaletteBlock({})), 0u);
    EXPECT_EQ(PaletteFromBlock(PaletteBlock(entries, -1, 0x0200)), 0u);
    Gdi::DeleteObject(whole);
    Gdi::DeleteObject(cut);
}
