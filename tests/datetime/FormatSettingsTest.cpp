#include "datetime/FormatSettings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

TEST(FormatSettings, defaults_areTheFallbacks) {
    const FormatSettings settings;
    EXPECT_EQ(settings.shortDatePattern, u"m/d/yy"_s);
    EXPECT_EQ(settings.dateSeparator, u'/');
    EXPECT_EQ(settings.timeSeparator, u':');
    EXPECT_FALSE(settings.hourLeadingZero);
    EXPECT_FALSE(settings.twentyFourHourClock);
    EXPECT_FALSE(settings.markerBeforeTime);
    EXPECT_EQ(settings.morningSymbol, u"am"_s);
    EXPECT_EQ(settings.afternoonSymbol, u"pm"_s);
    EXPECT_EQ(settings.decimalSeparator, u'.');
    EXPECT_EQ(settings.shortMonthNames.front(), u"Jan"_s);
    EXPECT_EQ(settings.longMonthNames.back(), u"December"_s);
    EXPECT_EQ(settings.shortDayNames.front(), u"Sun"_s);
    EXPECT_EQ(settings.longDayNames.back(), u"Saturday"_s);
}

TEST(FormatSettings, longTimePattern_followsClockZeroAndMarkerPosition) {
    struct Case {
        bool zero, twentyFour, before;
        QString expected;
    };
    const Case cases[] = {
        {false, false, false, u"h:mm:ss AMPM"_s}, {true, false, false, u"hh:mm:ss AMPM"_s},
        {false, false, true, u"AMPM h:mm:ss"_s},  {true, false, true, u"AMPM hh:mm:ss"_s},
        {false, true, false, u"h:mm:ss"_s},       {true, true, true, u"hh:mm:ss"_s}};
    for (const Case& c : cases) {
        FormatSettings settings;
        settings.hourLeadingZero = c.zero;
        settings.twentyFourHourClock = c.twentyFour;
        settings.markerBeforeTime = c.before;
        EXPECT_EQ(settings.longTimePattern(), c.expected) << c.expected.toStdString();
    }
}

struct AdjustCase {
    const char16_t* pattern;
    int calendar;
    bool eastAsian;
    const char16_t* expected;
};

class ShortDatePatternTest : public ::testing::TestWithParam<AdjustCase> {};

TEST_P(ShortDatePatternTest, adjustsForEraCalendarsAndEastAsianLanguages) {
    const AdjustCase& c = GetParam();
    EXPECT_EQ(adjustShortDatePattern(QString::fromUtf16(c.pattern), c.calendar, c.eastAsian),
              QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Rules, ShortDatePatternTest,
                         ::testing::Values(AdjustCase{u"gg yyyy/MM/dd", 1, false, u"gg yyyy/MM/dd"},
                                           AdjustCase{u"gg yyyy/MM/dd", 1, true, u" yyyy/MM/dd"},
                                           AdjustCase{u"Gg'g' yyyy", 1, true, u"'g' yyyy"},
                                           AdjustCase{u"gg yyyy/MM/dd", 3, false,
                                                      u"ggg eeee/MM/dd"},
                                           AdjustCase{u"GG YY/M/d", 4, true, u"ggg ee/M/d"},
                                           AdjustCase{u"g y.M.d", 5, true, u"g e.M.d"},
                                           AdjustCase{u"yyy yyyyy", 3, false, u"eee eeeee"},
                                           AdjustCase{u"'yy' yy", 3, false, u"'yy' ee"},
                                           AdjustCase{u"M/d/yy", 2, true, u"M/d/yy"}));

} // namespace
} // namespace quill
