#include "datetime/FormatSettings.h"

using namespace Qt::StringLiterals;

namespace quill {

const QString& FormatSettings::fallbackShortDatePattern() {
    static const QString pattern = u"m/d/yy"_s;
    return pattern;
}

const FormatSettings::MonthNames& FormatSettings::englishShortMonthNames() {
    static const MonthNames names{u"Jan"_s, u"Feb"_s, u"Mar"_s, u"Apr"_s, u"May"_s, u"Jun"_s,
                                  u"Jul"_s, u"Aug"_s, u"Sep"_s, u"Oct"_s, u"Nov"_s, u"Dec"_s};
    return names;
}

const FormatSettings::MonthNames& FormatSettings::englishLongMonthNames() {
    static const MonthNames names{u"January"_s,   u"February"_s, u"March"_s,    u"April"_s,
                                  u"May"_s,       u"June"_s,     u"July"_s,     u"August"_s,
                                  u"September"_s, u"October"_s,  u"November"_s, u"December"_s};
    return names;
}

const FormatSettings::DayNames& FormatSettings::englishShortDayNames() {
    static const DayNames names{u"Sun"_s, u"Mon"_s, u"Tue"_s, u"Wed"_s,
                                u"Thu"_s, u"Fri"_s, u"Sat"_s};
    return names;
}

const FormatSettings::DayNames& FormatSettings::englishLongDayNames() {
    static const DayNames names{u"Sunday"_s,   u"Monday"_s, u"Tuesday"_s, u"Wednesday"_s,
                                u"Thursday"_s, u"Friday"_s, u"Saturday"_s};
    return names;
}

QString FormatSettings::longTimePattern() const {
    QString pattern = hourLeadingZero ? u"hh"_s : u"h"_s;
    pattern += u":mm:ss"_s;
    if (!twentyFourHourClock)
        pattern = markerBeforeTime ? u"AMPM "_s + pattern : pattern + u" AMPM"_s;
    return pattern;
}

namespace {

bool isQuote(QChar c) {
    return c == u'\'' || c == u'"';
}

// Length of the run of c starting at index, ignoring letter case.
qsizetype caselessRun(QStringView text, qsizetype index) {
    const QChar c = text[index].toLower();
    qsizetype end = index;
    while (end < text.size() && text[end].toLower() == c)
        ++end;
    return end - index;
}

QString eraYearPattern(QStringView pattern) {
    QString result;
    result.reserve(pattern.size() + 8);
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (isQuote(c)) {
            const qsizetype close = pattern.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close + 1;
            result += pattern.mid(i, end - i);
            i = end;
            continue;
        }
        const QChar lower = c.toLower();
        if (lower != u'g' && lower != u'y') {
            result += c;
            ++i;
            continue;
        }
        // Runs are taken greedily, longest replacement first, the way the pattern is read.
        qsizetype run = caselessRun(pattern, i);
        const qsizetype start = i;
        i += run;
        if (lower == u'g') {
            for (; run >= 2; run -= 2)
                result += u"ggg"_s;
            if (run == 1)
                result += pattern[start];
            continue;
        }
        for (; run >= 4; run -= 4)
            result += u"eeee"_s;
        for (; run >= 2; run -= 2)
            result += u"ee"_s;
        if (run == 1)
            result += u'e';
    }
    return result;
}

QString withoutEraTokens(QStringView pattern) {
    QString result;
    result.reserve(pattern.size());
    QChar openQuote;
    for (const QChar c : pattern) {
        if (openQuote.isNull()) {
            if (isQuote(c))
                openQuote = c;
            else if (c == u'g' || c == u'G')
                continue;
        } else if (c == openQuote) {
            openQuote = QChar();
        }
        result += c;
    }
    return result;
}

} // namespace

QString adjustShortDatePattern(QStringView pattern, int calendarType, bool eastAsianLanguage) {
    switch (calendarType) {
    case int(CalendarType::JapaneseEra):
    case int(CalendarType::TaiwanEra):
    case int(CalendarType::KoreanEra):
        return eraYearPattern(pattern);
    default:
        return eastAsianLanguage ? withoutEraTokens(pattern) : pattern.toString();
    }
}

} // namespace quill
