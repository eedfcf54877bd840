#include "core/PrefixIndex.h"

#include "core/ByteText.h"

#include <QChar>
#include <QString>
#include <QVarLengthArray>

#include <algorithm>
#include <utility>

namespace quill {
namespace {

// Smallest positions are kept per block of this many sorted entries.
constexpr qsizetype blockSize = 64;

using Folded = QVarLengthArray<char32_t, 64>;

// Bytes 1 to 127 show as themselves, and only A to Z change when letter case is ignored. Other
// bytes go through the field's own decoding.
bool plainAscii(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (uchar(c) == 0 || uchar(c) >= 0x80)
            return false;
    }
    return true;
}

char32_t asciiFolded(char c) {
    return (c >= 'A' && c <= 'Z') ? char32_t(c + ('a' - 'A')) : char32_t(uchar(c));
}

// The text's code points, case-folded as a case-insensitive comparison folds them. False for a
// lone surrogate, which has no code point of its own.
bool foldText(QStringView text, Folded& out) {
    out.clear();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t cp = text[i].unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(char16_t(cp), text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(cp)) {
            return false;
        }
        out.append(QChar::toCaseFolded(cp));
    }
    return true;
}

// The entry as the field shows it, case-folded.
void foldEntry(QByteArrayView entry, Folded& out) {
    if (plainAscii(entry)) {
        out.resize(entry.size());
        for (qsizetype k = 0; k < entry.size(); ++k)
            out[k] = asciiFolded(entry[k]);
        return;
    }
    foldText(displayText(entry), out);
}

// Case-folded order: code point by code point, a shorter text before a longer one it begins.
int compareFolded(QByteArrayView a, QByteArrayView b) {
    if (plainAscii(a) && plainAscii(b)) {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype k = 0; k < n; ++k) {
            const char32_t ca = asciiFolded(a[k]);
            const char32_t cb = asciiFolded(b[k]);
            if (ca != cb)
                return ca < cb ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    Folded fa, fb;
    foldEntry(a, fa);
    foldEntry(b, fb);
    const auto order =
        std::lexicographical_compare_three_way(fa.begin(), fa.end(), fb.begin(), fb.end());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Negative when the entry sorts before every text that begins with the prefix, 0 when it begins
// with the prefix, positive when it sorts after them.
int comparePrefix(QByteArrayView entry, const Folded& prefix, Folded& scratch) {
    const bool ascii = plainAscii(entry);
    if (!ascii)
        foldEntry(entry, scratch);
    const qsizetype length = ascii ? entry.size() : scratch.size();
    for (qsizetype k = 0; k < prefix.size(); ++k) {
        if (k == length)
            return -1;
        const char32_t c = ascii ? asciiFolded(entry[k]) : scratch[k];
        if (c != prefix[k])
            return c < prefix[k] ? -1 : 1;
    }
    return 0;
}

// The first eight bytes of the folded text in UTF-8, whose byte order is the code points'
// order; zeros after the end. Equal keys leave the order to the whole texts.
std::uint64_t sortKey(QByteArrayView entry, Folded& scratch) {
    std::uint64_t key = 0;
    int bytes = 0;
    const auto put = [&](std::uint64_t byte) {
        if (bytes < 8) {
            key |= byte << (8 * (7 - bytes));
            ++bytes;
        }
    };
    if (plainAscii(entry)) {
        for (qsizetype k = 0; k < entry.size() && k < 8; ++k)
            put(asciiFolded(entry[k]));
        return key;
    }
    foldEntry(entry, scratch);
    for (qsizetype k = 0; k < scratch.size() && bytes < 8; ++k) {
        const char32_t cp = scratch[k];
        if (cp < 0x80) {
            put(cp);
        } else if (cp < 0x800) {
            put(0xC0 | (cp >> 6));
            put(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            put(0xE0 | (cp >> 12));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        } else {
            put(0xF0 | (cp >> 18));
            put(0x80 | ((cp >> 12) & 0x3F));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        }
    }
    return key;
}

// Sorts the keys by their six upper bytes, byte by byte from the lowest (a stable radix sort,
// several times faster than comparing keys); `spare` is room of the same size. Bytes all keys
// share are skipped.
void sortByKeyBytes(std::vector<std::uint64_t>& keys, std::vector<std::uint64_t>& spare) {
    constexpr int firstByte = 2; // the two lowest bytes hold the position
    constexpr int byteCount = 8 - firstByte;
    std::uint32_t counts[byteCount][256] = {};
    for (const std::uint64_t key : keys) {
        for (int b = 0; b < byteCount; ++b)
            ++counts[b][(key >> (8 * (firstByte + b))) & 0xFF];
    }
    spare.resize(keys.size());
    for (int b = 0; b < byteCount; ++b) {
        std::uint32_t* count = counts[b];
        if (std::find(count, count + 256, std::uint32_t(keys.size())) != count + 256)
            continue;
        std::uint32_t offset = 0;
        for (int digit = 0; digit < 256; ++digit)
            offset += std::exchange(count[digit], offset);
        const int shift = 8 * (firstByte + b);
        for (const std::uint64_t key : keys)
            spare[count[(key >> shift) & 0xFF]++] = key;
        keys.swap(spare);
    }
}

std::vector<std::uint16_t> blockMinima(const std::vector<std::uint16_t>& sorted) {
    std::vector<std::uint16_t> minima((sorted.size() + blockSize - 1) / blockSize);
    for (size_t b = 0; b < minima.size(); ++b) {
        const auto first = sorted.begin() + qsizetype(b) * blockSize;
        const auto last =
            sorted.begin() + std::min(qsizetype(b + 1) * blockSize, qsizetype(sorted.size()));
        minima[b] = *std::min_element(first, last);
    }
    return minima;
}

} // namespace

PrefixIndex::PrefixIndex(qsizetype runSize) : runSize_(std::clamp<qsizetype>(runSize, 1, 65536)) {}

void PrefixIndex::appended(qsizetype count) {
    size_ += count;
    while (count > 0) {
        if (runs_.empty() || runs_.back().count == runSize_)
            runs_.push_back(Run{0, ++nextVersion_, {}, {}});
        Run& last = runs_.back();
        const qsizetype taken = std::min(count, runSize_ - last.count);
        last.count += taken;
        count -= taken;
    }
}

void PrefixIndex::removed(qsizetype index) {
    if (index < 0 || index >= size_)
        return;
    --size_;
    for (auto run = runs_.begin(); run != runs_.end(); ++run) {
        if (index >= run->count) {
            index -= run->count;
            continue;
        }
        const auto local = std::uint16_t(index);
        if (index < qsizetype(run->sorted.size())) {
            run->sorted.erase(std::find(run->sorted.begin(), run->sorted.end(), local));
            for (std::uint16_t& position : run->sorted) {
                if (position > local)
                    --position;
            }
            run->blockMinimum = blockMinima(run->sorted);
        }
        --run->count;
        run->version = ++nextVersion_;
        if (run->count == 0)
            runs_.erase(run);
        return;
    }
}

void PrefixIndex::reset(qsizetype count) {
    std::vector<Run>().swap(runs_);
    size_ = 0;
    appended(count);
}

qsizetype PrefixIndex::findPrefix(const EntryList& entries, QStringView prefix) const {
    Folded folded;
    if (prefix.isEmpty() || entries.size() != size_ || !foldText(prefix, folded))
        return entries.findPrefix(prefix);
    Folded scratch;
    qsizetype start = 0;
    for (const Run& run : runs_) {
        const auto covered = qsizetype(run.sorted.size());
        if (covered > 0) {
            const auto order = [&](std::uint16_t position) {
                return comparePrefix(entries.at(start + position), folded, scratch);
            };
            const auto begin = run.sorted.begin();
            const auto first = std::partition_point(begin, run.sorted.end(),
                                                    [&](std::uint16_t p) { return order(p) < 0; });
            const auto last = std::partition_point(first, run.sorted.end(),
                                                   [&](std::uint16_t p) { return order(p) == 0; });
            if (first != last) {
                // The smallest position among the matches: loose ends one by one, whole blocks
                // by their minimum.
                qsizetype i = first - begin;
                const qsizetype end = last - begin;
                std::uint16_t best = 0xFFFF;
                for (; i < end && i % blockSize != 0; ++i)
                    best = std::min(best, run.sorted[i]);
                for (; i + blockSize <= end; i += blockSize)
                    best = std::min(best, run.blockMinimum[i / blockSize]);
                for (; i < end; ++i)
                    best = std::min(best, run.sorted[i]);
                return start + best;
            }
        }
        if (covered < run.count) {
            const qsizetype found = entries.findPrefix(prefix, start + covered, start + run.count);
            if (found >= 0)
                return found;
        }
        start += run.count;
    }
    return -1;
}

bool PrefixIndex::complete() const {
    return std::all_of(runs_.begin(), runs_.end(),
                       [](const Run& run) { return qsizetype(run.sorted.size()) == run.count; });
}

std::optional<PrefixIndex::Job> PrefixIndex::nextJob(const EntryList& entries, Room room) const {
    if (entries.size() != size_)
        return std::nullopt;
    qsizetype start = 0;
    for (size_t r = 0; r < runs_.size(); ++r) {
        const Run& run = runs_[r];
        if (qsizetype(run.sorted.size()) < run.count) {
            Job job{qsizetype(r), run.version, std::move(room), {}};
            QByteArray& bytes = job.room.bytes;
            std::vector<std::uint32_t>& ends = job.room.ends;
            // Copied a stretch at a time: the run's entries may lie in several blocks.
            const qsizetype end = start + run.count;
            bytes.resize(0);
            bytes.reserve(entries.rangeBytes(start, end));
            ends.resize(size_t(run.count));
            for (qsizetype k = start; k < end;) {
                const EntryList::Stretch stretch = entries.stretchAt(k, end);
                const qsizetype last = stretch.ends[stretch.count - 1];
                const auto shift = std::uint32_t(bytes.size() - stretch.begin);
                bytes.append(stretch.bytes + stretch.begin, last - stretch.begin);
                for (qsizetype i = 0; i < stretch.count; ++i)
                    ends[size_t(k - start + i)] = stretch.ends[i] + shift;
                k += stretch.count;
            }
            job.room.keys.resize(size_t(run.count));
            job.room.spare.resize(size_t(run.count));
            job.sorted.resize(size_t(run.count));
            return job;
        }
        start += run.count;
    }
    return std::nullopt;
}

PrefixIndex::Order PrefixIndex::sortRun(Job job) {
    const QByteArray& bytes = job.room.bytes;
    const std::vector<std::uint32_t>& ends = job.room.ends;
    const auto entry = [&](qsizetype k) {
        const std::uint32_t begin = k == 0 ? 0 : ends[size_t(k) - 1];
        return QByteArrayView(bytes.constData() + begin, qsizetype(ends[size_t(k)] - begin));
    };
    // Six key bytes above the position: the sort moves eight bytes per entry.
    constexpr std::uint64_t positionBits = 0xFFFF;
    const auto n = qsizetype(ends.size());
    std::vector<std::uint64_t>& keyed = job.room.keys;
    keyed.resize(size_t(n));
    Folded scratch;
    for (qsizetype k = 0; k < n; ++k)
        keyed[size_t(k)] = (sortKey(entry(k), scratch) & ~positionBits) | std::uint64_t(k);
    sortByKeyBytes(keyed, job.room.spare);
    // Entries whose first key bytes are equal are ordered by their whole texts.
    for (auto group = keyed.begin(); group != keyed.end();) {
        const std::uint64_t key = *group | positionBits;
        const auto end = std::find_if(group + 1, keyed.end(),
                                      [key](std::uint64_t k) { return (k | positionBits) != key; });
        if (end - group > 1) {
            std::sort(group, end, [&](std::uint64_t a, std::uint64_t b) {
                return compareFolded(entry(qsizetype(a & positionBits)),
                                     entry(qsizetype(b & positionBits))) < 0;
            });
        }
        group = end;
    }
    Order order{job.run, job.version, std::move(job.sorted), {}, {}};
    order.sorted.resize(size_t(n));
    for (qsizetype k = 0; k < n; ++k)
        order.sorted[size_t(k)] = std::uint16_t(keyed[size_t(k)] & positionBits);
    order.blockMinimum = blockMinima(order.sorted);
    order.room = std::move(job.room);
    return order;
}

void PrefixIndex::install(Order order) {
    if (order.run < 0 || order.run >= qsizetype(runs_.size()))
        return;
    Run& run = runs_[size_t(order.run)];
    if (run.version != order.version || qsizetype(order.sorted.size()) > run.count ||
        order.sorted.size() < run.sorted.size())
        return;
    run.sorted = std::move(order.sorted);
    run.blockMinimum = std::move(order.blockMinimum);
}

} // namespace quill
