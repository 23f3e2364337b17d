#pragma once

#include <string_view>
#include <vector>

#include "ombra/diagnostic.h"
#include "ombra/token.h"

namespace Ombra {

// Splits a whole script into tokens. The script is UTF-8 (a leading byte order mark is skipped);
// lines end with LF or CR LF; blanks are spaces and tabs; '!' starts a comment that runs to the
// end of the line. Names are ASCII letters, digits and '_' not starting with a digit; keywords
// are recognised in any letter case. Strings are enclosed in '"' or '\'' and stay on one line.
// Number literals are the longest run of digits, '.' and an exponent part, read by
// EE::ParseNumericLiteral.
//
// On success `tokens` holds every token; each line, the last one included, ends with a Newline
// token and the list ends with EndOfScript. On failure `error` describes the first fault and
// `tokens` is unspecified.
bool Tokenize(std::string_view source, std::vector<Token>& tokens, Diagnostic& error);

}  // namespace Ombra
