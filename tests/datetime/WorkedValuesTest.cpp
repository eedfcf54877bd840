#include "support/FixedClock.h"
#include "support/FixedFormatSettings.h"
#include "support/WorkedDateValues.h"

#include "datetime/DateTimeFormat.h"
#include "datetime/DateTimeValue.h"
#include "datetime/NumberFormat.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

TEST(WorkedValues, clockAndSettings_giveTheTextAndTheNumber) {
    for (const test::WorkedDateValue& row : test::workedDateValues()) {
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
