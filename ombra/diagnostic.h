#pragma once

#include <string>

namespace Ombra {

// An error found in a script: the line it belongs to (1-based) and what is wrong.
struct Diagnostic {
    int line = 0;
    std::string message;
};

// The form every script error takes on standard error: "prices.omb:4: error: <message>".
inline std::string FormatDiagnostic(const std::string& scriptName, const Diagnostic& diagnostic) {
    return scriptName + ":" + std::to_string(diagnostic.line) + ": error: " + diagnostic.message;
}

}  // namespace Ombra
