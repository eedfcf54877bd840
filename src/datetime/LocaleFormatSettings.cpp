#include "datetime/LocaleFormatSettings.h"

#include "datetime/QtFormatToken.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace quill {

namespace {

using Kind = QtFormatToken::Kind;

constexpr qsizetype maxShortDatePatternLength = 255;

bool isDateField(Kind kind) {
    return kind == Kind::Day || kind == Kind::Month || kind == Kind::Year;
}

bool isHour(Kind kind) {
    return kind == Kind::Hour || kind == Kind::Hour24;
}

// The literal text right after the first date field, when another field follows it.
QString dateSeparatorText(const QList<QtFormatToken>& tokens) {
    for (qsizetype i = 0; i + 2 < tokens.size(); ++i)
        if (isDateField(tokens[i].kind))
            return tokens[i + 1].kind == Kind::Literal ? tokens[i + 1].text : QString();
    return {};
}

QChar singleCharacter(const QString& text, QChar fallback) {
    return text.size() == 1 ? text.front() : fallback;
}

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Writes Qt literal text so that the date pattern copies it unchanged: letters and quote
// characters go in quotes; "/" and ":" stay separator tokens only where the separator
// setting shows the same character.
void appendLiteral(QString& pattern, const QString& text, QChar dateSeparator,
                   QChar timeSeparator) {
    QString quoted;
    const auto flush = [&] {
        if (!quoted.isEmpty())
            pattern += u'\'' + quoted + u'\'';
        quoted.clear();
    };
    for (const QChar c : text) {
        if (c == u'\'') {
            flush();
            pattern += u"\"'\""_s;
        } else if (c == u'"') {
            flush();
            pattern += u"'\"'"_s;
        } else if (isAsciiLetter(c) || (c == u'/' && dateSeparator != u'/') ||
                   (c == u':' && timeSeparator != u':')) {
            quoted += c;
        } else {
            flush();
            pattern += c;
        }
    }
    flush();
}

QString patternField(const QtFormatToken& token) {
    switch (token.kind) {
    case Kind::Day:
        return QString(token.count, u'd');
    case Kind::Month:
    case Kind::Minute:
        return QString(token.count, u'm');
    case Kind::Year:
        return QString(token.count, u'y');
    case Kind::Hour:
    case Kind::Hour24:
        return QString(token.count, u'h');
    case Kind::Second:
        return QString(token.count, u's');
    case Kind::AmPm:
        return u"ampm"_s;
    case Kind::Millisecond:
    case Kind::TimeZone:
    case Kind::Literal:
        break;
    }
    // Milliseconds and the time zone have no token; they are left out.
    return {};
}

QString translateQtFormat(const QList<QtFormatToken>& tokens, QChar dateSeparator,
                          QChar timeSeparator) {
    QString pattern;
    for (const QtFormatToken& token : tokens) {
        if (token.kind == Kind::Literal) {
            appendLiteral(pattern, token.text, dateSeparator, timeSeparator);
            continue;
        }
        const QString field = patternField(token);
        // Two fields of one letter in a row (Qt's "ddddd" is dddd and d) would read as one run.
        if (!field.isEmpty() && !pattern.isEmpty() && pattern.back() == field.front())
            pattern += u"''"_s;
        pattern += field;
    }
    return pattern;
}

QString textOr(const QString& text, const QString& fallback) {
    return text.isEmpty() ? fallback : text;
}

template <typename Names> Names namesOr(const Names& names, const Names& fallback) {
    Names result;
    for (std::size_t i = 0; i < names.size(); ++i)
        result[i] = textOr(names[i], fallback[i]);
    return result;
}

void applyTimeFormat(FormatSettings& settings, const QString& timeFormat) {
    const QList<QtFormatToken> tokens = tokenizeQtFormat(timeFormat);
    qsizetype hour = -1;
    qsizetype marker = -1;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (hour < 0 && isHour(tokens[i].kind))
            hour = i;
        if (marker < 0 && tokens[i].kind == Kind::AmPm)
            marker = i;
    }
    if (hour < 0)
        return;
    const QtFormatToken& hourToken = tokens[hour];
    settings.hourLeadingZero = hourToken.count >= 2;
    // Qt shows h in 12-hour form only when the format has a marker; H is always 24-hour.
    settings.twentyFourHourClock = hourToken.kind == Kind::Hour24 || marker < 0;
    settings.markerBeforeTime = marker >= 0 && marker < hour;
    if (hour + 2 < tokens.size() && tokens[hour + 1].kind == Kind::Literal &&
        tokens[hour + 2].kind == Kind::Minute)
        settings.timeSeparator = singleCharacter(tokens[hour + 1].text, settings.timeSeparator);
}

} // namespace

FormatSettings LocaleFormatSettings::formatSettings() const {
    return fromLocale(QLocale());
}

FormatSettings LocaleFormatSettings::fromLocale(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return FormatSettings();
    return fromItems(LocaleItems::fromLocale(locale));
}

FormatSettings LocaleFormatSettings::fromItems(const LocaleItems& items) {
    FormatSettings settings;
    applyTimeFormat(settings, items.shortTimeFormat);

    const QList<QtFormatToken> dateTokens = tokenizeQtFormat(items.shortDateFormat);
    settings.dateSeparator = singleCharacter(dateSeparatorText(dateTokens), settings.dateSeparator);
    const QString pattern =
        translateQtFormat(dateTokens, settings.dateSeparator, settings.timeSeparator);
    if (!pattern.isEmpty() && pattern.size() <= maxShortDatePatternLength) {
        // The platform has no era calendars, so the calendar is always the Gregorian one.
        settings.shortDatePattern =
            adjustShortDatePattern(pattern, int(CalendarType::Gregorian), items.eastAsianLanguage);
    }

    settings.morningSymbol = textOr(items.amText, settings.morningSymbol);
    settings.afternoonSymbol = textOr(items.pmText, settings.afternoonSymbol);
    settings.decimalSeparator = singleCharacter(items.decimalPoint, settings.decimalSeparator);
    settings.shortMonthNames = namesOr(items.shortMonthNames, settings.shortMonthNames);
    settings.longMonthNames = namesOr(items.longMonthNames, settings.longMonthNames);
    settings.shortDayNames = namesOr(items.shortDayNames, settings.shortDayNames);
    settings.longDayNames = namesOr(items.longDayNames, settings.longDayNames);
    return settings;
}

} // namespace quill
