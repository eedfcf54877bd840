#include "storage/RemovalBlock.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstring>

namespace quill {

namespace {

constexpr char HeaderMark[4] = {'Q', 'b', 'R', 'm'};
constexpr char TrailerMark[4] = {'m', 'R', 'b', 'Q'};
constexpr quint8 Version = 1;
constexpr quint8 ContinuesFlag = 1;
// Version, flags, time, cause length, pair count.
constexpr qsizetype FixedContent = 1 + 1 + 8 + 2 + 4;

template <typename T> void put(char* at, T value) {
    for (size_t i = 0; i < sizeof(T); ++i)
        at[i] = char((quint64(value) >> (8 * i)) & 0xFF);
}

template <typename T> T get(const char* at) {
    quint64 value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value |= quint64(uchar(at[i])) << (8 * i);
    return T(value);
}

void putLength(QByteArray& out, quint64 length) {
    while (length >= 0x80) {
        out.append(char((length & 0x7F) | 0x80));
        length >>= 7;
    }
    out.append(char(length));
}

qsizetype lengthSize(quint64 length) {
    qsizetype size = 1;
    while (length >= 0x80) {
        length >>= 7;
        ++size;
    }
    return size;
}

QByteArrayView entry(const EntryList& list, qsizetype index) {
    return index < list.size() ? list.at(index) : QByteArrayView();
}

// Reads through a block's content, refusing to pass its end.
class ContentReader {
public:
    explicit ContentReader(QByteArrayView content) : content_(content) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return at_ == content_.size(); }
    template <typename T> T fixed() {
        if (!take(sizeof(T)))
            return T();
        return get<T>(content_.data() + at_ - qsizetype(sizeof(T)));
    }
    QByteArrayView bytes(quint64 length) {
        if (length > quint64(content_.size() - at_) || !take(qsizetype(length)))
            return {};
        return content_.sliced(at_ - qsizetype(length), qsizetype(length));
    }
    quint64 length() {
        quint64 value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const auto byte = fixed<quint8>();
            value |= quint64(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0)
                return value;
        }
        ok_ = false;
        return 0;
    }

private:
    bool take(qsizetype size) {
        if (!ok_ || content_.size() - at_ < size)
            return ok_ = false;
        at_ += size;
        return true;
    }
    QByteArrayView content_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

std::optional<RemovalBlock> parseContent(QByteArrayView content) {
    ContentReader reader(content);
    RemovalBlock block;
    if (reader.fixed<quint8>() != Version)
        return std::nullopt;
    block.continues = (reader.fixed<quint8>() & ContinuesFlag) != 0;
    block.time = reader.fixed<qint64>();
    block.cause = QString::fromUtf8(reader.bytes(reader.fixed<quint16>()));
    const auto count = reader.fixed<quint32>();
    for (quint32 i = 0; i < count && reader.ok(); ++i) {
        const QByteArrayView word = reader.bytes(reader.length());
        const QByteArrayView meaning = reader.bytes(reader.length());
        if (!block.pairs.first.append(word) || !block.pairs.second.append(meaning))
            return std::nullopt;
    }
    if (!reader.ok() || !reader.atEnd())
        return std::nullopt;
    return block;
}

// The whole block at `at`, checked against its checksum and trailer, if there is one.
std::optional<RemovalBlock> blockAt(QByteArrayView bytes, qsizetype at) {
    const char* header = bytes.data() + at;
    if (std::memcmp(header, HeaderMark, 4) != 0)
        return std::nullopt;
    const auto content = qsizetype(get<quint32>(header + 4));
    if (RemovalHeaderSize + content + RemovalTrailerSize > bytes.size() - at)
        return std::nullopt;
    const char* trailer = header + RemovalHeaderSize + content;
    if (get<quint32>(trailer) != quint32(content) ||
        std::memcmp(trailer + 4, TrailerMark, 4) != 0 ||
        get<quint64>(header + 8) != XXH3_64bits(header + RemovalHeaderSize, size_t(content)))
        return std::nullopt;
    return parseContent(QByteArrayView(header + RemovalHeaderSize, content));
}

} // namespace

qsizetype appendRemovalBlock(QByteArray& out, const PairView& lists, qsizetype from, qsizetype to,
                             qint64 time, const QString& cause, bool continues,
                             qsizetype maxContent) {
    const qsizetype start = out.size();
    const QByteArray causeBytes = cause.toUtf8().left(0xFFFF);
    out.resize(start + RemovalHeaderSize + FixedContent + causeBytes.size());
    char* fixed = out.data() + start + RemovalHeaderSize;
    put<quint8>(fixed, Version);
    put<quint8>(fixed + 1, continues ? ContinuesFlag : 0);
    put<qint64>(fixed + 2, time);
    put<quint16>(fixed + 10, quint16(causeBytes.size()));
    std::memcpy(fixed + 12, causeBytes.constData(), size_t(causeBytes.size()));
    qsizetype content = FixedContent + causeBytes.size();
    qsizetype index = from;
    for (; index < to; ++index) {
        const QByteArrayView word = entry(lists.first, index);
        const QByteArrayView meaning = entry(lists.second, index);
        const qsizetype size = lengthSize(quint64(word.size())) + word.size() +
                               lengthSize(quint64(meaning.size())) + meaning.size();
        if (index > from && (content + size > maxContent || index - from == 0xFFFFFFFF))
            break;
        putLength(out, quint64(word.size()));
        out.append(word);
        putLength(out, quint64(meaning.size()));
        out.append(meaning);
        content += size;
    }
    char* header = out.data() + start;
    put<quint32>(header + RemovalHeaderSize + 12 + causeBytes.size(), quint32(index - from));
    std::memcpy(header, HeaderMark, 4);
    put<quint32>(header + 4, quint32(content));
    put<quint64>(header + 8, XXH3_64bits(header + RemovalHeaderSize, size_t(content)));
    char trailer[RemovalTrailerSize];
    put<quint32>(trailer, quint32(content));
    std::memcpy(trailer + 4, TrailerMark, 4);
    out.append(trailer, RemovalTrailerSize);
    return index;
}

qsizetype readRemovalBlocks(QByteArrayView bytes, const std::function<void(RemovalBlock&&)>& take) {
    const QByteArrayView mark(HeaderMark, 4);
    qsizetype at = 0;
    qsizetype end = 0; // of the last whole block
    while (bytes.size() - at >= RemovalHeaderSize + RemovalTrailerSize) {
        if (std::optional<RemovalBlock> block = blockAt(bytes, at)) {
            at += RemovalHeaderSize + qsizetype(get<quint32>(bytes.data() + at + 4)) +
                  RemovalTrailerSize;
            end = at;
            if (take)
                take(std::move(*block));
            continue;
        }
        // Damaged bytes: whole blocks behind them still count.
        at = bytes.indexOf(mark, at + 1);
        if (at < 0)
            break;
    }
    return end;
}

std::optional<qsizetype> removalBlockEndingWith(QByteArrayView trailer) {
    if (trailer.size() != RemovalTrailerSize ||
        std::memcmp(trailer.data() + 4, TrailerMark, 4) != 0)
        return std::nullopt;
    return RemovalHeaderSize + qsizetype(get<quint32>(trailer.data())) + RemovalTrailerSize;
}

} // namespace quill
