#include "app/ClipIcon.h"
#include "app/Clipboard.h"
#include "widgets/ComponentStream.h"
#include "widgets/Picture.h"
#include "widgets/CheckBox.h"
#include "framework/Component.h"
#include "framework/MemoryStream.h"
#include "support/Ansi.h"
#include "support/ClipboardContent.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace ClipboardContent;

namespace {
// Another window holding the clipboard open.
struct THeldOpen {
    ClipboardApi::TWindowHandle Window = ClipboardApi::CreateWindow({});
    THeldOpen() { ClipboardApi::OpenClipboard(Window); }
    ~THeldOpen()
    {
        ClipboardApi::CloseClipboard();
        ClipboardApi::DestroyWindow(Window);
    }
};

QByteArray ComponentBytes(const QObject &component)
{
    TMemoryStream stream;
    WriteComponent(stream, &component);
    return stream.Bytes();
}

QByteArray MessageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Exception &e) {
        return e.Message();
    }
    return "(nothing raised)";
}
} // namespace

TEST(ClipboardAccess, OpenAccessNestsAndOpensThePlatformClipboardOnce)
{
    TClipboard &clipboard = ClipboardAccess();
    ASSERT_EQ(clipboard.OpenCount(), 0);
    clipboard.OpenAccess();
    const ClipboardApi::TWindowHandle window = ClipboardApi::GetOpenClipboardWindow();
    EXPECT_NE(window, 0u);
    clipboard.OpenAccess();
    EXPECT_EQ(clipboard.OpenCount(), 2);
    EXPECT_EQ(ClipboardApi::GetOpenClipboardWindow(), window);
    clipboard.CloseAccess();
    EXPECT_EQ(ClipboardApi::GetOpenClipboardWindow(), window);
    clipboard.CloseAccess();
    EXPECT_EQ(ClipboardApi::GetOpenClipboardWindow(), 0u);
    EXPECT_FALSE(ClipboardApi::IsWindow(window)) << "its own window goes with the last close";
    clipboard.CloseAccess(); // one close too many does nothing
    EXPECT_EQ(clipboard.OpenCount(), 0);
}

TEST(ClipboardAccess, AnotherHolderMakesEveryReadFailWithCannotOpen)
{
    SetText(QStringLiteral("#TC0:1:1"));
    THeldOpen other;
    TClipboard &clipboard = ClipboardAccess();
    EXPECT_EQ(MessageOf([&] { clipboard.OpenAccess(); }), "Cannot open clipboard");
    EXPECT_EQ(clipboard.OpenCount(), 0);
    EXPECT_EQ(MessageOf([&] { clipboard.ClipboardText(); }), "Cannot open clipboard");
    EXPECT_EQ(MessageOf([&] { clipboard.ComponentFromClipboard(nullptr, nullptr); }), "Cannot open clipboard");
    EXPECT_EQ(clipboard.OpenCount(), 0);
    // Checks that need no open clipboard still answer.
    EXPECT_TRUE(clipboard.FormatAvailable(CF_TEXT));
    EXPECT_EQ(clipboard.CountFormats(), TextFormatCount);
}

TEST(ClipboardAccess, ClipboardTextIsTheAnsiTextUpToItsFirstZero)
{
    TClipboard &clipboard = ClipboardAccess();
    SetText(QStringLiteral("  #TC0:1:1 Объект\r\n"));
    EXPECT_EQ(clipboard.ClipboardText(), A("  #TC0:1:1 Объект\r\n"));
    SetText(QStringLiteral("€ 中")); // 中 is not in cp1251, nor like any character of it
    EXPECT_EQ(clipboard.ClipboardText(), QByteArray("\x88 ?"));

    Set(Data({{QStringLiteral("CF_TEXT"), QByteArray("ab\0cd", 5)}}));
    EXPECT_EQ(clipboard.ClipboardText(), "ab");

    Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(1))}}));
    EXPECT_EQ(clipboard.ClipboardText(), QByteArray());
    Clear();
    EXPECT_EQ(clipboard.ClipboardText(), QByteArray());
    EXPECT_EQ(clipboard.OpenCount(), 0);
}

TEST(ClipboardAccess, HugeTextIsReadWhole)
{
    QString text(8 * 1024 * 1024, QLatin1Char('x'));
    text[0] = QLatin1Char('#');
    text.back() = QChar(0x0416); // Ж
    SetText(text);
    const QByteArray read = ClipboardAccess().ClipboardText();
    ASSERT_EQ(read.size(), text.size());
    EXPECT_EQ(read.front(), '#');
    EXPECT_EQ(read.back(), '\xC6');
}

TEST(ClipboardAccess, PictureFormatStandsForAnyPictureFormat)
{
    TClipboard &clipboard = ClipboardAccess();
    SetText(QStringLiteral("text only"));
    EXPECT_FALSE(clipboard.FormatAvailable(PictureFormatId));

    auto *image = new QMimeData;
    image->setImageData(Filled(2, 2, Qt::red));
    Set(image);
    EXPECT_TRUE(clipboard.FormatAvailable(PictureFormatId));

    Set(Data({{QStringLiteral("Vantor Icon"), "x"}}));
    EXPECT_TRUE(clipboard.FormatAvailable(PictureFormatId));
    Set(Data({{QStringLiteral("CF_ENHMETAFILE"), "x"}}));
    EXPECT_TRUE(clipboard.FormatAvailable(PictureFormatId));
    Set(Data({{QStringLiteral("Vantor Picture"), "x"}}));
    EXPECT_TRUE(clipboard.FormatAvailable(PictureFormatId));

    // The search opens the clipboard, so another holder makes it fail; a
    // direct answer does not need the clipboard open.
    Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(1))}}));
    {
        THeldOpen other;
        EXPECT_EQ(MessageOf([&] { clipboard.FormatAvailable(PictureFormatId); }), "Cannot open clipboard");
        EXPECT_TRUE(clipboard.FormatAvailable(CF_PALETTE));
    }
    EXPECT_EQ(clipboard.OpenCount(), 0);
}

TEST(ClipboardAccess, LoadPictureTakesTheFirstPictureFormatInTheClipboardsOrder)
{
    TClipboard &clipboard = ClipboardAccess();
    const QByteArray icon = Encoded(Filled(16, 16, Qt::blue), "ICO");
    ASSERT_FALSE(icon.isEmpty());

    auto *bitmapFirst = Data({{QStringLiteral("CF_BITMAP"), Encoded(Filled(5, 4, Qt::red), "PNG")},
                              {QStringLiteral("Vantor Icon"), icon}});
    Set(bitmapFirst);
    TPicture picture;
    clipboard.LoadPicture(picture);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_NE(dynamic_cast<const TBitmap *>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Graphic()->Image().size(), QSize(5, 4));

    Set(Data({{QStringLiteral("Vantor Icon"), icon}, {QStringLiteral("CF_BITMAP"), Encoded(Filled(5, 4, Qt::red), "PNG")}}));
    EXPECT_EQ(MessageOf([&] { clipboard.LoadPicture(picture); }), "Clipboard does not support Icons");
    EXPECT_EQ(picture.Graphic()->Image().size(), QSize(5, 4)) << "a failed load keeps the picture";

    SetText(QStringLiteral("no picture"));
    EXPECT_EQ(MessageOf([&] { clipboard.LoadPicture(picture); }), "Invalid clipboard format");
    EXPECT_EQ(MessageOf([] { TPicture().LoadFromClipboardFormat(CF_TEXT, 0, 0); }), "Unsupported clipboard format");
    EXPECT_EQ(clipboard.OpenCount(), 0);
}

TEST(ClipIcon, IconsAreReadFromTheirIconFileBlock)
{
    EXPECT_TRUE(TClipboardFormats::Contains(IconFormatId));
    SetText(QStringLiteral("no icon"));
    EXPECT_EQ(IconFromClipboard(), nullptr);

    Set(Data({{QStringLiteral("Vantor Icon"), Encoded(Filled(32, 32, Qt::green), "ICO")}}));
    const std::unique_ptr<TIcon> icon = IconFromClipboard();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->Image().size(), QSize(32, 32));
    EXPECT_EQ(icon->Image().pixelColor(3, 3), QColor(Qt::green));

    Set(Data({{QStringLiteral("Vantor Icon"), QByteArray("\0\0\1\0\1\0garbage", 13)}}));
    EXPECT_EQ(MessageOf([] { IconFromClipboard(); }), "Icon image is not valid");
    EXPECT_EQ(ClipboardAccess().OpenCount(), 0);
}

TEST(ClipboardAccess, ComponentFromClipboardReadsOneComponent)
{
    TClipboard &clipboard = ClipboardAccess();
    SetText(QStringLiteral("none"));
    EXPECT_EQ(clipboard.ComponentFromClipboard(nullptr, nullptr), nullptr);

    TCheckBox box;
    box.setObjectName(QStringLiteral("cbOption"));
    box.setText(QStringLiteral("Блок"));
    box.setChecked(true);
    Set(Data({{QStringLiteral("Vantor Component"), ComponentBytes(box)}}));
    QWidget parent;
    QObject owner;
    std::unique_ptr<QObject> read(clipboard.ComponentFromClipboard(&owner, &parent));
    auto *control = qobject_cast<TCheckBox *>(read.get());
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget(), &parent) << "a control gets the parent";
    EXPECT_EQ(control->objectName(), QStringLiteral("cbOption"));
    EXPECT_EQ(control->text(), QStringLiteral("Блок"));
    EXPECT_TRUE(control->isChecked());

    TComponent storage;
    storage.setObjectName(QStringLiteral("FormStorage1"));
    Set(Data({{QStringLiteral("Vantor Component"), ComponentBytes(storage)}}));
    QObject *component = clipboard.ComponentFromClipboard(&owner, &parent);
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component->parent(), &owner) << "any other component gets the owner";

    Set(Data({{QStringLiteral("Vantor Component"), "VCS1 broken"}}));
    EXPECT_EQ(MessageOf([&] { clipboard.ComponentFromClipboard(&owner, &parent); }), "Invalid component stream");
    EXPECT_EQ(clipboard.OpenCount(), 0);
}
