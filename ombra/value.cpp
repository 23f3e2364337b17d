#include "ombra/value.h"

#include <charconv>

namespace Ombra {
namespace {

// Enough for the longest shortest-form double, e.g. "-2.2250738585072014e-308".
constexpr size_t kRealTextSize = 32;

std::string FormatReal(double real) {
    char buffer[kRealTextSize];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, real);
    return std::string(buffer, result.ptr);
}

}  // namespace

double ToReal(const ScriptValue& value) {
    if (IsInteger(value)) return std::get<int32_t>(value);
    return std::get<double>(value);
}

const char* TypeName(const ScriptValue& value) {
    if (IsInteger(value)) return "integer";
    if (IsReal(value)) return "real";
    return "string";
}

std::string FormatValue(const ScriptValue& value) {
    if (IsInteger(value)) return std::to_string(std::get<int32_t>(value));
    if (IsReal(value)) return FormatReal(std::get<double>(value));
    return std::get<std::string>(value);
}

}  // namespace Ombra
