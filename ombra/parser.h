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

}  // namespace Ombra
