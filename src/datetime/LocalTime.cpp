#include "datetime/LocalTime.h"

#include <QDateTime>

namespace quill {

LocalTime LocalTime::fromDateTime(const QDateTime& dateTime) {
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return LocalTime{date.year(),   date.month(),  date.day(), time.hour(),
                     time.minute(), time.second(), time.msec()};
}

} // namespace quill
