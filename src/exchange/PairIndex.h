#pragma once

#include "exchange/PairLists.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quill {

// The pairs of the lists by their hash: open addressing in one flat table, so a million pairs
// cost two allocations, not a million. It looks into the lists, which must not change while it
// is used. Entries are compared as an export writes them (readableUtf8), so the pairs of a
// folder's own export are found even where its lists hold entries that are not UTF-8.
class PairIndex {
public:
    explicit PairIndex(const PairLists& lists);
    // True when the lists hold the pair: the same word and the same meaning as UTF-8 text.
    bool contains(QByteArrayView word, QByteArrayView meaning) const;

private:
    struct Slot {
        std::size_t hash = 0;
        // Pair index + 1, 0 for a free slot; the top bit marks a pair that is not UTF-8 as it is.
        std::uint64_t entry = 0;
    };
    const PairLists& lists_;
    std::vector<Slot> slots_;
};

} // namespace quill
