#include "exchange/PairCollector.h"

#include "core/Failure.h"

#include <QHashFunctions>

using namespace Qt::StringLiterals;

namespace quill {

void putOnOneLine(QByteArrayView text, QByteArray& line) {
    line.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
        } else if (line.isEmpty() || !line.endsWith(' ')) {
            line += ' ';
        }
    }
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    while (end > start && (line[end - 1] == ' ' || line[end - 1] == '\t'))
        --end;
    line = line.sliced(start, end - start);
}

void PairCollector::add(QByteArrayView word, QByteArrayView meaning) {
    putOnOneLine(word, word_);
    putOnOneLine(meaning, meaning_);
    const std::size_t hash = qHashMulti(0, word_, meaning_);
    for (auto [at, end] = seen_.equal_range(hash); at != end; ++at) {
        if (pairs_.words.at(at->second) == word_ && pairs_.meanings.at(at->second) == meaning_)
            return;
    }
    seen_.emplace(hash, pairs_.words.size());
    if (!pairs_.words.append(word_) || !pairs_.meanings.append(meaning_))
        throw Failure(u"List too large"_s);
}

} // namespace quill
