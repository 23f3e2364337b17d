#include "platform/interpreter/number_literal.h"

#include <charconv>
#include <cstdint>
#include <iterator>
#include <system_error>

namespace EE {
namespace {

// The powers of ten that a double holds exactly.
constexpr double ExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t MaxExactInteger = uint64_t(1) << 53;  // every integer up to it is a double

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

// What one pass over a literal finds besides its form.
struct LiteralParts {
    bool negative = false;
    bool hasPoint = false;
    bool hasExponent = false;
    // The digits before and after the point read as one integer; once above MaxExactInteger it
    // is no longer read on, and only tells that the literal is not exact.
    uint64_t digits = 0;
    size_t fractionDigits = 0;

    bool Exact() const { return digits <= MaxExactInteger; }
};

// SkipDigits that also reads the digits into `parts.digits`.
size_t ReadDigits(std::string_view text, size_t& pos, LiteralParts& parts) {
    const size_t start = pos;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        if (parts.Exact()) parts.digits = parts.digits * 10 + uint64_t(text[pos] - '0');
    }
    return pos - start;
}

// Checks that `text` (already trimmed) has the literal's form, and reads its parts.
bool ReadLiteralForm(std::string_view text, LiteralParts& parts) {
    size_t pos = 0;
    if (IsSign(text, 0)) {
        parts.negative = text[0] == '-';
        pos = 1;
    }
    size_t digits = ReadDigits(text, pos, parts);
    parts.hasPoint = pos < text.size() && text[pos] == '.';
    if (parts.hasPoint) {
        ++pos;
        parts.fractionDigits = ReadDigits(text, pos, parts);
        digits += parts.fractionDigits;
    }
    if (digits == 0) return false;
    parts.hasExponent = pos < text.size() && (text[pos] == 'e' || text[pos] == 'E');
    if (parts.hasExponent) {
        ++pos;
        if (IsSign(text, pos)) ++pos;
        if (SkipDigits(text, pos) == 0) return false;
    }
    return pos == text.size();
}

// The value of a literal without exponent whose digits are exact and whose fraction has at most
// 22 digits: the digits and the power of ten are exact doubles, so their quotient is the
// correctly rounded value, the one std::from_chars gives. False for every other literal.
bool ReadExactDecimal(const LiteralParts& parts, double& value) {
    if (parts.hasExponent || !parts.Exact() ||
        parts.fractionDigits >= std::size(ExactPowersOfTen)) {
        return false;
    }
    const double magnitude = double(parts.digits) / ExactPowersOfTen[parts.fractionDigits];
    value = parts.negative ? -magnitude : magnitude;
    return true;
}

// std::from_chars accepts a leading '-' but not a leading '+'.
std::string_view DropPlus(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return text;
}

}  // namespace

bool ParseNumericLiteral(std::string_view text, NumericLiteral& out) {
    text = TrimBlanks(text);
    LiteralParts parts;
    if (!ReadLiteralForm(text, parts)) return false;
    if (!parts.hasPoint && !parts.hasExponent && parts.Exact()) {
        const int64_t value = parts.negative ? -int64_t(parts.digits) : int64_t(parts.digits);
        if (value >= INT32_MIN && value <= INT32_MAX) {
            out = NumericLiteral{true, int32_t(value), 0.0};
            return true;
        }
        // Too large for 32 bits: read below as a real.
    }
    double real = 0.0;
    if (!ReadExactDecimal(parts, real)) {
        const std::string_view digits = DropPlus(text);
        const char* end = digits.data() + digits.size();
        auto [ptr, ec] = std::from_chars(digits.data(), end, real);
        if (ec != std::errc() || ptr != end) return false;
    }
    out = NumericLiteral{false, 0, real};
    return true;
}

}  // namespace EE
