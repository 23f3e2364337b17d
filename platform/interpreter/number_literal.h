#pragma once

#include <cstdint>
#include <string_view>

namespace EE {

// A number read from text. When isInteger is true the value is `integer`; otherwise it is `real`.
struct NumericLiteral {
    bool isInteger = false;
    int32_t integer = 0;
    double real = 0.0;
};

// Reads the whole text as one numeric literal:
//   [blanks] [+|-] (digits [. [digits]] | . digits) [(e|E) [+|-] digits] [blanks]
// where a blank is a space or a tab. A literal without decimal point and exponent whose value
// fits in 32 bits is an integer; every other literal is a real. Returns false, leaving `out`
// unchanged, for text of any other form (including the empty text, "inf", "nan", hexadecimal,
// text with an embedded NUL) and for reals outside the range of a double: too large (1e999)
// or so small that they would round to zero (1e-400).
// Conversion is exact and independent of the locale.
bool ParseNumericLiteral(std::string_view text, NumericLiteral& out);

}  // namespace EE
