#include "search/SearchPattern.h"

#include "core/ByteText.h"

#include <QString>

#include <algorithm>
#include <bit>
#include <string_view>

// Every x86-64 processor has SSE2; MSVC tells so by the target, not by __SSE2__.
#if defined(__SSE2__) || defined(_M_X64)
#define QUILL_SEARCH_SSE2 1
#include <emmintrin.h>
#endif

namespace quill {
namespace {

// Bytes that only the field's decoding shows correctly: outside ASCII, or a byte 0 (its sign).
bool needsDecoding(uchar byte) {
    return byte >= 0x80 || byte == 0;
}

// The blanks that trimming removes, as far as ASCII goes.
bool isAsciiBlank(uchar byte) {
    return byte == ' ' || (byte >= 0x09 && byte <= 0x0D);
}

// Whether the key's UTF-8 sequence [at, at + length) is a blank (all blanks are in the BMP).
bool isBlankSequence(QByteArrayView key, qsizetype at, qsizetype length) {
    if (length == 1)
        return isAsciiBlank(uchar(key[at]));
    const QString text = QString::fromUtf8(key.sliced(at, length));
    return text.size() == 1 && text.front().isSpace();
}

// The key without the blanks at its ends, as trimming the text would leave it: blanks are their
// own keys.
QByteArrayView trimmedKey(QByteArrayView key) {
    const auto isContinuation = [&key](qsizetype at) {
        return (uchar(key[at]) & 0xC0) == 0x80;
    };
    for (;;) {
        qsizetype length = 1;
        while (length < key.size() && isContinuation(length))
            ++length;
        if (key.isEmpty() || !isBlankSequence(key, 0, length))
            break;
        key = key.sliced(length);
    }
    for (;;) {
        qsizetype at = key.size() - 1;
        while (at > 0 && isContinuation(at))
            --at;
        if (key.isEmpty() || !isBlankSequence(key, at, key.size() - at))
            break;
        key.truncate(at);
    }
    return key;
}

// The first entry from `k` on that ends after byte `at` (there is one): events are mostly near
// each other, so the ends are looked at four at a time from `k`, then galloping.
qsizetype entryHolding(const EntryList::Offset* ends, qsizetype count, qsizetype k, qsizetype at) {
    const auto offset = EntryList::Offset(at);
#if defined(QUILL_SEARCH_SSE2)
    // Compared as signed numbers with the top bit flipped, which orders them as unsigned.
    const __m128i flip = _mm_set1_epi32(int(0x80000000u));
    const __m128i position = _mm_xor_si128(_mm_set1_epi32(int(offset)), flip);
    for (int rounds = 0; rounds < 16 && k + 4 <= count; ++rounds, k += 4) {
        const __m128i four =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(ends + k)), flip);
        if (const int after = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(four, position))))
            return k + std::countr_zero(unsigned(after));
    }
#endif
    for (int steps = 0; steps < 4 && ends[k] <= offset; ++steps)
        ++k;
    if (ends[k] > offset)
        return k;
    qsizetype low = k;
    qsizetype step = 1;
    while (low + step < count && ends[low + step] <= offset) {
        low += step;
        step *= 2;
    }
    return std::upper_bound(ends + low + 1, ends + std::min(low + step, count), offset) - ends;
}

void setBit(std::uint64_t* bits, qsizetype bit) {
    bits[bit >> 6] |= std::uint64_t(1) << (bit & 63);
}

} // namespace

SearchPattern::SearchPattern(QStringView text, const FoldingTable& folding, Mode mode)
    : folding_(folding), mode_(mode) {
    // What a field shows for a byte 0.
    QString shown = text.toString();
    shown.replace(QChar(0), QChar(NulSign));
    key_ = folding.key(mode == Mode::Equals ? QStringView(shown).trimmed() : QStringView(shown));
    asciiKey_ = !key_.isEmpty() &&
                std::all_of(key_.begin(), key_.end(), [](char c) { return uchar(c) < 0x80; });
    caseBits_.resize(key_.size());
    for (qsizetype i = 0; i < key_.size(); ++i)
        caseBits_[i] = key_[i] >= 'a' && key_[i] <= 'z' ? char(0x20) : char(0);
    for (int byte = 0; byte < 256; ++byte)
        equalEntryOpens_[std::size_t(byte)] =
            isAsciiBlank(uchar(byte)) || needsDecoding(uchar(byte)) ||
            (!key_.isEmpty() && (byte | uchar(caseBits_[0])) == uchar(key_[0]));
}

bool SearchPattern::matches(QByteArrayView entry) const {
    QByteArray scratch;
    return matchesDecoded(entry, scratch);
}

bool SearchPattern::matchesDecoded(QByteArrayView entry, QByteArray& scratch) const {
    if (matchesEverything())
        return true;
    // Most entries are short and valid UTF-8: their keys are made on the stack.
    constexpr qsizetype shortEntry = 256;
    char room[shortEntry * FoldingTable::MaxKeyBytesPerByte];
    qsizetype length = entry.size() <= shortEntry ? folding_.plainEntryKey(entry, room) : -1;
    const char* key = room;
    if (length < 0) {
        scratch.resize(0); // keeps the room for the next entry
        folding_.appendEntryKey(entry, scratch);
        key = scratch.constData();
        length = scratch.size();
    }
    if (mode_ == Mode::Equals)
        return trimmedKey(QByteArrayView(key, length)) == QByteArrayView(key_);
    return std::string_view(key, std::size_t(length))
               .find(std::string_view(key_.constData(), std::size_t(key_.size()))) !=
           std::string_view::npos;
}

bool SearchPattern::asciiEqualAt(const char* at) const {
    for (qsizetype i = 0; i < key_.size(); ++i) {
        if ((at[i] | caseBits_[i]) != key_[i])
            return false;
    }
    return true;
}

bool SearchPattern::takesEntry(const char* bytes, qsizetype at, qsizetype end) const {
    return at + key_.size() <= end && asciiEqualAt(bytes + at);
}

bool SearchPattern::headFits(const char* bytes, qsizetype begin, qsizetype end) const {
    while (begin < end && isAsciiBlank(uchar(bytes[begin])))
        ++begin;
    while (end > begin && isAsciiBlank(uchar(bytes[end - 1])))
        --end;
    if (end - begin > key_.size())
        return false;
    for (qsizetype i = 0; i < end - begin; ++i) {
        if ((bytes[begin + i] | caseBits_[i]) != key_[i])
            return false;
    }
    return true;
}

void SearchPattern::scanEquals(const EntryList::Stretch& stretch, std::uint64_t* bits,
                               qsizetype base) const {
    // An equal entry begins with the key's first byte, a blank, or a byte that needs decoding
    // (which may fold to it): any other entry is passed over after its first byte.
    const char* bytes = stretch.bytes;
    QByteArray scratch;
    qsizetype begin = stretch.begin;
    for (qsizetype k = 0; k < stretch.count; begin = stretch.ends[k++]) {
        const qsizetype end = stretch.ends[k];
        if (begin == end || !equalEntryOpens_[uchar(bytes[begin])])
            continue;
        const char* special = std::find_if(bytes + begin, bytes + end,
                                           [](char c) { return needsDecoding(uchar(c)); });
        bool equal = false;
        if (special == bytes + end) {
            qsizetype from = begin;
            qsizetype to = end;
            while (from < to && isAsciiBlank(uchar(bytes[from])))
                ++from;
            while (to > from && isAsciiBlank(uchar(bytes[to - 1])))
                --to;
            equal = asciiKey_ && to - from == key_.size() && asciiEqualAt(bytes + from);
        } else {
            equal = headFits(bytes, begin, special - bytes) &&
                    matchesDecoded(QByteArrayView(bytes + begin, end - begin), scratch);
        }
        if (equal)
            setBit(bits, base + k);
    }
}

void SearchPattern::scan(const EntryList::Stretch& stretch, std::uint64_t* bits,
                         qsizetype firstBit) const {
    if (stretch.count <= 0)
        return;
    const qsizetype base = stretch.first - firstBit;
    if (matchesEverything()) {
        for (qsizetype k = 0; k < stretch.count; ++k)
            setBit(bits, base + k);
        return;
    }
    const char* bytes = stretch.bytes;
    const EntryList::Offset* ends = stretch.ends;
    const auto entryBegin = [&](qsizetype k) {
        return k == 0 ? stretch.begin : qsizetype(ends[k - 1]);
    };
    QByteArray scratch;
    if (key_.isEmpty()) {
        // Blanks only, to be equal to: no byte to look for.
        for (qsizetype k = 0; k < stretch.count; ++k) {
            const qsizetype begin = entryBegin(k);
            if (matchesDecoded(QByteArrayView(bytes + begin, ends[k] - begin), scratch))
                setBit(bits, base + k);
        }
        return;
    }
    if (mode_ == Mode::Equals) {
        scanEquals(stretch, bits, base);
        return;
    }
    const qsizetype end = ends[stretch.count - 1];
    qsizetype k = 0;       // the entry of the last event
    qsizetype decided = 0; // events before this position are in entries already decided
    // Bit i of `fits`: the key's first and last bytes fit at at + i; of `decode`: the byte at
    // at + i needs decoding. Each entry is decided once: by its first byte that needs decoding,
    // or by a match that comes before one.
    const auto decide = [&](qsizetype at, std::uint64_t fits, std::uint64_t decode) {
        for (std::uint64_t events = fits | decode; events != 0; events &= events - 1) {
            const int bit = std::countr_zero(events);
            const qsizetype event = at + bit;
            if (event < decided)
                continue;
            k = entryHolding(ends, stretch.count, k, event);
            const qsizetype begin = entryBegin(k);
            if ((decode >> bit) & 1) {
                // The entry is plain ASCII before the event, and a match there would have been
                // found: a match yet to find holds key bytes of the event or later. Keys of
                // ASCII bytes are one byte each, so it starts at most a key's length before.
                const qsizetype from = std::max(begin, event - key_.size() + 1);
                if (matchesDecoded(QByteArrayView(bytes + from, ends[k] - from), scratch))
                    setBit(bits, base + k);
                decided = ends[k];
            } else if (takesEntry(bytes, event, ends[k])) {
                setBit(bits, base + k);
                decided = ends[k];
            }
        }
    };
    // Without an ASCII key only the entries that need decoding can match.
    const qsizetype m = asciiKey_ ? key_.size() : 0;
    qsizetype at = stretch.begin;
#if defined(QUILL_SEARCH_SSE2)
    // Sixty-four positions at a time, as long as the last byte of a key there is inside; most
    // blocks have no event at all, which a few instructions tell.
    const __m128i zero = _mm_setzero_si128();
    const __m128i firstBits = _mm_set1_epi8(m > 0 ? caseBits_[0] : char(0));
    const __m128i firstKey = _mm_set1_epi8(m > 0 ? key_[0] : char(0x80));
    const __m128i lastBits = _mm_set1_epi8(m > 0 ? caseBits_[m - 1] : char(0));
    const __m128i lastKey = _mm_set1_epi8(m > 0 ? key_[m - 1] : char(0));
    const qsizetype lastDistance = std::max<qsizetype>(m - 1, 0);
    const auto load = [bytes](qsizetype at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    };
    // Without a key nothing fits: no byte is both 0x80 and 0.
    const auto fitsAt = [&](qsizetype at, __m128i head) {
        return _mm_and_si128(
            _mm_cmpeq_epi8(_mm_or_si128(head, firstBits), firstKey),
            _mm_cmpeq_epi8(_mm_or_si128(load(at + lastDistance), lastBits), lastKey));
    };
    while (at + 64 + lastDistance <= end) {
        const __m128i h0 = load(at), h1 = load(at + 16), h2 = load(at + 32), h3 = load(at + 48);
        const __m128i f0 = fitsAt(at, h0), f1 = fitsAt(at + 16, h1), f2 = fitsAt(at + 32, h2),
                      f3 = fitsAt(at + 48, h3);
        const __m128i smallest = _mm_min_epu8(_mm_min_epu8(h0, h1), _mm_min_epu8(h2, h3));
        const __m128i any =
            _mm_or_si128(_mm_or_si128(_mm_or_si128(f0, f1), _mm_or_si128(f2, f3)),
                         _mm_or_si128(_mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3)),
                                      _mm_cmpeq_epi8(smallest, zero)));
        if (_mm_movemask_epi8(any) == 0) {
            at += 64;
            continue;
        }
        const auto mask = [](__m128i a, __m128i b, __m128i c, __m128i d) {
            return std::uint64_t(unsigned(_mm_movemask_epi8(a))) |
                   std::uint64_t(unsigned(_mm_movemask_epi8(b))) << 16 |
                   std::uint64_t(unsigned(_mm_movemask_epi8(c))) << 32 |
                   std::uint64_t(unsigned(_mm_movemask_epi8(d))) << 48;
        };
        const auto needs = [&zero](__m128i h) {
            return _mm_or_si128(h, _mm_cmpeq_epi8(h, zero));
        };
        decide(at, mask(f0, f1, f2, f3), mask(needs(h0), needs(h1), needs(h2), needs(h3)));
        at = std::max(at + 64, decided);
    }
#endif
    for (; at < end; ++at) {
        const char* p = bytes + at;
        if (needsDecoding(uchar(*p)))
            decide(at, 0, 1);
        else if (m > 0 && at + m <= end && (p[0] | caseBits_[0]) == key_[0] &&
                 (p[m - 1] | caseBits_[m - 1]) == key_[m - 1])
            decide(at, 1, 0);
        at = std::max(at, decided - 1);
    }
}

} // namespace quill
