#include "platform/interpreter/number_literal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using EE::NumericLiteral;
using EE::ParseNumericLiteral;

TEST(NumberLiteralTest, IntegersWithin32Bits) {
    const std::pair<std::string, int32_t> cases[] = {
        {"0", 0},
        {"42", 42},
        {" \t42 \t", 42},
        {"+5", 5},
        {"-5", -5},
        {"007", 7},
        {"-0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& [text, expected] : cases) {
        NumericLiteral literal;
        ASSERT_TRUE(ParseNumericLiteral(text, literal)) << text;
        EXPECT_TRUE(literal.isInteger) << text;
        EXPECT_EQ(literal.integer, expected) << text;
    }
}

TEST(NumberLiteralTest, RealsAndIntegersBeyond32Bits) {
    const std::pair<std::string, double> cases[] = {
        {"2147483648", 2147483648.0},
        {"-2147483649", -2147483649.0},
        {"1.5", 1.5},
        {".5", 0.5},
        {"5.", 5.0},
        {"-.5", -0.5},
        {"1e3", 1000.0},
        {"1E-2", 0.01},
        {"-1.5e+2", -150.0},
        {"0.1", 0.1},
        {" 3.0 ", 3.0},
        {"1e308", 1e308},
    };
    for (const auto& [text, expected] : cases) {
        NumericLiteral literal;
        ASSERT_TRUE(ParseNumericLiteral(text, literal)) << text;
        EXPECT_FALSE(literal.isInteger) << text;
        EXPECT_EQ(literal.real, expected) << text;  // exact: the conversion rounds correctly
    }
}

TEST(NumberLiteralTest, RejectsEverythingElseAndLeavesTheResultAlone) {
    const std::string cases[] = {
        "12abc",
        "1/2",
        "2024-01-05",
        "",
        " ",
        "\t",
        "inf",
        "nan",
        "-inf",
        "0x10",
        "1e",
        "1e+",
        "+",
        "-",
        ".",
        "+.",
        "e5",
        ".e5",
        "1.2.3",
        "1 2",
        "--1",
        "+-1",
        "1e999",
        "-1e999",
        "1e-400",
        std::string("1\0", 2),
        std::string("\0"
                    "1",
                    2),
        "1,5",
        "\n1",
    };
    for (const std::string& text : cases) {
        NumericLiteral literal{true, 99, 9.5};
        EXPECT_FALSE(ParseNumericLiteral(text, literal)) << '"' << text << '"';
        EXPECT_TRUE(literal.isInteger && literal.integer == 99 && literal.real == 9.5) << text;
    }
}

}  // namespace
