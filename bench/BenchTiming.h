#pragma once

// Timing helpers the benchmarks share.

#include <QElapsedTimer>

#include <ctime>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

// How long the work takes, in milliseconds.
inline double milliseconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Processor time of the process, in seconds: less inflated than wall time on a busy machine.
inline double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace bench
