#include "widgets/ScrollBox.h"

#include "framework/ErrorDisplay.h"

#include <QVariant>

namespace {
const char *const AlignProperty = "Align";
}

void SetAlign(QWidget *control, TAlign align)
{
    control->setProperty(AlignProperty, int(align));
    RequestAlign(control);
}

TAlign Align(const QWidget *control)
{
    return control->property(AlignProperty).toInt() == alClient ? alClient : alNone;
}

void RequestAlign(QWidget *control)
{
    QWidget *client = control->parentWidget();
    for (QWidget *w = client; w; w = w->parentWidget())
        if (auto *box = qobject_cast<TScrollBox *>(w)) {
            if (box->Client() == client)
                box->Realign();
            return;
        }
}

TScrollBox::TScrollBox(QWidget *parent) : QScrollArea(parent), FClient(new QWidget)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(false);
    setWidget(FClient);
    SetColor(FColor);
}

TScrollBox::~TScrollBox()
{
    DestroyHandle();
}

void TScrollBox::SetColor(TColor color)
{
    FColor = color;
    for (QWidget *w : {static_cast<QWidget *>(viewport()), FClient}) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, ToQColor(color));
        w->setPalette(palette);
        w->setBackgroundRole(QPalette::Window);
        w->setAutoFillBackground(true);
    }
}

void TScrollBox::SetAutoScroll(bool autoScroll)
{
    FAutoScroll = autoScroll;
    Realign();
}

void TScrollBox::DisableAlign()
{
    ++FAlignDisabled;
}

void TScrollBox::EnableAlign()
{
    if (FAlignDisabled > 0 && --FAlignDisabled == 0)
        Realign();
}

void TScrollBox::Realign()
{
    // A child that changes its own size while being placed is placed again
    // at once, inside its change (a child filling the client area gets its
    // size back before it carries on). The depth is bounded for a child that
    // would fight back for ever.
    if (FAlignDisabled > 0 || FAlignDepth >= 3)
        return;
    ++FAlignDepth;
    AlignChildren();
    --FAlignDepth;
}

void TScrollBox::AlignChildren()
{
    const QSize visible = viewport()->size();
    QRect used(QPoint(0, 0), visible);
    const QList<QWidget *> children = FClient->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    if (FAutoScroll)
        for (const QWidget *child : children)
            if (Align(child) == alNone && !child->isHidden())
                used |= child->geometry();
    FClient->resize(used.size());
    for (QWidget *child : children)
        if (Align(child) == alClient)
            child->setGeometry(QRect(QPoint(0, 0), visible));
}

ClipboardApi::TWindowHandle TScrollBox::Handle()
{
    if (FHandle == 0) {
        FHandle = ClipboardApi::CreateWindow([this](uint32_t msg, uintptr_t wParam, intptr_t lParam) {
            Guard([&] { WndProc(msg, wParam, lParam); });
        });
        AfterWindowCreated();
    }
    return FHandle;
}

void TScrollBox::RecreateWnd()
{
    DestroyHandle();
    Handle();
}

void TScrollBox::WndProc(uint32_t msg, uintptr_t, intptr_t)
{
    if (msg == ClipboardApi::WM_NCDESTROY)
        FHandle = 0;
}

void TScrollBox::DestroyHandle()
{
    if (FHandle == 0)
        return;
    BeforeWindowDestroyed();
    ClipboardApi::DestroyWindow(FHandle);
    FHandle = 0;
}

void TScrollBox::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    Handle();
}

void TScrollBox::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    Realign();
}
