#include "history/DroppedMemory.h"

#include <algorithm>

namespace quill {

namespace {

// How many entries at the end of both lists lie at the same place in memory, up to `most`: found
// by doubling the count, then halving the step.
qsizetype sharedTail(const EntryList& a, const EntryList& b, qsizetype most) {
    const auto shared = [&](qsizetype count) {
        return a.at(a.size() - count).data() == b.at(b.size() - count).data();
    };
    qsizetype good = 0;
    qsizetype step = 1;
    while (good + step <= most && shared(good + step)) {
        good += step;
        step *= 2;
    }
    qsizetype bad = good + step <= most ? good + step : most + 1;
    while (bad - good > 1) {
        const qsizetype middle = good + (bad - good) / 2;
        (shared(middle) ? good : bad) = middle;
    }
    return good;
}

} // namespace

qint64 droppedBytes(const EntryList& from, const EntryList& to) {
    const qsizetype head = from.sharedHead(to);
    const qsizetype tail = sharedTail(from, to, std::min(from.size(), to.size()) - head);
    const qsizetype end = from.size() - tail;
    return from.rangeBytes(head, end) + (end - head) * qsizetype(sizeof(EntryList::Offset));
}

} // namespace quill
