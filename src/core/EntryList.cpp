#include "core/EntryList.h"

#include "core/ByteText.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <utility>

namespace quill {

namespace {

// A new block has room for about half as much as the list holds already (so appending entry by
// entry copies nothing and wastes at most a third), within these bounds. Room not written yet
// is only address space: the system gives it memory when it is written.
constexpr qsizetype MinChunkBytes = 1024;
constexpr qsizetype MaxChunkBytes = qsizetype(64) << 20;
constexpr qsizetype MinChunkEntries = 64;
constexpr qsizetype MaxChunkEntries = qsizetype(8) << 20;
// A stretch of a block is shared rather than copied when it is at least this part of what the
// block holds, so a list never keeps a large block alive for a few of its entries.
constexpr qsizetype ShareFraction = 2;
// Past this many stretches (many removals far apart), the entries are stored again in one block.
constexpr std::size_t MaxPieces = 4096;

} // namespace

EntryList::Chunk::Chunk(qsizetype byteCapacity, qsizetype entryCapacity)
    : owner_(byteCapacity, Qt::Uninitialized), data_(owner_.data()),
      ownEnds_(new Offset[std::size_t(std::max<qsizetype>(entryCapacity, 1))]),
      ends_(ownEnds_.get()), byteCapacity_(byteCapacity), entryCapacity_(entryCapacity) {}

EntryList::Chunk::Chunk(QByteArray bytes, std::vector<Offset> ends)
    : owner_(std::move(bytes)), data_(owner_.data()), adoptedEnds_(std::move(ends)),
      ends_(adoptedEnds_.data()), byteCapacity_(owner_.size()),
      entryCapacity_(qsizetype(adoptedEnds_.size())), filled_(entryCapacity_) {}

bool EntryList::Chunk::hasRoom(qsizetype entryBytes, qsizetype entryCount) const {
    const qsizetype count = filled();
    return count + entryCount <= entryCapacity_ && byteOffset(count) + entryBytes <= byteCapacity_;
}

bool EntryList::Chunk::push(qsizetype after, QByteArrayView entry) {
    // Claimed first: a list holding a copy of the same stretch then finds the block taken and
    // starts a block of its own. Nobody reads the new entry before this list does.
    qsizetype expected = after;
    if (!filled_.compare_exchange_strong(expected, after + 1, std::memory_order_acq_rel))
        return false;
    const qsizetype begin = byteOffset(after);
    if (!entry.isEmpty())
        std::memcpy(data_ + begin, entry.data(), size_t(entry.size()));
    ends_[after] = Offset(begin + entry.size());
    return true;
}

bool EntryList::canTake(qsizetype entryBytes, qsizetype entryCount) const {
    const qsizetype needed = entryBytes + entryCount * qsizetype(sizeof(Offset));
    return byteSize() + entryBytes <= qsizetype(0xFFFFFFFFu) && footprint() + needed <= limit_;
}

EntryList::Chunk* EntryList::tailChunk(qsizetype entryBytes, qsizetype entryCount) const {
    if (pieces_.empty())
        return nullptr;
    const Piece& last = pieces_.back();
    Chunk* chunk = last.chunk.get();
    return chunk->filled() == last.first + last.count && chunk->hasRoom(entryBytes, entryCount)
               ? chunk
               : nullptr;
}

void EntryList::startChunk(qsizetype entryBytes, qsizetype entryCount) {
    const qsizetype bytes = std::max(
        {entryBytes, reservedBytes_, std::clamp(bytes_ / 2, MinChunkBytes, MaxChunkBytes)});
    const qsizetype entries = std::max(
        {entryCount, reservedEntries_, std::clamp(size_ / 2, MinChunkEntries, MaxChunkEntries)});
    reservedBytes_ = 0;
    reservedEntries_ = 0;
    if (!pieces_.empty() && pieces_.back().count == 0)
        pieces_.pop_back();
    pieces_.push_back({std::make_shared<Chunk>(bytes, entries), 0, 0, size_});
}

bool EntryList::append(QByteArrayView entry) {
    if (!canTake(entry.size()))
        return false;
    Chunk* chunk = tailChunk(entry.size(), 1);
    if (!chunk || !chunk->push(pieces_.back().first + pieces_.back().count, entry)) {
        startChunk(entry.size(), 1);
        pieces_.back().chunk->push(0, entry);
    }
    ++pieces_.back().count;
    ++size_;
    bytes_ += entry.size();
    return true;
}

void EntryList::appendPiece(const Piece& piece, qsizetype bytes) {
    if (!pieces_.empty() && pieces_.back().count == 0)
        pieces_.pop_back();
    if (!pieces_.empty() && pieces_.back().chunk == piece.chunk &&
        pieces_.back().first + pieces_.back().count == piece.first)
        pieces_.back().count += piece.count;
    else
        pieces_.push_back({piece.chunk, piece.first, piece.count, size_});
    size_ += piece.count;
    bytes_ += bytes;
}

bool EntryList::appendRange(const EntryList& source, qsizetype from, qsizetype to) {
    from = std::max<qsizetype>(from, 0);
    to = std::min(to, source.size());
    if (from >= to)
        return true;
    if (!canTake(source.rangeBytes(from, to), to - from))
        return false;
    for (qsizetype index = from; index < to;) {
        // A copy: `source` may be this list, whose stretches change below.
        const Piece piece = source.pieceOf(index);
        const qsizetype first = piece.first + (index - piece.start);
        const qsizetype count = std::min(to, piece.start + piece.count) - index;
        const Chunk& chunk = *piece.chunk;
        const qsizetype bytes = chunk.byteOffset(first + count) - chunk.byteOffset(first);
        const bool held = std::any_of(pieces_.begin(), pieces_.end(),
                                      [&](const Piece& own) { return own.chunk == piece.chunk; });
        if (held || bytes * ShareFraction >= chunk.byteSize()) {
            appendPiece({piece.chunk, first, count, 0}, bytes);
        } else {
            if (!tailChunk(bytes, count))
                startChunk(bytes, count);
            for (qsizetype i = first; i < first + count; ++i)
                append(chunk.entry(i));
        }
        index += count;
    }
    return true;
}

qsizetype EntryList::rangeBytes(qsizetype from, qsizetype to) const {
    from = std::max<qsizetype>(from, 0);
    to = std::min(to, size());
    qsizetype bytes = 0;
    for (qsizetype index = from; index < to;) {
        const Piece& piece = pieceOf(index);
        const qsizetype first = piece.first + (index - piece.start);
        const qsizetype count = std::min(to, piece.start + piece.count) - index;
        bytes += piece.chunk->byteOffset(first + count) - piece.chunk->byteOffset(first);
        index += count;
    }
    return bytes;
}

void EntryList::renumberFrom(std::size_t piece) {
    qsizetype start = piece == 0 ? 0 : pieces_[piece - 1].start + pieces_[piece - 1].count;
    for (std::size_t k = piece; k < pieces_.size(); ++k) {
        pieces_[k].start = start;
        start += pieces_[k].count;
    }
}

void EntryList::remove(qsizetype index) {
    if (index < 0 || index >= size())
        return;
    const std::size_t k = std::size_t(&pieceOf(index) - pieces_.data());
    Piece& piece = pieces_[k];
    const qsizetype local = index - piece.start;
    bytes_ -= piece.chunk->entry(piece.first + local).size();
    --size_;
    if (piece.count == 1) {
        pieces_.erase(pieces_.begin() + qsizetype(k));
    } else if (local == 0) {
        ++piece.first;
        --piece.count;
    } else if (local == piece.count - 1) {
        // The last entry of a block only this list holds: the next append takes its place.
        if (piece.chunk.use_count() == 1 && piece.chunk->filled() == piece.first + piece.count)
            piece.chunk->truncate(piece.first + local);
        --piece.count;
    } else {
        Piece rest{piece.chunk, piece.first + local + 1, piece.count - local - 1, 0};
        piece.count = local;
        pieces_.insert(pieces_.begin() + qsizetype(k) + 1, std::move(rest));
    }
    renumberFrom(k);
    if (pieces_.size() > MaxPieces)
        shrinkToFit();
}

void EntryList::clear() {
    // Give the memory back: a cleared field of a million entries should not keep it (unless a
    // copy of the list still holds the entries).
    std::vector<Piece>().swap(pieces_);
    size_ = 0;
    bytes_ = 0;
    reservedBytes_ = 0;
    reservedEntries_ = 0;
}

void EntryList::reserve(qsizetype entryBytes, qsizetype entryCount) {
    if (tailChunk(entryBytes, entryCount))
        return;
    reservedBytes_ = std::max(reservedBytes_, entryBytes);
    reservedEntries_ = std::max(reservedEntries_, entryCount);
}

void EntryList::adopt(QByteArray bytes, std::vector<Offset> ends) {
    clear();
    if (ends.empty())
        return;
    const qsizetype count = qsizetype(ends.size());
    bytes_ = qsizetype(ends.back());
    size_ = count;
    pieces_.push_back({std::make_shared<Chunk>(std::move(bytes), std::move(ends)), 0, count, 0});
}

void EntryList::shrinkToFit() {
    if (pieces_.size() == 1 && pieces_.front().chunk.use_count() == 1 &&
        pieces_.front().first == 0 && pieces_.front().count == pieces_.front().chunk->filled())
        return;
    EntryList packed;
    packed.limit_ = limit_;
    if (!empty()) {
        packed.startChunk(bytes_, size_);
        for (qsizetype i = 0; i < size_; ++i)
            packed.append(at(i));
    }
    *this = std::move(packed);
}

bool EntryList::sharesAll(const EntryList& other) const {
    return size_ == other.size_ && sharedHead(other) == size_;
}

qsizetype EntryList::sharedHead(const EntryList& other) const {
    qsizetype shared = 0;
    const qsizetype shortest = std::min(size_, other.size_);
    while (shared < shortest) {
        const Piece& mine = pieceOf(shared);
        const Piece& theirs = other.pieceOf(shared);
        const qsizetype at = mine.first + (shared - mine.start);
        if (mine.chunk != theirs.chunk || at != theirs.first + (shared - theirs.start))
            break;
        shared += std::min(mine.start + mine.count, theirs.start + theirs.count) - shared;
    }
    return std::min(shared, shortest);
}

qsizetype EntryList::sharedTail(const EntryList& other) const {
    qsizetype shared = 0;
    const qsizetype shortest = std::min(size_, other.size_);
    while (shared < shortest) {
        // The entries `shared` places from either end.
        const qsizetype mineAt = size_ - 1 - shared;
        const qsizetype theirsAt = other.size_ - 1 - shared;
        const Piece& mine = pieceOf(mineAt);
        const Piece& theirs = other.pieceOf(theirsAt);
        const qsizetype mineLocal = mineAt - mine.start;
        const qsizetype theirsLocal = theirsAt - theirs.start;
        if (mine.chunk != theirs.chunk || mine.first + mineLocal != theirs.first + theirsLocal)
            break;
        shared += std::min(mineLocal, theirsLocal) + 1;
    }
    return std::min(shared, shortest);
}

bool operator==(const EntryList& a, const EntryList& b) {
    if (a.size() != b.size() || a.byteSize() != b.byteSize())
        return false;
    for (qsizetype i = a.sharedHead(b); i < a.size(); ++i) {
        if (a.at(i) != b.at(i))
            return false;
    }
    return true;
}

namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

// The only characters outside ASCII that equal an ASCII letter when letter case is ignored.
constexpr char16_t longS = 0x017F;      // s
constexpr char16_t kelvinSign = 0x212A; // k

} // namespace

qsizetype EntryList::findPrefix(QStringView prefix, qsizetype from, qsizetype to) const {
    from = std::max<qsizetype>(from, 0);
    to = std::min(to, size());
    if (from >= to)
        return -1;
    if (prefix.isEmpty())
        return from;
    const QByteArray prefixBytes = storedBytes(prefix);
    QByteArray lowered = prefixBytes;
    for (char& c : lowered)
        c = asciiLower(c);
    const bool prefixHasAsciiTwin =
        prefix.contains(QChar(longS)) || prefix.contains(QChar(kelvinSign));
    // Case partners differ in length by up to three bytes to one (k and the Kelvin sign), so a
    // slice of three times the prefix holds every possible match.
    const qsizetype slice = prefixBytes.size() * 3 + 4;
    for (qsizetype i = from; i < to; ++i) {
        const QByteArrayView entry = at(i);
        // Plain ASCII compares byte by byte; only a non-ASCII byte on either side needs text.
        qsizetype k = 0;
        while (k < lowered.size() && k < entry.size() && uchar(lowered[k]) < 0x80 &&
               uchar(entry[k]) < 0x80 && asciiLower(entry[k]) == lowered[k])
            ++k;
        if (k == lowered.size())
            return i;
        if (k == entry.size())
            continue;
        const bool prefixAscii = uchar(lowered[k]) < 0x80;
        const bool entryAscii = uchar(entry[k]) < 0x80;
        if (prefixAscii && entryAscii)
            continue;
        if (prefixAscii && lowered[k] != 's' && lowered[k] != 'k')
            continue;
        if (entryAscii && !prefixHasAsciiTwin)
            continue;
        if (displayText(entry.first(std::min(entry.size(), slice)))
                .startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

} // namespace quill
