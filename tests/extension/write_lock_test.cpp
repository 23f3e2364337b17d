// One writer per data file, as other programs see it: a writing channel holds an flock on the
// file from OPEN to CLOSE, on the new text too once a compaction replaced it; an flock another
// program holds refuses a writer, an fcntl record lock is another kind of lock and is not seen.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "platform/filesystem/fault_injection.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

class WriteLock : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.WriteFile("held.txt", "A\t1\rB\t2\r")); }
    // Runs `take` on a descriptor of its own for held.txt; its result, the descriptor closed.
    bool Foreign(const std::function<bool(int)>& take,
                 const std::function<void()>& meanwhile = {}) {
        const int fd = ::open(folder.PathOf("held.txt").c_str(), O_RDWR | O_CLOEXEC);
        const bool taken = fd >= 0 && take(fd);
        if (taken && meanwhile) meanwhile();
        ::close(fd);
        return taken;
    }
    static bool Flock(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
};

TEST_F(WriteLock, ForeignFlockRefusesAWriterAndRecordLocksAreNotSeen) {
    const struct {
        const char* name;
        std::function<bool(int)> take;
        Int16 writer;
    } cases[] = {
        {"flock shared", [](int fd) { return ::flock(fd, LOCK_SH | LOCK_NB) == 0; }, -7003},
        {"flock exclusive", Flock, -7003},
        {"fcntl write lock",
         [](int fd) {
             struct flock range {};
             range.l_type = F_WRLCK;
             return ::fcntl(fd, F_SETLK, &range) == 0;
         },
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Foreign(c.take, [&] {
            EXPECT_EQ(host.Open(1, "held.txt", "MODE=WA"), c.writer);
            EXPECT_EQ(host.Open(2, "held.txt", "MODE=RO"), 0);
        }));
        EXPECT_EQ(host.TakeReports().size(), c.writer == 0 ? 0u : 1u);
        host.Close(1);
        host.Close(2);
    }
}

TEST_F(WriteLock, LockHoldsOnTheFileThatACompactionLeavesUnderTheName) {
    struct stat before {
    }, after{};
    ::stat(folder.PathOf("held.txt").c_str(), &before);
    ASSERT_EQ(host.Open(1, "held.txt", "MODE=WA"), 0);
    EXPECT_FALSE(Foreign(Flock));
    // Keys after the leading run: the 1023rd tail record compacts the file.
    for (int index = 0; index < 1100; ++index)
        ASSERT_EQ(host.Output(1, "K" + std::to_string(index), "1", {Int32(index)}), 0);
    ::stat(folder.PathOf("held.txt").c_str(), &after);
    ASSERT_NE(after.st_ino, before.st_ino) << "no compaction replaced the file";
    EXPECT_FALSE(Foreign(Flock));
    EXPECT_EQ(host.Close(1), 0);  // saves once more, replacing the file again, and lets it go
    EXPECT_TRUE(Foreign(Flock));
}

// A compaction that cannot put its new text under the name leaves the lock where the name is.
TEST_F(WriteLock, FailedCompactionKeepsTheLockOnTheFileUnderTheName) {
    namespace Faults = IO::FaultInjection;
    ASSERT_EQ(host.Open(1, "held.txt", "MODE=WA"), 0);
    Faults::FailCall(Faults::Op::Rename, 1, {EIO, Faults::Repeat::Persistent});
    for (int index = 0; index < 1100; ++index)
        ASSERT_EQ(host.Output(1, "K" + std::to_string(index), "1", {Int32(index)}), 0);
    const bool refused = !Foreign(Flock);
    Faults::Reset();
    EXPECT_TRUE(refused);
    EXPECT_EQ(host.Close(1), 0);
    EXPECT_TRUE(Foreign(Flock));
}

}  // namespace
