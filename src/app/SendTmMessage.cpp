#include "framework/MessageBox.h"
#include "platform/cp1251/Ansi.h"
#include "platform/mailslot/Mailslot.h"
#include "app/DeviceEvent.h"
#include "app/MainUnit.h"
#include "ui_MainUnit.h"
#include "framework/TextRoutines.h"
#include "app/TmMessage.h"

void TfrmMain::SendTmMessage(const QByteArray &extra)
{
    TMailslotClient mailslot;
    uint32_t error = mailslot.Open(TmMailslotPath(ToAnsi(FUi->leTMSName->text())));
    if (error == MailslotError::Success) {
        const QByteArray message = ComposeTmMessage(DeviceEvent, FLink.Host, FUi->cbPLDKv2->isChecked(), extra);
        // A message the TM server's buffer cannot take is refused whole rather
        // than cut: a shortened command could change the wrong object.
        error = message.size() - 1 > MaxTmMessageLength ? TmMessageTooLongError : mailslot.Write(message);
        mailslot.Close();
    }
    if (error != MailslotError::Success)
        ShowMessageBox(ToAnsi(QStringLiteral("Не удалось подключиться к программе настройки сервера ТМ (")) + IntToStr(error) + ")",
                       ToAnsi(QStringLiteral("Ошибка")), TMsgIcon::Error);
}
