// End-to-end runs of ombra with the DATA module: the typical script, the modes, the channels a
// script leaves open, errors and threads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ombra_run.h"

namespace Ombra {
namespace {

using Testing::RunResult;

const std::string kBom = "\xEF\xBB\xBF";

class DataScriptTest : public ::testing::Test {
protected:
    RunResult Run(const std::string& script, std::vector<std::string> arguments = {}) {
        folder.WriteFile("t.omb", script);
        arguments.push_back("t.omb");
        return Testing::RunOmbra(folder, arguments);
    }

    Testing::ScriptFolder folder;
};

// The typical script, cut after each of its steps; the last case is the whole script.
TEST(DataScriptSteps, TheTypicalScriptStepByStep) {
    const std::vector<std::string> steps{
        "ch = OPEN(\"DATA\", \"prices.txt\", \"SEPARATOR=';', MODE=WA\")\nPRINT 'opened', ch\n",
        "OUTPUT ch, 'A7', 1, 12.5, 'red'\n",
        "n = INPUT(ch, 'A7', 2, colour)\nPRINT n, colour\n",
        "CLOSE ch\nPRINT 'closed'\n",
    };
    struct Expected {
        std::string out;
        std::string file;
    };
    const Expected expected[] = {
        {"opened 1\n", kBom},  // created: a UTF-8 file from the start, CLOSE writes its mark
        {"opened 1\n", kBom + "A7;12.5;red\r"},
        {"opened 1\n1 red\n", kBom + "A7;12.5;red\r"},
        {"opened 1\n1 red\nclosed\n", kBom + "A7;12.5;red\r"},
    };
    std::string script;
    for (size_t step = 0; step < steps.size(); ++step) {
        script += steps[step];
        Testing::ScriptFolder folder;
        folder.WriteFile("t.omb", script);
        const RunResult result = Testing::RunOmbra(folder, {"t.omb"});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, expected[step].out) << "step " << step;
        EXPECT_EQ(Testing::ReadBack(folder, "prices.txt"), expected[step].file) << "step " << step;
    }
}

TEST_F(DataScriptTest, ValuesComeBackWithTheirKinds) {
    const RunResult result =
        Run("ch = OPEN('DATA', 'v.txt', 'MODE=WA')\n"
            "OUTPUT ch, 7, 1, 3, 2.5, 'x', '4'\n"
            "n = INPUT(ch, 7, 1, a, b, c, d)\n"
            "PRINT n, a + 1, b * 2, c + 'y', d + 1\n");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "4 4 5 xy 5\n");  // the text '4' reads back as a number
    EXPECT_EQ(Testing::ReadBack(folder, "v.txt"), kBom + "7\t3\t2.5\tx\t4\r");
}

TEST_F(DataScriptTest, ReadOnlyRefusesOutput) {
    folder.WriteFile("prices.txt", "A7;12.5;red\r");
    const RunResult result =
        Run("ch = OPEN('DATA', 'prices.txt', \"SEPARATOR=';', MODE=RO\")\n"
            "n = INPUT(ch, 'A7', 1, price)\n"
            "PRINT price * 2\n"
            "OUTPUT ch, 'B1', 1, 2\n"
            "PRINT 'unreached'\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "25\n");
    EXPECT_EQ(result.err,
              "Write permission error\r\nwhile operating on file ''.\n"
              "t.omb:4: error: OUTPUT failed with status -7003\n");
    EXPECT_EQ(Testing::ReadBack(folder, "prices.txt"), "A7;12.5;red\r");
}

// The message names the file as the script wrote it, whole and in UTF-8 on the terminal; only a
// relative name is looked for in the data folder.
TEST(DataScriptMissingFiles, ReadOnlyOfAMissingFileFails) {
    Testing::ScriptFolder folder;
    // Where the data folder would hold an absolute path rebuilt inside it.
    const std::string rebuilt = "Lintel Data Folder" + folder.Path() + "/srv/q.txt";
    folder.WriteFile(rebuilt, "k\tv\r");
    const std::string names[] = {"missing.txt", "sub/dir/m.txt", "prix-\xC3\xA9t\xC3\xA9.txt",
                                 folder.PathOf("srv/q.txt")};
    for (const std::string& name : names) {
        folder.WriteFile("t.omb", "\nch = OPEN('DATA', '" + name + "', 'MODE=RO')\n");
        const RunResult result = Testing::RunOmbra(folder, {"t.omb"});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, "File not found, can't open for input\r\nwhile operating on file '" +
                                  name + "'.\nt.omb:2: error: OPEN failed with status -7003\n");
    }
    EXPECT_FALSE(folder.Exists("missing.txt"));
    EXPECT_EQ(Testing::ReadBack(folder, rebuilt), "k\tv\r");
}

TEST_F(DataScriptTest, WriteOnlyEmptiesTheFile) {
    struct Case {
        std::string before;
        std::string output;  // the OUTPUT statement, if any
        std::string after;
    };
    const Case cases[] = {
        {"Z;9\rY;8\r", "", ""},
        {"Z;9\r", "OUTPUT ch, 'A', 1, 1\n", "A;1\r"},
        {kBom + "Z;9\r", "OUTPUT ch, 'A', 1, 1\n", kBom + "A;1\r"},
    };
    for (const Case& c : cases) {
        Testing::ScriptFolder folder;
        folder.WriteFile("w.txt", c.before);
        folder.WriteFile("t.omb", "ch = OPEN('DATA', 'w.txt', \"MODE=WO, SEPARATOR=';'\")\n" +
                                  c.output + "CLOSE ch\n");
        const RunResult result = Testing::RunOmbra(folder, {"t.omb"});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(Testing::ReadBack(folder, "w.txt"), c.after);
    }
}

TEST_F(DataScriptTest, WriteAppendExtendsTheFile) {
    folder.WriteFile("a.txt", "B;2\r");
    const RunResult result =
        Run("ch = OPEN('DATA', 'a.txt', \"MODE=WA, SEPARATOR=';'\")\n"
            "OUTPUT ch, 'C', 1, 3\n"
            "OUTPUT ch, 'A', 1, 1\n"
            "n = INPUT(ch, 'B', 1, b)\n"
            "PRINT b\n"
            "CLOSE ch\n");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "2\n");
    EXPECT_EQ(Testing::ReadBack(folder, "a.txt"), "A;1\rB;2\rC;3\r");
}

// However the script stops, the channels it left open are closed as CLOSE does: the file is
// saved in key order.
TEST_F(DataScriptTest, ChannelsLeftOpenAreClosedAtTheEnd) {
    const std::string opening =
        "ch = OPEN('DATA', 'o.txt', \"MODE=WA, SEPARATOR=';'\")\n"
        "OUTPUT ch, 'b', 1, 2\n"
        "OUTPUT ch, 'a', 1, 1\n";
    struct Case {
        std::string ending;
        int exitStatus;
    };
    const Case cases[] = {{"", 0}, {"END\nPRINT 'unreached'\n", 0}, {"x = 1 / 0\n", 1}};
    for (const Case& c : cases) {
        Testing::ScriptFolder folder;
        folder.WriteFile("t.omb", opening + c.ending);
        const RunResult result = Testing::RunOmbra(folder, {"t.omb"});
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(Testing::ReadBack(folder, "o.txt"), kBom + "a;1\rb;2\r") << c.ending;
    }
}

TEST_F(DataScriptTest, ModuleReportsAreShownAndTheScriptGoesOn) {
    const RunResult result =
        Run("ch = OPEN('DATA', 'r.txt', 'FOO=1, MODE=WA')\n"
            "n = INPUT(ch, 'none', 1, v)\n"
            "PRINT 'read', n\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err,
              "Unknown keyword 'FOO' of OPEN parameter string\r\nwhile operating on file "
              "'r.txt'.\n");
    EXPECT_EQ(result.out, "read 0\n");
}

TEST_F(DataScriptTest, ErrorsNameTheScriptAndLine) {
    struct Case {
        std::string script;
        int exitStatus;
        std::string err;
    };
    const Case cases[] = {
        {"ch = OPEN('DATA', 'e.txt', 'MODE=WA')\nIF 1 THEN\n", 2,
         "t.omb:2: error: IF is never closed by ENDIF\n"},
        {"ch = OPEN('DATA', 'e.txt', 'MODE=WA')\nOUTPUT ch, 'k', 1, 1\n"
         "n = INPUT(ch, 'k', 'x', v)\n",
         1, "t.omb:3: error: INPUT failed with status -1111\n"},
        {"ch = OPEN('DATA', 'e.txt', '')\n", 1,
         "Open error (file already used)\r\nwhile operating on file 'e.txt'.\n"
         "t.omb:1: error: OPEN failed with status -7003\n"},
    };
    for (const Case& c : cases) {
        Testing::ScriptFolder folder;
        folder.WriteFile("t.omb", c.script);
        const RunResult result = Testing::RunOmbra(folder, {"t.omb"});
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.script;
        EXPECT_EQ(result.err, c.err);
    }
}

TEST_F(DataScriptTest, ASyntaxErrorStopsTheScriptBeforeItRuns) {
    const RunResult result = Run("ch = OPEN('DATA', 's.txt', 'MODE=WA')\nPRINT (\n");
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_FALSE(folder.Exists("s.txt"));
}

TEST_F(DataScriptTest, TheWorkerAndTheMainThreadGiveTheSameResults) {
    const std::string script =
        "ch = OPEN('DATA', 'prices.txt', \"SEPARATOR=';', MODE=WA\")\n"
        "OUTPUT ch, 'A7', 1, 12.5, 'red'\n"
        "n = INPUT(ch, 'A7', 1, price, colour)\n"
        "PRINT n, price, colour\n"
        "OUTPUT ch, 'A7', 0\n"
        "CLOSE ch\n"
        "OUTPUT ch, 'A8', 1\n";
    RunResult results[2];
    std::string files[2];
    const std::vector<std::string> modes[2] = {{}, {"--main-thread"}};
    for (int i = 0; i < 2; ++i) {
        Testing::ScriptFolder folder;
        folder.WriteFile("t.omb", script);
        std::vector<std::string> arguments = modes[i];
        arguments.push_back("t.omb");
        results[i] = Testing::RunOmbra(folder, arguments);
        files[i] = Testing::ReadBack(folder, "prices.txt");
    }
    EXPECT_EQ(results[0].exitStatus, 1);
    EXPECT_EQ(results[0].out, "2 12.5 red\n");
    EXPECT_EQ(results[0].err, "t.omb:7: error: OUTPUT failed: channel 1 is not open\n");
    EXPECT_EQ(files[0], kBom);  // the record was deleted; the save keeps only the mark
    EXPECT_EQ(results[1].exitStatus, results[0].exitStatus);
    EXPECT_EQ(results[1].out, results[0].out);
    EXPECT_EQ(results[1].err, results[0].err);
    EXPECT_EQ(files[1], files[0]);
}

TEST_F(DataScriptTest, TheBaseFolderHoldsTheDataFiles) {
    folder.MakeFolder("data");
    const RunResult result =
        Run("ch = OPEN('DATA', 'b.txt', 'MODE=WA')\nOUTPUT ch, 'k', 1, 'v'\n", {"--base", "data"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(Testing::ReadBack(folder, "data/b.txt"), kBom + "k\tv\r");
    EXPECT_FALSE(folder.Exists("b.txt"));
}

}  // namespace
}  // namespace Ombra
