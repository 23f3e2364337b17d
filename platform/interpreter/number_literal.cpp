#include "platform/interpreter/number_literal.h"

#include <charconv>
#include <cstdint>
#include <iterator>
#include <system_error>

namespace EE {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Advances `pos` over a run of digits and returns how many there were.
size_t SkipDigits(std::string_view text, size_t& pos) {
    size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos - start;
}

bool IsSign(std::string_view text, size_t pos) {
    return pos < text.size() && (text[pos] == '+' || text[pos] == '-');
}

// Checks that `text` (already trimmed) has the literal's form; `isInteger` tells whether it has
// neither a decimal point nor an exponent.
bool HasLiteralForm(std::string_view text, bool& isInteger) {
    size_t pos = IsSign(text, 0) ? 1 : 0;
    size_t digits = SkipDigits(text, pos);
    bool hasPoint = pos < text.size() && text[pos] == '.';
    if (hasPoint) {
        ++pos;
        digits += SkipDigits(text, pos);
    }
    if (digits == 0) return false;
    bool hasExponent = pos < text.size() && (text[pos] == 'e' || text[pos] == 'E');
    if (hasExponent) {
        ++pos;
        if (IsSign(text, pos)) ++pos;
        if (SkipDigits(text, pos) == 0) return false;
    }
    isInteger = !hasPoint && !hasExponent;
    return pos == text.size();
}

// std::from_chars accepts a leading '-' but not a leading '+'.
std::string_view DropPlus(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return text;
}

// The powers of ten that a double holds exactly.
constexpr double ExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t MaxExactInteger = uint64_t(1) << 53;  // every integer up to it is a double

// Reads a literal of the form [-]digits[.digits] (its form already checked) whose digits, read as
// one integer, are at most 2^53 and whose fraction has at most 22 digits. That integer and the
// power of ten are exact doubles, so their quotient is the correctly rounded value, the one
// std::from_chars gives. False for every other literal, which is left to from_chars.
bool ReadExactDecimal(std::string_view text, double& value) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    uint64_t digits = 0;
    size_t fractionDigits = 0;
    bool inFraction = false;
    for (const char c : text) {
        if (c == '.') {
            inFraction = true;
            continue;
        }
        if (!IsDigit(c)) return false;  // an exponent
        digits = digits * 10 + uint64_t(c - '0');
        if (digits > MaxExactInteger) return false;
        if (inFraction) ++fractionDigits;
    }
    if (fractionDigits >= std::size(ExactPowersOfTen)) return false;
    const double magnitude = double(digits) / ExactPowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

bool ParseNumericLiteral(std::string_view text, NumericLiteral& out) {
    text = TrimBlanks(text);
    bool isInteger = false;
    if (!HasLiteralForm(text, isInteger)) return false;
    std::string_view digits = DropPlus(text);
    const char* end = digits.data() + digits.size();
    if (isInteger) {
        int32_t integer = 0;
        auto [ptr, ec] = std::from_chars(digits.data(), end, integer);
        if (ec == std::errc() && ptr == end) {
            out = NumericLiteral{true, integer, 0.0};
            return true;
        }
        // Too large for 32 bits: read below as a real.
    }
    double real = 0.0;
    if (ReadExactDecimal(digits, real)) {
        out = NumericLiteral{false, 0, real};
        return true;
    }
    auto [ptr, ec] = std::from_chars(digits.data(), end, real);
    if (ec != std::errc() || ptr != end) return false;
    out = NumericLiteral{false, 0, real};
    return true;
}

}  // namespace EE
