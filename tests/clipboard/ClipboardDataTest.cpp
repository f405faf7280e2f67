// The clipboard formats and data as the program reads them from Qt's
// clipboard: memory blocks, texts and the list of formats.

#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/ClipboardWindow.h"
#include "support/ClipboardContent.h"

#include <QStringEncoder>
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

namespace {
// MIME data with one format of the given MIME type.
QMimeData *MimeData(const QString &mime, const QByteArray &bytes)
{
    auto *data = new QMimeData;
    data->setData(mime, bytes);
    return data;
}

QByteArray Encoded(const char *charset, const QString &text)
{
    QStringEncoder encoder(charset);
    const QByteArray bytes = encoder.encode(text);
    EXPECT_TRUE(encoder.isValid()) << charset;
    return bytes;
}

QByteArray Block(uint32_t format)
{
    const uint32_t block = GetClipboardData(format);
    const char *bytes = GlobalLock(block);
    return bytes ? QByteArray(bytes, GlobalSize(block)) : QByteArray();
}

const QString Sample = QStringLiteral("#TC0:1:1 Пуск");
const QByteArray SampleAnsi = QByteArray("#TC0:1:1 \xCF\xF3\xF1\xEA", 13) + '\0';
const QByteArray SampleOem = QByteArray("#TC0:1:1 \x8F\xE3\xE1\xAA", 13) + '\0';
} // namespace

TEST(ClipboardText, TextInANamedCharsetIsReadThroughIt)
{
    struct Case {
        QString mime;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QStringLiteral("text/plain;charset=koi8-r"), Encoded("KOI8-R", Sample)},
        {QStringLiteral("text/plain;charset=utf-8"), Sample.toUtf8()},
        {QStringLiteral("text/plain; charset=\"windows-1251\""), SampleAnsi.chopped(1)},
        {QStringLiteral("text/plain;format=flowed;charset=ISO-8859-5"), Encoded("ISO-8859-5", Sample)},
        {QStringLiteral("text/plain;charset=UTF-16LE"), Encoded("UTF-16LE", Sample)},
    };
    for (const Case &c : cases) {
        Set(MimeData(c.mime, c.bytes));
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT)) << c.mime.toStdString();
        EXPECT_EQ(CountClipboardFormats(), 2) << c.mime.toStdString();
        TOpenClipboard open;
        EXPECT_EQ(Block(CF_TEXT), SampleAnsi) << c.mime.toStdString();
        EXPECT_EQ(Block(CF_OEMTEXT), SampleOem) << c.mime.toStdString();
    }
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

TEST(ClipboardText, OemTextAloneAlsoGivesTheAnsiText)
{
    Set(Data({{QStringLiteral("CF_OEMTEXT"), SampleOem}}));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_OEMTEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(CountClipboardFormats(), 2);
    {
        TOpenClipboard open;
        EXPECT_EQ(Block(CF_OEMTEXT), SampleOem) << "as the owner gave it";
        EXPECT_EQ(Block(CF_TEXT), SampleAnsi);
        QList<uint32_t> walked;
        for (uint32_t f = EnumClipboardFormats(0); f != 0 && walked.size() < 5; f = EnumClipboardFormats(f))
            walked << f;
        EXPECT_EQ(walked, (QList<uint32_t>{CF_OEMTEXT, CF_TEXT})) << "the rendered format after the owner's";
    }

    // The text ends at the first zero; a format the owner gives itself is
    // never replaced by a rendered one.
    Set(Data({{QStringLiteral("CF_OEMTEXT"), QByteArray("\x8F\0tail", 6)}, {QStringLiteral("CF_TEXT"), "own"}}));
    TOpenClipboard open;
    EXPECT_EQ(Block(CF_TEXT), "own");
    Set(Data({{QStringLiteral("CF_OEMTEXT"), QByteArray("\x8F\0tail", 6)}}));
    EXPECT_EQ(Block(CF_TEXT), QByteArray("\xCF\0", 2));
}

TEST(ClipboardFormatList, AskedOncePerChangeAndKeptUntilTheNext)
{
    SetText(QStringLiteral("one"));
    const int before = FormatListRequests();
    const auto everyCheck = [] {
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
        EXPECT_EQ(CountClipboardFormats(), 2);
        TOpenClipboard open;
        EXPECT_EQ(EnumClipboardFormats(0), CF_TEXT);
        EXPECT_EQ(EnumClipboardFormats(CF_TEXT), CF_OEMTEXT);
        EXPECT_EQ(EnumClipboardFormats(CF_OEMTEXT), 0u);
        EXPECT_NE(GetClipboardData(CF_OEMTEXT), 0u);
    };
    everyCheck();
    everyCheck();
    EXPECT_EQ(FormatListRequests(), before + 1);

    // The owner offering more without a change notification changes
    // nothing until the next one: the list stays that of the change.
    const_cast<QMimeData *>(QGuiApplication::clipboard()->mimeData())
        ->setData(QStringLiteral("image/png"), Encoded(Filled(2, 2, Qt::red), "PNG"));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(CountClipboardFormats(), 2);
    EXPECT_EQ(FormatListRequests(), before + 1);

    SetText(QStringLiteral("two"));
    everyCheck();
    EXPECT_EQ(FormatListRequests(), before + 2);
    Clear();
    EXPECT_EQ(CountClipboardFormats(), 0);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(FormatListRequests(), before + 3);
}
