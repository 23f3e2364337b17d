// An append cut short by a full disk is reported, and whatever part of the line reached the file
// must not come back as a record, neither after a crash (the channel dropped without a save, the
// file loaded afresh) nor after the next append or save.
#include "extension/frame/channel_table.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/extension/write/write_fixture.h"

namespace WriteTest {
namespace {

using namespace DataOmbraPlugin;
namespace FI = IO::FaultInjection;

class TornAppendTest : public WriteFixture {
protected:
    // Drops the channel as a crash would (no save), then claims `next` for the file on disk.
    void CrashAndReload(UInt32 channel, UInt32 next) {
        std::unique_ptr<IO::File> file;
        ReleaseChannel(channel, file);
        file.reset();
        Reopen(next, "data.txt");
    }
};

struct TornCase {
    std::string name;
    std::string before;    // the file before the append
    std::string expected;  // the file after the failed append
    UInt64 lineWrite;      // the write call that carries the new line
};

// The new line "NEW\tfresh value\r" is 16 bytes; every cut of it is tried.
constexpr size_t NewLineBytes = 16;

TEST_F(TornAppendTest, ShortWriteLeavesNoPartialRecordAfterACrash) {
    const TornCase cases[] = {
        {"EndsWithLineEnd", "A\t1\rB\t2\r", "A\t1\rB\t2\r", 1},
        {"LastLineUnterminated", "A\t1\rB\t2", "A\t1\rB\t2\r", 2},
        {"AfterEarlierAppends", "B\t2\rA\t1\rA\t22\r", "B\t2\rA\t1\rA\t22\r", 1},
    };
    for (const TornCase& c : cases) {
        for (size_t cut = 0; cut < NewLineBytes; ++cut) {
            SCOPED_TRACE(c.name + " cut after " + std::to_string(cut));
            OpenChannel(1, "data.txt", c.before);
            ASSERT_EQ(Record(1, "B"), "B\t2");  // loads the indexes
            FI::FailCall(FI::Op::Write, c.lineWrite, {ENOSPC, FI::Repeat::Once, cut});
            EXPECT_EQ(Output(1, "NEW", "1", {"fresh value"}), StatusReportedError);
            FI::Reset();
            EXPECT_EQ(FileBytes("data.txt"), c.expected);
            CrashAndReload(1, 2);
            EXPECT_EQ(Record(2, "NEW"), "");
            EXPECT_EQ(Record(2, "B"), "B\t2");
            std::unique_ptr<IO::File> file;
            ReleaseChannel(2, file);
        }
    }
}

TEST_F(TornAppendTest, NextAppendStartsWhereTheIndexedFileEnds) {
    OpenChannel(1, "data.txt", "A\t1\r");
    ASSERT_EQ(Record(1, "A"), "A\t1");
    FI::FailCall(FI::Op::Write, 1, {ENOSPC, FI::Repeat::Once, 5});
    EXPECT_EQ(Output(1, "NEW", "1", {"fresh value"}), StatusReportedError);
    FI::Reset();
    EXPECT_EQ(Output(1, "C", "1", {Int32(3)}), 0);
    EXPECT_EQ(FileBytes("data.txt"), "A\t1\rC\t3\r");
    EXPECT_EQ(Record(1, "C"), "C\t3");
    EXPECT_EQ(Record(1, "NEW"), "");
}

// When the cut fails as well, the torn bytes stay until the save, which the failure makes due.
TEST_F(TornAppendTest, FailedCutLeavesTheSaveToDropTheTornLine) {
    OpenChannel(1, "data.txt", "A\t1\r");
    ASSERT_EQ(Record(1, "A"), "A\t1");
    ASSERT_EQ(Info(1).modified, 0);
    FI::FailCall(FI::Op::Write, 1, {ENOSPC, FI::Repeat::Once, 7});
    FI::FailCall(FI::Op::Truncate, 1, {EIO, FI::Repeat::Persistent});
    EXPECT_EQ(Output(1, "NEW", "1", {"fresh value"}), StatusReportedError);
    FI::Reset();
    EXPECT_EQ(FileBytes("data.txt"), "A\t1\rNEW\tfre");
    EXPECT_EQ(Info(1).modified, 1);
    EXPECT_EQ(UnloadChannel(1), NoError);
    EXPECT_EQ(FileBytes("data.txt"), "A\t1\r");
}

}  // namespace
}  // namespace WriteTest
