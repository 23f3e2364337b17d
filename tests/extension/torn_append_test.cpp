// An append cut short by a full disk is reported, and whatever part of the line reached the file
// must not come back as a record after the next append or save (after a crash: the hostile-file
// suite's full disk).
#include <gtest/gtest.h>

#include "platform/filesystem/fault_injection.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

namespace FI = IO::FaultInjection;
using Values = std::vector<OmbraTest::Value>;

class TornAppend : public ::testing::Test {
protected:
    void TearDown() override { FI::Reset(); }

    // Opens `bytes` as data.txt for writing, loads its index, and fails its next OUTPUT's write
    // after `cut` bytes (the cut back to the old end fails too when `truncateFails`).
    void FailAppend(const std::string& bytes, size_t cut, bool truncateFails = false) {
        ASSERT_TRUE(folder.WriteFile("data.txt", bytes));
        ASSERT_EQ(host.Open(1, "data.txt", "MODE=WA"), 0);
        ASSERT_EQ(Field("A"), Values{Int32(1)});
        FI::FailCall(FI::Op::Write, 1, {ENOSPC, FI::Repeat::Once, cut});
        if (truncateFails) FI::FailCall(FI::Op::Truncate, 1, {EIO, FI::Repeat::Persistent});
        EXPECT_EQ(host.Output(1, "NEW", "1", {std::string("fresh value")}), StatusReportedError);
        EXPECT_EQ(host.TakeReports().size(), 1u);
        FI::Reset();
    }
    Values Field(const std::string& key) { return host.Input(1, key, "1", 1).values; }
    std::string Bytes() { return folder.ReadFile("data.txt").value_or("<missing>"); }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
};

TEST_F(TornAppend, NextAppendStartsWhereTheIndexedFileEnds) {
    FailAppend("A\t1\r", 5);
    EXPECT_EQ(host.Output(1, "C", "1", {Int32(3)}), 0);
    EXPECT_EQ(Bytes(), "A\t1\rC\t3\r");
    EXPECT_EQ(Field("C"), Values{Int32(3)});
    EXPECT_EQ(Field("NEW"), Values{});
}

// When the cut fails as well, the torn bytes stay until the save, which the failure makes due.
TEST_F(TornAppend, FailedCutLeavesTheSaveToDropTheTornLine) {
    FailAppend("A\t1\r", 7, true);
    EXPECT_EQ(Bytes(), "A\t1\rNEW\tfre");
    EXPECT_EQ(Field("NEW"), Values{});
    EXPECT_EQ(host.Close(1), 0);
    EXPECT_EQ(Bytes(), "A\t1\r");
}

}  // namespace
