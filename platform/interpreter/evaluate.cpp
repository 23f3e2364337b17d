// The interpreter's expression evaluator as extension modules see it: numeric literals only, read
// by the same number reader as the script host's own literals.
#include <cstring>

#include "host/interpreter.h"
#include "platform/interpreter/number_literal.h"

ZRErrCode EEEvaluate(char* expression, void* /*reserved1*/, void* /*reserved2*/,
                     OmbraValueRecord* result) {
    if (expression == nullptr || result == nullptr) return ErrParam;
    EE::NumericLiteral literal;
    // Any text that is not one literal is refused with the record untouched.
    if (!EE::ParseNumericLiteral(expression, literal)) return ErrParam;
    std::memset(&result->value, 0, sizeof result->value);
    if (literal.isInteger) {
        result->value.integer = literal.integer;
        result->numericKind = NumericKindInteger;
    } else {
        result->value.real = literal.real;
        result->numericKind = NumericKindReal;
    }
    result->valueType = ValueTypeNumeric;
    result->evalFlag = 1;
    return NoError;
}
