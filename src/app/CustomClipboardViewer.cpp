#include "app/CustomClipboardViewer.h"

#include "app/ClipIcon.h"
#include "app/Clipboard.h"
#include "widgets/ComponentStream.h"
#include "widgets/Image.h"
#include "widgets/Memo.h"
#include "widgets/PaletteGrid.h"
#include "platform/clipboard/ClipboardChain.h"

#include <QFont>
#include <memory>

using namespace ClipboardApi;

const char *const TCustomClipboardViewer::EmptyText = "Clipboard is empty";
const char *const TCustomClipboardViewer::UnknownFormatText = "Cannot display. Data in Clipboard is in an unknown format.";

uint32_t ViewFormatToClipboardFormat(TClipboardViewFormat format)
{
    switch (format) {
    case cvText: return CF_TEXT;
    case cvBitmap: return CF_BITMAP;
    case cvMetafile: return CF_METAFILEPICT;
    case cvPalette: return CF_PALETTE;
    case cvOemText: return CF_OEMTEXT;
    case cvPicture: return PictureFormatId;
    case cvComponent: return ComponentFormatId;
    case cvIcon: return IconFormatId;
    default: return 0;
    }
}

void CenterInParent(QWidget *Control)
{
    const QWidget *parent = Control->parentWidget();
    if (!parent)
        return;
    Control->move(std::max(0, (parent->width() - Control->width()) / 2),
                  std::max(0, (parent->height() - Control->height()) / 2));
}

TCustomClipboardViewer::TCustomClipboardViewer(QWidget *parent) : TScrollBox(parent) {}

TCustomClipboardViewer::~TCustomClipboardViewer()
{
    // The base class would destroy the window too, but without this class's
    // part: the viewer leaves the chain here.
    DestroyHandle();
    delete FPreview.data();
}

void TCustomClipboardViewer::AfterWindowCreated()
{
    TScrollBox::AfterWindowCreated();
    // SetClipboardViewer delivers the first notification before it returns;
    // that one finds no successor yet and is not passed on.
    FNextViewer = SetClipboardViewer(Handle());
    FChained = true;
}

void TCustomClipboardViewer::BeforeWindowDestroyed()
{
    LeaveChain();
    TScrollBox::BeforeWindowDestroyed();
}

void TCustomClipboardViewer::WndProc(uint32_t msg, uintptr_t wParam, intptr_t lParam)
{
    switch (msg) {
    case WM_DRAWCLIPBOARD: WMDrawClipboard(); break;
    case WM_CHANGECBCHAIN: WMChangeCBChain(TWindowHandle(wParam), TWindowHandle(lParam)); break;
    case WM_DESTROYCLIPBOARD: WMDestroyClipboard(); break;
    case WM_NCDESTROY:
        WMNCDestroy();
        TScrollBox::WndProc(msg, wParam, lParam);
        break;
    default: TScrollBox::WndProc(msg, wParam, lParam);
    }
}

void TCustomClipboardViewer::WMDrawClipboard()
{
    PassToNextViewer(WM_DRAWCLIPBOARD, 0, 0);
    if (ClipboardIsEmpty())
        FFormatChoice = cvEmpty;
    else if (!ClipboardAccess().FormatAvailable(ViewFormatToClipboardFormat(FFormatChoice)))
        FFormatChoice = cvDefault;
    RaiseChange();
    struct TAlignSuspended {
        TScrollBox &Box;
        explicit TAlignSuspended(TScrollBox &box) : Box(box) { Box.DisableAlign(); }
        ~TAlignSuspended() { Box.EnableAlign(); }
    } suspended(*this);
    RebuildPreview();
}

void TCustomClipboardViewer::WMChangeCBChain(TWindowHandle removed, TWindowHandle next)
{
    if (removed == FNextViewer)
        FNextViewer = next;
    else
        PassToNextViewer(WM_CHANGECBCHAIN, removed, intptr_t(next));
}

void TCustomClipboardViewer::WMDestroyClipboard()
{
    FFormatChoice = cvEmpty;
    RaiseChange();
    RebuildPreview();
}

void TCustomClipboardViewer::WMNCDestroy()
{
    LeaveChain();
}

// Takes the window out of the chain, its successor taking its place.
void TCustomClipboardViewer::LeaveChain()
{
    if (FChained) {
        ChangeClipboardChain(WindowHandle(), FNextViewer);
        FChained = false;
    }
    FNextViewer = 0;
}

void TCustomClipboardViewer::PassToNextViewer(uint32_t msg, uintptr_t wParam, intptr_t lParam)
{
    if (FNextViewer != 0)
        SendMessage(FNextViewer, msg, wParam, lParam);
}

void TCustomClipboardViewer::resizeEvent(QResizeEvent *event)
{
    TScrollBox::resizeEvent(event);
    if (auto *control = qobject_cast<QWidget *>(FPreview.data()))
        CenterInParent(control);
}

void TCustomClipboardViewer::ChooseViewFormat(TClipboardViewFormat Value)
{
    if (Value == FFormatChoice)
        return;
    if (ClipboardAccess().FormatAvailable(ViewFormatToClipboardFormat(Value)) && CanShowFormat(Value))
        FFormatChoice = Value;
    else
        FFormatChoice = cvDefault;
    RebuildPreview();
}

void TCustomClipboardViewer::RaiseChange()
{
    if (FChangeHandler)
        FChangeHandler(this);
}

bool TCustomClipboardViewer::CanShowFormat(TClipboardViewFormat Format)
{
    switch (Format) {
    case cvDefault:
    case cvEmpty:
    case cvUnknown: return true;
    default: return ClipboardAccess().FormatAvailable(ViewFormatToClipboardFormat(Format));
    }
}

bool TCustomClipboardViewer::ClipboardIsEmpty()
{
    return ClipboardAccess().CountFormats() == 0;
}

TClipboardViewFormat TCustomClipboardViewer::ResolveViewFormat()
{
    if (ClipboardIsEmpty())
        return cvEmpty;
    if (FFormatChoice != cvDefault)
        return FFormatChoice;
    return DetectViewFormat();
}

TClipboardViewFormat TCustomClipboardViewer::DetectViewFormat()
{
    TClipboard &clipboard = ClipboardAccess();
    if (clipboard.FormatAvailable(CF_TEXT))
        return cvText;
    if (clipboard.FormatAvailable(CF_OEMTEXT))
        return cvOemText;
    if (clipboard.FormatAvailable(CF_BITMAP))
        return cvBitmap;
    if (clipboard.FormatAvailable(CF_METAFILEPICT) || clipboard.FormatAvailable(CF_ENHMETAFILE))
        return cvMetafile;
    if (clipboard.FormatAvailable(IconFormatId))
        return cvIcon;
    if (clipboard.FormatAvailable(PictureFormatId))
        return cvPicture;
    if (clipboard.FormatAvailable(ComponentFormatId))
        return cvComponent;
    if (clipboard.FormatAvailable(CF_PALETTE))
        return cvPalette;
    return cvUnknown;
}

void TCustomClipboardViewer::RebuildPreview()
{
    delete FPreview.data();
    FPreview = nullptr;
    if (ClipboardIsEmpty())
        return;
    TClipboardViewFormat format = ResolveViewFormat();
    if (!CanShowFormat(format))
        format = cvUnknown;
    switch (format) {
    case cvDefault:
    case cvEmpty:
    case cvUnknown:
    case cvText:
    case cvOemText: BuildTextField(format); break;
    case cvBitmap:
    case cvMetafile:
    case cvPicture:
    case cvIcon: BuildImage(format); break;
    case cvComponent: BuildComponent(); break;
    case cvPalette: BuildPaletteGrid(); break;
    }
}

void TCustomClipboardViewer::PlaceInTabOrder(QWidget *child)
{
    // The viewer takes no focus itself (Qt's tab order skips it), so the
    // child goes right after the last control before the viewer.
    for (QWidget *w = previousInFocusChain(); w && w != this; w = w->previousInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !isAncestorOf(w)) {
            setTabOrder(w, child);
            return;
        }
}

TMemo *TCustomClipboardViewer::NewTextField()
{
    auto *memo = new TMemo(Client());
    memo->setFrameStyle(QFrame::NoFrame);
    memo->move(0, 0);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->SetWordWrap(true);
    memo->SetMaxLength(PreviewTextLimit);
    SetAlign(memo, alClient);
    PlaceInTabOrder(memo);
    return memo;
}

void TCustomClipboardViewer::BuildTextField(TClipboardViewFormat format)
{
    TMemo *memo = NewTextField();
    FPreview = memo;
    if (format == cvOemText)
        memo->setFont(QFont(QStringLiteral("Terminal")));
    memo->show();
    // Text that cannot be read shows as a format it cannot display.
    if (!ClipboardAccess().FormatAvailable(CF_TEXT) || !memo->PasteClipboard())
        memo->setPlainText(QString::fromLatin1(ClipboardIsEmpty() ? EmptyText : UnknownFormatText));
    memo->setReadOnly(true);
}

void TCustomClipboardViewer::BuildImage(TClipboardViewFormat format)
{
    auto *image = new TImage(Client());
    FPreview = image;
    image->SetAutoSize(true);
    image->move(0, 0);
    image->show();
    TClipboard &clipboard = ClipboardAccess();
    if (format == cvIcon) {
        if (clipboard.FormatAvailable(IconFormatId))
            if (const std::unique_ptr<TIcon> icon = IconFromClipboard())
                image->Picture().Assign(*icon);
    } else if ((format == cvBitmap && clipboard.FormatAvailable(CF_BITMAP)) ||
               (format == cvMetafile && clipboard.FormatAvailable(CF_METAFILEPICT)) ||
               clipboard.FormatAvailable(CF_ENHMETAFILE) ||
               (format == cvPicture && clipboard.FormatAvailable(PictureFormatId))) {
        clipboard.LoadPicture(image->Picture());
    }
    CenterInParent(image);
}

void TCustomClipboardViewer::BuildComponent()
{
    QObject *component = ClipboardAccess().ComponentFromClipboard(this, Client());
    if (auto *control = qobject_cast<QWidget *>(component)) {
        FPreview = control;
        control->move(1, 1);
        control->show();
        CenterInParent(control);
        return;
    }
    // Shown as text; the component itself goes afterwards, also on failure.
    const std::unique_ptr<QObject> owned(component);
    TMemo *memo = NewTextField();
    FPreview = memo;
    if (component) {
        QStringList lines;
        ComponentToText(component, lines);
        memo->setPlainText(lines.join(QLatin1Char('\n')));
    } else {
        // The component data went away between the check and the read.
        memo->setPlainText(QString::fromLatin1(UnknownFormatText));
    }
    memo->setReadOnly(true);
    memo->show();
}

void TCustomClipboardViewer::BuildPaletteGrid()
{
    auto *grid = new TPaletteGrid(Client());
    grid->SetBorderStyle(TDrawGrid::bsNone);
    SetAlign(grid, alClient);
    FPreview = grid;
    PlaceInTabOrder(grid);
    grid->show();
    try {
        TClipboardOpen open;
        grid->LoadPalette(GetClipboardData(CF_PALETTE));
    } catch (...) {
        delete grid;
        FPreview = nullptr;
        throw;
    }
}
