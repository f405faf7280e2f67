#include "framework/Form.h"

#include "framework/ErrorDisplay.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

namespace {
TForm *TheMainForm = nullptr;
}

TForm *MainForm()
{
    return TheMainForm;
}

TForm::TForm(QWidget *parent) : QWidget(parent)
{
    if (!TheMainForm)
        TheMainForm = this;
}

TForm::~TForm()
{
    if (OnDestroy)
        Guard([this] { OnDestroy(this); });
    if (TheMainForm == this)
        TheMainForm = nullptr;
}

void TForm::SetBorderIcons(TBorderIcons icons)
{
    FBorderIcons = icons;
    Qt::WindowFlags flags = windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    flags.setFlag(Qt::WindowSystemMenuHint, icons & biSystemMenu);
    flags.setFlag(Qt::WindowCloseButtonHint, icons & biSystemMenu);
    flags.setFlag(Qt::WindowMinimizeButtonHint, icons & biMinimize);
    flags.setFlag(Qt::WindowMaximizeButtonHint, icons & biMaximize);
    flags.setFlag(Qt::WindowContextHelpButtonHint, icons & biHelp);
    if (flags == windowFlags())
        return;
    const bool shown = isVisible();
    setWindowFlags(flags);
    if (shown)
        show();
}

TForm::TWindowState TForm::WindowState() const
{
    if (isMinimized())
        return wsMinimized;
    return windowState() & Qt::WindowMaximized ? wsMaximized : wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    switch (state) {
    case wsNormal: setWindowState(Qt::WindowNoState); break;
    case wsMinimized: setWindowState(windowState() | Qt::WindowMinimized); break;
    case wsMaximized: setWindowState(Qt::WindowMaximized); break;
    }
}

void TForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // back from being minimised
    if (OnShow)
        Guard([this] { OnShow(this); });
    if (FPosition == poScreenCenter || FPosition == poDesktopCenter) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = FPosition == poScreenCenter ? screen->availableGeometry()
                                                           : screen->availableVirtualGeometry();
            QRect frame = frameGeometry();
            frame.moveCenter(area.center());
            move(frame.topLeft());
        }
    }
}

void TForm::closeEvent(QCloseEvent *event)
{
    bool canClose = true;
    if (OnCloseQuery) {
        try {
            OnCloseQuery(this, canClose);
        } catch (...) {
            ShowCurrentException();
            canClose = false;
        }
    }
    if (canClose)
        event->accept();
    else
        event->ignore();
}
