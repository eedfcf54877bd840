// Reading any bytes as a flashcard file must not crash, and the pairs it gives, written again in
// the same format, read back the same (or are refused as a pair the format cannot hold); word
// lists are only read. KVTML
// behind our writer's prolog reads the same, pairs or failure, as behind another of the same
// length, which leaves it to the XML reader.
#include "core/Failure.h"
#include "exchange/FlashcardFormat.h"
#include "exchange/KvtmlScanner.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QString kvtmlOutcome(const QByteArray& document) {
    try {
        const quill::PairLists pairs =
            quill::readFlashcards(quill::FlashcardFormat::Kvtml, document);
        QString text;
        for (qsizetype i = 0; i < pairs.size(); ++i)
            text += QString::fromUtf8(pairs.word(i)) + u'|' + QString::fromUtf8(pairs.meaning(i));
        return text;
    } catch (const quill::Failure& failure) {
        return u'!' + failure.message();
    }
}

void compareKvtmlReaders(QByteArrayView body) {
    const QByteArray own = QByteArray(quill::kvtmlProlog).append(body);
    const QByteArray general = QByteArray(own).replace("kvtml2.dtd\" ", "kvtml2.dtX\" ");
    if (kvtmlOutcome(own) != kvtmlOutcome(general))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const auto format = static_cast<quill::FlashcardFormat>(data[0] % 5);
    const QByteArrayView input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (format == quill::FlashcardFormat::Kvtml)
        compareKvtmlReaders(input);
    quill::PairLists pairs;
    try {
        pairs = quill::readFlashcards(format, input);
    } catch (const quill::Failure&) {
        return 0;
    }
    if (format == quill::FlashcardFormat::Words)
        return 0;
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
