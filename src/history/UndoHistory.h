#pragma once

#include "history/FieldsState.h"

#include <QtGlobal>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace quill {

// The undo history of the two fields: one step per command that changed them, holding what they
// were before and after it. Steps share their entries with the fields and with each other, so a
// step costs memory only for entries that no field holds any more (a cleared list, say).
//
// The history is bounded: at most `steps` steps, and at most `memoryBudget()` bytes that only the
// history keeps alive, checked when a step is recorded. The oldest steps go first, but never the
// newest: it holds no more than the fields held a moment before. The memory is what the steps let
// go of (droppedBytes): what the fields held at a step's start and not at its end, and what they
// held at the end of the step before and not at its start (pairs a save merged away). An entry is
// let go of once along the history, so what several steps hold counts once.
class UndoHistory {
public:
    struct Limits {
        qsizetype steps = 100;
        // No function: no bound by memory.
        std::function<qint64()> memoryBudget;
    };
    // Why the oldest steps were let go, the latest reason.
    enum class Dropped { None, Steps, Memory };

    explicit UndoHistory(Limits limits);

    // A command changed the fields from `before` to `after`, which they show now. The steps
    // undone before it can no longer be redone.
    void record(FieldsState before, FieldsState after);

    // What the fields become when the newest step is undone (redone), given what they show now;
    // nothing when there is no such step. When the fields still hold the lists the step left
    // them with, they get back the state it started from. Otherwise other writers' pairs were
    // merged in since, and they stay: the step's two states and the fields are merged three ways
    // by pairs, the step's change taken back (made again) and the edit texts as it had them.
    std::optional<FieldsState> undo(const FieldsState& now);
    std::optional<FieldsState> redo(const FieldsState& now);

    Dropped dropped() const { return dropped_; }
    qsizetype stepLimit() const { return limits_.steps; }

private:
    struct Step {
        FieldsState before;
        FieldsState after;
        // What the fields let go of since the step before ended.
        qint64 dropped = 0;
    };

    // The state `target` of a step as it is reached from `now`, where the step left `left`.
    static FieldsState reach(const FieldsState& left, const FieldsState& target,
                             const FieldsState& now);

    Limits limits_;
    std::deque<Step> undo_;
    std::vector<Step> redo_;
    Dropped dropped_ = Dropped::None;
};

} // namespace quill
