#include "history/UndoHistory.h"

#include "storage/ListPairMerge.h"

#include <utility>

namespace quill {

UndoHistory::UndoHistory(Limits limits) : limits_(std::move(limits)) {}

void UndoHistory::record(FieldsState before, FieldsState after) {
    redo_.clear();
    Step step{std::move(before), std::move(after), {}};
    for (const FieldsState* state : {&step.before, &step.after}) {
        step.memory.add(state->first.entries);
        step.memory.add(state->second.entries);
    }
    undo_.push_back(std::move(step));
    const FieldsState& shown = undo_.back().after;
    while (qsizetype(undo_.size()) > std::max<qsizetype>(limits_.steps, 1)) {
        undo_.pop_front();
        dropped_ = Dropped::Steps;
    }
    heldBytes_ = heldBeside(shown);
    if (!limits_.memoryBudget)
        return;
    const qint64 budget = limits_.memoryBudget();
    while (heldBytes_ > budget && undo_.size() > 1) {
        undo_.pop_front();
        dropped_ = Dropped::Memory;
        heldBytes_ = heldBeside(shown);
    }
}

qint64 UndoHistory::heldBeside(const FieldsState& shown) const {
    EntryMemory held;
    for (const Step& step : undo_)
        held.add(step.memory);
    EntryMemory fields;
    fields.add(shown.first.entries);
    fields.add(shown.second.entries);
    return held.bytesNotIn(fields);
}

std::optional<FieldsState> UndoHistory::undo(const FieldsState& now) {
    if (undo_.empty())
        return std::nullopt;
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    return reach(redo_.back().after, redo_.back().before, now);
}

std::optional<FieldsState> UndoHistory::redo(const FieldsState& now) {
    if (redo_.empty())
        return std::nullopt;
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    return reach(undo_.back().before, undo_.back().after, now);
}

FieldsState UndoHistory::reach(const FieldsState& left, const FieldsState& target,
                               const FieldsState& now) {
    if (now.sameLists(left))
        return target;
    // The step's change is "ours", the pairs merged in since are "theirs", and what the step
    // left the base, as a save merges; the selections follow their entries.
    const PairView base{left.first.entries, left.second.entries};
    MergedPair merged = mergeListPairs(
        pairHashes(base), {target.first.entries, target.second.entries},
        {now.first.entries, now.second.entries}, {target.first.selected, target.second.selected});
    return {{std::move(merged.lists.first), target.first.editText, merged.followed.first},
            {std::move(merged.lists.second), target.second.editText, merged.followed.second}};
}

} // namespace quill
