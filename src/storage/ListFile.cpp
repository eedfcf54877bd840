#include "storage/ListFile.h"

#include "core/Failure.h"
#include "core/Prefault.h"
#include "storage/SafeFile.h"
#include "storage/SaveStamp.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#define XXH_INLINE_ALL
#include <xxhash.h>

using namespace Qt::StringLiterals;

namespace quill {

namespace {

constexpr char Cr = '\r';
constexpr char Lf = '\n';
// Entries are gathered into pieces of about this size before they are written.
constexpr qsizetype WriteChunk = qsizetype(1) << 20;

struct LineCount {
    qsizetype lines = 0;
    qsizetype breakBytes = 0;
};

// Lines and line-break bytes of the text: a break is CR LF, a lone CR or a lone LF; a break at
// the very end adds no line. Branch-free, in blocks small enough for byte-wide sums, so the
// compiler vectorises it.
LineCount countLines(const char* data, qsizetype size) {
    if (size == 0)
        return {};
    LineCount count;
    qsizetype i = 0;
    while (i + 1 < size) {
        const qsizetype blockEnd = std::min(size - 1, i + 255);
        std::uint8_t breaks = 0;
        std::uint8_t breakBytes = 0;
        for (; i < blockEnd; ++i) {
            const bool cr = data[i] == Cr;
            const bool lf = data[i] == Lf;
            breakBytes += std::uint8_t(cr | lf);
            // CR LF counts once, at its LF.
            breaks += std::uint8_t(lf | (cr & (data[i + 1] != Lf)));
        }
        count.lines += breaks;
        count.breakBytes += breakBytes;
    }
    // A break at the very end ends the last line; any other byte there is in a last line.
    count.lines += 1;
    count.breakBytes += qsizetype(data[size - 1] == Cr || data[size - 1] == Lf);
    return count;
}

// Moves every line of the text to the front of its buffer, each right behind the one before and
// without its break, and notes where each ends. Lines only move towards the front, and nothing
// is written past what has been read, so one buffer serves as both.
void packLines(char* data, qsizetype size, std::vector<EntryList::Offset>& ends) {
    const bool lastLineOpen = size > 0 && data[size - 1] != Cr && data[size - 1] != Lf;
    qsizetype in = 0;
    qsizetype out = 0;
#if defined(__SSE2__)
    // One line per step, looking at sixteen bytes: the break is sought among the first fifteen,
    // so the sixteenth shows whether an LF follows a CR. Once the lines lie sixteen bytes behind,
    // a line moves with one store; what follows it there is overwritten by the next line.
    constexpr qsizetype Step = 16;
    const __m128i crs = _mm_set1_epi8(Cr);
    const __m128i lfs = _mm_set1_epi8(Lf);
    while (in + Step <= size) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + in));
        const auto cr = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, crs)));
        const auto lf = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lfs)));
        const unsigned breaks = (cr | lf) & 0x7FFFu;
        const int length = breaks == 0 ? int(Step) - 1 : std::countr_zero(breaks);
        if (in - out >= Step)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(data + out), bytes);
        else
            std::memmove(data + out, data + in, size_t(length));
        in += length;
        out += length;
        if (breaks == 0)
            continue;
        ends.push_back(EntryList::Offset(out));
        in += 1 + qsizetype((cr >> length) & (lf >> (length + 1)) & 1u);
    }
#endif
    while (in < size) {
        const char c = data[in++];
        if (c == Cr || c == Lf) {
            ends.push_back(EntryList::Offset(out));
            if (c == Cr && in < size && data[in] == Lf)
                ++in;
        } else {
            data[out++] = c;
        }
    }
    if (lastLineOpen)
        ends.push_back(EntryList::Offset(out));
}

} // namespace

QByteArray listText(const EntryList& entries) {
    return listText({&entries}, {});
}

QByteArray listText(ListPieces lists, const WriteWatcher& watch) {
    qint64 total = 0;
    for (const EntryList* entries : lists)
        total += entries->byteSize() + 2 * entries->size();
    QByteArray text(total, Qt::Uninitialized);
    char* const begin = text.data();
    char* out = begin;
    char* reported = begin;
    for (const EntryList* entries : lists) {
        const qsizetype count = entries->size();
        for (qsizetype i = 0; i < count; ++i) {
            const QByteArrayView entry = entries->at(i);
            if (!entry.isEmpty())
                std::memcpy(out, entry.data(), size_t(entry.size()));
            out += entry.size();
            *out++ = Cr;
            *out++ = Lf;
            if (watch && out - reported >= WriteChunk) {
                reported = out;
                watch(out - begin, total);
            }
        }
    }
    if (watch)
        watch(total, total);
    return text;
}

bool splitListText(QByteArray text, EntryList& entries) {
    const LineCount count = countLines(text.constData(), text.size());
    const qsizetype entryBytes = text.size() - count.breakBytes;
    EntryList fresh;
    fresh.setFootprintLimit(entries.footprintLimit());
    if (!fresh.canTake(entryBytes, count.lines))
        return false;
    std::vector<EntryList::Offset> ends;
    ends.reserve(size_t(count.lines));
    prefault(ends.data(), ends.capacity() * sizeof(EntryList::Offset));
    packLines(text.data(), text.size(), ends);
    // The breaks' room goes back; a large buffer shrinks where it is.
    text.truncate(entryBytes);
    text.squeeze();
    entries.adopt(std::move(text), std::move(ends));
    return true;
}

EntryList splitListText(QByteArrayView bytes) {
    EntryList entries;
    if (!splitListText(bytes.toByteArray(), entries))
        throw Failure(u"List too large"_s);
    return entries;
}

namespace {

// A field addresses its bytes with 32-bit offsets; a larger file cannot be loaded whole.
constexpr qsizetype MaxListFile = qsizetype(0xFFFFFFFFu);

EntryList splitFile(const QString& path, QByteArray bytes) {
    EntryList entries;
    if (!splitListText(std::move(bytes), entries))
        throw Failure(u"Cannot open file \"%1\". File too large"_s.arg(fullPath(path)));
    return entries;
}

// A checksum of a file's bytes, taken piece by piece.
class Checksum {
public:
    Checksum() { XXH3_64bits_reset(&state_); }
    void add(QByteArrayView bytes) {
        XXH3_64bits_update(&state_, bytes.data(), size_t(bytes.size()));
    }
    std::uint64_t value() const { return XXH3_64bits_digest(&state_); }

private:
    XXH3_state_t state_;
};

// Walks the bytes a list file holds for entries [0, count) of a list, then those of a tail, piece
// after piece.
class ListTextCursor {
public:
    ListTextCursor(const EntryList& entries, qsizetype count, const EntryList* tail)
        : entries_(entries), count_(count), tail_(tail) {}

    // Whether the piece is what comes next.
    bool matches(QByteArrayView piece) {
        const qsizetype end = count_ + (tail_ ? tail_->size() : 0);
        for (qsizetype at = 0; at < piece.size();) {
            if (index_ >= end)
                return false;
            const QByteArrayView entry =
                index_ < count_ ? entries_.at(index_) : tail_->at(index_ - count_);
            const qsizetype length = entry.size() + 2; // the entry, then CR LF
            const qsizetype to = std::min(length, offset_ + piece.size() - at);
            if (offset_ < entry.size()) {
                const qsizetype same = std::min(to, entry.size()) - offset_;
                if (std::memcmp(piece.data() + at, entry.data() + offset_, size_t(same)) != 0)
                    return false;
                at += same;
                offset_ += same;
            }
            for (; offset_ < to; ++offset_, ++at) {
                if (piece[at] != "\r\n"[offset_ - entry.size()])
                    return false;
            }
            if (offset_ == length) {
                ++index_;
                offset_ = 0;
            }
        }
        return true;
    }

private:
    const EntryList& entries_;
    qsizetype count_;
    const EntryList* tail_;
    qsizetype index_ = 0;
    qsizetype offset_ = 0; // within the entry and its break
};

struct WrittenList {
    ListFileDigest digest;
    bool extendsKnown = false;
};

// Writes the entries; whether the file begins with the bytes `known` describes (a version of
// known->entries entries) is seen as the stream passes that point.
WrittenList writeEntries(SafeFile& file, ListPieces lists, const ListFileDigest* known,
                         const WriteWatcher* watch = nullptr) {
    qint64 total = 0;
    for (const EntryList* entries : lists)
        total += entries->byteSize() + 2 * entries->size();
    QByteArray chunk;
    chunk.reserve(WriteChunk + 2);
    Checksum checksum;
    WrittenList written{{0, 0, 0}};
    ListFileDigest& digest = written.digest;
    qsizetype summed = 0; // bytes at the chunk's start that are in the checksum already
    const auto sum = [&] {
        checksum.add(QByteArrayView(chunk).sliced(summed));
        summed = chunk.size();
    };
    const auto flush = [&] {
        sum();
        file.write(chunk);
        digest.size += chunk.size();
        chunk.resize(0);
        summed = 0;
        if (watch)
            (*watch)(digest.size, total);
    };
    const auto checkpoint = [&] {
        if (known && digest.entries == known->entries &&
            digest.size + chunk.size() == known->size) {
            sum();
            written.extendsKnown = checksum.value() == known->checksum;
        }
    };
    for (const EntryList* entries : lists) {
        const qsizetype count = entries->size();
        for (qsizetype i = 0; i < count; ++i, ++digest.entries) {
            checkpoint();
            const QByteArrayView entry = entries->at(i);
            if (entry.size() >= WriteChunk) {
                // A very long entry goes out directly instead of through the chunk.
                flush();
                file.write(entry);
                checksum.add(entry);
                digest.size += entry.size();
            } else {
                chunk.append(entry);
            }
            chunk.append("\r\n", 2);
            if (chunk.size() >= WriteChunk)
                flush();
        }
    }
    checkpoint();
    flush();
    digest.checksum = checksum.value();
    return written;
}

} // namespace

EntryList readListFile(const QString& path) {
    return splitFile(path, readWholeFile(path, MaxListFile));
}

EntryList readListFile(const QString& path, const ReadWatcher& watch) {
    return splitFile(path, readWholeFile(path, MaxListFile, watch));
}

std::optional<EntryList> readListFileIfPresent(const QString& path, ListFileDigest* digest) {
    std::optional<QByteArray> bytes = readWholeFileIfPresent(path, MaxListFile);
    if (!bytes)
        return std::nullopt;
    std::uint64_t checksum = 0;
    if (digest)
        checksum = XXH3_64bits(bytes->constData(), size_t(bytes->size()));
    const qint64 size = bytes->size();
    EntryList entries = splitFile(path, std::move(*bytes));
    if (digest)
        *digest = {size, entries.size(), checksum};
    return entries;
}

std::optional<EntryList> readAppendedEntries(const QString& path, const ListFileDigest& known,
                                             const EntryList& ours, ListFileDigest& digest,
                                             const EntryList* knownTail) {
    const qsizetype count = known.entries;
    const qsizetype fromOurs = count - (knownTail ? knownTail->size() : 0);
    const qsizetype tailBytes = knownTail ? knownTail->byteSize() : 0;
    if (known.size < 0 || fromOurs < 0 || fromOurs > ours.size() ||
        ours.rangeBytes(0, fromOurs) + tailBytes + 2 * count != known.size)
        return std::nullopt;
    // The known head is only compared, through a small buffer; its bytes are not kept.
    Checksum checksum;
    ListTextCursor expected(ours, fromOurs, knownTail);
    std::optional<QByteArray> rest =
        readFileBehind(path, known.size, MaxListFile - known.size, [&](QByteArrayView piece) {
            checksum.add(piece);
            return expected.matches(piece);
        });
    if (!rest || checksum.value() != known.checksum)
        return std::nullopt;
    checksum.add(*rest);
    const qint64 size = known.size + rest->size();
    EntryList appended = splitFile(path, std::move(*rest));
    digest = {size, count + appended.size(), checksum.value()};
    return appended;
}

void writeListFile(const QString& path, const EntryList& entries) {
    SafeFile file(path);
    writeEntries(file, {&entries}, nullptr);
    file.commit();
}

void writeListFile(const QString& path, const EntryList& entries, const WriteWatcher& watch) {
    SafeFile file(path);
    writeEntries(file, {&entries}, nullptr, &watch);
    file.commit();
}

WrittenPair writeListFilePair(const QString& firstPath, ListPieces first, const QString& secondPath,
                              ListPieces second, const ListFileDigests* known, Excess excess) {
    // Both files are created before either is written, so a refusal costs no writing.
    SafeFile firstFile(firstPath);
    SafeFile secondFile(secondPath);
    const WrittenList lists[2] = {writeEntries(firstFile, first, known ? &(*known)[0] : nullptr),
                                  writeEntries(secondFile, second, known ? &(*known)[1] : nullptr)};
    const WrittenPair written{{lists[0].digest, lists[1].digest},
                              {lists[0].extendsKnown, lists[1].extendsKnown}};
    // One modification time marks them as written together, already as they take their places.
    const bool even = written.digests[0].entries == written.digests[1].entries;
    const timespec stamp = saveStamp(even ? Excess::HalfPair : excess);
    firstFile.setModificationTime(stamp);
    secondFile.setModificationTime(stamp);
    SafeFile::commitAll({&firstFile, &secondFile});
    return written;
}

} // namespace quill
