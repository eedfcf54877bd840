// Splitting any bytes must not crash, and the entries it gives survive their own text form.
#include "storage/ListFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The text form the input should have: every break made CR LF (a byte 0 is an ordinary byte),
// and a last line without a break given one.
QByteArray expectedText(QByteArrayView input) {
    QByteArray text;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const char c = input[i];
        if (c == '\r' || c == '\n') {
            text += "\r\n";
            if (c == '\r' && i + 1 < input.size() && input[i + 1] == '\n')
                ++i;
        } else {
            text += c;
        }
    }
    if (!text.isEmpty() && !text.endsWith("\r\n"))
        text += "\r\n";
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const quill::EntryList entries = quill::splitListText(bytes);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QByteArrayView entry = entries.at(i);
        if (entry.contains('\r') || entry.contains('\n'))
            std::abort();
    }
    const QByteArray text = quill::listText(entries);
    if (!(quill::splitListText(text) == entries))
        std::abort();
    if (text != expectedText(bytes))
        std::abort();
    return 0;
}
