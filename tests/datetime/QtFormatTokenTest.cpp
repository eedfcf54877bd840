#include "datetime/QtFormatToken.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

// Tokens written back as "kind:count" or "[literal]", to compare whole lists at once.
QString describe(const QList<QtFormatToken>& tokens) {
    QString out;
    for (const QtFormatToken& token : tokens) {
        if (token.kind == QtFormatToken::Kind::Literal) {
            out += u'[' + token.text + u']';
            continue;
        }
        static const char16_t* const names[] = {u"",  u"d", u"M", u"y",  u"h", u"H",
                                                u"m", u"s", u"z", u"ap", u"t"};
        out += QString::fromUtf16(names[int(token.kind)]) + QString::number(token.count);
    }
    return out;
}

TEST(QtFormatToken, splitsFormatsTheWayQLocaleReadsThem) {
    const std::pair<QString, QString> cases[] = {
        {u"M/d/yy"_s, u"M1[/]d1[/]y2"_s},
        {u"dd.MM.yyyy"_s, u"d2[.]M2[.]y4"_s},
        {u"h:mm AP"_s, u"h1[:]m2[ ]ap2"_s},
        {u"AP h:mm"_s, u"ap2[ ]h1[:]m2"_s},
        {u"a HH:mm:ss.zzz t"_s, u"ap1[ ]H2[:]m2[:]s2[.]z3[ ]t1"_s},
        {u"ddddd"_s, u"d4d1"_s},
        {u"yyy"_s, u"y2[y]"_s},
        {u"y"_s, u"[y]"_s},
        {u"d.MM.yy 'г'."_s, u"d1[.]M2[.]y2[ г.]"_s},
        {u"h 'o''clock' ''"_s, u"h1[ o'clock ']"_s},
        {u"d 'open"_s, u"d1[ open]"_s},
        {u"B h"_s, u"[B ]h1"_s}};
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(describe(tokenizeQtFormat(format)), expected) << format.toStdString();
}

} // namespace
} // namespace quill
