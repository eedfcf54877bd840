#include "storage/PairChanges.h"

#include <algorithm>
#include <limits>

namespace quill {

namespace {

QByteArrayView entry(const EntryList& list, qsizetype index) {
    return index < list.size() ? list.at(index) : QByteArrayView();
}

bool samePair(const PairView& a, qsizetype i, const PairView& b, qsizetype j) {
    return entry(a.first, i) == entry(b.first, j) && entry(a.second, i) == entry(b.second, j);
}

// Pairs at the head that both versions hold in the same stretches of the same blocks.
qsizetype sharedHeadPairs(const PairView& a, const PairView& b) {
    const auto shared = [](const EntryList& x, const EntryList& y) {
        // The same copy is also padded alike.
        return x.sharesAll(y) ? std::numeric_limits<qsizetype>::max() : x.sharedHead(y);
    };
    return std::min({shared(a.first, b.first), shared(a.second, b.second), a.size(), b.size()});
}

// The same at the tails, where no list is padded (a list's last entry is its pair's).
qsizetype sharedTailPairs(const PairView& a, const PairView& b) {
    const auto shared = [&](const EntryList& x, const EntryList& y) {
        return x.size() == a.size() && y.size() == b.size() ? x.sharedTail(y) : 0;
    };
    return std::min(shared(a.first, b.first), shared(a.second, b.second));
}

} // namespace

qsizetype pairCount(const PairRanges& ranges) {
    qsizetype count = 0;
    for (const auto& [from, to] : ranges)
        count += to - from;
    return count;
}

PairChanges comparePairs(const PairView& before, const PairView& after, bool withAdded) {
    const qsizetype nb = before.size();
    const qsizetype na = after.size();
    const qsizetype shortest = std::min(nb, na);
    qsizetype head = sharedHeadPairs(before, after);
    while (head < shortest && samePair(before, head, after, head))
        ++head;
    qsizetype tail = std::min(sharedTailPairs(before, after), shortest - head);
    while (tail < shortest - head && samePair(before, nb - 1 - tail, after, na - 1 - tail))
        ++tail;
    const qsizetype bEnd = nb - tail;
    const qsizetype aEnd = na - tail;

    PairChanges changes;
    if (head == aEnd) {
        if (head < bEnd)
            changes.removed.push_back({head, bEnd});
        return changes;
    }
    PairHashes now;
    now.reserve(size_t(aEnd - head));
    for (qsizetype i = head; i < aEnd; ++i)
        now.push_back(pairHash(after, i));
    std::sort(now.begin(), now.end());
    std::vector<std::pair<std::uint64_t, qsizetype>> was;
    was.reserve(size_t(bEnd - head));
    for (qsizetype i = head; i < bEnd; ++i)
        was.emplace_back(pairHash(before, i), i);
    std::sort(was.begin(), was.end());

    // Both sorted: a pair of before is missing once after has no copy of it left to match.
    std::vector<qsizetype> missing;
    for (size_t i = 0, j = 0; i < was.size();) {
        if (j == now.size() || was[i].first < now[j])
            missing.push_back(was[i++].second);
        else if (was[i].first > now[j])
            ++j;
        else {
            ++i;
            ++j;
        }
    }
    std::sort(missing.begin(), missing.end());
    for (const qsizetype index : missing) {
        if (!changes.removed.empty() && changes.removed.back().second == index)
            ++changes.removed.back().second;
        else
            changes.removed.push_back({index, index + 1});
    }
    if (withAdded) {
        for (size_t j = 0, i = 0; j < now.size(); ++j) {
            while (i < was.size() && was[i].first < now[j])
                ++i;
            const bool held = i < was.size() && was[i].first == now[j];
            if (!held && (changes.added.empty() || changes.added.back() != now[j]))
                changes.added.push_back(now[j]);
        }
    }
    return changes;
}

} // namespace quill
