// Numbers and text: formatting and reading.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>

#include "base/text_number.h"

namespace qinghe {
namespace {

TEST(NumberToTextTest, WholeNumbers) {
    EXPECT_EQ(number_to_text(-7), "-7");
    EXPECT_EQ(number_to_text(0), "0");
    EXPECT_EQ(number_to_text(INT_MIN), "-2147483648");
}

TEST(NumberToTextTest, RealsAsThirteenSignificantDigits) {
    const std::vector<std::pair<double, std::string>> cases = {
        {9.0, "9"},
        {0.5, "0.5"},
        {-0.25, "-0.25"},
        {1.0 / 3, "0.3333333333333"},
        {2.0 / 3, "0.6666666666667"},
        {123456789012.0, "123456789012"},
        {1234567890123.0, "1234567890123"},
        {12345678901234.0, "1.234567890123e+13"},
        {1e20, "1e+20"},
        {0.0001, "0.0001"},
        {0.00001, "1e-05"},
        {0.1 + 0.2, "0.3"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(number_to_text(value), text) << value;
}

TEST(NumberToTextTest, WritesWhatPrintfWritesForPercentPoint13g) {
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 2000; ++i) {
        double x = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 3 == 0) x = std::round(x);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.13g", x);
        ASSERT_EQ(number_to_text(x), expected) << x;
    }
}

TEST(NumberToTextTest, IgnoresTheProcessLocale) {
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8", "de_DE"})
        if ((chosen = std::setlocale(LC_NUMERIC, name)) != nullptr) break;
    if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(number_to_text(0.5), "0.5");
    EXPECT_DOUBLE_EQ(text_to_number("2.5"), 2.5);
    std::setlocale(LC_NUMERIC, "C");
}

struct NumberCase {
    std::string text;
    double expected;
};

class TextToNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(TextToNumberTest, ReadsALeadingCDecimal) {
    EXPECT_DOUBLE_EQ(text_to_number(GetParam().text), GetParam().expected)
        << testing::PrintToString(GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextToNumberTest,
    ::testing::Values(NumberCase{"\xA3\xB1\xA3\xB2", 12},                    // １２
                      NumberCase{" 3 \xD2\xB3", 3},                          // " 3 页"
                      NumberCase{"\xB9\xB2", 0},                             // 共
                      NumberCase{"\xA3\xAD\xA3\xB3\xA3\xAE\xA3\xB5", -3.5},  // －３．５
                      NumberCase{"\xA1\xA1"
                                 "7",
                                 7},  // full-width space first
                      NumberCase{"1.5e3x", 1500}, NumberCase{"1e", 1}, NumberCase{"2E-1", 0.2},
                      NumberCase{"1e+", 1}, NumberCase{".5", 0.5}, NumberCase{"-.5", -0.5},
                      NumberCase{"5.", 5}, NumberCase{".", 0}, NumberCase{"-", 0},
                      NumberCase{"+7", 7}, NumberCase{"\t\r\n 8", 8}, NumberCase{"1,5", 1},
                      NumberCase{"", 0}, NumberCase{"59.00", 59}, NumberCase{"- 1", 0},
                      // Not decimal numbers: hex, infinity and NaN spellings.
                      NumberCase{"0x10", 0}, NumberCase{"inf", 0}, NumberCase{"nan", 0},
                      NumberCase{"-INFINITY", 0}));

TEST(TextToNumberTest, OutOfRangeReadsAsCDoes) {
    EXPECT_EQ(text_to_number("1e400"), HUGE_VAL);
    EXPECT_EQ(text_to_number("-1e400"), -HUGE_VAL);
    EXPECT_EQ(text_to_number("1e-400"), 0);
}

struct IntCase {
    std::string text;
    int expected;
};

class TextToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(TextToIntTest, ReadsSignAndDigits) {
    EXPECT_EQ(text_to_int(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextToIntTest,
    ::testing::Values(IntCase{"65", 65}, IntCase{"65abc", 65}, IntCase{"abc", 0}, IntCase{"", 0},
                      IntCase{"-12", -12}, IntCase{"+3", 3}, IntCase{"3.9", 3}, IntCase{"1e3", 1},
                      IntCase{" 7", 7}, IntCase{"- 7", 0}, IntCase{"\xA3\xB6\xA3\xB5", 65},
                      IntCase{"2147483647", INT_MAX}, IntCase{"2147483648", INT_MAX},
                      IntCase{"99999999999999999999", INT_MAX}, IntCase{"-2147483648", INT_MIN},
                      IntCase{"-99999999999999999999", INT_MIN}, IntCase{"000123", 123}));

}  // namespace
}  // namespace qinghe
