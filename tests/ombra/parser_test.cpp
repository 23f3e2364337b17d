#include "ombra/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_data_statements.h"
#include "ombra/lexer.h"

namespace Ombra {
namespace {

Diagnostic SyntaxError(const std::string& source) {
    std::vector<Token> tokens;
    Block program;
    Diagnostic error;
    EXPECT_TRUE(Tokenize(source, tokens, error)) << source;
    EXPECT_FALSE(Parse(tokens, program, error)) << source;
    return error;
}

bool Parses(const std::string& source) {
    std::vector<Token> tokens;
    Block program;
    Diagnostic error;
    return Tokenize(source, tokens, error) && Parse(tokens, program, error);
}

TEST(ParserTest, ErrorsNameTheLineAndTheFault) {
    const struct {
        std::string source;
        int line;
        std::string message;
    } cases[] = {
        {"x =\n", 1, "expected an expression, found end of line"},
        {"PRINT 1 2", 1, "expected end of line after the statement, found number 2"},
        {"x = 1 < 2 < 3", 1, "expected end of line after the statement, found '<'"},
        {"5 = x", 1, "expected a statement, found number 5"},
        {"x 5", 1, "expected '=' after the name 'x', found number 5"},
        {"IF x PRINT 1", 1, "expected 'THEN' after the IF condition, found 'PRINT'"},
        {"PRINT 1\nIF x THEN\nPRINT 2\n", 2, "IF is never closed by ENDIF"},
        {"FOR i = 1 TO 2\n", 1, "FOR is never closed by NEXT"},
        {"FOR i = 1 TO 2\nNEXT j\n", 2, "NEXT j does not match FOR i"},
        {"FOR i = 1 TO 2 STEP\nNEXT i\n", 1, "expected an expression, found end of line"},
        {"\nNEXT i", 2, "NEXT without FOR"},
        {"ELSE", 1, "ELSE without IF"},
        {"ENDIF", 1, "ENDIF without IF"},
        {"ENDWHILE", 1, "ENDWHILE without WHILE"},
        {"WHILE 1 DO\nNEXT i\n", 2, "expected ENDWHILE to close the WHILE of line 1, found 'NEXT'"},
        {"WHILE 1\nENDWHILE\n", 1, "expected 'DO' after the WHILE condition, found end of line"},
        {"IF 1 THEN\nELSE x\nENDIF", 2, "expected end of line after ELSE, found name 'x'"},
        {"IF 1 THEN FOR i = 1 TO 2", 1, "FOR cannot follow THEN on one line"},
        {"IF 1 THEN IF 2 THEN\nENDIF", 1, "an IF block cannot follow THEN on one line"},
        {"x = foo(1)", 1, "unknown function 'foo'"},
        {"x = STR(1, 2)", 1, "expected ')' after the argument of STR, found ','"},
        {"x = (1", 1, "expected ')' to close '(', found end of line"},
        {"n = INPUT(1, 2, 3)", 1,
         "expected ',' in INPUT(channel, key, field, variable, ...), found ')'"},
        {"n = INPUT(1, 2, 3, 4)", 1, "expected a name to receive a value of INPUT, found number 4"},
        {"c = OPEN(\"DATA\", \"f\")", 1, "expected ',' in OPEN(type, name, parameters), found ')'"},
        {"OUTPUT 1, 2", 1,
         "expected ',' in OUTPUT channel, key, field, value, ..., found end of line"},
        {"CLOSE", 1, "expected an expression, found end of line"},
    };
    for (const auto& c : cases) {
        Diagnostic error = SyntaxError(c.source);
        EXPECT_EQ(error.line, c.line) << c.source;
        EXPECT_EQ(error.message, c.message) << c.source;
    }
}

TEST(ParserTest, DataStatementForms) {
    EXPECT_TRUE(Parses("c = OPEN('DATA', 'f', '')\nn = INPUT(c, 1, 2, a, b)\nCLOSE c"));
    EXPECT_TRUE(Parses("OUTPUT c, 1, 2\nOUTPUT c, 1, 2, 'x', 3 + 4"));
    EXPECT_TRUE(Parses("PRINT INPUT(c, 1, 2, a) + 1"));  // OPEN and INPUT are expressions
}

TEST(ParserTest, NestingIsBoundedSoNoScriptExhaustsTheStack) {
    auto repeat = [](const std::string& text, int times) {
        std::string result;
        for (int i = 0; i < times; ++i) result += text;
        return result;
    };
    EXPECT_TRUE(Parses("x = " + repeat("(", 100) + "1" + repeat(")", 100)));
    EXPECT_TRUE(Parses("x = 1" + repeat(" + 1", 150)));
    for (const std::string& deep : {
             "x = " + repeat("(", 300) + "1" + repeat(")", 300),
             "x = 1" + repeat(" + 1", 1000),
             "x = 1" + repeat(" * 2", 300),
             "x = " + repeat("-", 300) + "1",
             "x = " + repeat("NOT ", 300) + "1",
             repeat("IF 1 THEN ", 300) + "END",
             repeat("WHILE 1 DO\n", 300),
         }) {
        Diagnostic error = SyntaxError(deep);
        EXPECT_EQ(error.message, "the script is nested too deeply") << deep.substr(0, 20);
    }
}

TEST(ParserTest, SyntaxErrorStopsTheScriptBeforeAnythingRuns) {
    Testing::RunResult result = Testing::RunSource("PRINT 1\nPRINT 2\nNEXT i\n");
    EXPECT_EQ(result.exitStatus, kExitUsageError);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "t.omb:3: error: NEXT without FOR\n");
}

}  // namespace
}  // namespace Ombra
