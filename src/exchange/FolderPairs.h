#pragma once

#include "exchange/PairLists.h"

#include <QString>

#include <optional>

namespace quill {

// Reads the folder's "Phrase.log" and "Mean.log" under its lock, so a window saving the pair
// meanwhile is seen before or after, never halfway. As at a window's start, conflict copies a
// sync engine left are folded in first (and saved), and a pair another program has written only
// half of stays out (at the end of the files). Nothing when neither file exists; a missing one
// reads as empty. Throws Failure when the lock cannot be had, a list cannot be read or the fold
// cannot be saved.
std::optional<PairLists> readFolderPairs(const QString& folder);

struct ImportCount {
    qsizetype added = 0;
    qsizetype present = 0; // already in the lists: the same word bytes and meaning bytes
};

// Appends every pair that the folder's lists, read as readFolderPairs reads them, do not hold
// yet, in the given order, and saves both lists as one unit under the folder lock, merged with
// whatever another writer saved meanwhile (a window open on the folder merges them at its next
// save). The pairs are compared with the lists as they were read, so a pair given twice is added
// twice. When the lists differ in length, the shorter one is first filled up with empty entries,
// so the new pairs line up; a pair another program has written only half of stays behind them,
// for that program to complete. Writes nothing when nothing is new. Throws Failure (lock,
// unreadable list, "List too large", the save's failures); the lists then stay as they were.
ImportCount importPairs(const QString& folder, const PairLists& pairs);

// Which removed pairs to bring back: those removed at or after `since` (milliseconds since
// 1970 UTC), and with `match` in the word or the meaning, ignoring letter case.
struct RemovalFilter {
    std::optional<qint64> since;
    QString match;
};

// Brings back the removed pairs of the folder's removal history that the filter selects, oldest
// first and each once (the same word bytes and meaning bytes), appended as importPairs appends
// them: only those the lists do not hold. Throws what importPairs throws, and Failure when the
// history cannot be read.
ImportCount restorePairs(const QString& folder, const RemovalFilter& filter);

} // namespace quill
