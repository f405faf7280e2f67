#pragma once

#include <QCheckBox>

// A check box publishing its state as `Checked` (stored settings are named
// after it: "cbPLDKv2_Checked").
class TCheckBox : public QCheckBox {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked USER true)

public:
    using QCheckBox::QCheckBox;
};
