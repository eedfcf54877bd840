#include "exchange/TextPosition.h"

#include "exchange/OneColumnFailure.h"

using namespace Qt::StringLiterals;

namespace quill {

void failAt(QByteArrayView text, qsizetype offset, const QString& reason) {
    qint64 line = 1;
    qint64 column = 1;
    for (qsizetype i = 0; i < offset && i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++line;
            column = 1;
        } else if (c != '\r' && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++column;
        }
    }
    // A continuation byte at the offset itself belongs to the character before it.
    failAt(line, column, reason);
}

void failAt(qint64 line, qint64 column, const QString& reason) {
    throw Failure(u"line %1, column %2: %3"_s.arg(line).arg(column).arg(reason));
}

void requireUtf8(QByteArrayView text) {
    if (text.isValidUtf8())
        return;
    for (qsizetype i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (i + length > text.size() || !text.sliced(i, length).isValidUtf8())
            failAt(text, i, u"the text is not UTF-8"_s);
        i += length;
    }
}

void failOneColumn(char separator) {
    const QString name = separator == '\t' ? u"tab"_s : u"\"%1\""_s.arg(QLatin1Char(separator));
    throw OneColumnFailure(u"no line holds a second field (the separator is %1)"_s.arg(name));
}

void refuseUnwritablePairs(const char* format, qsizetype first, qsizetype count,
                           const QString& why) {
    if (count == 0)
        return;
    throw Failure(u"%1 cannot hold the pair on line %2 of Phrase.log and Mean.log (%3); %4, "
                  u"nothing written"_s.arg(QLatin1StringView(format))
                      .arg(first + 1)
                      .arg(why)
                      .arg(count == 1 ? u"1 such pair"_s : u"%1 such pairs"_s.arg(count)));
}

} // namespace quill
