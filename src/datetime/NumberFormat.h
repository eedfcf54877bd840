#pragma once

#include <QChar>
#include <QString>

namespace quill {

// The general decimal form of a number: rounded to 15 significant digits, trailing zeros of
// the fraction and a bare decimal separator dropped, no thousands separators. Plain decimals
// from 0.00001 up to 15 integer digits; outside that range mantissa and exponent ("1.5E-6").
QString generalNumberText(double value, QChar decimalSeparator);

} // namespace quill
