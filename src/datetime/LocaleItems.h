#pragma once

#include "datetime/FormatSettings.h"

#include <QString>

class QLocale;

namespace quill {

// What a locale offers towards the format settings, as the locale gives it: formats in Qt's
// notation, texts that may be empty when the locale has none.
struct LocaleItems {
    QString shortDateFormat;
    QString shortTimeFormat;
    QString decimalPoint;
    QString amText;
    QString pmText;
    FormatSettings::MonthNames shortMonthNames;
    FormatSettings::MonthNames longMonthNames;
    FormatSettings::DayNames shortDayNames; // Sunday first
    FormatSettings::DayNames longDayNames;
    bool eastAsianLanguage = false; // Chinese, Japanese or Korean

    static LocaleItems fromLocale(const QLocale& locale);
};

} // namespace quill
