#include "clipboard/ObjAction2.h"

TfrmObjAction2 *frmObjAction2 = nullptr;

TfrmObjAction2::TfrmObjAction2(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
}

TfrmObjAction2::~TfrmObjAction2()
{
    if (::frmObjAction2 == this)
        ::frmObjAction2 = nullptr;
}
