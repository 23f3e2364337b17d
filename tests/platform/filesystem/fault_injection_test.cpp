#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "host/filesystem.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/platform/filesystem/file_helpers.h"

namespace {

namespace FI = IO::FaultInjection;
using FI::Op;

class FaultInjectionTest : public testing::Test {
protected:
    void SetUp() override { FI::Reset(); }
    void TearDown() override { FI::Reset(); }

    std::unique_ptr<IO::File> Open(const std::string& name, Int32 mode) {
        return FsTest::OpenFile(folder.LocationOf(name), mode);
    }

    OmbraTest::TempFolder folder;
};

int OpenDescriptorCount() {
    int count = 0;
    DIR* fds = opendir("/proc/self/fd");
    while (fds != nullptr && readdir(fds) != nullptr) ++count;
    if (fds != nullptr) closedir(fds);
    return count;
}

TEST_F(FaultInjectionTest, CountsEveryKindOfCall) {
    FI::StartCounting();
    std::unique_ptr<IO::File> file;
    ASSERT_EQ(IO::File::New(file, folder.LocationOf("f"), IO::File::Create), NoError);
    ASSERT_EQ(file->Open(IO::File::ReadWriteMode), NoError);
    ASSERT_EQ(file->WriteBin("0123456789", 10), NoError);  // buffered: no call yet
    ASSERT_EQ(file->SetDataPosition(0), NoError);          // hands the bytes over
    char bytes[5];
    ASSERT_EQ(file->ReadBin(bytes, 1), NoError);   // the first read after a seek: one byte
    ASSERT_EQ(file->ReadBin(bytes, 5), NoError);   // fills the buffer
    ASSERT_EQ(file->SetDataPosition(2), NoError);  // inside the read buffer: no read
    ASSERT_EQ(file->ReadBin(bytes, 5), NoError);
    UInt32 position = 0;
    ASSERT_EQ(file->GetDataPosition(&position), NoError);
    ASSERT_EQ(file->Truncate(8), NoError);
    ASSERT_EQ(file->Sync(), NoError);
    IO::FileIdentity identity;
    ASSERT_EQ(file->GetIdentity(&identity), NoError);
    ASSERT_EQ(file->Close(), NoError);
    ASSERT_EQ(IO::fileSystem.Delete(folder.LocationOf("f")), NoError);
    const UInt64 expected[FI::OpCount] = {1, 1, 1, 2, 1, 2, 1, 1, 1, 0, 1, 1, 1, 0};
    UInt64 total = 0;
    for (int op = 0; op < FI::OpCount; ++op) {
        EXPECT_EQ(FI::GetCallCount(Op(op)), expected[op]) << FI::OpName(Op(op));
        total += expected[op];
    }
    EXPECT_EQ(FI::GetTotalCallCount(), total);
}

TEST_F(FaultInjectionTest, FailsTheChosenCallOnceOrFromThenOn) {
    ASSERT_TRUE(folder.WriteFile("f", "x"));
    struct Case {
        FI::Repeat repeat;
        bool anyKind;
        std::vector<bool> opened;
    } cases[] = {
        {FI::Repeat::Once, false, {true, false, true, true}},
        {FI::Repeat::Persistent, false, {true, false, false, false}},
        {FI::Repeat::Once, true, {true, true, false, true}},  // a round: New, Open, Close
    };
    for (const Case& test : cases) {
        FI::Reset();
        if (test.anyKind)
            FI::FailAnyCall(8, {EACCES, test.repeat});
        else
            FI::FailCall(Op::Open, 2, {EACCES, test.repeat});
        for (bool opened : test.opened) {
            std::unique_ptr<IO::File> file;
            ASSERT_EQ(IO::File::New(file, folder.LocationOf("f"), IO::File::Fail), NoError);
            EXPECT_EQ(file->Open(IO::File::ReadMode), opened ? NoError : IO::ErrAccessDenied);
            EXPECT_EQ(file->IsOpen(), opened);
        }
    }
}

TEST_F(FaultInjectionTest, FailedWritesStickUntilTheNextOpen) {
    const struct {
        int error;
        ZRErrCode status;
    } cases[] = {{ENOSPC, IO::ErrDiskFull}, {EACCES, IO::ErrAccessDenied}, {EIO, IO::ErrIO}};
    ASSERT_TRUE(folder.WriteFile("f", ""));
    for (const auto& test : cases) {
        auto file = Open("f", IO::File::WriteEmptyMode);
        ASSERT_TRUE(file);
        FI::Reset();
        FI::FailCall(Op::Write, 1, {test.error, FI::Repeat::Once, 3});  // a short write
        ASSERT_EQ(file->WriteBin("0123456789", 10), NoError);
        EXPECT_EQ(file->Flush(), test.status);
        EXPECT_EQ(folder.ReadFile("f"), "012");
        EXPECT_EQ(file->WriteBin("more", 4), test.status);
        EXPECT_EQ(file->GetOutputStatus(), test.status);
        EXPECT_EQ(file->Close(), test.status);
        EXPECT_FALSE(file->IsOpen());
        EXPECT_EQ(folder.ReadFile("f"), "012");
        ASSERT_EQ(file->Open(IO::File::ReadWriteMode), NoError);
        EXPECT_EQ(file->WriteBin("ab", 2), NoError);
        EXPECT_EQ(file->Close(), NoError);
        EXPECT_EQ(folder.ReadFile("f"), "ab2");
    }
}

TEST_F(FaultInjectionTest, FailedCloseStillReleasesTheDescriptor) {
    ASSERT_TRUE(folder.WriteFile("f", "x"));
    const int before = OpenDescriptorCount();
    auto file = Open("f", IO::File::ReadMode);
    ASSERT_TRUE(file);
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
    FI::FailCall(Op::Close, 1, {EIO});
    EXPECT_EQ(file->Close(), IO::ErrIO);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(FaultInjectionTest, InterruptionsAreRetriedAndFailuresReachTheCaller) {
    ASSERT_TRUE(folder.WriteFile("f", "abc"));
    auto file = Open("f", IO::File::ReadMode);
    ASSERT_TRUE(file);
    FI::FailCall(Op::Read, 1, {EINTR});
    FI::FailCall(Op::SetPosition, 1, {EIO});
    FI::FailCall(Op::GetPosition, 1, {EIO});
    char bytes[3];
    EXPECT_EQ(file->ReadBin(bytes, 3), NoError);
    EXPECT_EQ(std::string(bytes, 3), "abc");
    EXPECT_EQ(FI::GetCallCount(Op::Read), 2u);
    EXPECT_EQ(file->SetDataPosition(1), IO::ErrIO);
    UInt32 position = 0;
    EXPECT_EQ(file->GetDataPosition(&position), IO::ErrIO);
    EXPECT_EQ(file->GetDataPosition(&position), NoError);
    EXPECT_EQ(position, 3u);  // the failed positioning changed nothing
}

TEST_F(FaultInjectionTest, CallbackSeesEveryCallWithItsPath) {
    std::vector<std::string> seen;
    FI::SetCallback([&](const FI::CallInfo& call) {
        seen.push_back(std::string(FI::OpName(call.op)) + " " + std::to_string(call.number) + " " +
                       std::to_string(call.numberOfOp) + " " + std::string(call.path));
    });
    std::unique_ptr<IO::File> made;
    ASSERT_EQ(IO::File::New(made, folder.LocationOf("f"), IO::File::Create), NoError);
    ASSERT_EQ(IO::fileSystem.SyncFolder(folder.Location()), NoError);
    const std::string f = folder.PathOf("f");
    const std::vector<std::string> expected = {"New 1 1 " + f, "Create 2 1 " + f,
                                               "Sync 3 1 " + folder.Path()};
    EXPECT_EQ(seen, expected);
}

}  // namespace
