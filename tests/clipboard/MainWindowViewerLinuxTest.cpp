// The main window's viewer on the Linux stand-in's clipboard: text that
// Qt's clipboard holds in a named character set (Windows programs offer none).

#include "app/ClipboardViewer.h"
#include "app/MainUnit.h"
#include "support/ClipboardContent.h"
#include "support/PrivateSettings.h"
#include "support/Screenshot.h"
#include "support/frmMainProbe.h"

#include <QPlainTextEdit>
#include <gtest/gtest.h>

using namespace ClipboardContent;

TEST(MainWindowViewer, ScreenshotShowsTextInANamedCharacterSet)
{
    Clear();
    PrivateSettings settings;
    TfrmMain window;
    window.show();
    TClipboardViewer *viewer = TfrmMainProbe(window).ClipboardViewer1();

    // Text offered only in a character set of its own.
    Set([] {
        auto *data = new QMimeData;
        data->setData(QStringLiteral("text/plain;charset=KOI8-R"), "#TC0:1:1 \xF0\xD5\xD3\xCB");
        return data;
    }());
    const QImage shot = window.grab().toImage();
    KeepScreenshot(shot, "main-charset-text.png");
    const auto *memo = qobject_cast<const QPlainTextEdit *>(viewer->Preview());
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("#TC0:1:1 Пуск"));
    // Dark pixels where the field draws its text (its scroll bars aside).
    const QRect textArea(memo->viewport()->mapTo(&window, QPoint(0, 0)), memo->viewport()->size());
    int inked = 0;
    for (int x = textArea.left(); x <= textArea.right(); ++x)
        for (int y = textArea.top(); y <= textArea.bottom(); ++y)
            inked += shot.pixelColor(x, y).lightness() < 128;
    EXPECT_GT(inked, 20) << "the text is drawn, the field is not blank";
}
