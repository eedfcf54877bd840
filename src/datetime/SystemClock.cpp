#include "datetime/SystemClock.h"

#include <QDateTime>

namespace quill {

LocalTime SystemClock::localTime() const {
    return LocalTime::fromDateTime(QDateTime::currentDateTime());
}

} // namespace quill
