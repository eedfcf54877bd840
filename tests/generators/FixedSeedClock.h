#pragma once

#include "generators/SeedClock.h"

#include <optional>

namespace quill::test {

// A clock whose counter and tick the test sets; counts how often the counter is read.
class FixedSeedClock : public SeedClock {
public:
    std::optional<quint64> counterValue = 0;
    quint32 tickValue = 0;
    // Added to the counter after every read, so consecutive reseeds can differ.
    quint64 counterStep = 0;
    int reads = 0;

    std::optional<quint64> counter() override {
        ++reads;
        const std::optional<quint64> value = counterValue;
        if (counterValue)
            *counterValue += counterStep;
        return value;
    }
    quint32 tick() override { return tickValue; }
};

} // namespace quill::test
