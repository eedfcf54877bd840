#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <atomic>
#include <cstdint>

namespace quill {

// What a text is compared as when letter case (and, loosely, accents) do not count: every code
// point becomes its full case folding (so "ß" is "ss") in canonical decomposition, written as
// UTF-8. Loose keys also drop the nonspacing marks, so "Café" is "cafe". Code points with no
// such forms (the private ones that stand for bytes that are not UTF-8, the sign of a byte 0)
// are their own key.
//
// The forms come from ICU and are kept per page of 256 code points, worked out the first time a
// code point of the page is met; a table may be used from several threads at once.
class FoldingTable {
public:
    enum class Marks { Kept, Dropped };

    explicit FoldingTable(Marks marks);
    ~FoldingTable();
    FoldingTable(const FoldingTable&) = delete;
    FoldingTable& operator=(const FoldingTable&) = delete;

    QByteArray key(QStringView text) const;
    void appendKey(QStringView text, QByteArray& out) const;
    // The key of what a field shows for the entry's bytes.
    void appendEntryKey(QByteArrayView entry, QByteArray& out) const;
    // No key is longer than this many bytes per byte of the entry (or UTF-8 of the text).
    static constexpr qsizetype MaxKeyBytesPerByte = 3;
    // The same key written to `out` (room for MaxKeyBytesPerByte per byte) without making the
    // field's text first, for an entry of valid UTF-8; its length, or -1 when the entry holds
    // bytes the field shows in its own way (not UTF-8, a byte 0, or the code points that stand
    // for them), which only appendEntryKey() handles.
    qsizetype plainEntryKey(QByteArrayView entry, char* out) const;

private:
    struct Page {
        // The key of code point (page << 8) + i is bytes[start[i], start[i + 1]).
        std::array<std::uint16_t, 257> start;
        QByteArray bytes;
    };
    static char asciiKey(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }
    void appendCodePoint(char32_t codePoint, QByteArray& out) const;
    const Page& page(char32_t codePoint) const;
    Page* makePage(std::uint32_t number) const;

    Marks marks_;
    mutable std::array<std::atomic<Page*>, 0x110000 / 256> pages_{};
};

} // namespace quill
