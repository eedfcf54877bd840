#pragma once

#include "exchange/PairLists.h"

#include <QByteArray>

#include <cstddef>
#include <unordered_map>

namespace quill {

// Gathers the pairs a word list of a reader or a dictionary gives. A list entry holds no line
// break, so each run of CR and LF becomes one blank, and both sides are trimmed. A pair met
// again (the same word and meaning) is kept once, where it was first met.
class PairCollector {
public:
    // Throws Failure "List too large" when the lists cannot take the pair.
    void add(QByteArrayView word, QByteArrayView meaning);
    PairLists take() { return std::move(pairs_); }

private:
    PairLists pairs_;
    std::unordered_multimap<std::size_t, qsizetype> seen_; // pair hash -> its index
    QByteArray word_;
    QByteArray meaning_;
};

// The text on one line: each run of CR and LF a blank, blanks and tabs trimmed at both ends.
void putOnOneLine(QByteArrayView text, QByteArray& line);

} // namespace quill
