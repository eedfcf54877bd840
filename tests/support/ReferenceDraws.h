#pragma once

#include <QtGlobal>

#include <vector>

namespace quill::test {

// The random source's steps, worked out independently of RandomSource: one linear congruential
// step per draw, and a draw below `bound` is the high half of bound times the new seed.
inline quint32 nextSeed(quint32 seed) {
    return seed * 134775813u + 1u;
}

inline quint32 seedAfter(quint32 seed, int draws) {
    for (int i = 0; i < draws; ++i)
        seed = nextSeed(seed);
    return seed;
}

inline std::vector<quint32> drawsFrom(quint32 seed, int count, qint32 bound) {
    std::vector<quint32> result;
    for (int i = 0; i < count; ++i) {
        seed = nextSeed(seed);
        result.push_back(quint32((quint64(quint32(bound)) * seed) >> 32));
    }
    return result;
}

} // namespace quill::test
