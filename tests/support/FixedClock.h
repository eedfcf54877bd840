#pragma once

#include "datetime/Clock.h"

namespace quill::test {

// A clock that always reads the time it was given.
class FixedClock : public Clock {
public:
    explicit FixedClock(LocalTime time = {}) : time_(time) {}
    void set(LocalTime time) { time_ = time; }
    LocalTime localTime() const override { return time_; }

private:
    LocalTime time_;
};

} // namespace quill::test
