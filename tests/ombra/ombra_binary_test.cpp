// End-to-end runs of the built ombra executable on small scripts.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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
