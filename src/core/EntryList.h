#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace quill {

// The entries of one field: ordered byte strings, so a million short entries cost little more
// than their bytes. Entries never hold CR or LF when they come from a list file, but the store
// itself accepts any bytes.
//
// A list is a value, yet copying one copies no entry: the entries live in shared blocks that
// are only ever appended to, and a list is a sequence of stretches of them. A copy (the undo
// history's, a save's memory of the files, a search's) shares the blocks; appending to either
// copy writes behind what the other sees, and removing or clearing only changes which
// stretches a list holds. So keeping what the fields held costs memory only for what changed
// since, and a copy may be read on another thread while the original goes on changing on its
// own thread. Two lists must not be changed on two threads at once.
class EntryList {
public:
    using Offset = std::uint32_t;

    EntryList() = default;

    qsizetype size() const { return size_; }
    bool empty() const { return size_ == 0; }
    QByteArrayView at(qsizetype index) const;
    // Bytes held by the entries, without offsets.
    qsizetype byteSize() const { return bytes_; }
    // Memory the entries need: their bytes plus one offset each.
    qsizetype footprint() const { return byteSize() + size() * qsizetype(sizeof(Offset)); }

    // The store refuses an entry (returns false, changes nothing) when its footprint would pass
    // the limit. The default limit is what the offsets can address.
    void setFootprintLimit(qsizetype bytes) { limit_ = bytes; }
    qsizetype footprintLimit() const { return limit_; }
    bool canTake(qsizetype entryBytes, qsizetype entryCount = 1) const;

    bool append(QByteArrayView entry);
    // Appends entries [from, to) of `source` at once, or refuses them all (returns false).
    // Large stretches are shared with `source`, not copied.
    bool appendRange(const EntryList& source, qsizetype from, qsizetype to);
    // The bytes of entries [from, to).
    qsizetype rangeBytes(qsizetype from, qsizetype to) const;
    void remove(qsizetype index);
    void clear();
    // Room for entries about to be appended, so they are stored without slack.
    void reserve(qsizetype entryBytes, qsizetype entryCount);
    // Replaces the entries with `bytes`, taking over its buffer, cut at the given end offsets
    // (ascending, the last one at bytes.size()). The footprint limit stays; the caller has made
    // sure with canTake() that the entries fit.
    void adopt(QByteArray bytes, std::vector<Offset> ends);
    // Stores the entries again, in one block of exactly their size: after many removals, or to
    // stop sharing blocks that other lists hold larger parts of.
    void shrinkToFit();

    // Whether the two lists hold the same stretches of the same blocks, so they are equal
    // without comparing entries (a list and the copy it was made from, unchanged since).
    bool sharesAll(const EntryList& other) const;
    // How many entries at the head of this list and of `other` are the same stretches of the
    // same blocks (a lower bound of how many equal entries they begin with).
    qsizetype sharedHead(const EntryList& other) const;
    // The same at the tails: how many last entries are the same stretches of the same blocks.
    qsizetype sharedTail(const EntryList& other) const;

    // Consecutive entries stored one after another in one block, so a scan can read their bytes
    // in one pass: entry k of the stretch (list index first + k) spans bytes
    // [k == 0 ? begin : ends[k - 1], ends[k]) of `bytes`.
    struct Stretch {
        const char* bytes = nullptr;
        const Offset* ends = nullptr;
        qsizetype begin = 0;
        qsizetype first = 0;
        qsizetype count = 0;
    };
    // The longest stretch that starts at entry `index` (0 <= index < size()) and ends before
    // entry `to`.
    Stretch stretchAt(qsizetype index, qsizetype to) const;

    // First entry, in list order, that begins with the prefix ignoring letter case; -1 if none.
    qsizetype findPrefix(QStringView prefix) const { return findPrefix(prefix, 0, size()); }
    // The same, looking only at the entries from `from` up to, not including, `to`.
    qsizetype findPrefix(QStringView prefix, qsizetype from, qsizetype to) const;

    friend bool operator==(const EntryList& a, const EntryList& b);

private:
    // A block of entries: bytes and entry ends that never move once written. Entries are only
    // appended, by the one list whose last stretch ends where the block is filled up to.
    class Chunk;
    struct Piece {
        std::shared_ptr<Chunk> chunk;
        qsizetype first = 0; // the block's entry index of the stretch's first entry
        qsizetype count = 0;
        qsizetype start = 0; // the list's index of the stretch's first entry
    };

    const Piece& pieceOf(qsizetype index) const {
        if (pieces_.size() == 1)
            return pieces_.front();
        const auto after = std::upper_bound(
            pieces_.begin(), pieces_.end(), index,
            [](qsizetype value, const Piece& piece) { return value < piece.start; });
        return *(after - 1);
    }
    // The block behind the last stretch, when this list may append to it in place.
    Chunk* tailChunk(qsizetype entryBytes, qsizetype entryCount) const;
    // A new block with room for at least the given entries, as the last stretch.
    void startChunk(qsizetype entryBytes, qsizetype entryCount);
    void appendPiece(const Piece& piece, qsizetype bytes);
    void renumberFrom(std::size_t piece);

    std::vector<Piece> pieces_;
    qsizetype size_ = 0;
    qsizetype bytes_ = 0;
    // Room asked for by reserve(), given to the next block this list starts.
    qsizetype reservedBytes_ = 0;
    qsizetype reservedEntries_ = 0;
    qsizetype limit_ = qsizetype(0xFFFFFFFFu);
};

class EntryList::Chunk {
public:
    // An empty block with room for the given bytes and entries.
    Chunk(qsizetype byteCapacity, qsizetype entryCapacity);
    // A full block made of a buffer and its entries' ends.
    Chunk(QByteArray bytes, std::vector<Offset> ends);

    QByteArrayView entry(qsizetype index) const {
        const qsizetype begin = index == 0 ? 0 : qsizetype(ends_[index - 1]);
        return QByteArrayView(data_ + begin, qsizetype(ends_[index]) - begin);
    }
    qsizetype byteOffset(qsizetype index) const {
        return index == 0 ? 0 : qsizetype(ends_[index - 1]);
    }
    const char* data() const { return data_; }
    const Offset* ends() const { return ends_; }
    // How many entries are written; only the list that may append reads it.
    qsizetype filled() const { return filled_.load(std::memory_order_acquire); }
    bool hasRoom(qsizetype entryBytes, qsizetype entryCount) const;
    // Appends behind entry `after` - 1 if that is where the block is filled up to; false when
    // another list appended there first. The caller has checked hasRoom().
    bool push(qsizetype after, QByteArrayView entry);
    // Gives up the entries behind `count`; only for a block no other list holds.
    void truncate(qsizetype count) { filled_.store(count, std::memory_order_release); }
    qsizetype byteSize() const { return byteOffset(filled()); }

private:
    QByteArray owner_; // the memory of the block
    char* data_;
    std::unique_ptr<Offset[]> ownEnds_;
    std::vector<Offset> adoptedEnds_;
    Offset* ends_;
    qsizetype byteCapacity_;
    qsizetype entryCapacity_;
    std::atomic<qsizetype> filled_{0};
};

inline QByteArrayView EntryList::at(qsizetype index) const {
    const Piece& piece = pieceOf(index);
    return piece.chunk->entry(piece.first + (index - piece.start));
}

inline EntryList::Stretch EntryList::stretchAt(qsizetype index, qsizetype to) const {
    const Piece& piece = pieceOf(index);
    const qsizetype first = piece.first + (index - piece.start);
    const qsizetype count = std::min({to, size_, piece.start + piece.count}) - index;
    return {piece.chunk->data(), piece.chunk->ends() + first, piece.chunk->byteOffset(first), index,
            std::max<qsizetype>(count, 0)};
}

} // namespace quill
