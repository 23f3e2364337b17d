#pragma once

#include <vector>

#include "ombra/ast.h"
#include "ombra/diagnostic.h"
#include "ombra/token.h"

namespace Ombra {

// Parses a whole script from its tokens (as Tokenize gives them), so that every syntax error is
// found before anything runs. On success `program` holds the script's statements; on failure
// `error` holds the first syntax error and `program` is unspecified.
bool Parse(const std::vector<Token>& tokens, Block& program, Diagnostic& error);

// Parses text that may go on, as an interactive session reads it. kOpenBlock: the tokens end
// inside a FOR, WHILE or IF block that is not closed yet, so more lines are needed (`error` says
// which block); kError: a syntax error that no further line can mend.
enum class ParseOutcome { kComplete, kOpenBlock, kError };
ParseOutcome ParseSoFar(const std::vector<Token>& tokens, Block& program, Diagnostic& error);

}  // namespace Ombra
