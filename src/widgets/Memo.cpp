#include "widgets/Memo.h"

#include "platform/clipboard/ClipboardData.h"

#include <QMimeData>
#include <QTextCursor>

TMemo::TMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    document()->setUndoRedoEnabled(false);
}

void TMemo::insertFromMimeData(const QMimeData *source)
{
    // The text of the clipboard's text formats, whatever character set or
    // clipboard format carries it.
    QString text = ClipboardApi::ClipboardTextOf(source);
    if (FMaxLength != 0) {
        const QTextCursor cursor = textCursor();
        const qsizetype room =
            FMaxLength - (document()->characterCount() - 1) + (cursor.selectionEnd() - cursor.selectionStart());
        text.truncate(std::max<qsizetype>(room, 0));
    }
    if (!text.isEmpty())
        insertPlainText(text);
}
