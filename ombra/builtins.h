#pragma once

#include <string>

#include "ombra/ast.h"
#include "ombra/value.h"

namespace Ombra {

// The built-in functions, each of one argument:
//   STR(x)    the text PRINT shows for x;
//   STRLEN(s) the number of Unicode code points in the string s;
//   INT(x)    the largest whole number not above x: an integer when it fits in 32 bits;
//   ABS(x)    the magnitude of x (an integer stays an integer when the result fits in 32 bits).
// Returns false with a message in `error` when the argument has the wrong type.
bool CallBuiltin(Builtin function, const ScriptValue& argument, ScriptValue& result,
                 std::string& error);

// Finds the built-in function named `upperName` (already case-folded).
bool LookupBuiltin(const std::string& upperName, Builtin& function);

}  // namespace Ombra
