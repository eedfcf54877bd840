#include "datetime/LocaleFormatSettings.h"
#include "datetime/DateTimeFormat.h"
#include "support/DefaultLocaleGuard.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

using test::DefaultLocaleGuard;

constexpr LocalTime sample{2026, 12, 7, 15, 4, 5, 0};

// Items as an English 12-hour locale gives them; each test changes what it is about.
LocaleItems englishItems() {
    LocaleItems items;
    items.shortDateFormat = u"M/d/yy"_s;
    items.shortTimeFormat = u"h:mm AP"_s;
    items.decimalPoint = u"."_s;
    items.amText = u"AM"_s;
    items.pmText = u"PM"_s;
    items.shortMonthNames = FormatSettings::englishShortMonthNames();
    items.longMonthNames = FormatSettings::englishLongMonthNames();
    items.shortDayNames = FormatSettings::englishShortDayNames();
    items.longDayNames = FormatSettings::englishLongDayNames();
    return items;
}

TEST(LocaleFormatSettings, cLocale_givesEveryFallback) {
    EXPECT_EQ(LocaleFormatSettings::fromLocale(QLocale::c()), FormatSettings());
    EXPECT_EQ(dateTimeText(sample, LocaleFormatSettings::fromLocale(QLocale::c())),
              u"12/7/26 3:04:05 pm"_s);
}

TEST(LocaleFormatSettings, unitedStates_gives12HourClockAndMonthFirst) {
    const FormatSettings s = LocaleFormatSettings::fromLocale(QLocale(u"en_US"_s));
    EXPECT_EQ(s.shortDatePattern, u"m/d/yy"_s);
    EXPECT_EQ(s.dateSeparator, u'/');
    EXPECT_EQ(s.timeSeparator, u':');
    EXPECT_FALSE(s.twentyFourHourClock);
    EXPECT_FALSE(s.hourLeadingZero);
    EXPECT_FALSE(s.markerBeforeTime);
    EXPECT_EQ(s.afternoonSymbol, u"PM"_s);
    EXPECT_EQ(dateTimeText(sample, s), u"12/7/26 3:04:05 PM"_s);
}

TEST(LocaleFormatSettings, germany_gives24HourClockDotsAndDecimalComma) {
    const FormatSettings s = LocaleFormatSettings::fromLocale(QLocale(u"de_DE"_s));
    EXPECT_EQ(s.shortDatePattern, u"dd.mm.yy"_s);
    EXPECT_EQ(s.dateSeparator, u'.');
    EXPECT_TRUE(s.twentyFourHourClock);
    EXPECT_TRUE(s.hourLeadingZero);
    EXPECT_EQ(s.decimalSeparator, u',');
    EXPECT_EQ(s.longMonthNames[0], u"Januar"_s);
    EXPECT_EQ(s.longDayNames[0], u"Sonntag"_s);
    EXPECT_EQ(dateTimeText({2026, 12, 7, 3, 4, 5, 0}, s), u"07.12.26 03:04:05"_s);
}

TEST(LocaleFormatSettings, realLocales_giveTheirOwnDateAndTime) {
    const std::pair<QString, QString> cases[] = {
        {u"fi_FI"_s, u"7.12.2026 15.04.05"_s},              // time separator "."
        {u"ko_KR"_s, u"26. 12. 7. \uc624\ud6c4 3:04:05"_s}, // marker before the time
        {u"hu_HU"_s, u"2026. 12. 07. 15:04:05"_s},
        {u"bg_BG"_s, u"7.12.26 \u0433. 15:04:05"_s}, // quoted text in the date
        {u"sv_SE"_s, u"2026-12-07 15:04:05"_s},
        {u"en_GB"_s, u"07/12/2026 15:04:05"_s}};
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(dateTimeText(sample, LocaleFormatSettings::fromLocale(QLocale(name))), expected)
            << name.toStdString();
}

TEST(LocaleFormatSettings, separatorOfTwoCharacters_fallsBack) {
    LocaleItems items = englishItems();
    items.shortDateFormat = u"yy. M. d."_s;
    items.shortTimeFormat = u"H .mm"_s;
    const FormatSettings s = LocaleFormatSettings::fromItems(items);
    EXPECT_EQ(s.dateSeparator, u'/');
    EXPECT_EQ(s.timeSeparator, u':');
    EXPECT_EQ(s.shortDatePattern, u"yy. m. d."_s);
}

TEST(LocaleFormatSettings, decimalSeparator_mustBeOneCharacter) {
    LocaleItems items = englishItems();
    for (const QString& point : {u",,"_s, u""_s, u"\U0001D7CE"_s}) {
        items.decimalPoint = point;
        EXPECT_EQ(LocaleFormatSettings::fromItems(items).decimalSeparator, u'.')
            << point.toStdString();
    }
    items.decimalPoint = u"\u066b"_s;
    EXPECT_EQ(LocaleFormatSettings::fromItems(items).decimalSeparator, u'\u066b');
}

TEST(LocaleFormatSettings, missingTexts_fallBackOneByOne) {
    LocaleItems items = englishItems();
    items.amText.clear();
    items.pmText = u"nachm."_s;
    items.longMonthNames[4].clear();
    items.longMonthNames[5] = u"Juni"_s;
    items.shortDayNames[0].clear();
    const FormatSettings s = LocaleFormatSettings::fromItems(items);
    EXPECT_EQ(s.morningSymbol, u"am"_s);
    EXPECT_EQ(s.afternoonSymbol, u"nachm."_s);
    EXPECT_EQ(s.longMonthNames[4], u"May"_s);
    EXPECT_EQ(s.longMonthNames[5], u"Juni"_s);
    EXPECT_EQ(s.shortDayNames[0], u"Sun"_s);
}

TEST(LocaleFormatSettings, unusableFormats_giveTheFallbacks) {
    LocaleItems items = englishItems();
    items.shortDateFormat.clear();
    items.shortTimeFormat = u"mm:ss"_s; // no hour: the clock items keep their fallbacks
    FormatSettings s = LocaleFormatSettings::fromItems(items);
    EXPECT_EQ(s.shortDatePattern, u"m/d/yy"_s);
    EXPECT_FALSE(s.twentyFourHourClock);

    items.shortDateFormat = u"d/M/yyyy '"_s + QString(300, u'x') + u"'"_s;
    EXPECT_EQ(LocaleFormatSettings::fromItems(items).shortDatePattern, u"m/d/yy"_s);
}

TEST(LocaleFormatSettings, qtFormats_translateToTheSameText) {
    struct Case {
        QString date, time, pattern, text;
    };
    const Case cases[] = {
        // letters and quotes of the locale's text are copied, never read as tokens
        {u"d 'de' MMM"_s, u"HH:mm"_s, u"d 'de' mmm"_s, u"7 de Dec"_s},
        {u"d 'o''clock' yy"_s, u"HH:mm"_s, u"d 'o'\"'\"'clock' yy"_s, u"7 o'clock 26"_s},
        {u"d \"M\""_s, u"HH:mm"_s, u"d '\"'m'\"'"_s, u"7 \"12\""_s},
        // a "/" that is not the date separator stays a "/"
        {u"yyyy-MM/dd"_s, u"HH:mm"_s, u"yyyy-mm'/'dd"_s, u"2026-12/07"_s},
        {u"d:M"_s, u"H.mm"_s, u"d':'m"_s, u"7:12"_s},
        // fields of one letter in a row stay apart
        {u"ddddd"_s, u"HH:mm"_s, u"dddd''d"_s, u"Monday7"_s},
        {u"yyy"_s, u"HH:mm"_s, u"yy'y'"_s, u"26y"_s},
        {u"dd.MM.yyyy t z"_s, u"HH:mm"_s, u"dd.mm.yyyy  "_s, u"07.12.2026  "_s}};
    for (const Case& c : cases) {
        LocaleItems items = englishItems();
        items.shortDateFormat = c.date;
        items.shortTimeFormat = c.time;
        const FormatSettings s = LocaleFormatSettings::fromItems(items);
        EXPECT_EQ(s.shortDatePattern, c.pattern) << c.date.toStdString();
        EXPECT_EQ(expandDateTimePattern(s.shortDatePattern, sample, s), c.text)
            << c.date.toStdString();
    }
}

TEST(LocaleFormatSettings, clockItems_comeFromTheTimeFormat) {
    struct Case {
        QString time;
        bool twentyFour, zero, before;
    };
    const Case cases[] = {{u"h:mm AP"_s, false, false, false},
                          {u"hh:mm a"_s, false, true, false},
                          {u"AP h:mm"_s, false, false, true},
                          {u"HH:mm"_s, true, true, false},
                          {u"H:mm"_s, true, false, false},
                          // Qt shows h as 24-hour without a marker, and H always
                          {u"h:mm"_s, true, false, false},
                          {u"HH:mm AP"_s, true, true, false}};
    for (const Case& c : cases) {
        LocaleItems items = englishItems();
        items.shortTimeFormat = c.time;
        const FormatSettings s = LocaleFormatSettings::fromItems(items);
        EXPECT_EQ(s.twentyFourHourClock, c.twentyFour) << c.time.toStdString();
        EXPECT_EQ(s.hourLeadingZero, c.zero) << c.time.toStdString();
        EXPECT_EQ(s.markerBeforeTime, c.before) << c.time.toStdString();
    }
}

TEST(LocaleFormatSettings, dayNames_areSundayFirst) {
    const LocaleItems items = LocaleItems::fromLocale(QLocale(u"en_US"_s));
    EXPECT_EQ(items.longDayNames[0], u"Sunday"_s);
    EXPECT_EQ(items.longDayNames[1], u"Monday"_s);
    EXPECT_EQ(items.shortDayNames[6], u"Sat"_s);
    EXPECT_EQ(items.longMonthNames[11], u"December"_s);
    EXPECT_FALSE(items.eastAsianLanguage);
    EXPECT_TRUE(LocaleItems::fromLocale(QLocale(u"ja_JP"_s)).eastAsianLanguage);
}

// The application's locale is read on every call, so a change shows in the next reading.

TEST(LocaleFormatSettings, changedLocale_showsInTheNextReading) {
    const DefaultLocaleGuard guard;
    const LocaleFormatSettings source;
    QLocale::setDefault(QLocale(u"en_US"_s));
    EXPECT_EQ(dateTimeText(sample, source.formatSettings()), u"12/7/26 3:04:05 PM"_s);
    QLocale::setDefault(QLocale(u"de_DE"_s));
    EXPECT_EQ(dateTimeText(sample, source.formatSettings()), u"07.12.26 15:04:05"_s);
    EXPECT_EQ(source.formatSettings().decimalSeparator, u',');
}

} // namespace
} // namespace quill
