// An append cut short by a full disk is reported, and whatever part of the line reached the file
// must not come back as a record, neither after a crash (the module unloaded without a save, the
// file loaded afresh) nor after the next append or save.
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
    // call `write` after `cut` bytes (the cut back to the old end fails too when `truncateFails`).
    void FailAppend(const std::string& bytes, UInt64 write, size_t cut, bool truncateFails = false) {
        ASSERT_TRUE(folder.WriteFile("data.txt", bytes));
        ASSERT_EQ(host.Open(1, "data.txt", "MODE=WA"), 0);
        ASSERT_EQ(Field("A"), Values{Int32(1)});
        FI::FailCall(FI::Op::Write, write, {ENOSPC, FI::Repeat::Once, cut});
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

TEST_F(TornAppend, ShortWriteLeavesNoPartialRecordAfterACrash) {
    struct {
        const char* before;    // the file before the append
        const char* expected;  // the file after the failed append
        UInt64 lineWrite;      // the write call that carries the new line
    } const cases[] = {
        {"A\t1\rB\t2\r", "A\t1\rB\t2\r", 1},
        {"A\t1\rB\t2", "A\t1\rB\t2\r", 2},
        {"B\t2\rA\t0\rA\t1\r", "B\t2\rA\t0\rA\t1\r", 1},
    };
    for (const auto& c : cases) {
        for (size_t cut = 0; cut < 16; ++cut) {  // "NEW\tfresh value\r" is 16 bytes
            SCOPED_TRACE(std::string(c.before) + " cut after " + std::to_string(cut));
            FailAppend(c.before, c.lineWrite, cut);
            EXPECT_EQ(Bytes(), c.expected);
            ASSERT_TRUE(host.Reload()) << host.LoadError();  // a crash: no save
            ASSERT_EQ(host.Open(1, "data.txt", "MODE=WA"), 0);
            EXPECT_EQ(Field("NEW"), Values{});
            EXPECT_EQ(Field("B"), Values{Int32(2)});
            host.Close(1);
        }
    }
}

TEST_F(TornAppend, NextAppendStartsWhereTheIndexedFileEnds) {
    FailAppend("A\t1\r", 1, 5);
    EXPECT_EQ(host.Output(1, "C", "1", {Int32(3)}), 0);
    EXPECT_EQ(Bytes(), "A\t1\rC\t3\r");
    EXPECT_EQ(Field("C"), Values{Int32(3)});
    EXPECT_EQ(Field("NEW"), Values{});
}

// When the cut fails as well, the torn bytes stay until the save, which the failure makes due.
TEST_F(TornAppend, FailedCutLeavesTheSaveToDropTheTornLine) {
    FailAppend("A\t1\r", 1, 7, true);
    EXPECT_EQ(Bytes(), "A\t1\rNEW\tfre");
    EXPECT_EQ(Field("NEW"), Values{});
    EXPECT_EQ(host.Close(1), 0);
    EXPECT_EQ(Bytes(), "A\t1\r");
}

}  // namespace
