#include "datetime/QtFormatToken.h"

namespace quill {

namespace {

void appendLiteral(QList<QtFormatToken>& tokens, QStringView text) {
    if (!tokens.isEmpty() && tokens.back().kind == QtFormatToken::Kind::Literal)
        tokens.back().text += text;
    else
        tokens.append({QtFormatToken::Kind::Literal, 0, text.toString()});
}

qsizetype runLength(QStringView format, qsizetype index) {
    qsizetype end = index + 1;
    while (end < format.size() && format[end] == format[index])
        ++end;
    return end - index;
}

} // namespace

QList<QtFormatToken> tokenizeQtFormat(QStringView format) {
    using Kind = QtFormatToken::Kind;
    QList<QtFormatToken> tokens;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            // '' is a quote character; otherwise text up to the next single quote.
            if (i + 1 < format.size() && format[i + 1] == u'\'') {
                appendLiteral(tokens, u"'");
                i += 2;
                continue;
            }
            QString text;
            qsizetype j = i + 1;
            while (j < format.size()) {
                if (format[j] == u'\'') {
                    if (j + 1 < format.size() && format[j + 1] == u'\'') {
                        text += u'\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += format[j++];
            }
            appendLiteral(tokens, text);
            i = j + 1;
            continue;
        }
        const qsizetype run = runLength(format, i);
        Kind kind = Kind::Literal;
        qsizetype count = 0;
        switch (c.unicode()) {
        case u'd':
            kind = Kind::Day;
            count = qMin<qsizetype>(run, 4);
            break;
        case u'M':
            kind = Kind::Month;
            count = qMin<qsizetype>(run, 4);
            break;
        case u'y':
            // Only yyyy and yy are fields; a single y is text.
            if (run >= 2) {
                kind = Kind::Year;
                count = run >= 4 ? 4 : 2;
            }
            break;
        case u'h':
        case u'H':
        case u'm':
        case u's':
            kind = c == u'h'   ? Kind::Hour
                   : c == u'H' ? Kind::Hour24
                   : c == u'm' ? Kind::Minute
                               : Kind::Second;
            count = qMin<qsizetype>(run, 2);
            break;
        case u'z':
            kind = Kind::Millisecond;
            count = run >= 3 ? 3 : 1;
            break;
        case u'a':
        case u'A':
            kind = Kind::AmPm;
            count =
                i + 1 < format.size() && (format[i + 1] == u'p' || format[i + 1] == u'P') ? 2 : 1;
            break;
        case u't':
            kind = Kind::TimeZone;
            count = 1;
            break;
        default:
            break;
        }
        if (kind == Kind::Literal) {
            appendLiteral(tokens, format.mid(i, 1));
            ++i;
            continue;
        }
        tokens.append({kind, int(count), QString()});
        i += count;
    }
    return tokens;
}

} // namespace quill
