// The clipboard formats and data as the program reads them: memory blocks
// and texts. (Text in a named charset and the list of formats kept per
// change are the Linux stand-in's: ClipboardTextLinuxTest.cpp.)

#include "ClipboardBlocks.h"
#include "support/ClipboardContent.h"

#include <QList>
#include <gtest/gtest.h>
#include <set>

using namespace ClipboardApi;
using namespace ClipboardContent;

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

TEST(ClipboardText, TextInAnUnknownCharsetIsNoText)
{
    const QString mime = QStringLiteral("text/plain;charset=x-no-such-charset");
    Set(MimeData(mime, "#TC0:1:1"));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_OEMTEXT));
    // It is still on the clipboard, as a format of its own.
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormat(mime)));
    EXPECT_EQ(CountClipboardFormats(), 1);
}

namespace {
// The formats of text given as CF_OEMTEXT alone, in the clipboard's order:
// the owner's, then those rendered from it. Windows also renders Unicode
// text and the locale of the text.
#ifdef Q_OS_WIN
const QList<uint32_t> OemTextFormats = {CF_OEMTEXT, 16 /* CF_LOCALE */, CF_TEXT, 13 /* CF_UNICODETEXT */};
#else
const QList<uint32_t> OemTextFormats = {CF_OEMTEXT, CF_TEXT};
#endif
} // namespace

TEST(ClipboardText, OemTextAloneAlsoGivesTheAnsiText)
{
    Set(Data({{QStringLiteral("CF_OEMTEXT"), SampleOem}}));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_OEMTEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(CountClipboardFormats(), OemTextFormats.size());
    {
        TOpenClipboard open;
        EXPECT_EQ(Block(CF_OEMTEXT), SampleOem) << "as the owner gave it";
        EXPECT_EQ(Block(CF_TEXT), SampleAnsi);
        QList<uint32_t> walked;
        for (uint32_t f = EnumClipboardFormats(0); f != 0 && walked.size() < 5; f = EnumClipboardFormats(f))
            walked << f;
        EXPECT_EQ(walked, OemTextFormats) << "the rendered formats after the owner's";
    }

    // The text ends at the first zero; a format the owner gives itself is
    // never replaced by a rendered one.
    // (The clipboard is set while nobody holds it open.)
    Set(Data({{QStringLiteral("CF_OEMTEXT"), QByteArray("\x8F\0tail", 6)}, {QStringLiteral("CF_TEXT"), QByteArray("own", 4)}}));
    {
        TOpenClipboard open;
        EXPECT_EQ(Block(CF_TEXT), QByteArray("own", 4));
    }
    Set(Data({{QStringLiteral("CF_OEMTEXT"), QByteArray("\x8F\0tail", 6)}}));
    TOpenClipboard open;
    EXPECT_EQ(Block(CF_TEXT).left(2), QByteArray("\xCF\0", 2)) << "what follows the zero is no text";
}
