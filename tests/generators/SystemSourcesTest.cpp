#include "core/AvailableMemory.h"
#include "generators/MonotonicSeedClock.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(AvailableMemory, readsMemAvailableInKilobytes) {
    const QByteArrayView meminfo = "MemTotal:       16314472 kB\n"
                                   "MemFree:          913520 kB\n"
                                   "MemAvailable:    9876543 kB\n"
                                   "Buffers:          123456 kB\n";
    EXPECT_EQ(memAvailableBytes(meminfo), qint64(9876543) * 1024);
}

TEST(AvailableMemory, missingOrMalformedFigure_givesNothing) {
    EXPECT_FALSE(memAvailableBytes("MemTotal: 100 kB\n"));
    EXPECT_FALSE(memAvailableBytes("MemAvailable: kB\n"));
    EXPECT_FALSE(memAvailableBytes("MemAvailable: 99999999999999999999999999 kB\n"));
    EXPECT_FALSE(memAvailableBytes(""));
}

TEST(AvailableMemory, thisMachine_reportsSomething) {
    EXPECT_GT(availableMemoryBytes(), 0);
}

TEST(MonotonicSeedClock, counterMovesBetweenReads) {
    MonotonicSeedClock clock;
    const std::optional<quint64> first = clock.counter();
    ASSERT_TRUE(first);
    std::optional<quint64> later = clock.counter();
    for (int i = 0; i < 1000 && later == first; ++i)
        later = clock.counter();
    ASSERT_TRUE(later);
    EXPECT_GT(*later, *first);
}

} // namespace
} // namespace quill
