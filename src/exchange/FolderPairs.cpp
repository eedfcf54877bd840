#include "exchange/FolderPairs.h"

#include "core/Failure.h"
#include "exchange/PairIndex.h"
#include "storage/ListFile.h"
#include "storage/ListPairSync.h"

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

} // namespace quill
