#pragma once

#include <QtGlobal>

namespace quill {

class SeedClock;

// The program's one pseudo-random generator: a linear congruential step on a 32-bit seed, and a
// draw that scales the new state into the range. The owner keeps one for the whole run, so every
// generator command shares the seed.
class RandomSource {
public:
    explicit RandomSource(SeedClock& clock) : clock_(clock) {}

    quint32 seed() const { return seed_; }
    void setSeed(quint32 seed) { seed_ = seed; }

    // The seed becomes the low 32 bits of the counter, or the tick when the counter fails.
    void reseed();

    // Advances the seed one step and scales it below the bound. A negative bound counts as its
    // unsigned 32-bit value; bounds 0 and 1 always give 0.
    quint32 drawBelow(qint32 bound) {
        seed_ = seed_ * 134775813u + 1u;
        return quint32((quint64(quint32(bound)) * seed_) >> 32);
    }

private:
    SeedClock& clock_;
    quint32 seed_ = 0;
};

} // namespace quill
