#include "exchange/PairIndex.h"

#include "core/ByteText.h"

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

// Both sides of a pair as an export writes them: UTF-8 as it is, other bytes as Windows-1252.
struct ReadablePair {
    QByteArray wordScratch;
    QByteArray meaningScratch;
    QByteArrayView word;
    QByteArrayView meaning;
    bool converted; // a side is not its own bytes

    ReadablePair(QByteArrayView w, QByteArrayView m)
        : word(readableUtf8(w, wordScratch)), meaning(readableUtf8(m, meaningScratch)),
          converted(word.data() != w.data() || meaning.data() != m.data()) {}
    ReadablePair(const ReadablePair&) = delete; // the views may look into the scratch texts
    ReadablePair& operator=(const ReadablePair&) = delete;
};

constexpr std::uint64_t convertedMark = std::uint64_t(1) << 63;

} // namespace

PairIndex::PairIndex(const PairLists& lists) : lists_(lists) {
    std::size_t capacity = 16;
    while (capacity < std::size_t(lists.size()) * 2)
        capacity *= 2;
    slots_.assign(capacity, Slot{});
    for (qsizetype i = 0; i < lists.size(); ++i) {
        const ReadablePair pair(lists.word(i), lists.meaning(i));
        const std::size_t hash = pairHash(pair.word, pair.meaning);
        std::size_t at = hash & (capacity - 1);
        while (slots_[at].entry != 0)
            at = (at + 1) & (capacity - 1);
        slots_[at] = {hash, (std::uint64_t(i) + 1) | (pair.converted ? convertedMark : 0)};
    }
}

bool PairIndex::contains(QByteArrayView word, QByteArrayView meaning) const {
    const ReadablePair sought(word, meaning);
    const std::size_t hash = pairHash(sought.word, sought.meaning);
    for (std::size_t at = hash & (slots_.size() - 1); slots_[at].entry != 0;
         at = (at + 1) & (slots_.size() - 1)) {
        if (slots_[at].hash != hash)
            continue;
        const auto i = qsizetype((slots_[at].entry & ~convertedMark) - 1);
        if ((slots_[at].entry & convertedMark) == 0) {
            if (lists_.word(i) == sought.word && lists_.meaning(i) == sought.meaning)
                return true;
            continue;
        }
        const ReadablePair known(lists_.word(i), lists_.meaning(i));
        if (known.word == sought.word && known.meaning == sought.meaning)
            return true;
    }
    return false;
}

} // namespace quill
