// The script host's lexer and parser on arbitrary text: they never fail other than by reporting,
// a report names a line of the script and says something, a parsed script's statements lie on
// distinct lines in order, and the same text always gives the same outcome.
#include <algorithm>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "ombra/lexer.h"
#include "ombra/parser.h"

namespace {

struct Outcome {
    bool parsed = false;
    Ombra::Diagnostic error;
    std::vector<int> statementLines;  // of the top-level statements
};

Outcome ParseScript(std::string_view source) {
    Outcome outcome;
    std::vector<Ombra::Token> tokens;
    Ombra::Block program;
    if (!Ombra::Tokenize(source, tokens, outcome.error)) return outcome;
    FUZZ_CHECK(!tokens.empty() && tokens.back().kind == Ombra::TokenKind::EndOfScript);
    for (size_t i = 1; i < tokens.size(); ++i) FUZZ_CHECK(tokens[i - 1].line <= tokens[i].line);
    outcome.parsed = Ombra::Parse(tokens, program, outcome.error);
    if (outcome.parsed)
        for (const Ombra::Stmt& statement : program)
            outcome.statementLines.push_back(statement.line);
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    const int lines = 1 + int(std::count(source.begin(), source.end(), '\n'));
    const Outcome outcome = ParseScript(source);
    const Outcome again = ParseScript(source);
    FUZZ_CHECK(again.parsed == outcome.parsed && again.error.line == outcome.error.line &&
               again.error.message == outcome.error.message &&
               again.statementLines == outcome.statementLines);
    if (!outcome.parsed) {
        FUZZ_CHECK(outcome.error.line >= 1 && outcome.error.line <= lines);
        FUZZ_CHECK(!outcome.error.message.empty());
        return 0;
    }
    const std::vector<int>& statementLines = outcome.statementLines;
    // One statement a line: the lines strictly ascend.
    FUZZ_CHECK(std::adjacent_find(statementLines.begin(), statementLines.end(),
                                  [](int a, int b) { return a >= b; }) == statementLines.end());
    for (int line : statementLines) FUZZ_CHECK(line >= 1 && line <= lines);
    return 0;
}
