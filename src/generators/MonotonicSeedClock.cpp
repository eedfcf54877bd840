#include "generators/MonotonicSeedClock.h"

#include <chrono>
#include <ctime>

namespace quill {

std::optional<quint64> MonotonicSeedClock::counter() {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return std::nullopt;
    return quint64(now.tv_sec) * 1000000000ull + quint64(now.tv_nsec);
}

quint32 MonotonicSeedClock::tick() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return quint32(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

} // namespace quill
