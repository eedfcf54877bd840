#include "datetime/DateTimeFormat.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

// Wednesday 7 March 2007, 15:04:05: every field differs and needs a leading zero somewhere.
constexpr LocalTime afternoon{2007, 3, 7, 15, 4, 5, 0};

FormatSettings distinctSettings() {
    FormatSettings settings;
    settings.dateSeparator = u'-';
    settings.timeSeparator = u'.';
    settings.morningSymbol = u"AM"_s;
    settings.afternoonSymbol = u"PM"_s;
    return settings;
}

struct TokenCase {
    const char16_t* pattern;
    const char16_t* expected;
};

class PatternTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(PatternTokenTest, expandsAsTheTokenTableSays) {
    const TokenCase& c = GetParam();
    EXPECT_EQ(expandDateTimePattern(QString::fromUtf16(c.pattern), afternoon, distinctSettings()),
              QString::fromUtf16(c.expected))
        << QString::fromUtf16(c.pattern).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Days, PatternTokenTest,
                         ::testing::Values(TokenCase{u"d", u"7"}, TokenCase{u"dd", u"07"},
                                           TokenCase{u"ddd", u"Wed"},
                                           TokenCase{u"dddd", u"Wednesday"},
                                           TokenCase{u"ddddd", u"Wednesday"}, TokenCase{u"D", u"7"},
                                           TokenCase{u"DD", u"07"}, TokenCase{u"Dd", u"77"}));

INSTANTIATE_TEST_SUITE_P(
    Months, PatternTokenTest,
    ::testing::Values(TokenCase{u"m", u"3"}, TokenCase{u"mm", u"03"}, TokenCase{u"MMM", u"Mar"},
                      TokenCase{u"mmmm", u"March"}, TokenCase{u"Mm", u"33"},
                      // m and mm right after an hour token are minutes
                      TokenCase{u"h:m", u"15.4"}, TokenCase{u"hh:mm", u"15.04"},
                      TokenCase{u"h mm", u"15 04"}, TokenCase{u"h 'x' mm", u"15 x 04"},
                      TokenCase{u"h x mm", u"15 x 03"}, TokenCase{u"hmmm", u"15Mar"},
                      TokenCase{u"ss:m", u"05.3"}, TokenCase{u"h d mm", u"15 7 03"}));

INSTANTIATE_TEST_SUITE_P(YearsHoursSeconds, PatternTokenTest,
                         ::testing::Values(TokenCase{u"y", u"07"}, TokenCase{u"yy", u"07"},
                                           TokenCase{u"yyy", u"2007"}, TokenCase{u"yyyy", u"2007"},
                                           TokenCase{u"YYYYY", u"2007"}, TokenCase{u"h", u"15"},
                                           TokenCase{u"hh", u"15"}, TokenCase{u"s", u"5"},
                                           TokenCase{u"SS", u"05"},
                                           TokenCase{u"h:mm:ss", u"15.04.05"}));

INSTANTIATE_TEST_SUITE_P(
    Markers, PatternTokenTest,
    ::testing::Values(TokenCase{u"h ampm", u"3 PM"}, TokenCase{u"AMPM hh", u"PM 03"},
                      TokenCase{u"h AmPm", u"3 PM"}, TokenCase{u"hampm", u"3PM"},
                      TokenCase{u"ampm", u"PM"}, TokenCase{u"am pm", u"a3 p3"},
                      TokenCase{u"aampm", u"aPM"},
                      // the search for a marker stops at the next hour token
                      TokenCase{u"h h ampm", u"15 3 PM"},
                      // a marker earlier in the pattern counts too
                      TokenCase{u"h ampm h", u"3 PM 3"}, TokenCase{u"'ampm' h", u"ampm 15"}));

INSTANTIATE_TEST_SUITE_P(SeparatorsAndText, PatternTokenTest,
                         ::testing::Values(TokenCase{u"d/m/y", u"7-3-07"}, TokenCase{u"//", u"--"},
                                           TokenCase{u"h:mm", u"15.04"},
                                           TokenCase{u"'d/m' d", u"d/m 7"},
                                           TokenCase{u"\"it's\" d", u"it's 7"},
                                           TokenCase{u"'say \"hi\"'", u"say \"hi\""},
                                           TokenCase{u"''d", u"7"},
                                           TokenCase{u"'open d", u"open d"},
                                           TokenCase{u"x#\u00e9 .,-\u5e74", u"x#\u00e9 .,-\u5e74"},
                                           TokenCase{u"", u""}));

INSTANTIATE_TEST_SUITE_P(EraWithoutEraCalendar, PatternTokenTest,
                         ::testing::Values(TokenCase{u"g", u""}, TokenCase{u"gg d", u" 7"},
                                           TokenCase{u"e", u"07"}, TokenCase{u"ee", u"07"},
                                           TokenCase{u"eeee", u"2007"}));

TEST(DateTimeFormat, names_comeFromTheSettings) {
    FormatSettings settings;
    settings.longDayNames[3] = u"Mittwoch"_s;
    settings.shortMonthNames[2] = u"M\u00e4r"_s;
    EXPECT_EQ(expandDateTimePattern(u"dddd d. mmm", afternoon, settings),
              u"Mittwoch 7. M\u00e4r"_s);
}

TEST(DateTimeFormat, outOfRangeMonth_givesNoNameInsteadOfFailing) {
    const LocalTime odd{2007, 13, 7, 15, 4, 5, 0};
    EXPECT_EQ(expandDateTimePattern(u"mmm|m", odd, FormatSettings()), u"|13"_s);
}

struct TimeCase {
    LocalTime time;
    const char16_t* expected;
};

class DateTimeTextTest : public ::testing::TestWithParam<TimeCase> {};

TEST_P(DateTimeTextTest, withFallbackSettings) {
    EXPECT_EQ(dateTimeText(GetParam().time, FormatSettings()),
              QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Clock, DateTimeTextTest,
                         ::testing::Values(
                             // exactly midnight, and half a second after it, show the date alone
                             TimeCase{{2026, 12, 7, 0, 0, 0, 0}, u"12/7/26"},
                             TimeCase{{2026, 12, 7, 0, 0, 0, 500}, u"12/7/26"},
                             TimeCase{{2026, 12, 7, 0, 0, 1, 0}, u"12/7/26 12:00:01 am"},
                             TimeCase{{2026, 12, 7, 0, 1, 0, 0}, u"12/7/26 12:01:00 am"},
                             // the 12-hour clock shows hour 0 and hour 12 as 12
                             TimeCase{{2026, 12, 7, 0, 30, 0, 0}, u"12/7/26 12:30:00 am"},
                             TimeCase{{2026, 12, 7, 12, 30, 0, 0}, u"12/7/26 12:30:00 pm"},
                             TimeCase{{2026, 12, 7, 11, 59, 59, 999}, u"12/7/26 11:59:59 am"},
                             TimeCase{{2026, 12, 7, 23, 59, 59, 0}, u"12/7/26 11:59:59 pm"}));

TEST(DateTimeFormat, markerBeforeTimeAndLeadingZero_shapeTheLongTime) {
    FormatSettings settings;
    settings.markerBeforeTime = true;
    settings.hourLeadingZero = true;
    EXPECT_EQ(dateTimeText({2026, 12, 7, 0, 30, 0, 0}, settings), u"12/7/26 am 12:30:00"_s);
    EXPECT_EQ(dateTimeText({2026, 12, 7, 13, 5, 9, 0}, settings), u"12/7/26 pm 01:05:09"_s);
    settings.twentyFourHourClock = true;
    EXPECT_EQ(dateTimeText({2026, 12, 7, 0, 30, 0, 0}, settings), u"12/7/26 00:30:00"_s);
}

TEST(DateTimeFormat, longText_isCutAt256Characters) {
    FormatSettings settings;
    settings.shortDatePattern = QString(100, u'x') + u"dddd"_s;
    const LocalTime time{2007, 3, 7, 15, 4, 5, 0};
    EXPECT_EQ(dateTimeText(time, settings), QString(100, u'x') + u"Wednesday 3:04:05 pm"_s);

    settings.shortDatePattern = u"'"_s + QString(250, u'x') + u"' dddd"_s;
    const QString text = dateTimeText(time, settings);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(text, (QString(250, u'x') + u" Wednesday 3:04:05 pm"_s).left(256));

    // A date of 256 characters or more leaves no room for the time.
    settings.shortDatePattern = QString(300, u'/');
    EXPECT_EQ(dateTimeText(time, settings), QString(256, u'/'));
}

TEST(DateTimeFormat, cut_neverSplitsASurrogatePair) {
    FormatSettings settings;
    // 255 characters, then a character outside the basic plane at characters 256 and 257.
    settings.shortDatePattern = u"'"_s + QString(255, u'x') + u"\U0001F600'"_s;
    const QString text = dateTimeText({2007, 3, 7, 0, 0, 0, 0}, settings);
    EXPECT_EQ(text, QString(255, u'x'));
}

} // namespace
} // namespace quill
