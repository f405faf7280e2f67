#pragma once

#include "app/ObjAction2.h"
#include "support/ChildNamed.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

// Acts on the object dialog from inside its modal loop: each time the dialog
// is shown, the next queued action runs once the loop is running. A showing
// with no action queued is closed at once and counted as unexpected, so a
// test that expects no dialog fails instead of hanging; a dialog an action
// does not close is closed as from its title bar.
class DialogDriver : public QObject {
public:
    using Action = std::function<void(TfrmObjAction2 &)>;

    explicit DialogDriver(TfrmObjAction2 &dialog) : FDialog(dialog) { dialog.installEventFilter(this); }
    ~DialogDriver() override { FDialog.removeEventFilter(this); }

    void Then(Action action) { FActions.push_back(std::move(action)); }

    // What the dialog showed in Label2 at each showing.
    QStringList Labels;
    int Unexpected = 0;

    // Actions on the dialog the way the operator takes them.
    static Action Click(int templateNumber)
    {
        return [templateNumber](TfrmObjAction2 &d) { d.TemplateButton(templateNumber)->click(); };
    }
    static Action Ignore()
    {
        return [](TfrmObjAction2 &d) { ChildNamed<QPushButton>(d, "Button4")->click(); };
    }
    static Action CloseFromTitleBar()
    {
        return [](TfrmObjAction2 &d) { d.close(); };
    }
    // A key pressed in whatever has the focus once the dialog is active.
    static Action Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        return Keys({key}, modifiers);
    }
    // Keys pressed one after the other, each in whatever has the focus then.
    static Action Keys(QList<Qt::Key> keys, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        return [keys, modifiers](TfrmObjAction2 &d) {
            (void)QTest::qWaitForWindowActive(&d, 1000);
            for (Qt::Key key : keys)
                QTest::keyClick(d.focusWidget() ? d.focusWidget() : &d, key, modifiers);
        };
    }
    // A mouse click on the button of that name, which also gives it the focus.
    static Action MouseClick(const char *button)
    {
        return [button](TfrmObjAction2 &d) {
            (void)QTest::qWaitForWindowActive(&d, 1000);
            QTest::mouseClick(ChildNamed<QPushButton>(d, button), Qt::LeftButton);
        };
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &FDialog && event->type() == QEvent::Show) {
            Labels << ChildNamed<QLabel>(FDialog, "Label2")->text();
            Action action;
            if (!FActions.empty()) {
                action = std::move(FActions.front());
                FActions.pop_front();
            }
            QTimer::singleShot(0, this, [this, action = std::move(action)] {
                if (!action) {
                    ++Unexpected;
                    FDialog.done(ObjActionClosed);
                    return;
                }
                action(FDialog);
                // An accelerator presses its button a moment later.
                if (!QTest::qWaitFor([this] { return !FDialog.isVisible(); }, 10000))
                    FDialog.done(ObjActionClosed);
            });
        }
        return false;
    }

private:
    TfrmObjAction2 &FDialog;
    std::deque<Action> FActions;
};
