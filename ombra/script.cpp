#include "ombra/script.h"

#include <vector>

#include "ombra/evaluator.h"
#include "ombra/lexer.h"
#include "ombra/parser.h"

namespace Ombra {

int RunScript(const std::string& scriptName, std::string_view source, DataStatements& data,
              std::ostream& out, std::ostream& err) {
    std::vector<Token> tokens;
    Block program;
    Diagnostic error;
    if (!Tokenize(source, tokens, error) || !Parse(tokens, program, error)) {
        err << FormatDiagnostic(scriptName, error) << std::endl;
        return kExitUsageError;
    }
    Evaluator evaluator(data, out);
    if (!evaluator.Run(program)) {
        err << FormatDiagnostic(scriptName, evaluator.Error()) << std::endl;
        return kExitRuntimeError;
    }
    return kExitSuccess;
}

}  // namespace Ombra
