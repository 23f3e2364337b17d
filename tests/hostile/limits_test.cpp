// Files the module cannot use as asked: a folder, files without read or write permission, a full
// disk, a file-size limit, offsets at the 31-bit limit, and what a save keeps of the file. Each ends in its documented message or is served, never
// with a wrong record, and every record the file held before is still there afterwards.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/filesystem/fault_injection.h"
#include "tests/hostile/hostile_fixture.h"

namespace Hostile {
namespace {

namespace Faults = IO::FaultInjection;

const std::string Sorted = "a\t1st\rb\t2nd\rc\t3rd\r";
const std::string NotFound = "File not found, can't open for input\r\nwhile operating on file '";
const std::string ReadError = "Read error\r\nwhile operating on file '";
const std::string Used = "Open error (file already used)\r\nwhile operating on file '";
const std::string WriteError = "Write permission error\r\nwhile operating on file '";

class Limits : public HostileFile {
protected:
    void TearDown() override { Faults::Reset(); }

    // OPEN fails with -7003 and the one report `message` about `name`.
    void ExpectOpenFails(const std::string& name, const std::string& mode,
                         const std::string& message) {
        EXPECT_EQ(host.Open(1, name, mode), StatusReportedError) << mode;
        EXPECT_EQ(host.TakeReports(), std::vector<std::string>{message + name + "'."}) << mode;
    }

    void ExpectSortedRecords(UInt32 channel) {
        EXPECT_EQ(Field(channel, "a"), "1st");
        EXPECT_EQ(Field(channel, "b"), "2nd");
        EXPECT_EQ(Field(channel, "c"), "3rd");
    }
};

TEST_F(Limits, FolderAsDataFileIsNotFoundInEveryMode) {
    ASSERT_TRUE(folder.MakeFolder("data.txt/inner"));
    for (const char* mode : {"MODE=RO", "MODE=WA", "MODE=WO"})
        ExpectOpenFails("data.txt", mode, NotFound);
    EXPECT_TRUE(std::filesystem::is_directory(folder.PathOf("data.txt/inner")));
}

// Without read permission no mode can use the file; it stays as it was.
TEST_F(Limits, FileWithoutReadPermissionIsRefused) {
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
TEST_F(Limits, FileWithoutWritePermissionReportsEveryOutput) {
    ASSERT_TRUE(folder.WriteFile("fixed.txt", Sorted));
    ASSERT_EQ(::chmod(folder.PathOf("fixed.txt").c_str(), 0444), 0);
    RunWithoutPrivileges([&] {
        ASSERT_EQ(host.Open(1, "fixed.txt", "MODE=WA"), NoError);
        for (const char* key : {"b", "n"}) {
            EXPECT_EQ(host.Output(1, key, "1", {std::string("longer text")}), StatusReportedError);
            EXPECT_EQ(host.TakeReports(), std::vector<std::string>{WriteError + "fixed.txt'."});
            ExpectSortedRecords(1);
            EXPECT_EQ(Field(1, "n"), "<absent>");
        }
        EXPECT_TRUE(host.TakeReports().empty());
        host.Close(1);
    });
    EXPECT_EQ(folder.ReadFile("fixed.txt"), Sorted);
}

// A write that fails for a file-size limit (the signal ignored, so the write returns EFBIG) is
// reported, and the record that did not fit is absent, not cut.
TEST_F(Limits, FileSizeLimitReportsTheRecordThatDidNotFit) {
    ASSERT_TRUE(folder.WriteFile("limit.txt", Sorted));
    ASSERT_EQ(host.Open(1, "limit.txt", "MODE=WA"), NoError);
    ExpectSortedRecords(1);
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved;
    limit.rlim_cur = Sorted.size() + 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const Int16 status = host.Output(1, "n", "1", {std::string("new record")});
    const std::vector<std::string> reports = host.TakeReports();
    const std::string field = Field(1, "n");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(status, StatusReportedError);
    EXPECT_EQ(reports, std::vector<std::string>{WriteError + "limit.txt'."});
    EXPECT_EQ(field, "<absent>");
    ExpectSortedRecords(1);
    host.Close(1);
    EXPECT_EQ(folder.ReadFile("limit.txt"), Sorted);
}

// A save writes a new file in the data file's place: it gets the data file's permission bits,
// and its owner and group where the process may give them (a root run gives the file to
// "nobody" first, so that the owner is not the process's own).
TEST_F(Limits, SaveKeepsPermissionsAndOwner) {
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

// When the disk fills, and what the test does after the failure: the new record is complete or
// absent, never cut, and the records before it stay.
struct FullDiskCase {
    const char* name;
    std::size_t bytesWritten;  // of the failing write
    bool failTheSave;          // the disk is full at CLOSE's save instead of at OUTPUT
    bool unloadUnsaved;        // the module goes away without a save, as in a crash
};

TEST_F(Limits, FullDiskLeavesEveryRecordWholeOrAbsent) {
    const FullDiskCase cases[] = {
        {"append refused, then CLOSE", 0, false, false},
        {"append cut short, then CLOSE", 5, false, false},
        {"append refused, then unload", 0, false, true},
        {"append cut short, then unload", 5, false, true},
        {"save refused at CLOSE", 0, true, false},
        {"save cut short at CLOSE", 7, true, false},
    };
    for (const FullDiskCase& full : cases) {
        SCOPED_TRACE(full.name);
        ASSERT_TRUE(folder.WriteFile("full.txt", Sorted));
        ASSERT_EQ(host.Open(1, "full.txt", "MODE=WA"), NoError);
        ExpectSortedRecords(1);
        const Faults::Failure noSpace{ENOSPC, Faults::Repeat::Persistent, full.bytesWritten};
        if (!full.failTheSave) Faults::FailCall(Faults::Op::Write, 1, noSpace);
        // An OUTPUT that could not store its record says so; a failed save stays silent, since
        // the data file still holds every record.
        EXPECT_EQ(host.Output(1, "n", "1", {std::string("new record")}),
                  full.failTheSave ? NoError : StatusReportedError);
        EXPECT_EQ(host.TakeReports().size(), full.failTheSave ? 0u : 1u);
        if (full.failTheSave) Faults::FailCall(Faults::Op::Write, 1, noSpace);
        if (full.unloadUnsaved) {
            ASSERT_TRUE(host.Reload());
        }
        host.Close(1);
        Faults::Reset();
        EXPECT_TRUE(host.TakeReports().empty());
        ASSERT_EQ(host.Open(1, "full.txt", "MODE=RO"), NoError);
        ExpectSortedRecords(1);
        EXPECT_EQ(Field(1, "n"), full.failTheSave ? "new record" : "<absent>");
        host.Close(1);
        EXPECT_TRUE(LinesKept(Sorted, *folder.ReadFile("full.txt"), {"n"}));
    }
}

// A sparse file whose last line ends 3 bytes below 2 GiB: its last record is read and changed in
// place, and a record that would end beyond the limit is refused, and reported, without touching
// the file.
TEST_F(Limits, RecordsAtTheThirtyOneBitLimit) {
    constexpr std::uintmax_t Limit = 0x7FFFFFFF;
    const std::string path = folder.PathOf("edge.txt");
    ASSERT_TRUE(folder.WriteFile("edge.txt", "a\tx\rb\t"));
    std::filesystem::resize_file(path, Limit - 3 - 5);
    FILE* file = std::fopen(path.c_str(), "ab");
    ASSERT_NE(file, nullptr);
    std::fputs("\rc\ty\r", file);
    std::fclose(file);
    ASSERT_EQ(std::filesystem::file_size(path), Limit - 3);

    ASSERT_EQ(host.Open(1, "edge.txt", "MODE=WA"), NoError);
    EXPECT_EQ(Field(1, "c"), "y");
    EXPECT_EQ(host.Output(1, "c", "1", {std::string("z")}), NoError);
    EXPECT_EQ(host.Output(1, "d", "1", {std::string("w")}), StatusReportedError);
    EXPECT_EQ(host.TakeReports(), std::vector<std::string>{WriteError + "edge.txt'."});
    EXPECT_EQ(Field(1, "c"), "z");
    EXPECT_EQ(Field(1, "d"), "<absent>");
    host.Close(1);
    EXPECT_TRUE(host.TakeReports().empty());
    EXPECT_EQ(std::filesystem::file_size(path), Limit - 3);
    std::string tail(5, '\0');
    file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::fseek(file, long(Limit - 3 - 5), SEEK_SET);
    EXPECT_EQ(std::fread(tail.data(), 1, tail.size(), file), tail.size());
    std::fclose(file);
    EXPECT_EQ(tail, "\rc\tz\r");
}

}  // namespace
}  // namespace Hostile
