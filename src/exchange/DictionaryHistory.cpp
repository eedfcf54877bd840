#include "exchange/DictionaryHistory.h"

#include "exchange/PairCollector.h"

#include <vector>

namespace quill {
namespace {

// Group numbers are small; a longer run of digits is no group number.
constexpr qsizetype maxGroupDigits = 10;

std::vector<QByteArrayView> lines(QByteArrayView text) {
    std::vector<QByteArrayView> found;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArrayView line = text.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        found.push_back(line);
        start = end + 1;
    }
    return found;
}

// The word of a history line; a null view when the line is not one.
QByteArrayView historyWord(QByteArrayView line) {
    qsizetype digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    if (digits == 0 || digits > maxGroupDigits || digits + 1 >= line.size() || line[digits] != ' ')
        return {};
    const QByteArrayView word = line.sliced(digits + 1);
    if (word[0] == ' ' || word.contains('\t') || word.contains('\r') || word.contains('\0'))
        return {};
    return word;
}

} // namespace

bool isDictionaryHistory(QByteArrayView text) {
    if (text.isEmpty() || !text.isValidUtf8())
        return false;
    for (const QByteArrayView line : lines(text)) {
        if (historyWord(line).isNull())
            return false;
    }
    return true;
}

PairLists readDictionaryHistory(QByteArrayView text) {
    const std::vector<QByteArrayView> all = lines(text);
    PairCollector pairs;
    for (auto line = all.rbegin(); line != all.rend(); ++line) {
        if (const QByteArrayView word = historyWord(*line); !word.isNull())
            pairs.add(word, {});
    }
    return pairs.take();
}

} // namespace quill
