#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "ombra/data_statements.h"

namespace Ombra {

// Reads one line, without its line end, after showing `prompt`; false at the end of the input.
using LineReader = std::function<bool(const char* prompt, std::string& line)>;

// The prompt before a statement, and the one while a FOR, WHILE or IF block is still open.
inline constexpr const char* kSessionPrompt = "ombra> ";
inline constexpr const char* kContinuationPrompt = "  ...> ";

// Runs statements as they are typed: reads lines with `read` until they make a complete statement
// or block, then runs it in one evaluator, so variables and open channels stay from one statement
// to the next. A syntax or runtime error is written to `err` in the form of a script's errors,
// with the session's line number ("<stdin>:12: error: ..."), and the session goes on. It ends at
// END or at the end of the input (a block still open then is reported and not run), and returns
// kExitSuccess; closing the channels left open is the caller's, as after a script.
int RunInteractiveSession(const LineReader& read, DataStatements& data, std::ostream& out,
                          std::ostream& err);

}  // namespace Ombra
