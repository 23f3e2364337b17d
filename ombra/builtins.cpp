#include "ombra/builtins.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "ombra/utf8.h"

namespace Ombra {
namespace {

struct BuiltinEntry {
    const char* name;
    Builtin function;
};

constexpr BuiltinEntry kBuiltins[] = {{"STR", Builtin::Str},
                                      {"STRLEN", Builtin::Strlen},
                                      {"INT", Builtin::Int},
                                      {"ABS", Builtin::Abs}};

const char* NameOf(Builtin function) {
    return kBuiltins[static_cast<int>(function)].name;
}

bool WrongType(Builtin function, const char* wanted, const ScriptValue& argument,
               std::string& error) {
    error = std::string(NameOf(function)) + " needs " + wanted + ", not " + TypeName(argument);
    return false;
}

// A whole-number real becomes an integer when it fits in 32 bits.
ScriptValue WholeNumber(double value) {
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    if (value >= kMin && value <= kMax) return static_cast<int32_t>(value);
    return value;
}

ScriptValue Absolute(const ScriptValue& number) {
    if (IsReal(number)) return std::fabs(std::get<double>(number));
    int64_t value = std::get<int32_t>(number);
    return WholeNumber(static_cast<double>(value < 0 ? -value : value));
}

}  // namespace

bool LookupBuiltin(const std::string& upperName, Builtin& function) {
    for (const BuiltinEntry& entry : kBuiltins) {
        if (upperName == entry.name) {
            function = entry.function;
            return true;
        }
    }
    return false;
}

bool CallBuiltin(Builtin function, const ScriptValue& argument, ScriptValue& result,
                 std::string& error) {
    switch (function) {
        case Builtin::Str:
            result = FormatValue(argument);
            return true;
        case Builtin::Strlen:
            if (!IsString(argument)) return WrongType(function, "a string", argument, error);
            result = static_cast<int32_t>(CountCodePoints(std::get<std::string>(argument)));
            return true;
        case Builtin::Int:
            if (!IsNumber(argument)) return WrongType(function, "a number", argument, error);
            result = IsInteger(argument) ? argument : WholeNumber(std::floor(ToReal(argument)));
            return true;
        default:  // Abs
            if (!IsNumber(argument)) return WrongType(function, "a number", argument, error);
            result = Absolute(argument);
            return true;
    }
}

}  // namespace Ombra
