#include "support/FixedClock.h"
#include "support/FixedFormatSettings.h"

#include "insertions/DateTimeFormat.h"
#include "insertions/DateTimeValue.h"
#include "insertions/NumberFormat.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

FormatSettings twelveHourSettings() {
    FormatSettings s;
    s.shortDatePattern = u"M/d/yyyy"_s;
    s.morningSymbol = u"AM"_s;
    s.afternoonSymbol = u"PM"_s;
    return s;
}

FormatSettings dottedSettings() {
    FormatSettings s;
    s.shortDatePattern = u"dd.MM.yyyy"_s;
    s.dateSeparator = u'.';
    s.twentyFourHourClock = true;
    s.hourLeadingZero = true;
    s.decimalSeparator = u',';
    return s;
}

struct WorkedValue {
    LocalTime time;
    FormatSettings settings;
    QString text;
    QString number;
};

// 7 December 2026 (day 46363) at several times and with several conventions.
TEST(WorkedValues, clockAndSettings_giveTheTextAndTheNumber) {
    const WorkedValue rows[] = {
        {{2026, 12, 7, 3, 4, 5, 0},
         FormatSettings(),
         u"12/7/26 3:04:05 am"_s,
         u"46363.1278356481"_s},
        {{2026, 12, 7, 15, 4, 5, 0},
         twelveHourSettings(),
         u"12/7/2026 3:04:05 PM"_s,
         u"46363.6278356481"_s},
        {{2026, 12, 7, 3, 4, 5, 0},
         dottedSettings(),
         u"07.12.2026 03:04:05"_s,
         u"46363,1278356481"_s},
        {{2026, 12, 7, 0, 0, 0, 0}, twelveHourSettings(), u"12/7/2026"_s, u"46363"_s},
        {{2026, 12, 7, 0, 0, 0, 500}, twelveHourSettings(), u"12/7/2026"_s, u"46363.000005787"_s},
        {{2026, 12, 7, 12, 0, 0, 0},
         twelveHourSettings(),
         u"12/7/2026 12:00:00 PM"_s,
         u"46363.5"_s}};
    for (const WorkedValue& row : rows) {
        const test::FixedClock clock(row.time);
        const test::FixedFormatSettings source(row.settings);
        const LocalTime now = clock.localTime();
        const FormatSettings settings = source.formatSettings();
        EXPECT_EQ(dateTimeText(now, settings), row.text);
        EXPECT_EQ(generalNumberText(dateTimeValue(now), settings.decimalSeparator), row.number)
            << row.text.toStdString();
    }
}

} // namespace
} // namespace quill
