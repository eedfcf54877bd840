#include "generators/OrdinalNumbers.h"

#include "core/EntryList.h"

#include <charconv>

namespace quill {

bool OrdinalNumbers::appendStep(EntryList& batch, qint64 index) {
    char text[24];
    char* end = std::to_chars(text, text + sizeof text - 1, index + 1).ptr;
    *end++ = '.';
    return batch.append(QByteArrayView(text, end - text));
}

} // namespace quill
