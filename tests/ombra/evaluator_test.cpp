#include "ombra/evaluator.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_data_statements.h"

namespace Ombra {
namespace {

using Testing::RunResult;
using Testing::RunSource;

// Runs a script that must succeed and returns what it printed.
std::string Printed(const std::string& source) {
    RunResult result = RunSource(source);
    EXPECT_EQ(result.exitStatus, kExitSuccess) << source << "\n" << result.err;
    return result.out;
}

// Runs a script that must stop on a runtime error and returns the message.
std::string RuntimeError(const std::string& source) {
    RunResult result = RunSource(source);
    EXPECT_EQ(result.exitStatus, kExitRuntimeError) << source;
    return result.err;
}

TEST(EvaluatorTest, PrecedenceAndPrintForms) {
    EXPECT_EQ(Printed("PRINT 1 + 2 * 3, (1 + 2) * 3, -2 ^ 2, 2 ^ -1, 2 ^ 3 ^ 2"),
              "7 9 -4 0.5 512\n");
    EXPECT_EQ(Printed("PRINT 10 - 4 - 3, 16 / 4 / 2, 7 MOD 4 * 2, NOT 1 = 2, 1 < 2 AND 3"),
              "3 2 6 1 1\n");
    EXPECT_EQ(Printed("PRINT 3.0, 0.1, 1e21, 2.5e-7, 'a', \"b c\", 2147483648"),
              "3 0.1 1e+21 2.5e-07 a b c 2147483648\n");
    EXPECT_EQ(Printed("PRINT\nPRINT ''"), "\n\n");
}

TEST(EvaluatorTest, Builtins) {
    EXPECT_EQ(Printed("PRINT STR(2.50) + STR(7) + STR('x'), STRLEN('日本'), STRLEN('')"),
              "2.57x 2 0\n");
    EXPECT_EQ(Printed("PRINT INT(-0.5), INT(2.9), INT(-3), INT(3e9), INT(-2147483648.5)"),
              "-1 2 -3 3e+09 -2147483649\n");
    EXPECT_EQ(Printed("PRINT ABS(-3), ABS(-2.5), ABS(-2147483647 - 1) - 2147483647"), "3 2.5 1\n");
    EXPECT_EQ(Printed("x = INT(7.5) + 2147483647\nPRINT x - 1"), "2147483653\n");
    EXPECT_EQ(RuntimeError("PRINT STRLEN(5)"),
              "t.omb:1: error: STRLEN needs a string, not integer\n");
    EXPECT_EQ(RuntimeError("PRINT INT('5')"), "t.omb:1: error: INT needs a number, not string\n");
}

TEST(EvaluatorTest, VariablesAreCaseInsensitiveAndMustBeAssigned) {
    EXPECT_EQ(Printed("Total = 1\ntotal = TOTAL + 1\nPRINT tOtAl"), "2\n");
    EXPECT_EQ(RuntimeError("x = 1\nPRINT x + Price"),
              "t.omb:2: error: variable 'Price' is used before it is assigned\n");
}

TEST(EvaluatorTest, ForLoopsKeepTheValueThatEndedThem) {
    EXPECT_EQ(Printed("FOR i = 1 TO 3\nPRINT i\nNEXT i\nPRINT i"), "1\n2\n3\n4\n");
    EXPECT_EQ(Printed("FOR i = 10 TO 1 STEP -4\nPRINT i\nNEXT I\nPRINT i"), "10\n6\n2\n-2\n");
    EXPECT_EQ(Printed("FOR i = 5 TO 1\nPRINT i\nNEXT i\nPRINT i"), "5\n");
    EXPECT_EQ(Printed("FOR x = 0 TO 1 STEP 0.25\nPRINT x\nNEXT x"), "0\n0.25\n0.5\n0.75\n1\n");
    EXPECT_EQ(Printed("FOR i = 2147483646 TO 2147483647\nNEXT i\nPRINT i"), "2147483648\n");
    // The body may move the variable; the loop steps on from where it is.
    EXPECT_EQ(Printed("FOR i = 1 TO 10\nPRINT i\ni = i * 3\nNEXT i"), "1\n4\n");
}

TEST(EvaluatorTest, ForLoopFaults) {
    EXPECT_EQ(RuntimeError("PRINT 1\nFOR i = 1 TO 3 STEP 0\nNEXT i"),
              "t.omb:2: error: FOR with a STEP of zero would never end\n");
    EXPECT_EQ(RuntimeError("FOR i = 1 TO 'a'\nNEXT i"),
              "t.omb:1: error: FOR needs numbers for its start, limit and step\n");
    EXPECT_EQ(RuntimeError("FOR i = 1 TO 3\ni = 'a'\nNEXT i"),
              "t.omb:1: error: FOR cannot step i: '+' needs two numbers or two strings, not "
              "string and integer\n");
}

TEST(EvaluatorTest, NestedBlocksAndEnd) {
    const char* script =
        "n = 0\n"
        "WHILE n < 4 DO\n"
        "  n = n + 1\n"
        "  IF n MOD 2 = 0 THEN\n"
        "    FOR k = 1 TO n\n"
        "      IF k = n THEN PRINT n, k\n"
        "    NEXT k\n"
        "  ELSE\n"
        "    IF n = 3 THEN IF n > 2 THEN PRINT 'three'\n"
        "  ENDIF\n"
        "ENDWHILE\n"
        "PRINT 'done'\n";
    EXPECT_EQ(Printed(script), "2 2\nthree\n4 4\ndone\n");
    EXPECT_EQ(Printed("FOR i = 1 TO 5\nIF i = 3 THEN END\nPRINT i\nNEXT i\nPRINT 'after'"),
              "1\n2\n");
    EXPECT_EQ(Printed("WHILE 0 DO\nPRINT 'never'\nENDWHILE"), "");
}

TEST(EvaluatorTest, AndOrSkipTheRightOperandWhenTheLeftDecides) {
    EXPECT_EQ(Printed("PRINT 0 AND missing, 1 OR missing, 1 AND 0, 0 OR 2"), "0 1 0 1\n");
    EXPECT_EQ(RuntimeError("PRINT 1 AND missing"),
              "t.omb:1: error: variable 'missing' is used before it is assigned\n");
}

TEST(EvaluatorTest, RuntimeErrorsStopTheScriptAtTheirLine) {
    RunResult result = RunSource("PRINT 'before'\nPRINT 1, 1 / 0\nPRINT 'after'");
    EXPECT_EQ(result.exitStatus, kExitRuntimeError);
    EXPECT_EQ(result.out, "before\n");  // a failing PRINT writes nothing
    EXPECT_EQ(result.err, "t.omb:2: error: division by zero\n");
    EXPECT_EQ(RuntimeError("IF 'yes' THEN PRINT 1"),
              "t.omb:1: error: the IF condition must be a number, not a string\n");
    EXPECT_EQ(RuntimeError("WHILE 'a' DO\nENDWHILE"),
              "t.omb:1: error: the WHILE condition must be a number, not a string\n");
    EXPECT_EQ(RuntimeError("x = 'a' = 1"),
              "t.omb:1: error: '=' needs two numbers or two strings, not string and integer\n");
}

}  // namespace
}  // namespace Ombra
