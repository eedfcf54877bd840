#pragma once

#include "generators/SeedClock.h"

namespace quill {

// The system's monotonic clock: nanoseconds for the counter, milliseconds for the tick.
class MonotonicSeedClock : public SeedClock {
public:
    std::optional<quint64> counter() override;
    quint32 tick() override;
};

} // namespace quill
