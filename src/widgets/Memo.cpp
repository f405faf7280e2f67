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
    InsertText(ClipboardApi::ClipboardTextOf(source));
}

bool TMemo::PasteClipboard()
{
    const std::optional<QString> text = ClipboardApi::ClipboardPasteText();
    if (text)
        InsertText(*text);
    return text.has_value();
}

void TMemo::InsertText(QString text)
{
    if (FMaxLength != 0) {
        const QTextCursor cursor = textCursor();
        const qsizetype room =
            FMaxLength - (document()->characterCount() - 1) + (cursor.selectionEnd() - cursor.selectionStart());
        text.truncate(std::max<qsizetype>(room, 0));
    }
    if (!text.isEmpty())
        insertPlainText(text);
}
