// One writer per data file: a WA or WO channel holds the file's lock from OPEN to CLOSE, through
// the module loaded by the test host. Other channels of this process and other processes (fork)
// are refused as writers and served as readers.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "tests/extension/open/open_core.h"
#include "tests/extension/open/open_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

constexpr const char* Held = "held.txt";
const std::string Original = "A\t1\rB\t2\r";

class WriteLock : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
        ASSERT_TRUE(folder.WriteFile(Held, Original));
    }

    // OPEN of `name` on `channel`, expected to be refused as a second writer.
    void ExpectRefused(UInt32 channel, const char* name, const std::string& parameters) {
        EXPECT_EQ(host.Open(channel, name, parameters), StatusReportedError) << parameters;
        const std::vector<std::string> reports = host.TakeReports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0], OpenTest::FileErrorReport(2 /* open error */, name));
    }

    // The status of OPEN of `name` with `parameters` on a channel of its own in a child process.
    // The child's copy of the module shares this process's locks (flock belongs to the open file
    // description, which fork shares), so another channel of it is refused as one of ours is.
    Int16 OpenInChild(const char* name, const std::string& parameters) {
        const OmbraTest::ChildResult child = OmbraTest::RunFunction({}, [&] {
            const Int16 status = host.Open(9, name, parameters);
            return status == NoError ? 0 : status == StatusReportedError ? 1 : 2;
        });
        return child.Status() == 0 ? NoError : child.Status() == 1 ? StatusReportedError : -2;
    }

    ino_t Inode(const char* name) {
        struct stat info {};
        ::stat(folder.PathOf(name).c_str(), &info);
        return info.st_ino;
    }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
};

TEST_F(WriteLock, OtherProcessIsRefusedAsAWriterAndServedAsAReader) {
    ASSERT_EQ(host.Open(1, Held, "MODE=WA"), NoError);
    EXPECT_EQ(OpenInChild(Held, "MODE=WA"), StatusReportedError);
    EXPECT_EQ(OpenInChild(Held, "MODE=WO"), StatusReportedError);
    EXPECT_EQ(OpenInChild(Held, "MODE=RO"), NoError);
    EXPECT_EQ(folder.ReadFile(Held), Original);
    host.Close(1);
    EXPECT_EQ(OpenInChild(Held, "MODE=WA"), NoError);
}

TEST_F(WriteLock, LockOfAnotherProcessRefusesThisOneUntilItEnds) {
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(release[1]);  // the parent's close is then the end of the pipe
        const char opened = host.Open(1, Held, "MODE=WA") == NoError ? 'y' : 'n';
        char ignored;
        if (::write(ready[1], &opened, 1) == 1) (void)!::read(release[0], &ignored, 1);
        ::_exit(0);  // the lock goes with the process
    }
    char opened = 'n';
    ASSERT_EQ(::read(ready[0], &opened, 1), 1);
    EXPECT_EQ(opened, 'y');
    ExpectRefused(1, Held, "MODE=WA");
    EXPECT_EQ(host.Open(2, Held, "MODE=RO"), NoError);
    ::close(release[1]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(host.Open(1, Held, "MODE=WA"), NoError);
    for (int fd : {ready[0], ready[1], release[0]}) ::close(fd);
}

// How the first writer lets go of the file; the second writer (channel 2) then opens it.
struct ReleaseCase {
    const char* name;
    std::function<void(OmbraTest::TestHost&)> release;
};

TEST_F(WriteLock, LockGoesWithTheChannel) {
    ASSERT_TRUE(folder.WriteFile("other.txt", Original));
    const ReleaseCase cases[] = {
        {"CLOSE", [](OmbraTest::TestHost& h) { h.Close(1); }},
        {"re-OPEN elsewhere", [](OmbraTest::TestHost& h) { h.Open(1, "other.txt", "MODE=WA"); }},
        {"re-OPEN as reader", [](OmbraTest::TestHost& h) { h.Open(1, Held, "MODE=RO"); }},
        {"unload", [](OmbraTest::TestHost& h) { h.Reload(); }},
    };
    for (const ReleaseCase& release : cases) {
        SCOPED_TRACE(release.name);
        ASSERT_EQ(host.Open(1, Held, "MODE=WA"), NoError);
        ExpectRefused(2, Held, "MODE=WA");
        release.release(host);
        EXPECT_EQ(host.Open(2, Held, "MODE=WA"), NoError);
        EXPECT_TRUE(host.TakeReports().empty());
        host.Close(1);
        host.Close(2);
    }
}

TEST_F(WriteLock, ChannelKeepsItsLockWhenReopenedOnTheSameFileOrWhenItsReopenFails) {
    ASSERT_EQ(host.Open(1, Held, "MODE=WA"), NoError);
    EXPECT_EQ(host.Open(1, Held, "MODE=WA"), NoError);
    EXPECT_EQ(host.Open(1, Held, "MODE=WO"), NoError);
    ExpectRefused(2, Held, "MODE=WA");
    EXPECT_EQ(host.Open(1, "missing.txt", "MODE=RO"), StatusReportedError);
    host.TakeReports();
    ExpectRefused(2, Held, "MODE=WA");
    EXPECT_EQ(OpenInChild(Held, "MODE=WA"), StatusReportedError);
}

TEST_F(WriteLock, LockHoldsOnTheFileThatACompactionLeavesUnderTheName) {
    ASSERT_EQ(host.Open(1, Held, "MODE=WA"), NoError);
    const ino_t before = Inode(Held);
    // Keys after the leading run: the 1023rd tail record compacts the file.
    for (int index = 0; index < 1100; ++index)
        ASSERT_EQ(host.Output(1, "K" + std::to_string(index), "1", {Int32(index)}), NoError);
    ASSERT_NE(Inode(Held), before) << "no compaction replaced the file";
    ExpectRefused(2, Held, "MODE=WA");
    EXPECT_EQ(OpenInChild(Held, "MODE=WA"), StatusReportedError);
    // CLOSE saves once more, replacing the file again, and then lets it go.
    host.Close(1);
    EXPECT_EQ(OpenInChild(Held, "MODE=WA"), NoError);
    EXPECT_EQ(host.Open(2, Held, "MODE=WA"), NoError);
    EXPECT_EQ(host.Input(2, "K1099", "1", 1).values.size(), 1u);
}

// Locks that other programs take: an flock of any kind refuses a writer; fcntl record locks are
// another kind of lock and are not seen.
TEST_F(WriteLock, ForeignFlockRefusesAWriterAndRecordLocksAreNotSeen) {
    struct ForeignCase {
        const char* name;
        std::function<bool(int)> take;
        bool writerOpens;
    };
    const ForeignCase cases[] = {
        {"flock shared", [](int fd) { return ::flock(fd, LOCK_SH | LOCK_NB) == 0; }, false},
        {"flock exclusive", [](int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }, false},
        {"fcntl write lock",
         [](int fd) {
             struct flock range {};
             range.l_type = F_WRLCK;
             range.l_whence = SEEK_SET;
             return ::fcntl(fd, F_SETLK, &range) == 0;
         },
         true},
    };
    for (const ForeignCase& foreign : cases) {
        SCOPED_TRACE(foreign.name);
        const int fd = ::open(folder.PathOf(Held).c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(foreign.take(fd));
        if (foreign.writerOpens) {
            EXPECT_EQ(host.Open(1, Held, "MODE=WA"), NoError);
            EXPECT_EQ(host.Open(2, Held, "MODE=RO"), NoError);
        } else {
            ExpectRefused(1, Held, "MODE=WA");
        }
        ::close(fd);
        host.Close(1);
        host.Close(2);
    }
}

}  // namespace
