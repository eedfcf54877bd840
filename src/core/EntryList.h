#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace quill {

// The entries of one field: ordered byte strings in one contiguous buffer plus the end offset
// of each entry, so a million short entries cost little more than their bytes. Entries never
// hold CR or LF when they come from a list file, but the store itself accepts any bytes.
class EntryList {
public:
    using Offset = std::uint32_t;

    EntryList() = default;

    qsizetype size() const { return qsizetype(ends_.size()); }
    bool empty() const { return ends_.empty(); }
    QByteArrayView at(qsizetype index) const;
    // Bytes held by the entries, without offsets.
    qsizetype byteSize() const { return qsizetype(bytes_.size()); }
    // Memory the entries need: their bytes plus one offset each.
    qsizetype footprint() const { return byteSize() + size() * qsizetype(sizeof(Offset)); }

    // The store refuses an entry (returns false, changes nothing) when its footprint would pass
    // the limit. The default limit is what the offsets can address.
    void setFootprintLimit(qsizetype bytes) { limit_ = bytes; }
    qsizetype footprintLimit() const { return limit_; }
    bool canTake(qsizetype entryBytes, qsizetype entryCount = 1) const;

    bool append(QByteArrayView entry);
    // Appends entries [from, to) of `source` at once, or refuses them all (returns false).
    bool appendRange(const EntryList& source, qsizetype from, qsizetype to);
    // The bytes of entries [from, to).
    qsizetype rangeBytes(qsizetype from, qsizetype to) const {
        return from < to ? qsizetype(ends_[size_t(to - 1)]) - startOf(from) : 0;
    }
    void remove(qsizetype index);
    void clear();
    void reserve(qsizetype entryBytes, qsizetype entryCount);
    // Replaces the entries with `bytes`, taking over its buffer, cut at the given end offsets
    // (ascending, the last one at bytes.size()). The footprint limit stays; the caller has made
    // sure with canTake() that the entries fit.
    void adopt(QByteArray bytes, std::vector<Offset> ends);
    void shrinkToFit();

    // First entry, in list order, that begins with the prefix ignoring letter case; -1 if none.
    qsizetype findPrefix(QStringView prefix) const { return findPrefix(prefix, 0, size()); }
    // The same, looking only at the entries from `from` up to, not including, `to`.
    qsizetype findPrefix(QStringView prefix, qsizetype from, qsizetype to) const;

    friend bool operator==(const EntryList& a, const EntryList& b) {
        return a.ends_ == b.ends_ && a.bytes_ == b.bytes_;
    }

private:
    qsizetype startOf(qsizetype index) const {
        return index == 0 ? 0 : qsizetype(ends_[index - 1]);
    }

    QByteArray bytes_;
    std::vector<Offset> ends_;
    qsizetype limit_ = qsizetype(0xFFFFFFFFu);
};

} // namespace quill
