// The readers of what e-readers, dictionaries and flashcard programs keep, on any bytes: a
// dictionary history, an SQLite database (read from memory, as a collection from a zip is) and
// a zip archive. None may crash, hang or take unbounded memory, and every pair they give fits
// a list entry (no line break). A history found as one gives a word for each line.
#include "core/Failure.h"
#include "exchange/DictionaryHistory.h"
#include "exchange/ImportSource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Enough for any collection a fuzzer makes, small enough to keep the run within its limits.
constexpr qint64 memoryBudget = qint64(64) << 20;

void checkEntries(const quill::PairLists& pairs) {
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        for (const QByteArrayView side : {pairs.word(i), pairs.meaning(i)}) {
            if (side.contains('\r') || side.contains('\n'))
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const int kind = data[0] % 3;
    if (kind == 0) {
        if (quill::isDictionaryHistory(bytes)) {
            const quill::PairLists words = quill::readDictionaryHistory(bytes);
            if (words.size() == 0 || words.size() > bytes.count('\n') + 1)
                std::abort();
            checkEntries(words);
        }
        return 0;
    }
    // The fuzzer need not find the magic numbers itself.
    bytes.prepend(kind == 1 ? QByteArray("SQLite format 3\0", 16) : QByteArray("PK\x03\x04"));
    quill::ImportSource source;
    source.bytes = bytes;
    try {
        checkEntries(quill::readImportSource(source, std::nullopt, {}, memoryBudget));
    } catch (const quill::Failure&) {
    }
    return 0;
}
