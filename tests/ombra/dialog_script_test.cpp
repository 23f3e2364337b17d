// End-to-end runs of OPEN with DIALOG: scripted answers, cancelled dialogs, and the remembered
// choice kept in the state file between runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ombra_run.h"

namespace Ombra {
namespace {

using Testing::RunResult;

const std::string kReadStock =
    "ch = OPEN('DATA', 'stock.txt', \"SEPARATOR=';', MODE=RO, DIALOG\")\n"
    "n = INPUT(ch, 'bolt', 1, count)\n"
    "PRINT 'bolts', count\n";
const std::string kNotFound =
    "File not found, can't open for input\r\nwhile operating on file 'stock.txt'.\n"
    "t.omb:1: error: OPEN failed with status -7003\n";

class DialogScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.WriteFile("t.omb", kReadStock);
        folder.WriteFile("shelf/stock.txt", "bolt;40\rnut;12\r");
    }

    RunResult Run(std::vector<std::string> arguments) {
        arguments.push_back("t.omb");
        return Testing::RunOmbra(folder, arguments);
    }

    Testing::ScriptFolder folder;
};

TEST_F(DialogScriptTest, TheAnsweredPathIsOpened) {
    for (const char* mode : {"--base=.", "--main-thread"}) {
        const RunResult result = Run({mode, "--answer", "shelf/stock.txt", "--state", "s"});
        EXPECT_EQ(result.exitStatus, 0) << mode << ": " << result.err;
        EXPECT_EQ(result.out, "bolts 40\n");
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(DialogScriptTest, ACancelledOrUnansweredDialogFailsTheOpen) {
    for (const std::vector<std::string>& answers :
         {std::vector<std::string>{"--answer", "cancel"}, std::vector<std::string>{}}) {
        std::vector<std::string> arguments = answers;
        arguments.insert(arguments.end(), {"--state", "s"});
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, kNotFound);
    }
}

// With the answers used up, a dialog asks on the terminal when standard input is one.
TEST_F(DialogScriptTest, ATerminalAnswersWhenTheAnswersRunOut) {
    folder.WriteFile("t.omb", kReadStock + "ch = OPEN('DATA', 'other.txt', 'MODE=RO, DIALOG')\n");
    const RunResult result = Testing::RunOmbraOnTerminal(
        folder, {"--state", "s", "--answer", "shelf/stock.txt", "t.omb"}, "cancel\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "bolts 40\n");
    EXPECT_NE(result.err.find("File not found, can't open for input\r\nwhile operating on file "
                              "'other.txt'.\n"),
              std::string::npos)
        << result.err;
    const RunResult typed = Testing::RunOmbraOnTerminal(
        folder, {"--state", "s", "--main-thread", "t.omb"}, "shelf/stock.txt\n");
    EXPECT_EQ(typed.exitStatus, 0) << typed.err;
    EXPECT_EQ(typed.out, "bolts 40\n");
}

TEST_F(DialogScriptTest, TheChoiceIsRememberedByTheStateFile) {
    ASSERT_EQ(Run({"--answer", "shelf/stock.txt", "--state", "s"}).exitStatus, 0);
    ASSERT_TRUE(folder.Exists("s"));
    const std::string state = Testing::ReadBack(folder, "s");
    EXPECT_NE(state, "");

    const RunResult again = Run({"--state", "s", "--main-thread"});
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(again.out, "bolts 40\n");
    EXPECT_EQ(Testing::ReadBack(folder, "s"), state);

    const RunResult forgotten = Run({"--state", "other"});  // another state: no memory
    EXPECT_EQ(forgotten.exitStatus, 1);
    EXPECT_EQ(forgotten.err, kNotFound);
}

TEST_F(DialogScriptTest, TheDefaultStateFileIsPerUser) {
    ASSERT_EQ(Run({"--answer", "shelf/stock.txt"}).exitStatus, 0);
    EXPECT_TRUE(folder.Exists("state-home/ombra/remembered-locations"));  // XDG_STATE_HOME
    const RunResult again = Run({});
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(again.out, "bolts 40\n");
}

TEST_F(DialogScriptTest, AStateFileThatCannotBeReadStopsBeforeTheScript) {
    folder.MakeFolder("s");
    const RunResult result = Run({"--state", "s"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "ombra: cannot read the state file '" + folder.PathOf("s") + "': it is a folder\n");
}

// A writing OPEN asks first with the alert: browse for an existing file, or create a new one.
TEST_F(DialogScriptTest, TheAlertOffersBrowseAndCreate) {
    folder.WriteFile("t.omb",
                 "ch = OPEN('DATA', 'log.txt', \"SEPARATOR=';', MODE=WA, DIALOG\")\n"
                 "OUTPUT ch, 'run', 1, 'ok'\n");
    struct Case {
        std::vector<std::string> answers;
        std::string file;
    };
    const Case cases[] = {
        {{"create", "logs/new.txt"}, "logs/new.txt"},
        {{"1", "shelf/stock.txt"}, "shelf/stock.txt"},
    };
    folder.MakeFolder("logs");
    for (const Case& c : cases) {
        std::vector<std::string> arguments{"--state", "s"};
        for (const std::string& answer : c.answers)
            arguments.insert(arguments.end(), {"--answer", answer});
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_NE(Testing::ReadBack(folder, c.file).find("run;ok\r"), std::string::npos) << c.file;
        folder.WriteFile("s", "");  // forget the choice for the next case
    }
    EXPECT_FALSE(folder.Exists("log.txt"));
}

}  // namespace
}  // namespace Ombra
