#pragma once

#include <string>

#include "ombra/ast.h"
#include "ombra/value.h"

namespace Ombra {

// The arithmetic and comparison rules of the language. Each function returns false with a
// message in `error` (and `result` unchanged) when the operation has no value.
//
// - Numbers: integer op integer stays an integer for + - * and MOD; when the exact result does
//   not fit in 32 bits it is given as a real instead. Any real operand makes the result real.
//   '/' always gives a real. '^' gives an integer for an integer raised to a non-negative
//   integer power whose exact result fits in 32 bits, a real otherwise.
// - MOD gives the remainder of floored division: the result has the sign of the divisor
//   (-7 MOD 3 = 2, 7 MOD -3 = -2), for integers and reals alike.
// - Division or MOD by zero, and any result that is not a finite real, are errors.
// - '+' joins two strings; every other mix of a string with anything is an error.
// - Comparisons give integer 1 or 0; numbers compare by value, strings by code point.
// - AND and OR take numbers (non-zero is true) and give 1 or 0. The evaluator skips the right
//   operand when the left one decides, and comes here only when both are needed.
bool ApplyBinary(BinaryOp op, const ScriptValue& left, const ScriptValue& right,
                 ScriptValue& result, std::string& error);

// Unary minus and plus take numbers (minus of the smallest integer gives a real); NOT takes a
// number and gives 1 for zero, 0 otherwise.
bool ApplyUnary(UnaryOp op, const ScriptValue& operand, ScriptValue& result, std::string& error);

// The truth of a condition: a number, true when non-zero. `role` names it in the error, e.g.
// "the IF condition".
bool Truth(const ScriptValue& value, const char* role, bool& truth, std::string& error);

// The spelling of an operator for messages, e.g. "MOD" or "<=".
const char* OperatorSpelling(BinaryOp op);

}  // namespace Ombra
