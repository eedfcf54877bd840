#include "storage/SaveStamp.h"

#include <QRandomGenerator>

namespace quill {

namespace {

constexpr qint64 CheckRange = 10'000;
constexpr qint64 RandomRange = 1'000'000'000 / CheckRange;
// The random part's low bits carry the excess: these two values mark a half pair and an
// unknown excess, any other value the save's own lists (so one in 32 of the stamps an older save
// left passes for marked).
constexpr qint64 MarkModulus = 64;
constexpr qint64 HalfPairMark = 42;
constexpr qint64 UnknownMark = 43;

qint64 check(qint64 seconds, qint64 random) {
    // splitmix64's finalizer spreads every input bit over the result.
    quint64 mixed = quint64(seconds) * quint64(RandomRange) + quint64(random);
    mixed = (mixed ^ (mixed >> 30)) * 0xbf58476d1ce4e5b9ULL;
    mixed = (mixed ^ (mixed >> 27)) * 0x94d049bb133111ebULL;
    return qint64((mixed ^ (mixed >> 31)) % quint64(CheckRange));
}

} // namespace

timespec saveStamp(Excess excess) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    QRandomGenerator* generator = QRandomGenerator::system();
    const qint64 high = qint64(generator->bounded(quint32(RandomRange / MarkModulus)));
    qint64 low = excess == Excess::HalfPair ? HalfPairMark : UnknownMark;
    while (excess == Excess::Own && (low == HalfPairMark || low == UnknownMark))
        low = qint64(generator->bounded(quint32(MarkModulus)));
    const qint64 random = high * MarkModulus + low;
    now.tv_nsec = long(random * CheckRange + check(now.tv_sec, random));
    return now;
}

bool isSaveStamp(qint64 seconds, qint64 nanoseconds) {
    return nanoseconds >= 0 && nanoseconds < 1'000'000'000 &&
           nanoseconds % CheckRange == check(seconds, nanoseconds / CheckRange);
}

std::optional<Excess> stampedExcess(qint64 seconds, qint64 nanoseconds) {
    if (!isSaveStamp(seconds, nanoseconds))
        return std::nullopt;
    switch (nanoseconds / CheckRange % MarkModulus) {
    case HalfPairMark:
        return Excess::HalfPair;
    case UnknownMark:
        return Excess::Unknown;
    default:
        return Excess::Own;
    }
}

} // namespace quill
