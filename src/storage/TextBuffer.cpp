#include "storage/TextBuffer.h"

#include "core/Failure.h"
#include "storage/SafeFile.h"

#include <algorithm>
#include <cstring>

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

namespace {

// Whether every line break of the text is CR LF already, as in the lists' own text: then it is
// taken as it is, without a pass per byte.
bool onlyCrLf(QByteArrayView text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    qsizetype breaks = 0;
    for (const char* at = begin; at < end; ++at, ++breaks) {
        at = static_cast<const char*>(std::memchr(at, Lf, size_t(end - at)));
        if (!at)
            break;
        if (at == begin || at[-1] != Cr)
            return false;
    }
    // Each LF has its own CR in front; any other CR would stand alone.
    return std::count(begin, end, Cr) == breaks;
}

} // namespace

void TextBuffer::takeText(QByteArray text) {
    if (!onlyCrLf(text)) {
        setText(QByteArrayView(text));
        return;
    }
    if (text.size() > capacity_)
        capacityExceeded();
    text_ = std::move(text);
}

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

void TextBuffer::writeToFile(const QString& path, const WriteWatcher& watch) const {
    constexpr qsizetype piece = qsizetype(1) << 20;
    SafeFile file(path);
    for (qsizetype at = 0; at < text_.size(); at += piece) {
        file.write(QByteArrayView(text_).sliced(at, std::min(piece, text_.size() - at)));
        watch(std::min(at + piece, text_.size()), text_.size());
    }
    file.commit();
}

} // namespace quill
