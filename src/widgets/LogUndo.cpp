#include "widgets/LogUndo.h"

TLogPosition PositionAfter(TLogPosition at, QByteArrayView text)
{
    const qsizetype breaks = text.count('\n');
    if (breaks == 0)
        return {at.Line, at.Column + text.size()};
    return {at.Line + breaks, text.size() - text.lastIndexOf('\n') - 1};
}

void TLogUndo::Record(TLogEdit edit, TLogEditKind kind)
{
    FUndone.clear();
    if (FOpen && kind == FLastKind && !FDone.empty()) {
        TLogEdit &last = FDone.back();
        switch (kind) {
        case TLogEditKind::Typing:
            if (edit.Removed.isEmpty() && edit.At == PositionAfter(last.At, last.Inserted)) {
                last.Inserted += edit.Inserted;
                return;
            }
            break;
        case TLogEditKind::Backspace:
            if (last.Inserted.isEmpty() && PositionAfter(edit.At, edit.Removed) == last.At) {
                last.At = edit.At;
                last.Removed.prepend(edit.Removed);
                return;
            }
            break;
        case TLogEditKind::Delete:
            if (last.Inserted.isEmpty() && edit.At == last.At) {
                last.Removed += edit.Removed;
                return;
            }
            break;
        case TLogEditKind::Other:
            break;
        }
    }
    FDone.push_back(std::move(edit));
    FLastKind = kind;
    FOpen = kind != TLogEditKind::Other;
}

void TLogUndo::Clear()
{
    FDone.clear();
    FUndone.clear();
    FOpen = false;
}

TLogEdit TLogUndo::TakeUndo()
{
    FOpen = false;
    FUndone.push_back(std::move(FDone.back()));
    FDone.pop_back();
    return FUndone.back();
}

TLogEdit TLogUndo::TakeRedo()
{
    FOpen = false;
    FDone.push_back(std::move(FUndone.back()));
    FUndone.pop_back();
    return FDone.back();
}
