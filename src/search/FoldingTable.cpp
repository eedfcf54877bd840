#include "search/FoldingTable.h"

#include "core/ByteText.h"

#include <QChar>
#include <QString>

#include <cstring>

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace quill {
namespace {

void appendUtf8(char32_t cp, QByteArray& out) {
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

// Decomposed, folded and decomposed again: folding can give characters that decompose further
// (the caseless match of Unicode's definition).
void appendCodePointKey(char32_t cp, bool dropMarks, QByteArray& out) {
    if (cp >= 0xD800 && cp <= 0xDFFF) {
        appendUtf8(cp, out); // a lone surrogate only ever matches itself
        return;
    }
    UChar source[2];
    int32_t length = 0;
    UBool error = false;
    U16_APPEND(source, length, 2, UChar32(cp), error);
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
    UChar first[32];
    UChar second[32];
    const int32_t decomposed = unorm2_normalize(nfd, source, length, first, 32, &status);
    const int32_t folded =
        u_strFoldCase(second, 32, first, decomposed, U_FOLD_CASE_DEFAULT, &status);
    const int32_t result = unorm2_normalize(nfd, second, folded, first, 32, &status);
    if (U_FAILURE(status) || error) {
        appendUtf8(cp, out);
        return;
    }
    for (int32_t i = 0; i < result;) {
        UChar32 c = 0;
        U16_NEXT(first, i, result, c);
        if (dropMarks && u_charType(c) == U_NON_SPACING_MARK)
            continue;
        appendUtf8(char32_t(c), out);
    }
}

} // namespace

FoldingTable::FoldingTable(Marks marks) : marks_(marks) {}

FoldingTable::~FoldingTable() {
    for (std::atomic<Page*>& page : pages_)
        delete page.load(std::memory_order_relaxed);
}

FoldingTable::Page* FoldingTable::makePage(std::uint32_t number) const {
    auto* made = new Page;
    made->start[0] = 0;
    for (std::uint32_t i = 0; i < 256; ++i) {
        appendCodePointKey(char32_t((number << 8) | i), marks_ == Marks::Dropped, made->bytes);
        made->start[i + 1] = std::uint16_t(made->bytes.size());
    }
    return made;
}

const FoldingTable::Page& FoldingTable::page(char32_t codePoint) const {
    std::atomic<Page*>& slot = pages_[codePoint >> 8];
    Page* known = slot.load(std::memory_order_acquire);
    if (known)
        return *known;
    // Two threads may work out the same page; the first one to finish gives it to both.
    Page* made = makePage(std::uint32_t(codePoint >> 8));
    if (slot.compare_exchange_strong(known, made, std::memory_order_acq_rel))
        return *made;
    delete made;
    return *known;
}

void FoldingTable::appendCodePoint(char32_t cp, QByteArray& out) const {
    const Page& known = page(cp);
    const std::uint32_t at = cp & 0xFF;
    out.append(known.bytes.constData() + known.start[at], known.start[at + 1] - known.start[at]);
}

void FoldingTable::appendKey(QStringView text, QByteArray& out) const {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t cp = text[i].unicode();
        if (cp < 0x80) {
            out.append(asciiKey(char(cp)));
            continue;
        }
        if (QChar::isHighSurrogate(cp) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(char16_t(cp), text[i + 1].unicode());
            ++i;
        }
        appendCodePoint(cp, out);
    }
}

QByteArray FoldingTable::key(QStringView text) const {
    QByteArray out;
    out.reserve(text.size());
    appendKey(text, out);
    return out;
}

qsizetype FoldingTable::plainEntryKey(QByteArrayView entry, char* out) const {
    char* write = out;
    const auto* p = reinterpret_cast<const uchar*>(entry.data());
    const auto* const end = p + entry.size();
    while (p != end) {
        const uchar lead = *p;
        if (lead < 0x80 && lead != 0) {
            *write++ = asciiKey(char(lead));
            ++p;
            continue;
        }
        const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        if (length == 0 || end - p < length)
            return -1;
        char32_t cp = lead & (0x7F >> length);
        int i = 1;
        for (; i < length && (p[i] & 0xC0) == 0x80; ++i)
            cp = (cp << 6) | (p[i] & 0x3F);
        constexpr char32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (i < length || cp < smallest[length] || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF) || isEscapedByte(cp) || cp == NulSign)
            return -1;
        const Page& known = page(cp);
        const std::uint32_t at = cp & 0xFF;
        const qsizetype bytes = known.start[at + 1] - known.start[at];
        std::memcpy(write, known.bytes.constData() + known.start[at], std::size_t(bytes));
        write += bytes;
        p += length;
    }
    return write - out;
}

void FoldingTable::appendEntryKey(QByteArrayView entry, QByteArray& out) const {
    const qsizetype start = out.size();
    out.resize(start + MaxKeyBytesPerByte * entry.size());
    const qsizetype length = plainEntryKey(entry, out.data() + start);
    if (length >= 0) {
        out.resize(start + length);
        return;
    }
    out.resize(start);
    appendKey(displayText(entry), out);
}

} // namespace quill
