#include "storage/SaveStamp.h"

#include <QRandomGenerator>

namespace quill {

namespace {

constexpr qint64 CheckRange = 10'000;
constexpr qint64 RandomRange = 1'000'000'000 / CheckRange;

qint64 check(qint64 seconds, qint64 random) {
    // splitmix64's finalizer spreads every input bit over the result.
    quint64 mixed = quint64(seconds) * quint64(RandomRange) + quint64(random);
    mixed = (mixed ^ (mixed >> 30)) * 0xbf58476d1ce4e5b9ULL;
    mixed = (mixed ^ (mixed >> 27)) * 0x94d049bb133111ebULL;
    return qint64((mixed ^ (mixed >> 31)) % quint64(CheckRange));
}

} // namespace

timespec saveStamp() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 random = qint64(QRandomGenerator::system()->bounded(quint32(RandomRange)));
    now.tv_nsec = long(random * CheckRange + check(now.tv_sec, random));
    return now;
}

bool isSaveStamp(qint64 seconds, qint64 nanoseconds) {
    return nanoseconds >= 0 && nanoseconds < 1'000'000'000 &&
           nanoseconds % CheckRange == check(seconds, nanoseconds / CheckRange);
}

} // namespace quill
