#include "exchange/PairIndex.h"

#include <functional>
#include <string_view>

namespace quill {
namespace {

std::size_t pairHash(QByteArrayView word, QByteArrayView meaning) {
    const std::hash<std::string_view> hash;
    const std::size_t w = hash(std::string_view(word.data(), std::size_t(word.size())));
    const std::size_t m = hash(std::string_view(meaning.data(), std::size_t(meaning.size())));
    return w ^ (m + 0x9E3779B97F4A7C15u + (w << 6) + (w >> 2));
}

} // namespace

PairIndex::PairIndex(const PairLists& lists) : lists_(lists) {
    std::size_t capacity = 16;
    while (capacity < std::size_t(lists.size()) * 2)
        capacity *= 2;
    slots_.assign(capacity, Slot{});
    for (qsizetype i = 0; i < lists.size(); ++i) {
        const std::size_t hash = pairHash(lists.word(i), lists.meaning(i));
        std::size_t at = hash & (capacity - 1);
        while (slots_[at].entry != 0)
            at = (at + 1) & (capacity - 1);
        slots_[at] = {hash, std::uint64_t(i) + 1};
    }
}

bool PairIndex::contains(QByteArrayView word, QByteArrayView meaning) const {
    const std::size_t hash = pairHash(word, meaning);
    for (std::size_t at = hash & (slots_.size() - 1); slots_[at].entry != 0;
         at = (at + 1) & (slots_.size() - 1)) {
        const auto i = qsizetype(slots_[at].entry - 1);
        if (slots_[at].hash == hash && lists_.word(i) == word && lists_.meaning(i) == meaning)
            return true;
    }
    return false;
}

} // namespace quill
