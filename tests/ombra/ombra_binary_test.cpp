// End-to-end runs of the built ombra executable on small scripts.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fake_data_statements.h"

namespace Ombra {
namespace {

namespace fs = std::filesystem;

class OmbraBinaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("ombra_binary_test_" + std::to_string(getpid()) + "_" + test->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }

    std::string Read(const std::string& name) {
        std::ostringstream text;
        text << std::ifstream(folder_ / name, std::ios::binary).rdbuf();
        return text.str();
    }

    // Runs ombra in the test's folder with `arguments` and `input` on standard input.
    Testing::RunResult Run(const std::string& arguments, const std::string& input = "") {
        Write("stdin.txt", input);
        std::string command = "cd '" + folder_.string() + "' && '" OMBRA_BINARY "' " + arguments +
                              " <stdin.txt >stdout.txt 2>stderr.txt";
        int status = std::system(command.c_str());
        int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return Testing::RunResult{exitStatus, Read("stdout.txt"), Read("stderr.txt")};
    }

    // Runs ombra without a script on a pseudo-terminal, typing each line once a prompt ends
    // what the terminal shows. Returns all it showed; `exitStatus` gets ombra's.
    std::string RunOnTerminal(const std::vector<std::string>& lines, int& exitStatus) {
        int terminal = -1;
        const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (child == 0) {
            setenv("TERM", "dumb", 1);
            if (chdir(folder_.c_str()) == 0) execl(OMBRA_BINARY, OMBRA_BINARY, nullptr);
            _exit(127);
        }
        std::string shown;
        size_t typed = 0;
        char buffer[256];
        pollfd ready{terminal, POLLIN, 0};
        // Reading fails (EIO) once ombra has ended; a silent ombra fails the test in 10 s.
        while (child > 0 && poll(&ready, 1, 10000) > 0) {
            const ssize_t count = read(terminal, buffer, sizeof buffer);
            if (count <= 0) break;
            shown.append(buffer, size_t(count));
            if (typed < lines.size() && (shown.ends_with("ombra> ") || shown.ends_with("...> "))) {
                const std::string line = lines[typed++] + "\r";
                if (write(terminal, line.data(), line.size()) != ssize_t(line.size())) break;
            }
        }
        close(terminal);
        int status = 0;
        exitStatus = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)
                         ? WEXITSTATUS(status)
                         : -1;
        return shown;
    }

    fs::path folder_;
};

TEST_F(OmbraBinaryTest, RunsAScriptToItsEnd) {
    Write("sum.omb",
          "total = 0\r\nFOR i = 1 TO 4\r\n  total = total + i / 2\r\nNEXT i\r\nPRINT 'total', "
          "total\r\n");
    Testing::RunResult result = Run("--base . --main-thread sum.omb");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "total 5\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(OmbraBinaryTest, ReadsTheScriptFromStandardInput) {
    Testing::RunResult result = Run("-", "PRINT 1\nEND\nPRINT 2\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "1\n");
    EXPECT_EQ(Run("-", "PRINT (\n").err,
              "<stdin>:1: error: expected an expression, found end of line\n");
}

// The session as a user at a terminal sees it: prompts, a block run when closed, an error that
// does not end it, values and channels kept between statements, the channel closed (its file
// saved in key order) at END.
TEST_F(OmbraBinaryTest, InteractiveSessionOnATerminal) {
    int exitStatus = -1;
    const std::string shown =
        RunOnTerminal({"ch = OPEN(\"DATA\", \"t.txt\", \"SEPARATOR=';', MODE=WA\")",
                       "FOR i = 2 TO 1 STEP -1", "OUTPUT ch, \"K\" + STR(i), 1, i * 2.5", "NEXT i",
                       "PRINT nope", "n = INPUT(ch, \"K2\", 1, v)", "PRINT n, v", "END"},
                      exitStatus);
    EXPECT_EQ(exitStatus, 0) << shown;
    EXPECT_NE(shown.find("  ...> NEXT i"), std::string::npos) << shown;
    EXPECT_NE(shown.find("<stdin>:5: error: variable 'nope' is used before it is assigned"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("\n1 5\r\n"), std::string::npos) << shown;
    EXPECT_EQ(Read("t.txt"), "\xEF\xBB\xBFK1;2.5\rK2;5\r");
}

TEST_F(OmbraBinaryTest, RuntimeErrorExitsWithOne) {
    Write("prices.omb", "PRINT 'start'\n\n\nch = OPEN('DATA', 'prices', '')\nPRINT 'unreached'\n");
    fs::create_directories(folder_ / "no-modules");
    Testing::RunResult result = Run("--extensions no-modules prices.omb");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "start\n");
    EXPECT_EQ(result.err,
              "prices.omb:4: error: OPEN failed: no extension module serves file type 'DATA'\n");
}

TEST_F(OmbraBinaryTest, SyntaxErrorExitsWithTwoBeforeRunning) {
    Write("bad.omb", "PRINT 'start'\nIF 1 THEN\nPRINT 2\n");
    Testing::RunResult result = Run("bad.omb");
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "bad.omb:2: error: IF is never closed by ENDIF\n");
}

TEST_F(OmbraBinaryTest, UsageErrorsExitWithTwo) {
    Testing::RunResult none = Run("");
    EXPECT_EQ(none.exitStatus, 2);
    EXPECT_EQ(none.err,
              "ombra: no script given, and standard input is not a terminal\n"
              "Try 'ombra --help'.\n");
    Testing::RunResult unknown = Run("--frobnicate x.omb");
    EXPECT_EQ(unknown.exitStatus, 2);
    EXPECT_EQ(unknown.err, "ombra: unknown option '--frobnicate'\nTry 'ombra --help'.\n");
    Testing::RunResult missing = Run("missing.omb");
    EXPECT_EQ(missing.exitStatus, 2);
    EXPECT_EQ(missing.err,
              "ombra: cannot read the script 'missing.omb': No such file or directory\n");
    EXPECT_EQ(Run(".").exitStatus, 2);
}

TEST_F(OmbraBinaryTest, HelpAndVersion) {
    Testing::RunResult help = Run("--help");
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("usage: ombra [options] [SCRIPT]"), std::string::npos);
    Testing::RunResult version = Run("--version");
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("ombra ", 0), 0u);
}

}  // namespace
}  // namespace Ombra
