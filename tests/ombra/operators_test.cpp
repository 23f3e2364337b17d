#include "ombra/operators.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace Ombra {
namespace {

constexpr int32_t kMin = INT32_MIN;
constexpr int32_t kMax = INT32_MAX;

ScriptValue I(int32_t value) {
    return value;
}
ScriptValue R(double value) {
    return value;
}
ScriptValue S(const char* value) {
    return std::string(value);
}

ScriptValue Apply(BinaryOp op, const ScriptValue& left, const ScriptValue& right) {
    ScriptValue result;
    std::string error;
    EXPECT_TRUE(ApplyBinary(op, left, right, result, error)) << error;
    return result;
}

std::string ErrorOf(BinaryOp op, const ScriptValue& left, const ScriptValue& right) {
    ScriptValue result = S("untouched");
    std::string error;
    EXPECT_FALSE(ApplyBinary(op, left, right, result, error));
    EXPECT_EQ(result, S("untouched"));
    return error;
}

TEST(OperatorsTest, IntegerArithmeticOverflowsIntoReals) {
    using B = BinaryOp;
    EXPECT_EQ(Apply(B::Add, I(2), I(3)), I(5));
    EXPECT_EQ(Apply(B::Add, I(kMax), I(1)), R(2147483648.0));
    EXPECT_EQ(Apply(B::Subtract, I(kMin), I(1)), R(-2147483649.0));
    EXPECT_EQ(Apply(B::Subtract, I(kMin + 1), I(1)), I(kMin));
    EXPECT_EQ(Apply(B::Multiply, I(65536), I(65536)), R(4294967296.0));
    EXPECT_EQ(Apply(B::Multiply, I(-65536), I(32768)), I(kMin));
    EXPECT_EQ(Apply(B::Add, I(1), R(0.5)), R(1.5));
    EXPECT_EQ(Apply(B::Divide, I(7), I(2)), R(3.5));
    EXPECT_EQ(Apply(B::Divide, I(6), I(3)), R(2.0));  // '/' always gives a real
}

TEST(OperatorsTest, ModTakesTheSignOfTheDivisor) {
    using B = BinaryOp;
    EXPECT_EQ(Apply(B::Modulo, I(7), I(3)), I(1));
    EXPECT_EQ(Apply(B::Modulo, I(-7), I(3)), I(2));
    EXPECT_EQ(Apply(B::Modulo, I(7), I(-3)), I(-2));
    EXPECT_EQ(Apply(B::Modulo, I(-6), I(3)), I(0));
    EXPECT_EQ(Apply(B::Modulo, I(kMin), I(-1)), I(0));
    EXPECT_EQ(Apply(B::Modulo, R(-7.5), I(2)), R(0.5));
    EXPECT_EQ(Apply(B::Modulo, R(7.5), R(-2)), R(-0.5));
}

TEST(OperatorsTest, PowerIsIntegerOnlyWhenExactAndWithin32Bits) {
    using B = BinaryOp;
    EXPECT_EQ(Apply(B::Power, I(2), I(10)), I(1024));
    EXPECT_EQ(Apply(B::Power, I(2), I(31)), R(2147483648.0));
    EXPECT_EQ(Apply(B::Power, I(-2), I(31)), I(kMin));
    EXPECT_EQ(Apply(B::Power, I(0), I(0)), I(1));
    EXPECT_EQ(Apply(B::Power, I(-1), I(kMax)), I(-1));
    EXPECT_EQ(Apply(B::Power, I(1), I(kMax)), I(1));
    EXPECT_EQ(Apply(B::Power, I(2), I(-1)), R(0.5));
    EXPECT_EQ(Apply(B::Power, R(4), R(0.5)), R(2.0));
    EXPECT_EQ(Apply(B::Power, I(10), I(100)), R(1e100));
}

TEST(OperatorsTest, ArithmeticFaults) {
    using B = BinaryOp;
    EXPECT_EQ(ErrorOf(B::Divide, I(1), I(0)), "division by zero");
    EXPECT_EQ(ErrorOf(B::Divide, R(1), R(0)), "division by zero");
    EXPECT_EQ(ErrorOf(B::Modulo, I(1), I(0)), "MOD by zero");
    EXPECT_EQ(ErrorOf(B::Modulo, R(1.5), R(0)), "MOD by zero");
    EXPECT_EQ(ErrorOf(B::Power, I(0), I(-1)), "the result of '^' is not a finite number");
    EXPECT_EQ(ErrorOf(B::Power, I(-8), R(0.5)), "the result of '^' is not a finite number");
    EXPECT_EQ(ErrorOf(B::Multiply, R(1e308), I(10)), "the result of '*' is not a finite number");
    EXPECT_EQ(ErrorOf(B::Power, I(10), I(400)), "the result of '^' is not a finite number");
}

TEST(OperatorsTest, StringsJoinButDoNotMixWithNumbers) {
    using B = BinaryOp;
    EXPECT_EQ(Apply(B::Add, S("ab"), S("cé")), S("abcé"));
    EXPECT_EQ(ErrorOf(B::Add, S("a"), I(1)),
              "'+' needs two numbers or two strings, not string and integer");
    EXPECT_EQ(ErrorOf(B::Subtract, S("a"), S("b")), "'-' needs numbers, not string and string");
    EXPECT_EQ(ErrorOf(B::Modulo, R(1), S("b")), "'MOD' needs numbers, not real and string");
    EXPECT_EQ(ErrorOf(B::Less, S("a"), I(1)),
              "'<' needs two numbers or two strings, not string and integer");
    EXPECT_EQ(ErrorOf(B::And, S("a"), I(1)), "an operand of AND must be a number, not a string");
}

TEST(OperatorsTest, ComparisonsGiveOneOrZero) {
    using B = BinaryOp;
    EXPECT_EQ(Apply(B::Equal, I(2), R(2.0)), I(1));
    EXPECT_EQ(Apply(B::NotEqual, I(2), R(2.0)), I(0));
    EXPECT_EQ(Apply(B::Less, I(1), R(1.5)), I(1));
    EXPECT_EQ(Apply(B::GreaterEqual, I(kMax), R(2147483647.5)), I(0));
    EXPECT_EQ(Apply(B::LessEqual, S("a"), S("a")), I(1));
    EXPECT_EQ(Apply(B::Greater, S("b"), S("abc")), I(1));
    EXPECT_EQ(Apply(B::Greater, S("é"), S("z")), I(1));  // by code point, not as signed bytes
    EXPECT_EQ(Apply(B::Less, S("Z"), S("a")), I(1));
    EXPECT_EQ(Apply(B::And, I(2), R(0.5)), I(1));
    EXPECT_EQ(Apply(B::And, I(2), I(0)), I(0));
    EXPECT_EQ(Apply(B::Or, I(0), R(-0.0)), I(0));
}

TEST(OperatorsTest, UnaryOperators) {
    ScriptValue result;
    std::string error;
    ASSERT_TRUE(ApplyUnary(UnaryOp::Negate, I(kMin), result, error));
    EXPECT_EQ(result, R(2147483648.0));
    ASSERT_TRUE(ApplyUnary(UnaryOp::Negate, I(kMax), result, error));
    EXPECT_EQ(result, I(-kMax));
    ASSERT_TRUE(ApplyUnary(UnaryOp::Not, R(0.0), result, error));
    EXPECT_EQ(result, I(1));
    ASSERT_TRUE(ApplyUnary(UnaryOp::Not, R(2.5), result, error));
    EXPECT_EQ(result, I(0));
    EXPECT_FALSE(ApplyUnary(UnaryOp::Negate, S("a"), result, error));
    EXPECT_EQ(error, "unary '-' needs a number, not string");
    EXPECT_FALSE(ApplyUnary(UnaryOp::Not, S("a"), result, error));
    EXPECT_EQ(error, "NOT needs a number, not string");
}

}  // namespace
}  // namespace Ombra
