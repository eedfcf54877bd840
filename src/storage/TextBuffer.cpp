#include "storage/TextBuffer.h"

#include "core/Failure.h"
#include "storage/SafeFile.h"

using namespace Qt::StringLiterals;

namespace quill {

namespace {

constexpr char Cr = '\r';
constexpr char Lf = '\n';

[[noreturn]] void capacityExceeded() {
    throw Failure(u"Text exceeds memo capacity"_s);
}

// Calls take(byte) for every byte of the text with every line break made CR LF: a CR LF stays,
// any other CR or LF becomes CR LF, so LF CR gives two breaks.
template <typename Take> void forEachNormalByte(QByteArrayView text, Take&& take) {
    const char* const data = text.data();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == Cr || c == Lf) {
            take(Cr);
            take(Lf);
            if (c == Cr && i + 1 < size && data[i + 1] == Lf)
                ++i;
        } else {
            take(c);
        }
    }
}

} // namespace

void TextBuffer::setText(QByteArrayView text) {
    qsizetype size = 0;
    forEachNormalByte(text, [&](char) { ++size; });
    if (size > capacity_)
        capacityExceeded();
    QByteArray normal(size, Qt::Uninitialized);
    char* out = normal.data();
    forEachNormalByte(text, [&](char c) { *out++ = c; });
    if (normal != text_)
        text_ = std::move(normal);
}

void TextBuffer::appendLine(QByteArrayView line) {
    if (text_.size() + line.size() + 2 > capacity_)
        capacityExceeded();
    text_.reserve(text_.size() + line.size() + 2);
    text_.append(line);
    text_.append("\r\n", 2);
}

void TextBuffer::writeToFile(const QString& path) const {
    writeFileAtomically(path, text_);
}

} // namespace quill
