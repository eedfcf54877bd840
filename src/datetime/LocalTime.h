#pragma once

class QDateTime;

namespace quill {

// A reading of the local wall clock, field by field. Month 1 to 12, day 1 to 31, hour 0 to 23.
struct LocalTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    static LocalTime fromDateTime(const QDateTime& dateTime);
};

} // namespace quill
