#include "core/EntryList.h"

#include "core/ByteText.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace quill {

QByteArrayView EntryList::at(qsizetype index) const {
    const qsizetype start = startOf(index);
    return QByteArrayView(bytes_.data() + start, qsizetype(ends_[index]) - start);
}

bool EntryList::canTake(qsizetype entryBytes, qsizetype entryCount) const {
    const qsizetype needed = entryBytes + entryCount * qsizetype(sizeof(Offset));
    return byteSize() + entryBytes <= qsizetype(0xFFFFFFFFu) && footprint() + needed <= limit_;
}

bool EntryList::append(QByteArrayView entry) {
    if (!canTake(entry.size()))
        return false;
    bytes_.insert(bytes_.end(), entry.begin(), entry.end());
    ends_.push_back(Offset(bytes_.size()));
    return true;
}

void EntryList::remove(qsizetype index) {
    if (index < 0 || index >= size())
        return;
    const qsizetype start = startOf(index);
    const qsizetype length = qsizetype(ends_[index]) - start;
    bytes_.erase(bytes_.begin() + start, bytes_.begin() + start + length);
    ends_.erase(ends_.begin() + index);
    for (auto it = ends_.begin() + index; it != ends_.end(); ++it)
        *it -= Offset(length);
}

void EntryList::clear() {
    // Give the memory back: a cleared field of a million entries should not keep it.
    std::vector<char>().swap(bytes_);
    std::vector<Offset>().swap(ends_);
}

void EntryList::reserve(qsizetype entryBytes, qsizetype entryCount) {
    bytes_.reserve(size_t(entryBytes));
    ends_.reserve(size_t(entryCount));
}

void EntryList::shrinkToFit() {
    bytes_.shrink_to_fit();
    ends_.shrink_to_fit();
}

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }

} // namespace

qsizetype EntryList::findPrefix(QStringView prefix) const {
    if (prefix.isEmpty())
        return empty() ? -1 : 0;
    const QByteArray prefixBytes = storedBytes(prefix);
    const bool asciiPrefix =
        std::all_of(prefixBytes.begin(), prefixBytes.end(), [](char c) { return uchar(c) < 0x80; });
    const QByteArray lowered = prefixBytes.toLower();
    const qsizetype n = size();
    for (qsizetype i = 0; i < n; ++i) {
        const QByteArrayView entry = at(i);
        if (asciiPrefix) {
            // Plain letters compare byte by byte; an entry only needs decoding when it has a
            // non-ASCII byte where an ASCII letter was typed, which can never match anyway.
            if (entry.size() < lowered.size())
                continue;
            qsizetype k = 0;
            while (k < lowered.size() && asciiLower(entry[k]) == lowered[k])
                ++k;
            if (k == lowered.size())
                return i;
            continue;
        }
        // Non-ASCII prefix: cheap rejection on the leading ASCII bytes, then a full comparison.
        qsizetype k = 0;
        while (k < lowered.size() && k < entry.size() && uchar(lowered[k]) < 0x80 &&
               uchar(entry[k]) < 0x80) {
            if (asciiLower(entry[k]) != lowered[k])
                break;
            ++k;
        }
        if (k < lowered.size() && k < entry.size() && uchar(lowered[k]) < 0x80 &&
            uchar(entry[k]) < 0x80)
            continue;
        // Case folding can change a character's length in bytes, so compare a generous slice.
        const QByteArrayView head = entry.first(std::min(entry.size(), prefixBytes.size() * 2 + 8));
        if (displayText(head).startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

} // namespace quill
