#include "settings/WindowHook.h"

#include "settings/FormPlacement.h"
#include "settings/WinMinMaxInfo.h"

#include <QEvent>
#include <QShowEvent>
#include <QWidget>

TWindowHook::TWindowHook(TFormPlacement *placement) : FPlacement(placement) {}

TWindowHook::~TWindowHook()
{
    Remove();
}

void TWindowHook::Install(QWidget *window)
{
    if (FWindow != window) {
        Remove();
        FWindow = window;
        FOwnMinimum = window->minimumSize();
        FOwnMaximum = window->maximumSize();
        window->installEventFilter(this);
    }
    Apply();
}

void TWindowHook::Remove()
{
    if (!FWindow)
        return;
    FWindow->removeEventFilter(this);
    FWindow->setMinimumSize(FOwnMinimum);
    FWindow->setMaximumSize(FOwnMaximum);
    FWindow = nullptr;
}

void TWindowHook::Apply()
{
    if (!FWindow)
        return;
    if (FPlacement->PreventResize()) {
        if (FWindow->isVisible())
            FWindow->setFixedSize(FWindow->size());
        return;
    }
    const TWinMinMaxInfo &info = *FPlacement->MinMaxInfo();
    FWindow->setMinimumSize(info.MinTrackWidth() ? info.MinTrackWidth() : FOwnMinimum.width(),
                            info.MinTrackHeight() ? info.MinTrackHeight() : FOwnMinimum.height());
    FWindow->setMaximumSize(info.MaxTrackWidth() ? info.MaxTrackWidth() : FOwnMaximum.width(),
                            info.MaxTrackHeight() ? info.MaxTrackHeight() : FOwnMaximum.height());
}

bool TWindowHook::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FWindow && event->type() == QEvent::Show && !static_cast<QShowEvent *>(event)->spontaneous()
        && FPlacement->PreventResize())
        FWindow->setFixedSize(FWindow->size());
    return false;
}
