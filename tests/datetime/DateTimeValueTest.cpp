#include "datetime/DateTimeValue.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

struct DayCase {
    int year, month, day;
    qint64 expected;
};

TEST(DateTimeValue, dayNumbers_countFromThe30thOfDecember1899) {
    const DayCase cases[] = {
        {1899, 12, 30, 0},    {1899, 12, 31, 1},      {1899, 12, 29, -1},
        {1900, 1, 1, 2},      {1900, 2, 28, 60},      {1900, 3, 1, 61}, // 1900 is no leap year
        {2000, 2, 29, 36585}, {2000, 3, 1, 36586},    {2026, 12, 7, 46363},
        {1, 1, 1, -693593},   {9999, 12, 31, 2958465}};
    for (const DayCase& c : cases)
        EXPECT_EQ(dayNumber(c.year, c.month, c.day), c.expected)
            << c.year << '-' << c.month << '-' << c.day;
}

TEST(DateTimeValue, weekday_day0IsSaturdayAndNegativeDaysWrap) {
    EXPECT_EQ(weekdayOfDayNumber(0), 6);
    EXPECT_EQ(weekdayOfDayNumber(1), 0);
    EXPECT_EQ(weekdayOfDayNumber(-1), 5);
    EXPECT_EQ(weekdayOfDayNumber(-7), 6);
    EXPECT_EQ(weekdayOfDayNumber(46363), 1); // 7 December 2026 is a Monday
}

TEST(DateTimeValue, fraction_isMillisecondsOfTheDay) {
    EXPECT_DOUBLE_EQ(dateTimeValue({2026, 12, 7, 0, 0, 0, 0}), 46363.0);
    EXPECT_DOUBLE_EQ(dateTimeValue({2026, 12, 7, 12, 0, 0, 0}), 46363.5);
    EXPECT_DOUBLE_EQ(dateTimeValue({2026, 12, 7, 0, 0, 0, 500}), 46363.0 + 500.0 / 86400000.0);
    EXPECT_DOUBLE_EQ(dateTimeValue({2026, 12, 7, 23, 59, 59, 999}),
                     46363.0 + 86399999.0 / 86400000.0);
    EXPECT_DOUBLE_EQ(dateTimeValue({2026, 12, 7, 3, 4, 5, 0}), 46363.0 + 11045000.0 / 86400000.0);
}

} // namespace
} // namespace quill
