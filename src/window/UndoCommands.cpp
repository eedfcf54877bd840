#include "window/UndoCommands.h"

#include "core/AvailableMemory.h"
#include "core/Failure.h"
#include "dialogs/Dialogs.h"
#include "fields/FieldCombo.h"

#include <utility>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

FieldState stateOf(const FieldCombo& field) {
    return {field.entries(), field.currentText(), field.selectedIndex()};
}

void showIn(FieldCombo& field, const FieldState& state) {
    field.showState(state.entries, state.selected, state.editText);
}

UndoHistory::Limits limits(qint64 memoryBudget) {
    UndoHistory::Limits limits;
    limits.memoryBudget = [memoryBudget] {
        return memoryBudget > 0 ? memoryBudget : availableMemoryBytes() / 4;
    };
    return limits;
}

} // namespace

UndoCommands::UndoCommands(Dialogs& dialogs, FieldCombo& first, FieldCombo& second,
                           qint64 memoryBudget)
    : dialogs_(dialogs), first_(first), second_(second), history_(limits(memoryBudget)) {}

FieldsState UndoCommands::state() const {
    return {stateOf(first_), stateOf(second_)};
}

void UndoCommands::show(const FieldsState& state) {
    showIn(first_, state.first);
    showIn(second_, state.second);
}

void UndoCommands::begin() {
    running_ = state();
}

void UndoCommands::end() {
    if (!running_)
        return;
    FieldsState before = std::move(*running_);
    running_.reset();
    FieldsState after = state();
    if (!after.sameAs(before))
        history_.record(std::move(before), std::move(after));
}

void UndoCommands::outside(const std::function<void()>& change) {
    const bool running = running_.has_value();
    end();
    change();
    if (running)
        begin();
}

void UndoCommands::undo() {
    if (const std::optional<FieldsState> earlier = history_.undo(state())) {
        show(*earlier);
        return;
    }
    switch (history_.dropped()) {
    case UndoHistory::Dropped::Steps:
        throw Failure(
            u"Nothing more can be undone: the undo history keeps the last %1 commands."_s.arg(
                history_.stepLimit()));
    case UndoHistory::Dropped::Memory:
        throw Failure(u"Nothing more can be undone: older commands were let go to keep memory "
                      "free."_s);
    case UndoHistory::Dropped::None:
        dialogs_.beep();
        break;
    }
}

void UndoCommands::redo() {
    if (const std::optional<FieldsState> later = history_.redo(state()))
        show(*later);
    else
        dialogs_.beep();
}

} // namespace quill
