#pragma once

#include "exchange/HashSlots.h"
#include "exchange/PairLists.h"

#include <QByteArray>

namespace quill {

// Gathers the pairs a word list of a reader or a dictionary gives. A list entry holds no line
// break, so each run of CR and LF becomes one blank, and both sides are trimmed. A pair met
// again (the same word and meaning) is kept once, where it was first met, unless the source
// holds each word once anyway.
class PairCollector {
public:
    enum class Repeats { Drop, Keep };
    explicit PairCollector(Repeats repeats = Repeats::Drop) : repeats_(repeats) {}

    // Throws Failure "List too large" when the lists cannot take the pair.
    void add(QByteArrayView word, QByteArrayView meaning);
    PairLists take() { return std::move(pairs_); }
    // Room for `count` pairs of `bytes` bytes in all on each side. Memory is only reserved, not
    // touched: a generous bound (such as the size of the source) costs nothing, and filling the
    // lists then copies nothing as they grow.
    void reserve(qsizetype bytes, qsizetype count);

private:
    Repeats repeats_;
    PairLists pairs_;
    HashSlots seen_;
    QByteArray wordScratch_;
    QByteArray meaningScratch_;
};

// The text on one line: each run of CR and LF a blank, blanks and tabs trimmed at both ends.
// Gives the text itself when it is so already, else the line put in scratch.
QByteArrayView onOneLine(QByteArrayView text, QByteArray& scratch);

} // namespace quill
