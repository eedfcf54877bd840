#include "history/EntryMemory.h"

#include <algorithm>

namespace quill {

void EntryMemory::add(const EntryList& list) {
    const qsizetype size = list.size();
    for (qsizetype from = 0; from < size;) {
        const auto start = quintptr(list.at(from).data());
        // Entries [from, to) are one stretch when entry to - 1 begins where the bytes of those
        // before it end. The stretch is found by doubling its length, then halving the step.
        const auto stretch = [&](qsizetype to) {
            return quintptr(list.at(to - 1).data()) ==
                   start + quintptr(list.rangeBytes(from, to - 1));
        };
        qsizetype good = from + 1;
        qsizetype step = 1;
        while (good + step <= size && stretch(good + step)) {
            good += step;
            step *= 2;
        }
        qsizetype bad = good + step <= size ? good + step : size + 1;
        while (bad - good > 1) {
            const qsizetype middle = good + (bad - good) / 2;
            (stretch(middle) ? good : bad) = middle;
        }
        spans_.push_back({start, start + quintptr(list.rangeBytes(from, good)), good - from});
        from = good;
    }
}

void EntryMemory::add(const EntryMemory& other) {
    spans_.insert(spans_.end(), other.spans_.begin(), other.spans_.end());
}

std::vector<EntryMemory::Span> EntryMemory::joined() const {
    std::vector<Span> sorted = spans_;
    std::sort(sorted.begin(), sorted.end(), [](const Span& a, const Span& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end > b.end;
    });
    std::vector<Span> result;
    for (const Span& span : sorted) {
        // Spans of empty entries have no length; one at the start of another lies in it.
        if (result.empty() ||
            (span.begin >= result.back().end && span.begin != result.back().begin)) {
            result.push_back(span);
            continue;
        }
        Span& last = result.back();
        if (span.end > last.end) {
            // Only the part beyond what is joined already adds entries, in proportion.
            const double beyond = double(span.end - last.end) / double(span.end - span.begin);
            last.entries += qsizetype(double(span.entries) * beyond);
            last.end = span.end;
        } else {
            last.entries = std::max(last.entries, span.entries);
        }
    }
    return result;
}

qint64 EntryMemory::bytesNotIn(const EntryMemory& other) const {
    const std::vector<Span> mine = joined();
    const std::vector<Span> theirs = other.joined();
    qint64 bytes = 0;
    std::size_t first = 0;
    for (const Span& span : mine) {
        while (first < theirs.size() && theirs[first].end < span.begin)
            ++first;
        const quintptr length = span.end - span.begin;
        quintptr shared = 0;
        bool pointShared = false;
        for (std::size_t k = first; k < theirs.size() && theirs[k].begin <= span.end; ++k) {
            const quintptr from = std::max(span.begin, theirs[k].begin);
            const quintptr to = std::min(span.end, theirs[k].end);
            if (to > from)
                shared += to - from;
            pointShared =
                pointShared || (theirs[k].begin <= span.begin &&
                                (span.begin < theirs[k].end || theirs[k].begin == span.begin));
        }
        const double own =
            length == 0 ? (pointShared ? 0.0 : 1.0) : double(length - shared) / double(length);
        bytes += qint64(length - shared) +
                 qint64(double(span.entries) * own * double(sizeof(EntryList::Offset)));
    }
    return bytes;
}

} // namespace quill
