#include "datetime/LocaleItems.h"

#include <QLocale>

namespace quill {

LocaleItems LocaleItems::fromLocale(const QLocale& locale) {
    LocaleItems items;
    items.shortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    items.shortTimeFormat = locale.timeFormat(QLocale::ShortFormat);
    items.decimalPoint = locale.decimalPoint();
    items.amText = locale.amText();
    items.pmText = locale.pmText();
    for (int month = 1; month <= 12; ++month) {
        items.shortMonthNames[std::size_t(month - 1)] =
            locale.monthName(month, QLocale::ShortFormat);
        items.longMonthNames[std::size_t(month - 1)] = locale.monthName(month, QLocale::LongFormat);
    }
    // Qt counts the days from Monday (1) to Sunday (7).
    for (int day = 1; day <= 7; ++day) {
        const std::size_t index = std::size_t(day % 7);
        items.shortDayNames[index] = locale.dayName(day, QLocale::ShortFormat);
        items.longDayNames[index] = locale.dayName(day, QLocale::LongFormat);
    }
    const QLocale::Language language = locale.language();
    items.eastAsianLanguage = language == QLocale::Chinese || language == QLocale::Japanese ||
                              language == QLocale::Korean;
    return items;
}

} // namespace quill
