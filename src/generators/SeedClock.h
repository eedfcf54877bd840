#pragma once

#include <QtGlobal>

#include <optional>

namespace quill {

// Where the random source takes its seeds from. Tests give a fixed clock so that two reseeds
// read the same value.
class SeedClock {
public:
    virtual ~SeedClock() = default;
    // A fast-running counter (nanoseconds); nothing when it cannot be read.
    virtual std::optional<quint64> counter() = 0;
    // Milliseconds since some fixed start: the fallback when the counter fails.
    virtual quint32 tick() = 0;
};

} // namespace quill
