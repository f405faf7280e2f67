#pragma once

#include "ui_ObjAction2.h"

#include <QDialog>

// The object action dialog: offers the templates for a copied object address.
class TfrmObjAction2 : public QDialog, public Ui::frmObjAction2 {
    Q_OBJECT

public:
    explicit TfrmObjAction2(QWidget *parent = nullptr);
    ~TfrmObjAction2() override;
};

// The dialog, created hidden at start-up.
extern TfrmObjAction2 *frmObjAction2;
