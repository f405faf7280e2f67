#include "clipboard/Memo.h"

#include <QMimeData>
#include <QTextCursor>

TMemo::TMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    document()->setUndoRedoEnabled(false);
}

void TMemo::insertFromMimeData(const QMimeData *source)
{
    if (FMaxLength == 0 || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QTextCursor cursor = textCursor();
    const qsizetype room = FMaxLength - (document()->characterCount() - 1) + (cursor.selectionEnd() - cursor.selectionStart());
    if (room > 0)
        insertPlainText(source->text().left(room));
}
