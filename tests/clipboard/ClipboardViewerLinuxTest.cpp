// The viewer on the Linux stand-in's clipboard: text that Qt's clipboard
// holds in a named character set (Windows programs offer none).

#include "ClipboardViewerFixture.h"

TEST_F(ClipboardViewer, TextInANamedCharacterSetIsShown)
{
    TViewer viewer;
    auto *koi8 = new QMimeData;
    koi8->setData(QStringLiteral("text/plain;charset=KOI8-R"), QByteArray("\xF0\xD5\xD3\xCB #TC0:1:1"));
    Set(koi8);
    EXPECT_EQ(viewer.Viewer.ResolveViewFormat(), cvText);
    EXPECT_EQ(viewer.Text(), QStringLiteral("Пуск #TC0:1:1"));
}
