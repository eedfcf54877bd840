#pragma once

#include "exchange/PairLists.h"

#include <QString>

#include <optional>

namespace quill {

// Reads the folder's "Phrase.log" and "Mean.log" under its lock, so a window saving the pair
// meanwhile is seen before or after, never halfway. Nothing when neither file exists; a missing
// one reads as empty. Throws Failure when the lock cannot be had or a list cannot be read.
std::optional<PairLists> readFolderPairs(const QString& folder);

struct ImportCount {
    qsizetype added = 0;
    qsizetype present = 0; // already in the lists: the same word bytes and meaning bytes
};

// Appends every pair that the folder's lists do not hold yet, in the given order, and saves
// both lists as one unit under the folder lock (a window open on the folder merges them at its
// next save). The pairs are compared with the lists as they were read, so a pair given twice is
// added twice. When the lists differ in length, the shorter one is first filled up with empty
// entries, so the new pairs line up. Writes nothing when nothing is new. Throws Failure (lock,
// unreadable list, "List too large", the save's failures); the lists then stay as they were.
ImportCount importPairs(const QString& folder, const PairLists& pairs);

} // namespace quill
