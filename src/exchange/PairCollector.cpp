#include "exchange/PairCollector.h"

#include "core/Failure.h"

#include <functional>
#include <string_view>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::size_t hashOf(QByteArrayView bytes) {
    return std::hash<std::string_view>()(std::string_view(bytes.data(), std::size_t(bytes.size())));
}

} // namespace

QByteArrayView onOneLine(QByteArrayView text, QByteArray& scratch) {
    const bool broken = text.contains('\n') || text.contains('\r');
    if (!broken && (text.isEmpty() || (!isBlank(text.front()) && !isBlank(text.back()))))
        return text;
    scratch.clear();
    for (const char c : text) {
        if (c != '\r' && c != '\n')
            scratch += c;
        else if (!scratch.endsWith(' '))
            scratch += ' ';
    }
    qsizetype start = 0;
    qsizetype end = scratch.size();
    while (start < end && isBlank(scratch[start]))
        ++start;
    while (end > start && isBlank(scratch[end - 1]))
        --end;
    return QByteArrayView(scratch).sliced(start, end - start);
}

void PairCollector::reserve(qsizetype bytes, qsizetype count) {
    pairs_.words.reserve(bytes, count);
    pairs_.meanings.reserve(bytes, count);
    if (repeats_ == Repeats::Drop)
        seen_.reserve(count);
}

void PairCollector::add(QByteArrayView word, QByteArrayView meaning) {
    word = onOneLine(word, wordScratch_);
    meaning = onOneLine(meaning, meaningScratch_);
    if (repeats_ == Repeats::Drop) {
        const std::size_t wordHash = hashOf(word);
        const std::size_t hash =
            wordHash ^ (hashOf(meaning) + 0x9E3779B97F4A7C15u + (wordHash << 6));
        if (seen_.find(hash, [&](qsizetype i) {
                return pairs_.words.at(i) == word && pairs_.meanings.at(i) == meaning;
            }) >= 0)
            return;
        seen_.insert(hash, pairs_.words.size());
    }
    if (!pairs_.words.append(word) || !pairs_.meanings.append(meaning))
        throw Failure(u"List too large"_s);
}

} // namespace quill
