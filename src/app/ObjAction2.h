#pragma once

#include "platform/foreground/ForegroundWindow.h"

#include <QDialog>
#include <memory>

class QPushButton;

namespace Ui {
class frmObjAction2;
}

// Results of the object action dialog.
constexpr int ObjActionClosed = 2;     // closed from the title bar
constexpr int ObjActionIgnore = 6;     // "Не обращать внимания"
constexpr int ObjActionTemplate0 = 20; // template n gives ObjActionTemplate0 + n
constexpr int ObjActionTemplateCount = 6;

// The object action dialog: offers the templates for a copied object address.
// It stays above other windows while shown and gives the focus back to the
// window that had it (this program's or another's) when it closes.
class TfrmObjAction2 : public QDialog {
    Q_OBJECT

public:
    explicit TfrmObjAction2(QWidget *parent = nullptr);
    ~TfrmObjAction2() override;

    // The template buttons in template order.
    QPushButton *TemplateButton(int n) const;

    // Shows the object address the dialog is about, in Label2.
    void SetObjectText(const QString &text);

    // Event handlers.
    void FormShow();
    void FormHide();

    // Closing from the title bar gives ObjActionClosed.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The controls of the form description.
    std::unique_ptr<Ui::frmObjAction2> FUi;
    // The window that had the focus when the dialog was shown.
    TForegroundWindow FPreviousForeground;
};

// The dialog, created hidden at start-up.
extern TfrmObjAction2 *frmObjAction2;
