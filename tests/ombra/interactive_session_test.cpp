#include "ombra/interactive_session.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fake_data_statements.h"

namespace Ombra {
namespace {

// A session fed with `lines`; `prompts` gets one letter a read: 'S' for the statement prompt,
// 'C' for the continuation prompt.
struct SessionRun {
    std::string prompts;
    std::string out;
    std::string err;
    int status = -1;
};

SessionRun RunSession(const std::vector<std::string>& lines, DataStatements& data) {
    SessionRun run;
    size_t next = 0;
    const LineReader read = [&](const char* prompt, std::string& line) {
        run.prompts += std::string(prompt) == kSessionPrompt ? 'S' : 'C';
        if (next == lines.size()) return false;
        line = lines[next++];
        return true;
    };
    std::ostringstream out;
    std::ostringstream err;
    run.status = RunInteractiveSession(read, data, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

TEST(InteractiveSessionTest, RunsEachStatementOrBlockWhenComplete) {
    const struct {
        std::vector<std::string> lines;
        std::string prompts;
        std::string out;
        std::string err;
    } cases[] = {
        // Variables outlive the statement that set them; a block waits for its closer.
        {{"x = 2", "FOR i = 1 TO 2", "  PRINT i * x", "NEXT i", "PRINT x + i"},
         "SSCCSS",
         "2\n4\n5\n",
         ""},
        {{"IF x THEN", "PRINT 1", "ELSE", "PRINT 2", "ENDIF"},
         "SCCCCS",
         "",
         "<stdin>:1: error: variable 'x' is used before it is assigned\n"},
        // Errors name the session's line and do not end it.
        {{"PRINT nope", "y = (", "y = 5", "WHILE y > 4 DO", "y = y - 1", "PRINT z", "ENDWHILE",
          "PRINT y"},
         "SSSSCCCSS",
         "4\n",
         "<stdin>:1: error: variable 'nope' is used before it is assigned\n"
         "<stdin>:2: error: expected an expression, found end of line\n"
         "<stdin>:6: error: variable 'z' is used before it is assigned\n"},
        {{"NEXT i", "PRINT \"ok"},
         "SSS",
         "",
         "<stdin>:1: error: NEXT without FOR\n<stdin>:2: error: unterminated string\n"},
        // END ends the session at once, also inside a block; nothing more is read.
        {{"PRINT 1", "END", "PRINT 2"}, "SS", "1\n", ""},
        {{"FOR i = 1 TO 3", "IF i = 2 THEN END", "PRINT i", "NEXT i", "PRINT 9"},
         "SCCC",
         "1\n",
         ""},
        // A block still open at the end of the input is reported and not run.
        {{"PRINT 0", "WHILE 1 DO", "PRINT 1"},
         "SSCC",
         "0\n",
         "<stdin>:2: error: WHILE is never closed by ENDWHILE\n"},
    };
    for (const auto& c : cases) {
        Testing::FakeDataStatements data;
        const SessionRun run = RunSession(c.lines, data);
        EXPECT_EQ(run.prompts, c.prompts) << c.lines.front();
        EXPECT_EQ(run.out, c.out) << c.lines.front();
        EXPECT_EQ(run.err, c.err) << c.lines.front();
        EXPECT_EQ(run.status, kExitSuccess);
    }
}

TEST(InteractiveSessionTest, ChannelsStayOpenBetweenStatements) {
    Testing::FakeDataStatements data;
    const SessionRun run = RunSession(
        {"ch = OPEN(\"DATA\", \"f.txt\", \"MODE=WA\")", "OUTPUT ch, \"k\", 1, 5, \"five\"",
         "n = INPUT(ch, \"k\", 1, a, b)", "PRINT n, a, b"},
        data);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "2 5 five\n");
    for (const std::string& call : data.calls) EXPECT_EQ(call.find("CLOSE"), std::string::npos);
}

}  // namespace
}  // namespace Ombra
