#include "ombra/data_statements.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_data_statements.h"

namespace Ombra {
namespace {

using Testing::FakeDataStatements;
using Testing::RunResult;
using Testing::RunSource;

class DataStatementsTest : public ::testing::Test {
protected:
    RunResult Run(const std::string& source) { return RunSource(source, data_); }

    FakeDataStatements data_;
};

TEST_F(DataStatementsTest, TextsPassAsTheirStrForm) {
    RunResult result =
        Run("c = OPEN('DATA', 12, 1.50)\n"
            "OUTPUT c, 7, 2.0, 'x'\n"
            "OUTPUT c, ' k ', 'name'\n"
            "n = INPUT(c, 0.1, -3, v)\n"
            "CLOSE c\n"
            "PRINT c, n");
    ASSERT_EQ(result.exitStatus, kExitSuccess) << result.err;
    EXPECT_EQ(data_.calls, (std::vector<std::string>{
                               "OPEN DATA|12|1.5",
                               "OUTPUT 1 key=7 field=2 values=1",
                               "OUTPUT 1 key= k  field=name values=0",
                               "INPUT 1 key=0.1 field=-3 count=1",
                               "CLOSE 1",
                           }));
    EXPECT_EQ(result.out, "1 0\n");
}

TEST_F(DataStatementsTest, ValuesKeepTheirTypesThroughOutputAndInput) {
    RunResult result =
        Run("c = OPEN('DATA', 'f', '')\n"
            "OUTPUT c, 'k', 1, 'text', 2.5, 3, 1 + 1\n"
            "n = INPUT(c, 'k', 1, a, b, d, e)\n"
            "PRINT n, a, b + 1, d + 1, e");
    ASSERT_EQ(result.exitStatus, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, "4 text 3.5 4 2\n");
    const auto key = std::make_pair(std::string("k"), std::string("1"));
    EXPECT_EQ(data_.records[key],
              (std::vector<ScriptValue>{std::string("text"), 2.5, int32_t{3}, int32_t{2}}));
}

TEST_F(DataStatementsTest, InputAssignsOnlyTheValuesDelivered) {
    data_.records[{"k", "2"}] = {int32_t{10}, std::string("x")};
    RunResult result =
        Run("c = OPEN('DATA', 'f', '')\n"
            "b = 'old'\n"
            "z = 'kept'\n"
            "n = INPUT(c, 'k', 2, a, b, z, never)\n"
            "PRINT n, a, b, z\n"
            "PRINT never");
    EXPECT_EQ(result.exitStatus, kExitRuntimeError);
    EXPECT_EQ(result.out, "2 10 x kept\n");
    EXPECT_EQ(result.err, "t.omb:6: error: variable 'never' is used before it is assigned\n");
    EXPECT_EQ(data_.calls.back(), "INPUT 1 key=k field=2 count=4");
}

TEST_F(DataStatementsTest, FailureStatusStopsTheScript) {
    data_.failures["INPUT"] = DataStatus{-7003, ""};
    RunResult result =
        Run("c = OPEN('DATA', 'f', '')\nPRINT 'open'\nn = INPUT(c, 1, 1, a)\nPRINT 'after'");
    EXPECT_EQ(result.exitStatus, kExitRuntimeError);
    EXPECT_EQ(result.out, "open\n");
    EXPECT_EQ(result.err, "t.omb:3: error: INPUT failed with status -7003\n");
}

// Makes `statement` fail with `status` in a script that opens, writes and closes.
void ExpectStatementFailure(const std::string& statement, const DataStatus& status,
                            const std::string& message) {
    FakeDataStatements data;
    data.failures[statement] = status;
    RunResult result = RunSource("c = OPEN('DATA', 'f', '')\nOUTPUT c, 1, 1\nCLOSE c", data);
    EXPECT_EQ(result.exitStatus, kExitRuntimeError) << statement;
    EXPECT_EQ(result.err, message);
}

TEST(DataStatementFailureTest, EachStatementReportsItsOwnFailure) {
    ExpectStatementFailure("OPEN", {-1, "file not found"},
                           "t.omb:1: error: OPEN failed with status -1 (file not found)\n");
    ExpectStatementFailure("OUTPUT", {5, ""}, "t.omb:2: error: OUTPUT failed with status 5\n");
    ExpectStatementFailure("CLOSE", {DataStatus::kHostFailure, "module gone"},
                           "t.omb:3: error: CLOSE failed: module gone\n");
}

TEST_F(DataStatementsTest, ChannelsMustBeIntegers) {
    EXPECT_EQ(Run("CLOSE 'a'").err, "t.omb:1: error: a channel must be an integer, not a string\n");
    EXPECT_EQ(Run("OUTPUT 1.5, 1, 1").err,
              "t.omb:1: error: a channel must be an integer, not a real\n");
    EXPECT_TRUE(data_.calls.empty());
}

TEST_F(DataStatementsTest, DeliveringMoreValuesThanAskedForIsAnError) {
    data_.records[{"k", "1"}] = {int32_t{1}, int32_t{2}};
    data_.deliverAll = true;
    RunResult result = Run("c = OPEN('DATA', 'f', '')\nn = INPUT(c, 'k', 1, a)");
    EXPECT_EQ(result.exitStatus, kExitRuntimeError);
    EXPECT_EQ(result.err, "t.omb:2: error: INPUT received 2 values for 1 variables\n");
}

TEST(ModuleDataStatementsTest, EveryDataStatementFailsWithoutAModule) {
    EXPECT_EQ(RunSource("\nc = OPEN('DATA', 'prices', '')").err,
              "t.omb:2: error: OPEN failed: no extension module serves file type 'DATA'\n");
    EXPECT_EQ(RunSource("n = INPUT(3, 1, 1, a)").err,
              "t.omb:1: error: INPUT failed: channel 3 is not open\n");
    EXPECT_EQ(RunSource("OUTPUT 4, 1, 1").err,
              "t.omb:1: error: OUTPUT failed: channel 4 is not open\n");
    EXPECT_EQ(RunSource("CLOSE 5").err, "t.omb:1: error: CLOSE failed: channel 5 is not open\n");
}

}  // namespace
}  // namespace Ombra
