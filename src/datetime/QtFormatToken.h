#pragma once

#include <QList>
#include <QString>

namespace quill {

// One token of a date or time format in Qt's notation (QLocale::dateFormat and timeFormat):
// a field with its repeat count, or literal text with the quotes already resolved.
struct QtFormatToken {
    enum class Kind {
        Literal,
        Day,         // d dd ddd dddd
        Month,       // M MM MMM MMMM
        Year,        // yy yyyy
        Hour,        // h hh: 12-hour when the format shows AM/PM
        Hour24,      // H HH
        Minute,      // m mm
        Second,      // s ss
        Millisecond, // z zzz
        AmPm,        // AP A ap a
        TimeZone     // t
    };
    Kind kind = Kind::Literal;
    int count = 0;
    QString text; // Literal only
};

// Splits a Qt date/time format the way QLocale reads it. Adjacent literal text is merged.
QList<QtFormatToken> tokenizeQtFormat(QStringView format);

} // namespace quill
