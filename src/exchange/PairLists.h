#pragma once

#include "core/EntryList.h"

#include <algorithm>

namespace quill {

// A folder's pair: entry i of the words and entry i of the meanings. When one list is shorter,
// its missing entries read as empty.
struct PairLists {
    EntryList words;
    EntryList meanings;

    qsizetype size() const { return std::max(words.size(), meanings.size()); }
    // Pairs that lack one side because the lists differ in length.
    qsizetype unevenCount() const {
        return std::max(words.size(), meanings.size()) - std::min(words.size(), meanings.size());
    }
    QByteArrayView word(qsizetype i) const {
        return i < words.size() ? words.at(i) : QByteArrayView();
    }
    QByteArrayView meaning(qsizetype i) const {
        return i < meanings.size() ? meanings.at(i) : QByteArrayView();
    }
};

} // namespace quill
