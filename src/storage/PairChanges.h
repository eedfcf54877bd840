#pragma once

#include "storage/ListPairMerge.h"

#include <utility>
#include <vector>

namespace quill {

// Stretches [from, to) of pair indices, ascending.
using PairRanges = std::vector<std::pair<qsizetype, qsizetype>>;
qsizetype pairCount(const PairRanges& ranges);

// How one version of the lists became another, pair by pair (uneven lists padded with empty
// entries).
struct PairChanges {
    // The pairs of `before` that `after` lacks; a pair `before` holds more often than `after`
    // counts as often as it is missing. Pairs that only moved are no change.
    PairRanges removed;
    // The pairs `after` holds and `before` lacks, as hashes: sorted, each once. Only when asked.
    PairHashes added;
};

// Compares two versions. The pairs both begin and end with are passed over first: stretches the
// lists share by identity (a list and a copy of it) without looking at their entries, the rest
// entry by entry. Only the pairs between are hashed, and not even those when one side has none
// left there: clearing a list of millions of pairs costs no hashing.
PairChanges comparePairs(const PairView& before, const PairView& after, bool withAdded = false);

} // namespace quill
