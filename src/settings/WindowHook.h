#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

class QWidget;
class TFormPlacement;

// Holds a form's window to the size rules of its TFormPlacement while
// installed: with PreventResize the window keeps the size it has when shown
// (the maximise button goes with the border icons, see TFormPlacement);
// otherwise each non-zero tracking size of MinMaxInfo replaces the window's
// own minimum or maximum. Qt leaves the maximised size and position to the
// window manager, so those two pairs have no effect. Removing the hook gives
// the window its own limits back.
class TWindowHook : public QObject {
public:
    explicit TWindowHook(TFormPlacement *placement);
    ~TWindowHook() override;

    void Install(QWidget *window);
    void Remove();
    // Lets go of a window that is being destroyed without touching it.
    void Forget() { FWindow = nullptr; }
    bool Installed() const { return FWindow != nullptr; }
    // Applies the current rules to the installed window.
    void Apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TFormPlacement *FPlacement;
    QPointer<QWidget> FWindow;
    QSize FOwnMinimum;
    QSize FOwnMaximum;
};
