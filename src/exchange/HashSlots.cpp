#include "exchange/HashSlots.h"

namespace quill {

void HashSlots::place(const Slot& slot) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = slot.tag & mask;
    while (slots_[at].entry != 0)
        at = (at + 1) & mask;
    slots_[at] = slot;
}

void HashSlots::reserve(qsizetype count) {
    std::size_t size = slots_.empty() ? 16 : slots_.size();
    // At most half full, so a search meets a free slot soon.
    while (size < std::size_t(count) * 2)
        size *= 2;
    if (size == slots_.size())
        return;
    std::vector<Slot> old(size);
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.entry != 0)
            place(slot);
    }
}

void HashSlots::insert(std::size_t hash, qsizetype index) {
    if ((used_ + 1) * 2 > slots_.size())
        reserve(qsizetype(slots_.empty() ? 8 : slots_.size()));
    place({folded(hash), std::uint32_t(index + 1)});
    ++used_;
}

} // namespace quill
