#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/ClipboardWindow.h"
#include "platform/clipboard/GdiObjects.h"
#include "support/OpenClipboard.h"
#include "support/Ansi.h"
#include "support/ClipboardContent.h"

#include <gtest/gtest.h>

using namespace ClipboardApi;
using namespace ClipboardContent;

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
    TOpenClipboard open;
    ASSERT_TRUE(open.Ok);
    EXPECT_EQ(Block(CF_TEXT), A("Пуск\n#TC") + '\0');
    EXPECT_EQ(Block(CF_OEMTEXT), QByteArray("\x8F\xE3\xE1\xAA\n#TC", 8) + '\0');
    EXPECT_EQ(GetClipboardData(CF_TEXT), GetClipboardData(CF_TEXT)) << "one rendering per open";
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
