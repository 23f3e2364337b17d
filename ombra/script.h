#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "ombra/data_statements.h"

namespace Ombra {

// The exit statuses of ombra.
enum ExitStatus : int {
    kExitSuccess = 0,       // the script ran to its end or to END
    kExitRuntimeError = 1,  // the script stopped on a runtime error
    kExitUsageError = 2,    // bad command line, unreadable script, or a syntax error
};

// Checks the whole script first, so that a syntax error stops it before anything runs, then runs
// it. PRINT writes to `out`; an error is written to `err` as one line
// "<scriptName>:<line>: error: <message>". Returns the exit status.
int RunScript(const std::string& scriptName, std::string_view source, DataStatements& data,
              std::ostream& out, std::ostream& err);

}  // namespace Ombra
