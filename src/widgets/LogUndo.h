#pragma once

#include "widgets/LogStore.h"

#include <QByteArray>

#include <vector>

// One change of the log's text by the operator: at `At`, `Removed` was
// replaced by `Inserted`.
struct TLogEdit {
    TLogPosition At;
    QByteArray Removed;
    QByteArray Inserted;
};

// How an edit came about: keys typed one after the other, and runs of
// Backspace or Delete, are undone as one step.
enum class TLogEditKind { Other, Typing, Backspace, Delete };

// The position just after `text` inserted at `at`.
TLogPosition PositionAfter(TLogPosition at, QByteArrayView text);

// The operator's edits, to be undone and redone. Lines the program appends
// are no edits: they only ever go after the last line, past every position
// recorded here, so the recorded positions stay true.
class TLogUndo {
public:
    void Record(TLogEdit edit, TLogEditKind kind);
    // The next edit starts a step of its own (the cursor was moved).
    void Break() { FOpen = false; }
    void Clear();
    bool CanUndo() const { return !FDone.empty(); }
    bool CanRedo() const { return !FUndone.empty(); }
    // The edit to take back, moved to the redo list.
    TLogEdit TakeUndo();
    // The edit to make again, moved back to the undo list.
    TLogEdit TakeRedo();

private:
    std::vector<TLogEdit> FDone;
    std::vector<TLogEdit> FUndone;
    TLogEditKind FLastKind = TLogEditKind::Other;
    bool FOpen = false;
};
