#include "datetime/DateTimeValue.h"

namespace quill {

namespace {

// Days from 1 March of year 0 in the proleptic Gregorian calendar; valid for every int year
// because the arithmetic runs in 64 bits and floors negative quotients.
qint64 daysFromCivil(qint64 year, qint64 month, qint64 day) {
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

constexpr double millisecondsPerDay = 86400000.0;

} // namespace

qint64 dayNumber(int year, int month, int day) {
    static const qint64 epoch = daysFromCivil(1899, 12, 30);
    return daysFromCivil(year, month, day) - epoch;
}

int weekdayOfDayNumber(qint64 dayNumber) {
    // Day 0 was a Saturday.
    const qint64 weekday = (dayNumber + 6) % 7;
    return int(weekday < 0 ? weekday + 7 : weekday);
}

double dateTimeValue(const LocalTime& time) {
    const qint64 milliseconds = qint64(time.hour) * 3600000 + qint64(time.minute) * 60000 +
                                qint64(time.second) * 1000 + time.millisecond;
    return double(dayNumber(time.year, time.month, time.day)) +
           double(milliseconds) / millisecondsPerDay;
}

} // namespace quill
