#include "history/UndoHistory.h"

#include "history/DroppedMemory.h"
#include "storage/ListPairMerge.h"

#include <utility>

namespace quill {

UndoHistory::UndoHistory(Limits limits) : limits_(std::move(limits)) {}

namespace {

qint64 droppedBytes(const FieldsState& from, const FieldsState& to) {
    return droppedBytes(from.first.entries, to.first.entries) +
           droppedBytes(from.second.entries, to.second.entries);
}

} // namespace

void UndoHistory::record(FieldsState before, FieldsState after) {
    redo_.clear();
    qint64 dropped = droppedBytes(before, after);
    if (!undo_.empty())
        dropped += droppedBytes(undo_.back().after, before);
    undo_.push_back({std::move(before), std::move(after), dropped});
    qint64 held = 0;
    for (const Step& step : undo_)
        held += step.dropped;
    const qint64 budget = limits_.memoryBudget ? limits_.memoryBudget() : held;
    while (undo_.size() > 1 && (qsizetype(undo_.size()) > limits_.steps || held > budget)) {
        dropped_ = qsizetype(undo_.size()) > limits_.steps ? Dropped::Steps : Dropped::Memory;
        held -= undo_.front().dropped;
        undo_.pop_front();
    }
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
