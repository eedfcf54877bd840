// Feeds arbitrary text to the count conversion: it must either give a number that reads back the
// same way or fail with the answer quoted, never crash.
#include "core/CountConversion.h"
#include "core/Failure.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString answer = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const qint32 value = quill::convertCount(answer);
        // A decimal number always reads back as itself.
        if (quill::convertCount(QString::number(value)) != value)
            std::abort();
    } catch (const quill::Failure& failure) {
        if (!failure.message().contains(answer))
            std::abort();
    }
    return 0;
}
