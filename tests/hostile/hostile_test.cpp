// Files the module cannot use as asked, served through the module loaded by the test host. Each
// ends in its documented message or is served, never with a wrong record, and every record the
// file held before is still there afterwards.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "platform/filesystem/fault_injection.h"
#include "tests/support/child_process.h"
#include "tests/support/core_binding.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace Hostile {
namespace {

namespace Faults = IO::FaultInjection;

const std::string Sorted = "a\t1st\rb\t2nd\rc\t3rd\r";

// The report of message `index` of the module's file-error list about `name`.
std::string Report(Int16 index, const std::string& name) {
    return OmbraTest::ModuleReport(3, index, name);
}
constexpr Int16 Used = 2, NotFound = 3, WriteError = 5;

class HostileFile : public testing::Test {
protected:
    void TearDown() override { Faults::Reset(); }

    // INPUT of field 1 of channel 1: the text of the one value delivered, "<absent>" when none,
    // "<status N>" when INPUT failed.
    std::string Field(const std::string& key) {
        const OmbraTest::InputResult result = host.Input(1, key, "1", 1);
        if (result.status != NoError) return "<status " + std::to_string(result.status) + ">";
        if (result.values.empty()) return "<absent>";
        const std::string* text = std::get_if<std::string>(&result.values[0]);
        return text != nullptr ? *text : "<a number>";
    }

    // Key and the field INPUT must deliver for it.
    void ExpectProbes(const std::vector<std::pair<std::string, std::string>>& probes) {
        for (const auto& [key, field] : probes) EXPECT_EQ(Field(key), field) << "key " << key;
    }

    void ExpectSortedRecords() { ExpectProbes({{"a", "1st"}, {"b", "2nd"}, {"c", "3rd"}}); }

    // OPEN fails with -7003 and the one report of message `message` about `name`.
    void ExpectOpenFails(const std::string& name, const std::string& mode, Int16 message) {
        EXPECT_EQ(host.Open(1, name, mode), StatusReportedError) << mode;
        EXPECT_EQ(host.TakeReports(), std::vector<std::string>{Report(message, name)}) << mode;
    }

    // Runs `body` as the user "nobody" in a child process when this process runs as root, so
    // that file permissions bite; skips when that is not possible.
    void RunWithoutPrivileges(const std::function<void()>& body) {
        if (::geteuid() != 0) return body();
        if (::chmod(folder.Path().c_str(), 0777) != 0) GTEST_SKIP() << "cannot open the folder";
        const OmbraTest::ChildResult child = OmbraTest::RunFunction({}, [&] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 77;
            body();
            return testing::Test::HasFailure() ? 1 : 0;
        });
        if (child.exitStatus == 77)
            GTEST_SKIP() << "running as root and cannot drop to an unprivileged user";
        EXPECT_EQ(child.Status(), 0) << "the unprivileged run failed:\n" << child.out << child.err;
    }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
};

// A line longer than any buffer of the line reader is served, kept by a save and served again;
// the data-file fuzz target's seeds serve the other odd bytes and every mix of line ends.
TEST_F(HostileFile, TenMegabyteLineIsServedAndKept) {
    const std::string longField(10 * 1024 * 1024, 'x');
    ASSERT_TRUE(folder.WriteFile("long.txt", "a\t1st\rb\t" + longField + "\rc\t3rd\r"));
    ASSERT_EQ(host.Open(1, "long.txt", "MODE=WA"), NoError);
    ExpectProbes({{"a", "1st"}, {"b", longField}, {"c", "3rd"}, {"new", "<absent>"}});
    EXPECT_EQ(host.Output(1, "c", "1", {std::string("changed")}), NoError);
    host.Close(1);
    ASSERT_EQ(host.Open(1, "long.txt", "MODE=RO"), NoError);
    ExpectProbes({{"a", "1st"}, {"b", longField}, {"c", "changed"}});
    host.Close(1);
    EXPECT_TRUE(host.TakeReports().empty());
    // Compared without printing: a failure would show 10 MB twice.
    EXPECT_TRUE(folder.ReadFile("long.txt") == "a\t1st\rb\t" + longField + "\rc\tchanged\r");
}

TEST_F(HostileFile, FolderAsDataFileIsNotFoundInEveryMode) {
    ASSERT_TRUE(folder.MakeFolder("data.txt/inner"));
    for (const char* mode : {"MODE=RO", "MODE=WA", "MODE=WO"})
        ExpectOpenFails("data.txt", mode, NotFound);
    EXPECT_TRUE(std::filesystem::is_directory(folder.PathOf("data.txt/inner")));
}

// Without read permission no mode can use the file; it stays as it was.
TEST_F(HostileFile, FileWithoutReadPermissionIsRefused) {
    ASSERT_TRUE(folder.WriteFile("secret.txt", Sorted));
    ASSERT_EQ(::chmod(folder.PathOf("secret.txt").c_str(), 0222), 0);
    RunWithoutPrivileges([&] {
        for (const char* mode : {"MODE=RO", "MODE=WA", "MODE=WO"})
            ExpectOpenFails("secret.txt", mode, Used);
    });
    ::chmod(folder.PathOf("secret.txt").c_str(), 0644);
    EXPECT_EQ(folder.ReadFile("secret.txt"), Sorted);
}

// A read-only file opens for writing (OPEN only reads). Every OUTPUT then reports that it could
// not store its record; INPUT goes on serving every record, and the file stays as it was.
TEST_F(HostileFile, FileWithoutWritePermissionReportsEveryOutput) {
    ASSERT_TRUE(folder.WriteFile("fixed.txt", Sorted));
    ASSERT_EQ(::chmod(folder.PathOf("fixed.txt").c_str(), 0444), 0);
    RunWithoutPrivileges([&] {
        ASSERT_EQ(host.Open(1, "fixed.txt", "MODE=WA"), NoError);
        for (const char* key : {"b", "n"}) {
            EXPECT_EQ(host.Output(1, key, "1", {std::string("longer text")}), StatusReportedError);
            EXPECT_EQ(host.TakeReports(),
                      std::vector<std::string>{Report(WriteError, "fixed.txt")});
            ExpectSortedRecords();
            EXPECT_EQ(Field("n"), "<absent>");
        }
        EXPECT_TRUE(host.TakeReports().empty());
        host.Close(1);
    });
    EXPECT_EQ(folder.ReadFile("fixed.txt"), Sorted);
}

// A write that fails for a file-size limit (the signal ignored, so the write returns EFBIG) is
// reported, and the record that did not fit is absent, not cut.
TEST_F(HostileFile, FileSizeLimitReportsTheRecordThatDidNotFit) {
    ASSERT_TRUE(folder.WriteFile("limit.txt", Sorted));
    ASSERT_EQ(host.Open(1, "limit.txt", "MODE=WA"), NoError);
    ExpectSortedRecords();
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved;
    limit.rlim_cur = Sorted.size() + 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const Int16 status = host.Output(1, "n", "1", {std::string("new record")});
    const std::vector<std::string> reports = host.TakeReports();
    const std::string field = Field("n");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(status, StatusReportedError);
    EXPECT_EQ(reports, std::vector<std::string>{Report(WriteError, "limit.txt")});
    EXPECT_EQ(field, "<absent>");
    ExpectSortedRecords();
    host.Close(1);
    EXPECT_EQ(folder.ReadFile("limit.txt"), Sorted);
}

// A save writes a new file in the data file's place: it gets the data file's permission bits,
// and its owner and group where the process may give them (a root run gives the file to
// "nobody" first, so that the owner is not the process's own).
TEST_F(HostileFile, SaveKeepsPermissionsAndOwner) {
    ASSERT_TRUE(folder.WriteFile("private.txt", Sorted));
    const std::string path = folder.PathOf("private.txt");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    struct stat before;
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    ASSERT_EQ(host.Open(1, "private.txt", "MODE=WA"), NoError);
    EXPECT_EQ(host.Output(1, "n", "1", {std::string("new")}), NoError);
    host.Close(1);
    struct stat after;
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "the file was not saved";
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
}

// When the disk fills at an OUTPUT's append, refusing it or cutting it short, and the module
// then goes away without a save, as in a crash: the record is absent, never cut, and the file is
// as it was. (The failure sweep fails the save at CLOSE at every call.)
TEST_F(HostileFile, FullDiskLeavesEveryRecordWholeOrAbsent) {
    for (const std::size_t bytesWritten : {0, 5}) {
        SCOPED_TRACE(std::to_string(bytesWritten) + " bytes of the line written");
        ASSERT_TRUE(folder.WriteFile("full.txt", Sorted));
        ASSERT_EQ(host.Open(1, "full.txt", "MODE=WA"), NoError);
        ExpectSortedRecords();
        Faults::FailCall(Faults::Op::Write, 1, {ENOSPC, Faults::Repeat::Persistent, bytesWritten});
        EXPECT_EQ(host.Output(1, "n", "1", {std::string("new record")}), StatusReportedError);
        EXPECT_EQ(host.TakeReports(), std::vector<std::string>{Report(WriteError, "full.txt")});
        ASSERT_TRUE(host.Reload());
        Faults::Reset();
        ASSERT_EQ(host.Open(1, "full.txt", "MODE=RO"), NoError);
        ExpectSortedRecords();
        EXPECT_EQ(Field("n"), "<absent>");
        host.Close(1);
        EXPECT_TRUE(host.TakeReports().empty());
        EXPECT_EQ(folder.ReadFile("full.txt"), Sorted);
    }
}

// A sparse file whose last line ends 3 bytes below 2 GiB: its last record is read and changed in
// place, and a record that would end beyond the limit is refused, and reported, without touching
// the file.
TEST_F(HostileFile, RecordsAtTheThirtyOneBitLimit) {
    constexpr std::uintmax_t Limit = 0x7FFFFFFF;
    const std::string path = folder.PathOf("edge.txt");
    ASSERT_TRUE(folder.WriteFile("edge.txt", "a\tx\rb\t"));
    std::filesystem::resize_file(path, Limit - 3 - 5);
    ASSERT_TRUE(std::ofstream(path, std::ios::binary | std::ios::app) << "\rc\ty\r");
    ASSERT_EQ(std::filesystem::file_size(path), Limit - 3);

    ASSERT_EQ(host.Open(1, "edge.txt", "MODE=WA"), NoError);
    EXPECT_EQ(Field("c"), "y");
    EXPECT_EQ(host.Output(1, "c", "1", {std::string("z")}), NoError);
    EXPECT_EQ(host.Output(1, "d", "1", {std::string("w")}), StatusReportedError);
    EXPECT_EQ(host.TakeReports(), std::vector<std::string>{Report(WriteError, "edge.txt")});
    EXPECT_EQ(Field("c"), "z");
    EXPECT_EQ(Field("d"), "<absent>");
    host.Close(1);
    EXPECT_TRUE(host.TakeReports().empty());
    EXPECT_EQ(std::filesystem::file_size(path), Limit - 3);
    std::ifstream file(path, std::ios::binary);
    std::string tail(5, '\0');
    EXPECT_TRUE(file.seekg(Limit - 3 - 5).read(tail.data(), 5));
    EXPECT_EQ(tail, "\rc\tz\r");
}

}  // namespace
}  // namespace Hostile
