#pragma once

#include "datetime/FormatSettings.h"
#include "datetime/LocalTime.h"

#include <QString>

#include <vector>

namespace quill::test {

// Conventions of a 12-hour clock with the month first and AM/PM markers.
inline FormatSettings twelveHourSettings() {
    using namespace Qt::StringLiterals;
    FormatSettings s;
    s.shortDatePattern = u"M/d/yyyy"_s;
    s.morningSymbol = u"AM"_s;
    s.afternoonSymbol = u"PM"_s;
    return s;
}

// Conventions of a 24-hour clock with dotted dates and a decimal comma.
inline FormatSettings dottedSettings() {
    FormatSettings s;
    s.shortDatePattern = QStringLiteral("dd.MM.yyyy");
    s.dateSeparator = u'.';
    s.twentyFourHourClock = true;
    s.hourLeadingZero = true;
    s.decimalSeparator = u',';
    return s;
}

struct WorkedDateValue {
    LocalTime time;
    FormatSettings settings;
    QString text;   // the date and time in the conventions
    QString number; // the day number with the fraction of the day
};

// 7 December 2026 (day 46363) at several times and with several conventions.
inline std::vector<WorkedDateValue> workedDateValues() {
    using namespace Qt::StringLiterals;
    return {
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
         u"46363.5"_s},
    };
}

} // namespace quill::test
