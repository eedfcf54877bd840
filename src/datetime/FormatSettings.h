#pragma once

#include <QChar>
#include <QString>

#include <array>

namespace quill {

// The user's date, time and number conventions that the date and time commands use. Every
// member starts at its fallback, the value that stands when the locale offers nothing better.
struct FormatSettings {
    using MonthNames = std::array<QString, 12>;
    // Sunday first.
    using DayNames = std::array<QString, 7>;

    static const QString& fallbackShortDatePattern();
    static const MonthNames& englishShortMonthNames();
    static const MonthNames& englishLongMonthNames();
    static const DayNames& englishShortDayNames();
    static const DayNames& englishLongDayNames();

    QString shortDatePattern = fallbackShortDatePattern();
    QChar dateSeparator = u'/';
    QChar timeSeparator = u':';
    bool hourLeadingZero = false;
    bool twentyFourHourClock = false;
    bool markerBeforeTime = false;
    QString morningSymbol = QStringLiteral("am");
    QString afternoonSymbol = QStringLiteral("pm");
    QChar decimalSeparator = u'.';
    MonthNames shortMonthNames = englishShortMonthNames();
    MonthNames longMonthNames = englishLongMonthNames();
    DayNames shortDayNames = englishShortDayNames();
    DayNames longDayNames = englishLongDayNames();

    // "h" or "hh", then ":mm:ss"; with the 12-hour clock the marker token goes in front
    // ("AMPM ") or behind (" AMPM").
    QString longTimePattern() const;

    friend bool operator==(const FormatSettings&, const FormatSettings&) = default;
};

// Calendar kinds that matter for the short date pattern.
enum class CalendarType { Gregorian = 1, JapaneseEra = 3, TaiwanEra = 4, KoreanEra = 5 };

// The locale's short date pattern as the commands use it. With an era calendar the year
// tokens become era-year tokens (gg -> ggg, yyyy -> eeee, yy -> ee, y -> e); otherwise, for a
// Chinese, Japanese or Korean locale, the era tokens g and G are removed. Quoted text is kept.
QString adjustShortDatePattern(QStringView pattern, int calendarType, bool eastAsianLanguage);

} // namespace quill
