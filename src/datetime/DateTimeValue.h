#pragma once

#include "datetime/LocalTime.h"

#include <QtGlobal>

namespace quill {

// Days from 30 December 1899 (day 0) in the proleptic Gregorian calendar; negative before it.
qint64 dayNumber(int year, int month, int day);

// Day of the week of a day number, 0 = Sunday to 6 = Saturday.
int weekdayOfDayNumber(qint64 dayNumber);

// The date-time value: the day number plus the elapsed part of the day, counted in milliseconds.
double dateTimeValue(const LocalTime& time);

} // namespace quill
