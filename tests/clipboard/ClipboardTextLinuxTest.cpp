// The Linux stand-in's clipboard texts: text that Qt's clipboard holds in a
// named charset (Windows programs offer none: their text formats are the
// system's), and the list of formats that the stand-in asks Qt's clipboard
// for once per change.

#include "ClipboardBlocks.h"
#include "support/ClipboardContent.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace ClipboardApi;
using namespace ClipboardContent;

namespace {
QByteArray Encoded(const char *charset, const QString &text)
{
    QStringEncoder encoder(charset);
    const QByteArray bytes = encoder.encode(text);
    EXPECT_TRUE(encoder.isValid()) << charset;
    return bytes;
}
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
