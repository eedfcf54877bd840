#include "generators/RandomSource.h"

#include "generators/SeedClock.h"

namespace quill {

void RandomSource::reseed() {
    if (const std::optional<quint64> counter = clock_.counter())
        seed_ = quint32(*counter);
    else
        seed_ = clock_.tick();
}

} // namespace quill
