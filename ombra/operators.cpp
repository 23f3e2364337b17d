#include "ombra/operators.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace Ombra {
namespace {

constexpr int64_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kIntMax = std::numeric_limits<int32_t>::max();

bool Fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

std::string Quoted(BinaryOp op) {
    return std::string("'") + OperatorSpelling(op) + "'";
}

std::string TypePair(const ScriptValue& left, const ScriptValue& right) {
    return std::string(TypeName(left)) + " and " + TypeName(right);
}

bool IsComparison(BinaryOp op) {
    return op >= BinaryOp::Equal && op <= BinaryOp::GreaterEqual;
}

// An exact integer result stays an integer when it fits in 32 bits and becomes a real otherwise.
ScriptValue FromWide(int64_t value) {
    if (value >= kIntMin && value <= kIntMax) return static_cast<int32_t>(value);
    return static_cast<double>(value);
}

bool FiniteReal(BinaryOp op, double value, ScriptValue& result, std::string& error) {
    if (!std::isfinite(value)) {
        return Fail(error, "the result of " + Quoted(op) + " is not a finite number");
    }
    result = value;
    return true;
}

// Raises an integer to a non-negative integer power; false when the result exceeds 32 bits.
bool IntegerPower(int64_t base, int32_t exponent, int64_t& result) {
    if (base == 0 || base == 1) {
        result = (exponent == 0) ? 1 : base;
        return true;
    }
    if (base == -1) {
        result = (exponent % 2 == 0) ? 1 : -1;
        return true;
    }
    result = 1;  // |base| >= 2, so at most 31 factors fit
    for (int32_t i = 0; i < exponent; ++i) {
        result *= base;
        if (result < kIntMin || result > kIntMax) return false;
    }
    return true;
}

// Floored remainder: the result takes the sign of the divisor.
template <typename Number>
Number FlooredRemainder(Number remainder, Number divisor) {
    bool signsDiffer = (remainder < 0) != (divisor < 0);
    return (remainder != 0 && signsDiffer) ? remainder + divisor : remainder;
}

bool IntegerArithmetic(BinaryOp op, int64_t a, int64_t b, ScriptValue& result, std::string& error) {
    int64_t power = 0;
    switch (op) {
        case BinaryOp::Add:
            result = FromWide(a + b);
            return true;
        case BinaryOp::Subtract:
            result = FromWide(a - b);
            return true;
        case BinaryOp::Multiply:
            result = FromWide(a * b);
            return true;
        case BinaryOp::Modulo:
            if (b == 0) return Fail(error, "MOD by zero");
            result = FromWide(FlooredRemainder(a % b, b));
            return true;
        default:  // Power
            if (b >= 0 && IntegerPower(a, static_cast<int32_t>(b), power)) {
                result = FromWide(power);
                return true;
            }
            return FiniteReal(op, std::pow(static_cast<double>(a), static_cast<double>(b)), result,
                              error);
    }
}

bool RealArithmetic(BinaryOp op, double a, double b, ScriptValue& result, std::string& error) {
    switch (op) {
        case BinaryOp::Add:
            return FiniteReal(op, a + b, result, error);
        case BinaryOp::Subtract:
            return FiniteReal(op, a - b, result, error);
        case BinaryOp::Multiply:
            return FiniteReal(op, a * b, result, error);
        case BinaryOp::Divide:
            if (b == 0) return Fail(error, "division by zero");
            return FiniteReal(op, a / b, result, error);
        case BinaryOp::Modulo:
            if (b == 0) return Fail(error, "MOD by zero");
            return FiniteReal(op, FlooredRemainder(std::fmod(a, b), b), result, error);
        default:  // Power
            return FiniteReal(op, std::pow(a, b), result, error);
    }
}

bool Arithmetic(BinaryOp op, const ScriptValue& left, const ScriptValue& right, ScriptValue& result,
                std::string& error) {
    if (op == BinaryOp::Add && IsString(left) && IsString(right)) {
        result = std::get<std::string>(left) + std::get<std::string>(right);
        return true;
    }
    if (!IsNumber(left) || !IsNumber(right)) {
        const char* needs = op == BinaryOp::Add ? "two numbers or two strings" : "numbers";
        return Fail(error, Quoted(op) + " needs " + needs + ", not " + TypePair(left, right));
    }
    if (IsInteger(left) && IsInteger(right) && op != BinaryOp::Divide) {
        return IntegerArithmetic(op, std::get<int32_t>(left), std::get<int32_t>(right), result,
                                 error);
    }
    return RealArithmetic(op, ToReal(left), ToReal(right), result, error);
}

// Three-way comparison of two numbers or two strings: negative, zero or positive.
bool CompareValues(BinaryOp op, const ScriptValue& left, const ScriptValue& right, int& order,
                   std::string& error) {
    if (IsString(left) && IsString(right)) {
        order = std::get<std::string>(left).compare(std::get<std::string>(right));
        return true;
    }
    if (!IsNumber(left) || !IsNumber(right)) {
        return Fail(error,
                    Quoted(op) + " needs two numbers or two strings, not " + TypePair(left, right));
    }
    double a = ToReal(left);
    double b = ToReal(right);
    order = (a < b) ? -1 : (a > b) ? 1 : 0;
    return true;
}

bool Compare(BinaryOp op, const ScriptValue& left, const ScriptValue& right, ScriptValue& result,
             std::string& error) {
    int order = 0;
    if (!CompareValues(op, left, right, order, error)) return false;
    bool holds;
    switch (op) {
        case BinaryOp::Equal:
            holds = order == 0;
            break;
        case BinaryOp::NotEqual:
            holds = order != 0;
            break;
        case BinaryOp::Less:
            holds = order < 0;
            break;
        case BinaryOp::Greater:
            holds = order > 0;
            break;
        case BinaryOp::LessEqual:
            holds = order <= 0;
            break;
        default:
            holds = order >= 0;
            break;  // GreaterEqual
    }
    result = int32_t{holds ? 1 : 0};
    return true;
}

bool Logic(BinaryOp op, const ScriptValue& left, const ScriptValue& right, ScriptValue& result,
           std::string& error) {
    std::string role = "an operand of " + std::string(OperatorSpelling(op));
    bool a = false;
    bool b = false;
    if (!Truth(left, role.c_str(), a, error) || !Truth(right, role.c_str(), b, error)) {
        return false;
    }
    bool holds = (op == BinaryOp::And) ? (a && b) : (a || b);
    result = int32_t{holds ? 1 : 0};
    return true;
}

}  // namespace

const char* OperatorSpelling(BinaryOp op) {
    static constexpr const char* kSpellings[] = {"+",  "-", "*", "/",  "^",  "MOD", "=",
                                                 "<>", "<", ">", "<=", ">=", "AND", "OR"};
    return kSpellings[static_cast<int>(op)];
}

bool ApplyBinary(BinaryOp op, const ScriptValue& left, const ScriptValue& right,
                 ScriptValue& result, std::string& error) {
    if (IsComparison(op)) return Compare(op, left, right, result, error);
    if (op == BinaryOp::And || op == BinaryOp::Or) return Logic(op, left, right, result, error);
    return Arithmetic(op, left, right, result, error);
}

bool ApplyUnary(UnaryOp op, const ScriptValue& operand, ScriptValue& result, std::string& error) {
    const char* name = op == UnaryOp::Not      ? "NOT"
                       : op == UnaryOp::Negate ? "unary '-'"
                                               : "unary '+'";
    if (!IsNumber(operand)) {
        return Fail(error, std::string(name) + " needs a number, not " + TypeName(operand));
    }
    if (op == UnaryOp::Not) {
        result = int32_t{ToReal(operand) == 0 ? 1 : 0};
    } else if (op == UnaryOp::Plus) {
        result = operand;
    } else if (IsInteger(operand)) {
        result = FromWide(-int64_t{std::get<int32_t>(operand)});
    } else {
        result = -std::get<double>(operand);
    }
    return true;
}

bool Truth(const ScriptValue& value, const char* role, bool& truth, std::string& error) {
    if (!IsNumber(value)) {
        return Fail(error, std::string(role) + " must be a number, not a " + TypeName(value));
    }
    truth = ToReal(value) != 0;
    return true;
}

}  // namespace Ombra
