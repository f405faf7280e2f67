#include "app/ObjAction2.h"
#include "ui_ObjAction2.h"

#include "framework/ErrorDisplay.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

TfrmObjAction2 *frmObjAction2 = nullptr;

TfrmObjAction2::TfrmObjAction2(QWidget *parent) : QDialog(parent), FUi(std::make_unique<Ui::frmObjAction2>())
{
    FUi->setupUi(this);
    // A fixed dialog border with only the close button, above other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(size());
    for (int n = 0; n < ObjActionTemplateCount; ++n)
        connect(TemplateButton(n), &QPushButton::clicked, this, [this, n] { done(ObjActionTemplate0 + n); });
    connect(FUi->Button4, &QPushButton::clicked, this, [this] { done(ObjActionIgnore); });
}

TfrmObjAction2::~TfrmObjAction2()
{
    if (::frmObjAction2 == this)
        ::frmObjAction2 = nullptr;
}

QPushButton *TfrmObjAction2::TemplateButton(int n) const
{
    QPushButton *const buttons[ObjActionTemplateCount] = {FUi->btnTemplate0, FUi->btnTemplate1, FUi->btnTemplate2,
                                                          FUi->btnTemplate3, FUi->btnTemplate4, FUi->btnTemplate5};
    return n >= 0 && n < ObjActionTemplateCount ? buttons[n] : nullptr;
}

void TfrmObjAction2::SetObjectText(const QString &text)
{
    FUi->Label2->setText(text);
}

void TfrmObjAction2::reject()
{
    done(ObjActionClosed);
}

void TfrmObjAction2::FormShow()
{
    FPreviousForeground = TForegroundWindow::Current();
    BringToFront(this);
}

void TfrmObjAction2::FormHide()
{
    FPreviousForeground.Activate();
    FPreviousForeground = {};
}

void TfrmObjAction2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Every opening starts on the first template, the default button, as the
    // first opening does: the button clicked or tabbed to last time would
    // otherwise keep the focus and take Enter.
    FUi->btnTemplate0->setDefault(true);
    FUi->btnTemplate0->setFocus(Qt::OtherFocusReason);
    // Centred on the primary screen each time it is shown.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize outer = frameGeometry().size();
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }
    Guard([this] { FormShow(); });
}

void TfrmObjAction2::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        Guard([this] { FormHide(); });
}

void TfrmObjAction2::keyPressEvent(QKeyEvent *event)
{
    // No button cancels: Escape leaves the dialog open.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    // Nothing in the dialog takes typed text, so a template's digit alone
    // chooses it, as its accelerator with Alt does.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier && event->key() >= Qt::Key_0
        && event->key() < Qt::Key_0 + ObjActionTemplateCount) {
        TemplateButton(event->key() - Qt::Key_0)->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
