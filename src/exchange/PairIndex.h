#pragma once

#include "exchange/PairLists.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quill {

// The pairs of the lists by their hash: open addressing in one flat table, so a million pairs
// cost two allocations, not a million. It looks into the lists, which must not change while it
// is used.
class PairIndex {
public:
    explicit PairIndex(const PairLists& lists);
    // True when the lists hold the pair: the same word bytes and the same meaning bytes.
    bool contains(QByteArrayView word, QByteArrayView meaning) const;

private:
    struct Slot {
        std::size_t hash = 0;
        std::uint64_t entry = 0; // pair index + 1; 0 is a free slot
    };
    const PairLists& lists_;
    std::vector<Slot> slots_;
};

} // namespace quill
