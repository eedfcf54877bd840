#pragma once

#include "datetime/LocalTime.h"

namespace quill {

// Where the date and time commands read the time, so tests can fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime localTime() const = 0;
};

} // namespace quill
