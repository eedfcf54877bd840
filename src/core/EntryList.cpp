#include "core/EntryList.h"

#include "core/ByteText.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <utility>

namespace quill {

QByteArrayView EntryList::at(qsizetype index) const {
    const qsizetype start = startOf(index);
    return QByteArrayView(bytes_.constData() + start, qsizetype(ends_[index]) - start);
}

bool EntryList::canTake(qsizetype entryBytes, qsizetype entryCount) const {
    const qsizetype needed = entryBytes + entryCount * qsizetype(sizeof(Offset));
    return byteSize() + entryBytes <= qsizetype(0xFFFFFFFFu) && footprint() + needed <= limit_;
}

bool EntryList::append(QByteArrayView entry) {
    if (!canTake(entry.size()))
        return false;
    bytes_.append(entry);
    ends_.push_back(Offset(bytes_.size()));
    return true;
}

bool EntryList::appendRange(const EntryList& source, qsizetype from, qsizetype to) {
    const qsizetype length = source.rangeBytes(from, to);
    if (from >= to || !canTake(length, to - from))
        return from >= to;
    const qsizetype start = source.startOf(from);
    const qsizetype at = bytes_.size();
    bytes_.append(source.bytes_.constData() + start, length);
    for (qsizetype i = from; i < to; ++i)
        ends_.push_back(Offset(qsizetype(source.ends_[size_t(i)]) - start + at));
    return true;
}

void EntryList::remove(qsizetype index) {
    if (index < 0 || index >= size())
        return;
    const qsizetype start = startOf(index);
    const qsizetype length = qsizetype(ends_[index]) - start;
    bytes_.remove(start, length);
    ends_.erase(ends_.begin() + index);
    for (auto it = ends_.begin() + index; it != ends_.end(); ++it)
        *it -= Offset(length);
}

void EntryList::clear() {
    // Give the memory back: a cleared field of a million entries should not keep it.
    bytes_ = QByteArray();
    std::vector<Offset>().swap(ends_);
}

void EntryList::reserve(qsizetype entryBytes, qsizetype entryCount) {
    bytes_.reserve(entryBytes);
    ends_.reserve(size_t(entryCount));
}

void EntryList::adopt(QByteArray bytes, std::vector<Offset> ends) {
    bytes_ = std::move(bytes);
    ends_ = std::move(ends);
}

void EntryList::shrinkToFit() {
    bytes_.squeeze();
    ends_.shrink_to_fit();
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
