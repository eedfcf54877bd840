#include "exchange/FolderPairs.h"

#include "core/Failure.h"
#include "storage/FolderLock.h"
#include "storage/ListFile.h"

#include <cstdint>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

std::size_t pairHash(QByteArrayView word, QByteArrayView meaning) {
    const std::hash<std::string_view> hash;
    const std::size_t w = hash(std::string_view(word.data(), std::size_t(word.size())));
    const std::size_t m = hash(std::string_view(meaning.data(), std::size_t(meaning.size())));
    return w ^ (m + 0x9E3779B97F4A7C15u + (w << 6) + (w >> 2));
}

// The pairs of the lists by their hash: open addressing in one flat table, so a million pairs
// cost two allocations, not a million.
class PairIndex {
public:
    explicit PairIndex(const PairLists& lists) : lists_(lists) {
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
    bool contains(QByteArrayView word, QByteArrayView meaning) const {
        const std::size_t hash = pairHash(word, meaning);
        for (std::size_t at = hash & (slots_.size() - 1); slots_[at].entry != 0;
             at = (at + 1) & (slots_.size() - 1)) {
            const qsizetype i = qsizetype(slots_[at].entry - 1);
            if (slots_[at].hash == hash && lists_.word(i) == word && lists_.meaning(i) == meaning)
                return true;
        }
        return false;
    }

private:
    struct Slot {
        std::size_t hash = 0;
        std::uint64_t entry = 0; // pair index + 1; 0 is a free slot
    };
    const PairLists& lists_;
    std::vector<Slot> slots_;
};

QString listPath(const QString& folder, QStringView name) {
    return folder + u'/' + name.toString();
}

// The pair's lists as they are on disk; the caller holds the folder lock.
std::optional<PairLists> readLists(const QString& folder) {
    std::optional<EntryList> words = readListFileIfPresent(listPath(folder, PhraseFileName));
    std::optional<EntryList> meanings = readListFileIfPresent(listPath(folder, MeanFileName));
    if (!words && !meanings)
        return std::nullopt;
    PairLists lists;
    if (words)
        lists.words = std::move(*words);
    if (meanings)
        lists.meanings = std::move(*meanings);
    return lists;
}

void append(EntryList& list, QByteArrayView entry) {
    if (!list.append(entry))
        throw Failure(u"List too large"_s);
}

} // namespace

std::optional<PairLists> readFolderPairs(const QString& folder) {
    const FolderLock lock(folder);
    return readLists(folder);
}

ImportCount importPairs(const QString& folder, const PairLists& pairs) {
    const FolderLock lock(folder);
    PairLists lists = readLists(folder).value_or(PairLists());

    std::vector<qsizetype> fresh;
    {
        const PairIndex known(lists); // it looks into the lists, so they grow only after it
        for (qsizetype i = 0; i < pairs.size(); ++i) {
            if (!known.contains(pairs.word(i), pairs.meaning(i)))
                fresh.push_back(i);
        }
    }
    const ImportCount count{qsizetype(fresh.size()), pairs.size() - qsizetype(fresh.size())};
    if (fresh.empty())
        return count;

    const qsizetype length = lists.size();
    while (lists.words.size() < length)
        append(lists.words, {});
    while (lists.meanings.size() < length)
        append(lists.meanings, {});
    for (const qsizetype i : fresh) {
        append(lists.words, pairs.word(i));
        append(lists.meanings, pairs.meaning(i));
    }
    writeListFilePair(listPath(folder, PhraseFileName), lists.words, listPath(folder, MeanFileName),
                      lists.meanings);
    return count;
}

} // namespace quill
