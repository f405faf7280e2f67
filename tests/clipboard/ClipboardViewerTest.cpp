#include "ClipboardViewerFixture.h"

TEST_F(ClipboardViewerChain, EveryViewerHearsEveryChangeAfterItsSuccessors)
{
    std::vector<int> order;
    SetText(QStringLiteral("before"));
    const TWindowHandle first = GetClipboardViewer();
    auto a = std::make_unique<TViewer>(&order, 1);
    auto b = std::make_unique<TViewer>(&order, 2);
    auto c = std::make_unique<TViewer>(&order, 3);
    // Joining notifies the joining viewer only.
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(a->Viewer.NextViewer(), first);
    EXPECT_EQ(b->Viewer.NextViewer(), a->Viewer.WindowHandle());
    EXPECT_EQ(c->Viewer.NextViewer(), b->Viewer.WindowHandle());
    EXPECT_TRUE(c->Viewer.Chained());

    order.clear();
    SetText(QStringLiteral("change"));
    // Each passes the change on before raising its own event.
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(a->Text(), QStringLiteral("change"));

    b.reset(); // leaves from the middle
    EXPECT_EQ(c->Viewer.NextViewer(), a->Viewer.WindowHandle());
    order.clear();
    SetText(QStringLiteral("again"));
    EXPECT_EQ(order, (std::vector<int>{1, 3}));

    c.reset(); // leaves from the front
    EXPECT_EQ(GetClipboardViewer(), a->Viewer.WindowHandle());
    order.clear();
    SetText(QStringLiteral("last"));
    EXPECT_EQ(order, (std::vector<int>{1}));
    a.reset();
    EXPECT_EQ(GetClipboardViewer(), first);
}

TEST_F(ClipboardViewerChain, TheJoiningNotificationIsNotPassedOn)
{
    TProbe probe;
    TViewer viewer;
    EXPECT_EQ(viewer.Changes, 1) << "one change event on joining, with no change of the clipboard";
    EXPECT_EQ(viewer.Viewer.NextViewer(), probe.Handle);
    EXPECT_TRUE(probe.Messages.empty());
    SetText(QStringLiteral("x"));
    EXPECT_EQ(probe.Messages.size(), 1u) << "a real change is passed on";
}

TEST_F(ClipboardViewerChain, ChangeChainReplacesTheSuccessorOrIsPassedOn)
{
    TProbe probe;
    TViewer viewer;
    const TWindowHandle self = viewer.Viewer.WindowHandle();
    SendMessage(self, WM_CHANGECBCHAIN, 777, 778);
    ASSERT_EQ(probe.Messages.size(), 1u);
    EXPECT_EQ(probe.Messages[0], std::make_tuple(WM_CHANGECBCHAIN, uintptr_t(777), intptr_t(778)));
    EXPECT_EQ(viewer.Viewer.NextViewer(), probe.Handle);

    SendMessage(self, WM_CHANGECBCHAIN, probe.Handle, intptr_t(probe.Next));
    EXPECT_EQ(probe.Messages.size(), 1u) << "the message about its successor stops here";
    EXPECT_EQ(viewer.Viewer.NextViewer(), probe.Next);
    viewer.Viewer.SetOnChange({});
}

TEST_F(ClipboardViewerChain, LeavesWhenItsWindowGoesFirstAndOnlyOnce)
{
    auto viewer = std::make_unique<TViewer>();
    TProbe front; // joins after the viewer: its successor is the viewer
    ASSERT_EQ(front.Next, viewer->Viewer.WindowHandle());
    const TWindowHandle behind = viewer->Viewer.NextViewer();

    // The platform destroys the window (as with its parent's): WM_NCDESTROY.
    DestroyWindow(viewer->Viewer.WindowHandle());
    EXPECT_FALSE(viewer->Viewer.Chained());
    EXPECT_EQ(viewer->Viewer.NextViewer(), 0u);
    ASSERT_EQ(front.Messages.size(), 1u);
    EXPECT_EQ(front.Messages[0], std::make_tuple(WM_CHANGECBCHAIN, uintptr_t(front.Next), intptr_t(behind)));
    front.Next = behind; // what a real member does with the message
    viewer.reset();
    EXPECT_EQ(front.Messages.size(), 1u) << "destroying the control leaves no second time";
}

TEST_F(ClipboardViewerChain, RecreatingTheWindowRejoinsWithOneMoreChange)
{
    TProbe probe;
    TViewer viewer;
    SetText(QStringLiteral("same"));
    const int changes = viewer.Changes;
    const TWindowHandle old = viewer.Viewer.WindowHandle();
    viewer.Viewer.RecreateWnd();
    EXPECT_EQ(viewer.Changes, changes + 1);
    EXPECT_NE(viewer.Viewer.WindowHandle(), old);
    EXPECT_EQ(viewer.Viewer.NextViewer(), probe.Handle);
    EXPECT_EQ(GetClipboardViewer(), viewer.Viewer.WindowHandle());
    EXPECT_EQ(viewer.Text(), QStringLiteral("same"));
}

TEST_F(ClipboardViewer, EmptyClipboardShowsNoChildUntilTheNextChange)
{
    TViewer viewer;
    SetText(QStringLiteral("x"));
    Clear();
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvEmpty);
    EXPECT_EQ(viewer.Viewer.Preview(), nullptr);
    EXPECT_TRUE(viewer.Viewer.Client()->findChildren<QWidget *>().isEmpty());
    SetText(QStringLiteral("back"));
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvDefault);
    EXPECT_EQ(viewer.Text(), QStringLiteral("back"));
}

namespace {
#ifdef Q_OS_WIN
constexpr char EnhancedMetafileOnlyPreview[] = "TImage";
#else
constexpr char EnhancedMetafileOnlyPreview[] = "TMemo";
#endif
} // namespace

TEST_F(ClipboardViewer, DetectsTheFormatInItsOrderOfPreference)
{
    TCheckBox box;
    TComponent component;
    const QByteArray icon = Encoded(Filled(16, 16, Qt::yellow), "ICO");
    const QByteArray png = Encoded(Filled(7, 5, Qt::red), "PNG");
    const QByteArray palette = PaletteBlock(Ramp(4));
    struct TCase {
        const char *Name;
        std::function<QMimeData *()> Data;
        TClipboardViewFormat Expected;
        const char *PreviewClass;
    };
    const TCase cases[] = {
        {"text wins over a bitmap",
         [&] {
             QMimeData *d = ImageData(Filled(3, 3, Qt::red));
             d->setText(QStringLiteral("t"));
             return d;
         },
         cvText, "TMemo"},
        // The platform renders CF_TEXT from OEM text, so text is found first.
        {"OEM text only", [] { return Data({{QStringLiteral("CF_OEMTEXT"), "oem"}}); }, cvText, "TMemo"},
        {"bitmap over a palette",
         [&] { return WithFormat(ImageData(Filled(3, 3, Qt::red)), QStringLiteral("CF_PALETTE"), palette); }, cvBitmap, "TImage"},
        {"metafile", [] { return Data({{QStringLiteral("CF_METAFILEPICT"), "wmf"}}); }, cvMetafile, "TImage"},
        // Detected as a metafile, but shown only when the other metafile
        // format is there too: Windows renders it from the enhanced one.
        {"enhanced metafile only", [] { return Data({{QStringLiteral("CF_ENHMETAFILE"), "emf"}}); }, cvMetafile,
         EnhancedMetafileOnlyPreview},
        {"icon over a component and a palette",
         [&] {
             return Data({{QStringLiteral("CF_PALETTE"), palette}, {QStringLiteral("Vantor Component"), ComponentBytes(box)},
                          {QStringLiteral("Vantor Icon"), icon}});
         },
         cvIcon, "TImage"},
        {"component over a palette",
         [&] { return Data({{QStringLiteral("CF_PALETTE"), palette}, {QStringLiteral("Vantor Component"), ComponentBytes(component)}}); },
         cvComponent, "TMemo"},
        {"component that is a control", [&] { return Data({{QStringLiteral("Vantor Component"), ComponentBytes(box)}}); },
         cvComponent, "TCheckBox"},
        {"palette", [&] { return Data({{QStringLiteral("CF_PALETTE"), palette}}); }, cvPalette, "TPaletteGrid"},
        {"unknown only", [] { return Data({{QStringLiteral("Other Program's Format"), "x"}}); }, cvUnknown, "TMemo"},
        {"a MIME type without a clipboard format", [] {
             auto *d = new QMimeData;
             d->setData(QStringLiteral("application/x-something"), "x");
             return d;
         },
         cvUnknown, "TMemo"},
    };
    MessageBoxRecorder boxes;
    TViewer viewer;
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        Set(c.Data());
        EXPECT_EQ(viewer.Viewer.ResolveViewFormat(), c.Expected);
        ASSERT_NE(viewer.Viewer.Preview(), nullptr);
        EXPECT_STREQ(viewer.Viewer.Preview()->metaObject()->className(), c.PreviewClass);
    }
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}

TEST_F(ClipboardViewer, TextPreviewFillsTheViewerReadOnly)
{
    TViewer viewer;
    SetText(QStringLiteral("#TC0:1:1\nвторая строка"));
    TMemo *memo = viewer.Preview<TMemo>();
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("#TC0:1:1\nвторая строка"));
    EXPECT_EQ(memo->geometry(), QRect(QPoint(0, 0), viewer.ClientSize()));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_TRUE(memo->WordWrap());
    EXPECT_TRUE(memo->isVisible());
    EXPECT_EQ(memo->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_NE(memo->font().family(), QStringLiteral("Terminal"));

    // OEM text alone: shown through the CF_TEXT rendered from it, and in the
    // font "Terminal" when OEM text is asked for.
    Set(Data({{QStringLiteral("CF_OEMTEXT"), QByteArray("\x8F\xE3\xE1\xAA OEM\0", 9)}}));
    EXPECT_EQ(viewer.Text(), QStringLiteral("Пуск OEM"));
    viewer.Viewer.ChooseViewFormat(cvOemText);
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvOemText);
    memo = viewer.Preview<TMemo>();
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->font().family(), QStringLiteral("Terminal"));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Пуск OEM"));
    EXPECT_TRUE(memo->isReadOnly());
    viewer.Viewer.ChooseViewFormat(cvDefault);

    // One Qt cannot decode is no text (text in a named character set is the
    // Linux stand-in's: ClipboardViewerLinuxTest.cpp).
    auto *unknown = new QMimeData;
    unknown->setData(QStringLiteral("text/plain;charset=x-unheard-of"), "#TC0:1:1");
    Set(unknown);
    EXPECT_EQ(viewer.Viewer.ResolveViewFormat(), cvUnknown);
    EXPECT_EQ(viewer.Text(), QString::fromLatin1(TCustomClipboardViewer::UnknownFormatText));

    Set(Data({{QStringLiteral("Other Program's Format"), "x"}}));
    EXPECT_EQ(viewer.Text(), QStringLiteral("Cannot display. Data in Clipboard is in an unknown format."));
}

TEST_F(ClipboardViewer, HugeTextIsShownCutAndReadWhole)
{
    TViewer viewer;
    const QString text(4 * 1024 * 1024, QLatin1Char('y'));
    SetText(text);
    EXPECT_EQ(viewer.Text().size(), TCustomClipboardViewer::PreviewTextLimit);
    EXPECT_EQ(ClipboardAccess().ClipboardText().size(), text.size());
}

TEST_F(ClipboardViewer, ImagesAreCentredOrKeptToTheTopLeftAndClipped)
{
    MessageBoxRecorder boxes;
    TViewer viewer;
    const QSize client = viewer.ClientSize();
    Set(ImageData(Filled(20, 10, Qt::red)));
    TImage *image = viewer.Preview<TImage>();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect((client.width() - 20) / 2, (client.height() - 10) / 2, 20, 10));

    Set(ImageData(Filled(300, 200, Qt::blue)));
    image = viewer.Preview<TImage>();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect(0, 0, 300, 200));
    EXPECT_EQ(viewer.Viewer.Client()->size(), client) << "no scrolling: the rest is clipped";
    EXPECT_EQ(viewer.Viewer.Client()->pos(), QPoint(0, 0));

    Set(ImageData(Filled(40, 2, Qt::red)));
    viewer.Viewer.resize(200, 41);
    image = viewer.Preview<TImage>();
    EXPECT_EQ(image->x(), (viewer.ClientSize().width() - 40) / 2) << "centred again when the viewer resizes";

    // Broken image data: an empty image, no error.
    auto *broken = new QMimeData;
    broken->setData(QStringLiteral("image/png"), QByteArray(5000, '\x89'));
    Set(broken);
    image = viewer.Preview<TImage>();
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(!image->Picture().Graphic() || image->Picture().Graphic()->Empty());
    EXPECT_TRUE(boxes.Boxes.isEmpty());
}

TEST_F(ClipboardViewer, IconAndComponentPreviews)
{
    TViewer viewer;
    Set(Data({{QStringLiteral("Vantor Icon"), Encoded(Filled(16, 16, Qt::green), "ICO")}}));
    const TImage *image = viewer.Preview<TImage>();
    ASSERT_NE(image, nullptr);
    ASSERT_NE(image->Picture().Graphic(), nullptr);
    EXPECT_EQ(image->size(), QSize(16, 16));
    EXPECT_EQ(image->Picture().Graphic()->Image().pixelColor(8, 8), QColor(Qt::green));

    TCheckBox box;
    box.setObjectName(QStringLiteral("cbCopied"));
    box.setText(QStringLiteral("копия"));
    box.resize(60, 17);
    Set(Data({{QStringLiteral("Vantor Component"), ComponentBytes(box)}}));
    const auto *control = viewer.Preview<TCheckBox>();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->text(), QStringLiteral("копия"));
    EXPECT_EQ(control->parentWidget(), viewer.Viewer.Client());
    EXPECT_EQ(control->geometry(), QRect((viewer.ClientSize().width() - 60) / 2, (viewer.ClientSize().height() - 17) / 2, 60, 17));
    EXPECT_TRUE(control->isVisible());

    TComponent storage;
    storage.setObjectName(QStringLiteral("FormStorage1"));
    Set(Data({{QStringLiteral("Vantor Component"), ComponentBytes(storage)}}));
    EXPECT_EQ(viewer.Text(), QStringLiteral("object FormStorage1: TComponent\nend"));
    EXPECT_TRUE(viewer.Viewer.findChildren<TComponent *>().isEmpty()) << "the component read is gone";
    EXPECT_TRUE(viewer.Preview<TMemo>()->isReadOnly());
}

TEST_F(ClipboardViewer, PalettePreviewFillsTheViewerWithItsOwnCopy)
{
    const int palettes = Gdi::LivePaletteCount();
    {
        TViewer viewer;
        Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(16))}}));
        TPaletteGrid *grid = viewer.Preview<TPaletteGrid>();
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->ColorCount(), 16);
        EXPECT_EQ(grid->geometry(), QRect(QPoint(0, 0), viewer.ClientSize()));
        EXPECT_EQ(grid->frameShape(), QFrame::NoFrame);
        EXPECT_EQ(grid->ColorAt(0, 0), RGBColor(0, 255, 0));
        EXPECT_EQ(Gdi::LivePaletteCount(), palettes + 1) << "the clipboard's palette went with the close";

        // A block shorter than its header says: the entries it holds.
        Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(3), 256)}}));
        EXPECT_EQ(viewer.Preview<TPaletteGrid>()->ColorCount(), 3);
        // No entries at all: one row of empty cells.
        Set(Data({{QStringLiteral("CF_PALETTE"), QByteArray("\x00\x03", 2)}}));
        grid = viewer.Preview<TPaletteGrid>();
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->ColorCount(), 0);
        EXPECT_EQ(grid->RowCount(), 1);
        EXPECT_EQ(Gdi::LivePaletteCount(), palettes);
        Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(5))}}));
    }
    EXPECT_EQ(Gdi::LivePaletteCount(), palettes) << "destroying the viewer destroys the grid and its copy";
}

TEST_F(ClipboardViewer, ChosenFormatHoldsWhileItIsThere)
{
    TViewer viewer;
    const auto both = [] {
        QMimeData *d = ImageData(Filled(4, 4, Qt::red));
        d->setText(QStringLiteral("text"));
        return d;
    };
    Set(both());
    ASSERT_NE(viewer.Preview<TMemo>(), nullptr);
    viewer.Viewer.ChooseViewFormat(cvBitmap);
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvBitmap);
    EXPECT_NE(viewer.Preview<TImage>(), nullptr);
    Set(both());
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvBitmap);
    EXPECT_NE(viewer.Preview<TImage>(), nullptr);
    SetText(QStringLiteral("text only"));
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvDefault);
    EXPECT_EQ(viewer.Text(), QStringLiteral("text only"));

    // A format that is not there, or one that is not a format: automatic,
    // and the preview is rebuilt.
    // (The new preview may take the old one's address: the old one is
    // watched going instead.)
    const QPointer<QObject> before = viewer.Viewer.Preview();
    ASSERT_FALSE(before.isNull());
    viewer.Viewer.ChooseViewFormat(cvBitmap);
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvDefault);
    EXPECT_TRUE(before.isNull()) << "the old preview is gone";
    EXPECT_NE(viewer.Viewer.Preview(), nullptr);
    viewer.Viewer.ChooseViewFormat(cvUnknown);
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvDefault);
    EXPECT_EQ(ViewFormatToClipboardFormat(TClipboardViewFormat(11)), 0u);
}

TEST_F(ClipboardViewer, AFormatItCannotShowShowsTheUnknownText)
{
    TViewer viewer;
    viewer.Viewer.Refused = {cvPalette};
    Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(2))}}));
    EXPECT_EQ(viewer.Viewer.ResolveViewFormat(), cvPalette);
    EXPECT_EQ(viewer.Text(), QString::fromLatin1(TCustomClipboardViewer::UnknownFormatText));
    viewer.Viewer.ChooseViewFormat(cvPalette);
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvDefault) << "there, but refused";
    viewer.Viewer.Refused = {};
    viewer.Viewer.ChooseViewFormat(cvPalette);
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvPalette);
    EXPECT_NE(viewer.Preview<TPaletteGrid>(), nullptr);
}

TEST_F(ClipboardViewer, ChangeEventRunsBeforeThePreviewIsRebuilt)
{
    TViewer viewer;
    SetText(QStringLiteral("old"));
    QString seen;
    viewer.DuringChange = [&] { seen = viewer.Text(); };
    SetText(QStringLiteral("new"));
    EXPECT_EQ(seen, QStringLiteral("old"));
    EXPECT_EQ(viewer.Text(), QStringLiteral("new"));
}

TEST_F(ClipboardViewer, DestroyClipboardEmptiesTheViewWithoutPassingItOn)
{
    TProbe probe;
    TViewer viewer;
    SetText(QStringLiteral("kept"));
    probe.Messages.clear();
    const int changes = viewer.Changes;
    SendMessage(viewer.Viewer.WindowHandle(), WM_DESTROYCLIPBOARD, 0, 0);
    EXPECT_EQ(viewer.Changes, changes + 1);
    EXPECT_EQ(viewer.Viewer.ViewFormat(), cvEmpty);
    EXPECT_TRUE(probe.Messages.empty());
    // The clipboard still holds text, so the view shows it.
    EXPECT_EQ(viewer.Text(), QStringLiteral("kept"));
}

TEST_F(ClipboardViewerFailures, AFailedReadIsShownAndTheNextChangeWorks)
{
    MessageBoxRecorder boxes;
    TViewer viewer;
    Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(4))}}));
    {
        // Another window holds the clipboard when the change reaches the
        // viewer (no one can change it while it is held, so the change came
        // just before).
        THeldOpen other;
        SendMessage(viewer.Viewer.WindowHandle(), WM_DRAWCLIPBOARD, 0, 0);
        EXPECT_EQ(viewer.Viewer.Preview(), nullptr) << "the grid that could not load is gone";
        EXPECT_TRUE(viewer.Viewer.Client()->findChildren<TPaletteGrid *>().isEmpty());
    }
    ASSERT_EQ(boxes.Boxes.size(), 1);
    EXPECT_EQ(boxes.Boxes[0].Text, "Cannot open clipboard.");
    EXPECT_EQ(boxes.Boxes[0].Icon, TMsgIcon::Error);
    EXPECT_EQ(ClipboardAccess().OpenCount(), 0);

    Set(Data({{QStringLiteral("CF_PALETTE"), PaletteBlock(Ramp(4))}}));
    ASSERT_NE(viewer.Preview<TPaletteGrid>(), nullptr);
    EXPECT_EQ(viewer.Preview<TPaletteGrid>()->ColorCount(), 4);
    EXPECT_EQ(boxes.Boxes.size(), 1);
}

TEST_F(ClipboardViewerFailures, PictureFailuresLeaveAnEmptyImage)
{
    MessageBoxRecorder boxes;
    TViewer viewer;
    const QByteArray png = Encoded(Filled(3, 3, Qt::red), "PNG");
    const QByteArray icon = Encoded(Filled(16, 16, Qt::red), "ICO");
    struct TCase {
        QMimeData *Data;
        const char *Message;
    };
    const TCase cases[] = {
        {Data({{QStringLiteral("Vantor Picture"), "?"}}), "Invalid clipboard format."},
        {Data({{QStringLiteral("Vantor Icon"), icon}, {QStringLiteral("CF_BITMAP"), png}}), "Clipboard does not support Icons."},
        {Data({{QStringLiteral("Vantor Icon"), "not an icon"}}), "Icon image is not valid."},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Message);
        boxes.Boxes.clear();
        Set(c.Data);
        ASSERT_EQ(boxes.Boxes.size(), 1);
        EXPECT_EQ(boxes.Boxes[0].Text, c.Message);
        const TImage *image = viewer.Preview<TImage>();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Picture().Graphic(), nullptr);
        EXPECT_EQ(ClipboardAccess().OpenCount(), 0);
    }
    boxes.Boxes.clear();
    Set(Data({{QStringLiteral("Vantor Component"), "VCS1\xff\xff"}}));
    ASSERT_EQ(boxes.Boxes.size(), 1);
    EXPECT_EQ(boxes.Boxes[0].Text, "Invalid component stream.");
    EXPECT_EQ(viewer.Viewer.Preview(), nullptr);
}

TEST_F(ClipboardViewerFailures, AFailingChangeHandlerKeepsThePreviousPreview)
{
    MessageBoxRecorder boxes;
    TViewer viewer;
    SetText(QStringLiteral("previous"));
    viewer.DuringChange = [] { throw Exception("handler failed"); };
    SetText(QStringLiteral("next"));
    ASSERT_EQ(boxes.Boxes.size(), 1);
    EXPECT_EQ(boxes.Boxes[0].Text, "handler failed.");
    EXPECT_EQ(viewer.Text(), QStringLiteral("previous"));
    viewer.DuringChange = nullptr;
    SetText(QStringLiteral("after"));
    EXPECT_EQ(viewer.Text(), QStringLiteral("after"));
}
