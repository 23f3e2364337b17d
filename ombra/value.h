#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace Ombra {

// A script value: a 32-bit signed integer, a real (always finite), or a UTF-8 string.
using ScriptValue = std::variant<int32_t, double, std::string>;

inline bool IsInteger(const ScriptValue& value) {
    return std::holds_alternative<int32_t>(value);
}
inline bool IsReal(const ScriptValue& value) {
    return std::holds_alternative<double>(value);
}
inline bool IsString(const ScriptValue& value) {
    return std::holds_alternative<std::string>(value);
}
inline bool IsNumber(const ScriptValue& value) {
    return !IsString(value);
}

// The value of a number as a real. REQUIRES: IsNumber(value).
double ToReal(const ScriptValue& value);

// "integer", "real" or "string", for error messages.
const char* TypeName(const ScriptValue& value);

// The text PRINT shows and STR gives: integers in decimal, reals in their shortest form that
// reads back to the same double (3.0 gives "3", 0.1 gives "0.1", 1e21 gives "1e+21"), strings
// unchanged.
std::string FormatValue(const ScriptValue& value);

}  // namespace Ombra
