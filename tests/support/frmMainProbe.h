#pragma once

#include "support/ChildNamed.h"

#include "app/ClipboardViewer.h"
#include "app/MainUnit.h"
#include "net/IdUDPServer.h"
#include "settings/FormStorage.h"
#include "widgets/CheckBox.h"
#include "widgets/LabeledEdit.h"
#include "widgets/LogView.h"

#include <QPushButton>
#include <QStringList>
#include <QTimer>

// How tests, benchmarks and fuzz targets reach into the main window: the
// state its handlers share and its non-visual components, which are private
// to it, and its controls, found by the names the stored settings are named
// after. Pointers returned are never null.
class TfrmMainProbe {
public:
    explicit TfrmMainProbe(TfrmMain &form) : FForm(form) {}

    TGatewayLink &Link() const { return FForm.FLink; }
    QByteArray &ObjectText() const { return FForm.FObjectText; }

    QTimer *Timer1() const { return FForm.Timer1; }
    TIdUDPServer *IdUDPServer1() const { return FForm.IdUDPServer1; }
    TFormStorage *FormStorage1() const { return FForm.FormStorage1; }

    TLabeledEdit *leKVIP() const { return ChildNamed<TLabeledEdit>(FForm, "leKVIP"); }
    TLabeledEdit *leTMSName() const { return ChildNamed<TLabeledEdit>(FForm, "leTMSName"); }
    QPushButton *Button1() const { return ChildNamed<QPushButton>(FForm, "Button1"); }
    TCheckBox *cbPLDKv2() const { return ChildNamed<TCheckBox>(FForm, "cbPLDKv2"); }
    TClipboardViewer *ClipboardViewer1() const { return ChildNamed<TClipboardViewer>(FForm, "ClipboardViewer1"); }
    TLogView *Memo1() const { return ChildNamed<TLogView>(FForm, "Memo1"); }

    // The log as the operator reads it: its whole text, and its lines (none
    // while it is empty).
    QString LogText() const { return Memo1()->toPlainText(); }
    QStringList LogLines() const
    {
        const QString text = LogText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    // Empties the log, as the operator may.
    void ClearLog() const { Memo1()->clear(); }

private:
    TfrmMain &FForm;
};
