#include "exchange/FolderPairs.h"

#include "core/Failure.h"
#include "exchange/PairIndex.h"
#include "storage/FolderLock.h"
#include "storage/ListFile.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

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
