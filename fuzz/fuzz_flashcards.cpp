// Reading any bytes as a flashcard file must not crash, and the pairs it gives, written again in
// the same format, read back the same (or are refused as a pair the format cannot hold).
#include "core/Failure.h"
#include "exchange/FlashcardFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const auto format = static_cast<quill::FlashcardFormat>(data[0] % 4);
    const QByteArrayView input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    quill::PairLists pairs;
    try {
        pairs = quill::readFlashcards(format, input);
    } catch (const quill::Failure&) {
        return 0;
    }
    QByteArray written;
    try {
        written = quill::writeFlashcards(format, pairs, {});
    } catch (const quill::Failure&) {
        return 0;
    }
    const quill::PairLists again = quill::readFlashcards(format, written);
    if (!(again.words == pairs.words) || !(again.meanings == pairs.meanings))
        std::abort();
    return 0;
}
