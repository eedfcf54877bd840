#include "datetime/DateTimeFormat.h"

#include "datetime/DateTimeValue.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace quill {

namespace {

enum class TokenKind {
    Day,
    Month,
    Year,
    Hour,
    Second,
    Era,
    EraYear,
    Marker,
    DateSep,
    TimeSep,
    Text
};

struct Token {
    TokenKind kind;
    qsizetype count = 0; // run length of a letter token
    QStringView text;    // copied text of a Text token
    bool letter = false; // counts as the previous letter token for the minutes rule
};

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool startsMarker(QStringView pattern, qsizetype index) {
    return pattern.mid(index, 4).compare(u"ampm", Qt::CaseInsensitive) == 0;
}

std::vector<Token> tokenize(QStringView pattern) {
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype close = pattern.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            tokens.push_back({TokenKind::Text, 0, pattern.mid(i + 1, end - i - 1), false});
            i = close < 0 ? end : end + 1;
            continue;
        }
        if (startsMarker(pattern, i)) {
            tokens.push_back({TokenKind::Marker, 4, {}, true});
            i += 4;
            continue;
        }
        if (c == u'/' || c == u':') {
            tokens.push_back({c == u'/' ? TokenKind::DateSep : TokenKind::TimeSep, 1, {}, false});
            ++i;
            continue;
        }
        TokenKind kind = TokenKind::Text;
        switch (c.toLower().unicode()) {
        case u'd':
            kind = TokenKind::Day;
            break;
        case u'm':
            kind = TokenKind::Month;
            break;
        case u'y':
            kind = TokenKind::Year;
            break;
        case u'h':
            kind = TokenKind::Hour;
            break;
        case u's':
            kind = TokenKind::Second;
            break;
        case u'g':
            kind = TokenKind::Era;
            break;
        case u'e':
            kind = TokenKind::EraYear;
            break;
        default:
            // Any other character is copied as it stands, one at a time.
            tokens.push_back({TokenKind::Text, 1, pattern.mid(i, 1), isAsciiLetter(c)});
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < pattern.size() && pattern[end] == c)
            ++end;
        tokens.push_back({kind, end - i, {}, true});
        i = end;
    }
    return tokens;
}

// For every hour token, whether it shows the 12-hour form: a marker follows it before the
// next hour token, or a marker came anywhere before it.
std::vector<bool> twelveHourTokens(const std::vector<Token>& tokens) {
    std::vector<bool> twelve(tokens.size(), false);
    bool markerAhead = false;
    for (std::size_t i = tokens.size(); i-- > 0;) {
        if (tokens[i].kind == TokenKind::Marker) {
            markerAhead = true;
        } else if (tokens[i].kind == TokenKind::Hour) {
            twelve[i] = markerAhead;
            markerAhead = false;
        }
    }
    bool markerBehind = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == TokenKind::Marker)
            markerBehind = true;
        else if (tokens[i].kind == TokenKind::Hour && markerBehind)
            twelve[i] = true;
    }
    return twelve;
}

QString number(qint64 value, int digits) {
    QString text = QString::number(value < 0 ? -value : value);
    if (text.size() < digits)
        text.prepend(QString(digits - text.size(), u'0'));
    return value < 0 ? u'-' + text : text;
}

// Year, last two digits, always two of them.
QString shortYear(int year) {
    const int lastTwo = ((year % 100) + 100) % 100;
    return number(lastTwo, 2);
}

QString nameAt(const auto& names, qint64 index) {
    return index >= 0 && index < qint64(names.size()) ? names[std::size_t(index)] : QString();
}

class Expander {
public:
    Expander(const LocalTime& time, const FormatSettings& settings)
        : time_(time), settings_(settings),
          weekday_(weekdayOfDayNumber(dayNumber(time.year, time.month, time.day))) {}

    QString expand(QStringView pattern, qsizetype limit) const {
        const std::vector<Token> tokens = tokenize(pattern);
        const std::vector<bool> twelve = twelveHourTokens(tokens);
        QString out;
        bool previousWasHour = false;
        for (std::size_t i = 0; i < tokens.size() && out.size() < limit; ++i) {
            const Token& token = tokens[i];
            append(out, token, previousWasHour, twelve[i]);
            if (token.letter)
                previousWasHour = token.kind == TokenKind::Hour;
        }
        return out;
    }

private:
    void append(QString& out, const Token& token, bool afterHour, bool twelveHour) const {
        switch (token.kind) {
        case TokenKind::Day:
            if (token.count <= 2)
                out += number(time_.day, int(token.count));
            else
                out += nameAt(token.count == 3 ? settings_.shortDayNames : settings_.longDayNames,
                              weekday_);
            return;
        case TokenKind::Month:
            if (token.count <= 2)
                out += number(afterHour ? time_.minute : time_.month, int(token.count));
            else
                out +=
                    nameAt(token.count == 3 ? settings_.shortMonthNames : settings_.longMonthNames,
                           qint64(time_.month) - 1);
            return;
        case TokenKind::Year:
        case TokenKind::EraYear:
            // Without an era calendar the era is the common one, whose years are the
            // calendar's own.
            out += token.count <= 2 ? shortYear(time_.year) : number(time_.year, 4);
            return;
        case TokenKind::Era:
            // No era calendar on this platform: the era name is empty.
            return;
        case TokenKind::Hour: {
            int hour = time_.hour;
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += number(hour, token.count >= 2 ? 2 : 1);
            return;
        }
        case TokenKind::Second:
            out += number(time_.second, token.count >= 2 ? 2 : 1);
            return;
        case TokenKind::Marker:
            out += time_.hour < 12 ? settings_.morningSymbol : settings_.afternoonSymbol;
            return;
        case TokenKind::DateSep:
            out += settings_.dateSeparator;
            return;
        case TokenKind::TimeSep:
            out += settings_.timeSeparator;
            return;
        case TokenKind::Text:
            out += token.text;
            return;
        }
    }

    const LocalTime& time_;
    const FormatSettings& settings_;
    int weekday_;
};

// Cuts the text to the limit without splitting a surrogate pair.
void cut(QString& text, qsizetype limit) {
    if (text.size() <= limit)
        return;
    qsizetype end = limit;
    if (end > 0 && text[end - 1].isHighSurrogate() && text[end].isLowSurrogate())
        --end;
    text.truncate(end);
}

} // namespace

QString expandDateTimePattern(QStringView pattern, const LocalTime& time,
                              const FormatSettings& settings, qsizetype limit) {
    return Expander(time, settings).expand(pattern, limit);
}

QString dateTimeText(const LocalTime& time, const FormatSettings& settings) {
    const Expander expander(time, settings);
    QString text = expander.expand(settings.shortDatePattern, maxDateTimeTextLength);
    if (text.size() < maxDateTimeTextLength &&
        (time.hour != 0 || time.minute != 0 || time.second != 0)) {
        text += u' ';
        text += expander.expand(settings.longTimePattern(), maxDateTimeTextLength - text.size());
    }
    cut(text, maxDateTimeTextLength);
    return text;
}

} // namespace quill
