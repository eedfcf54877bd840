#include "datetime/NumberFormat.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

struct NumberCase {
    double value;
    QChar separator;
    const char16_t* expected;
};

class NumberFormatTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberFormatTest, givesGeneralForm) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(generalNumberText(c.value, c.separator), QString::fromUtf16(c.expected)) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberFormatTest,
    ::testing::Values(NumberCase{46363.0, u'.', u"46363"}, NumberCase{46363.5, u'.', u"46363.5"},
                      NumberCase{46363.0 + 11045000.0 / 86400000.0, u'.', u"46363.1278356481"},
                      NumberCase{46363.0 + 11045000.0 / 86400000.0, u',', u"46363,1278356481"},
                      NumberCase{46363.0 + 500.0 / 86400000.0, u'.', u"46363.000005787"},
                      NumberCase{46363.0 + 86399999.0 / 86400000.0, u'.', u"46363.9999999884"},
                      // Rounding to 15 digits can carry into the integer part.
                      NumberCase{46363.99999999999, u'.', u"46364"}, NumberCase{0.0, u'.', u"0"},
                      NumberCase{-0.0, u'.', u"0"}, NumberCase{-0.75, u'.', u"-0.75"},
                      NumberCase{0.25, u'\u066B', u"0\u066B25"},
                      NumberCase{0.00001, u'.', u"0.00001"}, NumberCase{0.000001, u'.', u"1E-6"},
                      NumberCase{0.0000015, u',', u"1,5E-6"},
                      NumberCase{123456789012345.0, u'.', u"123456789012345"},
                      NumberCase{1234567890123456.0, u'.', u"1.23456789012346E15"},
                      NumberCase{1e100, u'.', u"1E100"},
                      NumberCase{2958465.99999999, u'.', u"2958465.99999999"},
                      NumberCase{std::numeric_limits<double>::infinity(), u'.', u"INF"},
                      NumberCase{-std::numeric_limits<double>::infinity(), u'.', u"-INF"},
                      NumberCase{std::numeric_limits<double>::quiet_NaN(), u'.', u"NAN"}));

} // namespace
} // namespace quill
