#include "ombra/interactive_session.h"

#include <vector>

#include "ombra/evaluator.h"
#include "ombra/lexer.h"
#include "ombra/parser.h"
#include "ombra/script.h"

namespace Ombra {
namespace {

constexpr const char* kSessionName = "<stdin>";

// The statements typed so far that do not yet make a complete statement or block.
struct PendingText {
    std::string text;
    int firstLine = 0;     // the session's line number of the text's first line
    Diagnostic openBlock;  // which block is still open

    void Report(const Diagnostic& error, std::ostream& err) const {
        err << FormatDiagnostic(kSessionName, {firstLine + error.line - 1, error.message})
            << std::endl;
    }
};

}  // namespace

int RunInteractiveSession(const LineReader& read, DataStatements& data, std::ostream& out,
                          std::ostream& err) {
    Evaluator evaluator(data, out);
    PendingText pending;
    std::string line;
    for (int lineNumber = 1;
         read(pending.text.empty() ? kSessionPrompt : kContinuationPrompt, line); ++lineNumber) {
        if (pending.text.empty()) pending.firstLine = lineNumber;
        pending.text += line;
        pending.text += '\n';
        std::vector<Token> tokens;
        Block program;
        Diagnostic error;
        ParseOutcome outcome = Tokenize(pending.text, tokens, error)
                                   ? ParseSoFar(tokens, program, error)
                                   : ParseOutcome::kError;
        if (outcome == ParseOutcome::kOpenBlock) {
            pending.openBlock = error;
            continue;
        }
        if (outcome == ParseOutcome::kError) {
            pending.Report(error, err);
        } else if (!evaluator.Run(program)) {
            pending.Report(evaluator.Error(), err);
        } else if (evaluator.Ended()) {
            return kExitSuccess;
        }
        pending.text.clear();
    }
    if (!pending.text.empty()) pending.Report(pending.openBlock, err);
    return kExitSuccess;
}

}  // namespace Ombra
