#pragma once

#include "ombra/ast.h"
#include "ombra/token_cursor.h"

namespace Ombra {

// Parses one expression at the cursor and leaves the cursor after it. Returns null on a syntax
// error, which is then recorded in the cursor.
ExprPtr ParseExpression(TokenCursor& cursor);

// Parses a name at the cursor into a variable reference; false (error recorded) when the token
// is not a name. `context` completes "expected a name ...".
bool ParseVariable(TokenCursor& cursor, const char* context, VariableRef& variable);

}  // namespace Ombra
