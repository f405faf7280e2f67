#include "app/Clipboard.h"
#include "app/ObjAction2.h"
#include "app/ObjectBinding.h"
#include "net/IdUDPServer.h"
#include "platform/cp1251/Ansi.h"
#include "app/MainUnit.h"
#include "ui_MainUnit.h"
#include "framework/TextRoutines.h"
#include "app/TmMessage.h"

#include <QScopeGuard>

// One clipboard change: an object address copied while the link is active
// is offered in the dialog, and the chosen template is sent with the
// position of the last key event.
void TfrmMain::OfferClipboardObject()
{
    if (!IdUDPServer1->Active())
        return;
    FObjectText.clear();
    if (!ClipboardAccess().FormatAvailable(CF_TEXT))
        return;
    FObjectText = Trim(ClipboardAccess().ClipboardText());
    if (!IsObjectAddress(FObjectText) || !frmObjAction2) {
        FObjectText.clear();
        return;
    }
    frmObjAction2->SetObjectText(FromAnsi(FObjectText));
    const int result = frmObjAction2->exec();
    if (result < ObjActionTemplate0)
        return;
    const bool indicatorBlockV2 = FUi->cbPLDKv2->isChecked();
    SendTmMessage(JoinItems({ObjectBinding(FObjectText, indicatorBlockV2),
                             TemplateItem(result, indicatorBlockV2)}));
}

// After every clipboard change. Objects are handled one at a time: a change
// while the dialog (or the error box of its message) is open leaves the
// object being handled alone and is offered once that one is done; several
// such changes are offered once, with what the clipboard holds by then.
void TfrmMain::ClipboardViewer1Change(QObject *)
{
    if (FHandlingClipboardObject) {
        FClipboardChangedMeanwhile = true;
        return;
    }
    FHandlingClipboardObject = true;
    const auto handled = qScopeGuard([this] { FHandlingClipboardObject = false; });
    do {
        FClipboardChangedMeanwhile = false;
        OfferClipboardObject();
    } while (FClipboardChangedMeanwhile);
}
