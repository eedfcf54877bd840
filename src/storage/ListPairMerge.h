#pragma once

#include "core/EntryList.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quill {

// The two lists of a pair of list files: entry i of the one and entry i of the other form pair i.
// When one list is longer, its last entries count as paired with empty entries: a merge works on
// whole pairs, and what it gives is even.
struct PairView {
    const EntryList& first;
    const EntryList& second;
    qsizetype size() const { return std::max(first.size(), second.size()); }
};

struct ListPair {
    EntryList first;
    EntryList second;
    PairView view() const { return {first, second}; }
};

// Entries of ours followed through a merge, one per list (the fields' selections); -1 for none.
struct Followed {
    qsizetype first = -1;
    qsizetype second = -1;
};

// One 64-bit hash per pair: what a merge compares versions by, since what it writes always comes
// from a side that still holds the entries. Hashes live in memory only, while a merge runs.
using PairHashes = std::vector<std::uint64_t>;
std::uint64_t pairHash(const PairView& lists, qsizetype index);
PairHashes pairHashes(const PairView& lists);

struct MergedPair {
    ListPair lists;
    PairHashes hashes; // of `lists`
    Followed followed; // where the followed entries of ours ended up, -1 when they are gone
    // The lists are only the pairs that go behind ours, which all stay where they were.
    bool appendsToOurs = false;
};

// Three-way merge by pairs: `base` is the version both sides started from, `ours` and `theirs`
// what each made of it. Changes to different stretches are taken from both sides (additions and
// deletions alike); where both changed the same stretch, both stretches are kept, ours first,
// pairs both hold once. Entries keep their bytes; the common head and tail cost one comparison
// per pair. Hashes of a side the caller already has (pairHashes of all its pairs) spare hashing
// it again.
struct SideHashes {
    const PairHashes* ours = nullptr;
    const PairHashes* theirs = nullptr;
};
MergedPair mergeListPairs(const PairHashes& base, const PairView& ours, const PairView& theirs,
                          Followed follow = {}, SideHashes known = {});

// The pairs `after` holds and `before` lacks, sorted and without repeats. The common head and
// tail cost one comparison per pair, so a few changes among millions of pairs cost little.
PairHashes addedPairs(const PairHashes& before, const PairHashes& after);

// Two-way merge for a version of unknown descent: every pair of either side is kept, pairs both
// hold once, in the order of both where they agree, ours first where they do not.
MergedPair uniteListPairs(const PairView& ours, const PairView& theirs, Followed follow = {});

} // namespace quill
