#pragma once

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quill {

// Indices of entries kept elsewhere, found by their hash: open addressing in one flat table that
// doubles as it fills, so a million entries cost a few allocations, not a million. The caller
// keeps the entries and tells whether an index holds the one sought.
class HashSlots {
public:
    // The index stored under the hash for which same(index) holds, or -1.
    template <class Same> qsizetype find(std::size_t hash, Same same) const {
        if (slots_.empty())
            return -1;
        const std::size_t mask = slots_.size() - 1;
        const std::uint32_t tag = folded(hash);
        for (std::size_t at = tag & mask; slots_[at].entry != 0; at = (at + 1) & mask) {
            if (slots_[at].tag == tag && same(qsizetype(slots_[at].entry - 1)))
                return qsizetype(slots_[at].entry - 1);
        }
        return -1;
    }
    // Stores the index under the hash; the caller has made sure it is not there yet.
    void insert(std::size_t hash, qsizetype index);
    // Room for this many indices without growing.
    void reserve(qsizetype count);

private:
    // Eight bytes a slot: with a million entries the table is touched all over, and memory a
    // program touches is what costs most on a virtual machine. The index needs 32 bits, as the
    // lists do; the hash is folded to 32 bits, which give the home slot and tell most entries
    // apart without looking at them.
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t entry = 0; // index + 1, 0 for a free slot
    };
    static std::uint32_t folded(std::size_t hash) {
        return std::uint32_t(hash ^ (std::uint64_t(hash) >> 32));
    }
    void place(const Slot& slot);

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

} // namespace quill
