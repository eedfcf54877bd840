#pragma once

#include "datetime/FormatSettings.h"
#include "datetime/LocalTime.h"

#include <QString>

namespace quill {

// Longest date and time text the commands produce.
inline constexpr qsizetype maxDateTimeTextLength = 256;

// Expands a date/time pattern for the time. Tokens are runs of one repeated letter, read
// without regard to case: d..dddd, m..mmmm (m and mm are minutes right after an hour token),
// y, yy, yyy.., h, hh, s, ss, g.. and e.. (era), the marker "ampm", and the separators "/" and
// ":". Text in ' or " is copied without the quotes; anything else is copied. Expansion stops
// once the text reaches the limit, so the result may pass it by at most one token.
QString expandDateTimePattern(QStringView pattern, const LocalTime& time,
                              const FormatSettings& settings,
                              qsizetype limit = maxDateTimeTextLength);

// The short date, then one blank and the long time unless the time is exactly 00:00:00
// (milliseconds aside), cut at maxDateTimeTextLength characters.
QString dateTimeText(const LocalTime& time, const FormatSettings& settings);

} // namespace quill
