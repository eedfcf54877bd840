#include "exchange/FolderPairs.h"

#include "core/ByteText.h"
#include "core/Failure.h"
#include "exchange/PairIndex.h"
#include "storage/ListFile.h"
#include "storage/ListPairSync.h"
#include "storage/RemovalHistory.h"

#include <algorithm>
#include <chrono>
#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

ListPairSync folderPair(const QString& folder) {
    return ListPairSync(QString::fromUtf16(PhraseFileName), QString::fromUtf16(MeanFileName),
                        std::chrono::seconds(3), folder);
}

// The pair's lists as a window's start reads them: conflict copies folded in, a pair another
// program has written only half of left out (it stays at the end of the files, in `heldBack`).
std::optional<PairLists> readLists(ListPairSync& pair, ListPairSync::Unexplained unexplained,
                                   ListPairSync::Loaded* heldBack = nullptr) {
    ListPairSync::Loaded loaded = pair.loadForCommand(unexplained);
    if (!loaded.first && !loaded.second)
        return std::nullopt;
    PairLists lists;
    if (loaded.first)
        lists.words = std::move(*loaded.first);
    if (loaded.second)
        lists.meanings = std::move(*loaded.second);
    if (heldBack) {
        heldBack->heldBack = std::move(loaded.heldBack);
        heldBack->heldBackFile = loaded.heldBackFile;
    }
    return lists;
}

void append(EntryList& list, QByteArrayView entry) {
    if (!list.append(entry))
        throw Failure(u"List too large"_s);
}

bool selected(const RemovalFilter& filter, const RemovalBlock& block, qsizetype pair) {
    if (filter.match.isEmpty())
        return true;
    for (const EntryList* list : {&block.pairs.first, &block.pairs.second}) {
        if (displayText(list->at(pair)).contains(filter.match, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// The pairs without repeats, in their order (a pair removed twice, or also taken out of another
// window's lists by a merge, comes back once).
PairLists distinct(const PairLists& pairs) {
    const PairView view{pairs.words, pairs.meanings};
    std::vector<std::pair<std::uint64_t, qsizetype>> keys;
    keys.reserve(size_t(pairs.size()));
    for (qsizetype i = 0; i < pairs.size(); ++i)
        keys.emplace_back(pairHash(view, i), i);
    std::sort(keys.begin(), keys.end());
    std::vector<bool> repeated(size_t(pairs.size()));
    for (size_t run = 0; run < keys.size();) {
        size_t end = run + 1;
        while (end < keys.size() && keys[end].first == keys[run].first)
            ++end;
        // Pairs of one hash are compared byte for byte: the first of equal ones stays.
        for (size_t i = run; i < end; ++i) {
            const qsizetype a = keys[i].second;
            for (size_t k = run; k < i && !repeated[size_t(a)]; ++k) {
                const qsizetype b = keys[k].second;
                repeated[size_t(a)] = !repeated[size_t(b)] && pairs.word(a) == pairs.word(b) &&
                                      pairs.meaning(a) == pairs.meaning(b);
            }
        }
        run = end;
    }
    PairLists result;
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        if (!repeated[size_t(i)]) {
            append(result.words, pairs.word(i));
            append(result.meanings, pairs.meaning(i));
        }
    }
    return result;
}

} // namespace

std::optional<PairLists> readFolderPairs(const QString& folder) {
    ListPairSync pair = folderPair(folder);
    return readLists(pair, ListPairSync::Unexplained::Shown);
}

ImportCount importPairs(const QString& folder, const PairLists& pairs) {
    // Where nothing tells whether one list's excess is another program's half pair, it stays
    // behind the new pairs rather than be completed with empty entries.
    ListPairSync pair = folderPair(folder);
    ListPairSync::Loaded held;
    PairLists lists = readLists(pair, ListPairSync::Unexplained::Held, &held).value_or(PairLists());

    std::vector<qsizetype> fresh;
    {
        // What is held back counts as the lists' end for what they hold already.
        EntryList& longer = held.heldBackFile == 0 ? lists.words : lists.meanings;
        const qsizetype end = longer.size();
        if (held.heldBackFile >= 0 && !longer.appendRange(held.heldBack, 0, held.heldBack.size()))
            throw Failure(u"List too large"_s);
        const PairIndex known(lists); // it looks into the lists, so they grow only after it
        for (qsizetype i = 0; i < pairs.size(); ++i) {
            if (!known.contains(pairs.word(i), pairs.meaning(i)))
                fresh.push_back(i);
        }
        while (longer.size() > end)
            longer.remove(longer.size() - 1);
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
    // What another writer saved since the read is merged in, never written over.
    pair.save({lists.words, lists.meanings}, {});
    return count;
}

ImportCount restorePairs(const QString& folder, const RemovalFilter& filter) {
    PairLists removed;
    RemovalHistory(folder).read([&](RemovalBlock&& block) {
        if (filter.since && block.time < *filter.since)
            return;
        for (qsizetype i = 0; i < block.pairs.first.size(); ++i) {
            if (selected(filter, block, i)) {
                append(removed.words, block.pairs.first.at(i));
                append(removed.meanings, block.pairs.second.at(i));
            }
        }
    });
    return importPairs(folder, distinct(removed));
}

} // namespace quill
