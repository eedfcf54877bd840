#include "core/CountConversion.h"

#include "core/Failure.h"

#include <optional>

namespace quill {

namespace {

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool isDecimalDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The hexadecimal digits as a 32-bit pattern; nothing when there are none, a character that is
// not a digit, or more than eight digits after the leading zeros.
std::optional<quint32> hexValue(QStringView digits) {
    if (digits.isEmpty())
        return std::nullopt;
    quint32 value = 0;
    int significant = 0;
    for (const QChar c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        if (significant > 0 || d != 0)
            ++significant;
        if (significant > 8)
            return std::nullopt;
        value = (value << 4) | quint32(d);
    }
    return value;
}

// The decimal magnitude, at most 2^31 so that the negative end of the range fits.
std::optional<quint32> decimalMagnitude(QStringView digits) {
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        if (!isDecimalDigit(c))
            return std::nullopt;
        value = value * 10 + quint64(c.unicode() - u'0');
        if (value > 0x80000000ull)
            return std::nullopt;
    }
    return quint32(value);
}

std::optional<qint32> parse(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    QStringView rest = text.mid(i);
    if (rest.startsWith(u'$') || rest.startsWith(u'x') || rest.startsWith(u'X')) {
        rest = rest.mid(1);
    } else if (rest.startsWith(u"0x") || rest.startsWith(u"0X")) {
        rest = rest.mid(2);
    } else {
        const std::optional<quint32> magnitude = decimalMagnitude(rest);
        if (!magnitude || (!negative && *magnitude > 0x7FFFFFFFu))
            return std::nullopt;
        return negative ? qint32(0u - *magnitude) : qint32(*magnitude);
    }
    const std::optional<quint32> bits = hexValue(rest);
    if (!bits)
        return std::nullopt;
    // Two's complement both ways: "-$80000000" stays the smallest value.
    return negative ? qint32(0u - *bits) : qint32(*bits);
}

} // namespace

qint32 convertCount(const QString& answer) {
    const std::optional<qint32> value = parse(answer);
    if (!value)
        throw Failure(QLatin1Char('\'') + answer +
                      QLatin1StringView("' is not a valid integer value"));
    return *value;
}

} // namespace quill
