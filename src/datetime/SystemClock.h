#pragma once

#include "datetime/Clock.h"

namespace quill {

// The machine's local time.
class SystemClock : public Clock {
public:
    LocalTime localTime() const override;
};

} // namespace quill
