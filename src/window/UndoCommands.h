#pragma once

#include "history/FieldsState.h"
#include "history/UndoHistory.h"

#include <QtGlobal>

#include <functional>
#include <optional>

namespace quill {

class Dialogs;
class FieldCombo;

// Undo and redo of what commands do to the two fields. The window brackets every command that
// may change them with begin() and end(); a command that changed their entries, edit texts or
// selections becomes one step of the history.
class UndoCommands {
public:
    // `memoryBudget` is the most memory only the history may keep alive, in bytes; 0 gives it a
    // quarter of the memory available when a step is recorded.
    UndoCommands(Dialogs& dialogs, FieldCombo& first, FieldCombo& second, qint64 memoryBudget);

    void begin();
    void end();
    // Runs `change` outside the command's step: what the command did before it is a step of its
    // own, and the step goes on from what `change` leaves (other writers' pairs a save merged in
    // are no step of this window).
    void outside(const std::function<void()>& change);

    // Show the fields as before the newest step (after the step undone last). With nothing to
    // undo: a failure when older steps were let go, else a beep; with nothing to redo, a beep.
    void undo();
    void redo();

private:
    FieldsState state() const;
    void show(const FieldsState& state);

    Dialogs& dialogs_;
    FieldCombo& first_;
    FieldCombo& second_;
    UndoHistory history_;
    std::optional<FieldsState> running_; // the fields when the running command began
};

} // namespace quill
