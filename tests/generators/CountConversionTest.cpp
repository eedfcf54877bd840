#include "core/CountConversion.h"
#include "core/Failure.h"

#include <gtest/gtest.h>

#include <optional>

namespace quill {
using namespace Qt::StringLiterals;
namespace {

struct CountRow {
    const char16_t* answer;
    std::optional<qint32> value; // nothing: the conversion fails
};

void PrintTo(const CountRow& row, std::ostream* out) {
    *out << '"' << QString::fromUtf16(row.answer).toStdString() << '"';
}

class CountConversionTable : public ::testing::TestWithParam<CountRow> {};

TEST_P(CountConversionTable, convertsOrFailsWithTheAnswerQuoted) {
    const QString answer = QString::fromUtf16(GetParam().answer);
    if (GetParam().value) {
        EXPECT_EQ(convertCount(answer), *GetParam().value);
        return;
    }
    try {
        convertCount(answer);
        ADD_FAILURE() << "converted although it should fail";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.message(), u"'"_s + answer + u"' is not a valid integer value"_s);
    }
}

constexpr qint32 minInt = -2147483647 - 1;

const CountRow decimalRows[] = {
    {u"0", 0},
    {u"5", 5},
    {u"128", 128},
    {u"+7", 7},
    {u"-5", -5},
    {u"-0", 0},
    {u"012", 12},
    {u"0000000000000000000005", 5},
    {u" 5", 5},
    {u"    -5", -5},
    {u"2147483647", 2147483647},
    {u"-2147483648", minInt},
    {u"2147483648", std::nullopt},
    {u"-2147483649", std::nullopt},
    {u"99999999999999999999", std::nullopt},
    {u"4294967301", std::nullopt},
};

const CountRow hexRows[] = {
    {u"$A", 10},
    {u"$a", 10},
    {u"x10", 16},
    {u"X10", 16},
    {u"0x10", 16},
    {u"0X10", 16},
    {u"+0x1f", 31},
    {u"-x10", -16},
    {u" $ff", 255},
    {u"$7FFFFFFF", 2147483647},
    {u"$80000000", minInt},
    {u"$FFFFFFFF", -1},
    {u"-$FFFFFFFF", 1},
    {u"-$80000000", minInt},
    {u"$000000001", 1},
    {u"$00000000FFFFFFFF", -1},
    {u"$100000000", std::nullopt},
    {u"0x123456789", std::nullopt},
};

const CountRow malformedRows[] = {
    {u"", std::nullopt},        {u"   ", std::nullopt},
    {u"\t5", std::nullopt},     {u"5 ", std::nullopt},
    {u"5\t", std::nullopt},     {u"5x", std::nullopt},
    {u"--5", std::nullopt},     {u"+-5", std::nullopt},
    {u"-+5", std::nullopt},     {u"- 5", std::nullopt},
    {u"-", std::nullopt},       {u"+", std::nullopt},
    {u"$", std::nullopt},       {u"x", std::nullopt},
    {u"0x", std::nullopt},      {u"-0x", std::nullopt},
    {u"$G", std::nullopt},      {u"0xG", std::nullopt},
    {u"$ A", std::nullopt},     {u"$-1", std::nullopt},
    {u"00x10", std::nullopt},   {u"0A", std::nullopt},
    {u"1e3", std::nullopt},     {u"1.0", std::nullopt},
    {u"1,000", std::nullopt},   {u"0b1", std::nullopt},
    {u"\u0663", std::nullopt},  // ARABIC-INDIC DIGIT THREE
    {u"\uFF15", std::nullopt},  // FULLWIDTH DIGIT FIVE
    {u"\u00A05", std::nullopt}, // no-break space is not a blank here
};

INSTANTIATE_TEST_SUITE_P(Decimal, CountConversionTable, ::testing::ValuesIn(decimalRows));
INSTANTIATE_TEST_SUITE_P(Hexadecimal, CountConversionTable, ::testing::ValuesIn(hexRows));
INSTANTIATE_TEST_SUITE_P(Malformed, CountConversionTable, ::testing::ValuesIn(malformedRows));

TEST(CountConversion, embeddedNulAfterDigits_fails) {
    const QString answer = u"5"_s + QChar(0);
    EXPECT_THROW(convertCount(answer), Failure);
}

TEST(CountConversion, failureMessageKeepsLeadingAndTrailingBlanks) {
    try {
        convertCount(u"  5 "_s);
        FAIL();
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.message(), u"'  5 ' is not a valid integer value"_s);
    }
}

} // namespace
} // namespace quill
