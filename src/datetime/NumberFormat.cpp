#include "datetime/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <string_view>

using namespace Qt::StringLiterals;

namespace quill {

namespace {

constexpr int significantDigits = 15;

} // namespace

QString generalNumberText(double value, QChar decimalSeparator) {
    if (std::isnan(value))
        return u"NAN"_s;
    if (std::isinf(value))
        return value < 0 ? u"-INF"_s : u"INF"_s;
    if (value == 0)
        return u"0"_s;

    // "d.dddddddddddddde+X": the rounded digits and the decimal exponent, independent of the
    // C library's locale.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, significantDigits - 1);
    const std::string_view text(buffer, std::size_t(result.ptr - buffer));
    const bool negative = text.front() == '-';
    const std::size_t ePos = text.find('e');
    QString digits;
    for (const char c : text.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0)))
        if (c != '.')
            digits += QLatin1Char(c);
    const std::string_view exponentText = text.substr(ePos + 2);
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    if (text[ePos + 1] == '-')
        exponent = -exponent;
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);

    QString out = negative ? u"-"_s : QString();
    if (exponent >= significantDigits || exponent < -5) {
        out += digits.front();
        if (digits.size() > 1)
            out += decimalSeparator + digits.mid(1);
        out += u'E' + QString::number(exponent);
        return out;
    }
    if (exponent < 0) {
        out += u'0';
        out += decimalSeparator;
        out += QString(-exponent - 1, u'0');
        out += digits;
        return out;
    }
    const qsizetype integerDigits = exponent + 1;
    if (digits.size() <= integerDigits)
        return out + digits + QString(integerDigits - digits.size(), u'0');
    return out + digits.left(integerDigits) + decimalSeparator + digits.mid(integerDigits);
}

} // namespace quill
