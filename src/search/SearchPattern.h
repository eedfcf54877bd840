#pragma once

#include "core/EntryList.h"
#include "search/FoldingTable.h"

#include <QByteArray>
#include <QStringView>

#include <array>
#include <cstdint>

namespace quill {

// One text to look for in entries, as the fields show them. `Contains` finds it anywhere in an
// entry, with the table's folding (letter case and accents ignored with a loose table);
// `Equals` takes entries that are the text once blanks at both ends are trimmed from both.
//
// Most entries are plain ASCII, so a scan reads a stretch's raw bytes in one pass, comparing
// ASCII letters without case; only an entry with a byte outside ASCII (or a byte 0) is decoded
// and folded, on its own. An ASCII match in raw bytes is always a match of the folded entry:
// folding leaves ASCII text ASCII and in place.
class SearchPattern {
public:
    enum class Mode { Contains, Equals };

    SearchPattern(QStringView text, const FoldingTable& folding, Mode mode);

    // True when every entry matches (an empty text, or one made only of marks, to be found
    // anywhere).
    bool matchesEverything() const { return mode_ == Mode::Contains && key_.isEmpty(); }
    bool matches(QByteArrayView entry) const;
    // Sets bit (i - firstBit) of `bits` for every entry i of the stretch that matches.
    void scan(const EntryList::Stretch& stretch, std::uint64_t* bits, qsizetype firstBit) const;

private:
    bool matchesDecoded(QByteArrayView entry, QByteArray& scratch) const;
    bool asciiEqualAt(const char* at) const;
    // Whether the plain ASCII bytes [begin, end), blanks trimmed, are where the key begins.
    bool headFits(const char* bytes, qsizetype begin, qsizetype end) const;
    // Whether the key is at `at`, within an entry that ends at `end`.
    bool takesEntry(const char* bytes, qsizetype at, qsizetype end) const;
    // scan() for Mode::Equals, entry by entry; `base` is the bit of the stretch's first entry.
    void scanEquals(const EntryList::Stretch& stretch, std::uint64_t* bits, qsizetype base) const;

    const FoldingTable& folding_;
    Mode mode_;
    QByteArray key_;
    // The key is ASCII, so raw ASCII bytes can match it.
    bool asciiKey_ = false;
    // Per key byte: 0x20 for a letter, which a byte matches in either case, else 0.
    QByteArray caseBits_;
    // The first bytes an entry equal to the key may have: the key's first byte in either case,
    // a blank, or a byte that needs decoding (which may fold to it).
    std::array<bool, 256> equalEntryOpens_{};
};

} // namespace quill
