#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <string>
#include <thread>

#include "host/filesystem.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/platform/filesystem/file_helpers.h"

namespace {

using FsTest::OpenFile;

class FileTest : public testing::Test {
protected:
    ZRErrCode New(const std::string& name, IO::File::OnNotFound onNotFound) {
        return IO::File::New(file, folder.LocationOf(name), onNotFound);
    }
    std::string ReadAll(IO::File& source) {
        std::string bytes;
        char block[1000];
        USize got = 0;
        while (source.ReadBin(block, sizeof block, &got) == NoError) bytes.append(block, got);
        return bytes;
    }

    OmbraTest::TempFolder folder;
    std::unique_ptr<IO::File> file;
};

TEST_F(FileTest, NewFindsCreatesOrRefuses) {
    ASSERT_TRUE(folder.WriteFile("there", "x"));
    ASSERT_EQ(mkdir(folder.PathOf("dir").c_str(), 0755), 0);
    struct Case {
        std::string name;
        IO::File::OnNotFound onNotFound;
        ZRErrCode status;
    } cases[] = {
        {"there", IO::File::Fail, NoError},         {"missing", IO::File::Fail, IO::ErrNotFound},
        {"made", IO::File::Create, NoError},        {"dir", IO::File::Fail, IO::ErrNotAFile},
        {"dir", IO::File::Create, IO::ErrNotAFile}, {"no/such", IO::File::Create, IO::ErrNotFound},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(New(test.name, test.onNotFound), test.status);
        EXPECT_EQ(file != nullptr, test.status == NoError);
    }
    EXPECT_EQ(folder.ReadFile("made"), "");
    EXPECT_EQ(folder.ReadFile("there"), "x");  // Create leaves an existing file as it is
    ASSERT_EQ(New("there", IO::File::Create), NoError);
    IO::Location location;
    EXPECT_EQ(file->GetLocation(&location), NoError);
    EXPECT_EQ(location, folder.LocationOf("there"));
    EXPECT_FALSE(file->IsOpen());
}

TEST_F(FileTest, ModesDecideWhatOpenKeepsAndAllows) {
    ASSERT_TRUE(folder.WriteFile("f", "old text"));
    auto reader = OpenFile(folder.LocationOf("f"), IO::File::ReadMode);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->WriteBin("x", 1), IO::ErrAccessDenied);
    EXPECT_EQ(reader->GetOutputStatus(), IO::ErrAccessDenied);
    EXPECT_EQ(ReadAll(*reader), "old text");
    EXPECT_EQ(reader->Open(IO::File::ReadMode), IO::ErrBusy);

    auto updater = OpenFile(folder.LocationOf("f"), IO::File::ReadWriteMode);
    ASSERT_TRUE(updater);
    EXPECT_EQ(updater->WriteBin("new", 3), NoError);
    EXPECT_EQ(updater->Close(), NoError);
    EXPECT_EQ(folder.ReadFile("f"), "new text");

    auto writer = OpenFile(folder.LocationOf("f"), IO::File::WriteEmptyMode);
    ASSERT_TRUE(writer);
    EXPECT_EQ(folder.ReadFile("f"), "");
    char byte;
    EXPECT_EQ(writer->ReadBin(&byte, 1), IO::ErrAccessDenied);
    EXPECT_EQ(writer->WriteBin("abc", 3), NoError);
    writer.reset();  // the destructor flushes and closes
    EXPECT_EQ(folder.ReadFile("f"), "abc");
    EXPECT_EQ(reader->Close(), IO::ErrAccessDenied);  // the refused write is still reported
    EXPECT_EQ(reader->Close(), IO::ErrNotOpen);
    EXPECT_EQ(reader->Open(7), ErrParam);
    EXPECT_FALSE(reader->IsOpen());
}

TEST_F(FileTest, PositionsInsideBeyondAndBeforeTheFile) {
    ASSERT_TRUE(folder.WriteFile("f", "0123456789"));
    auto handle = OpenFile(folder.LocationOf("f"), IO::File::ReadWriteMode);
    ASSERT_TRUE(handle);
    char bytes[4] = {};
    ASSERT_EQ(handle->ReadBin(bytes, 2), NoError);
    EXPECT_EQ(handle->SetDataPosition(7), NoError);  // inside the read buffer
    USize got = 0;
    EXPECT_EQ(handle->ReadBin(bytes, 4, &got), NoError);
    EXPECT_EQ(std::string(bytes, got), "789");
    EXPECT_EQ(handle->ReadBin(bytes, 1), IO::ErrEndOfFile);
    EXPECT_EQ(handle->SetDataPosition(-1), IO::ErrPosition);
    UInt32 position = 0;
    EXPECT_EQ(handle->GetDataPosition(&position), NoError);
    EXPECT_EQ(position, 10u);
    EXPECT_EQ(handle->SetDataPosition(12), NoError);  // beyond the end: a write leaves a hole
    EXPECT_EQ(handle->ReadBin(bytes, 1), IO::ErrEndOfFile);
    EXPECT_EQ(handle->WriteBin("!", 1), NoError);
    UInt64 length = 0;
    EXPECT_EQ(handle->GetDataLength(&length), NoError);
    EXPECT_EQ(length, 13u);
    EXPECT_EQ(handle->GetDataPosition(&position), NoError);
    EXPECT_EQ(position, 13u);
    EXPECT_EQ(handle->Close(), NoError);
    EXPECT_EQ(folder.ReadFile("f"), std::string("0123456789\0\0!", 13));
}

TEST_F(FileTest, ReadsSeeWrittenBytesAndFlushHandsThemOver) {
    ASSERT_TRUE(folder.WriteFile("f", "abcdef"));
    auto handle = OpenFile(folder.LocationOf("f"), IO::File::ReadWriteMode);
    ASSERT_TRUE(handle);
    char bytes[8] = {};
    ASSERT_EQ(handle->ReadBin(bytes, 2), NoError);
    ASSERT_EQ(handle->WriteBin("XY", 2), NoError);  // at position 2, over the read-ahead
    EXPECT_EQ(folder.ReadFile("f"), "abcdef");          // still in the buffer
    USize got = 0;
    ASSERT_EQ(handle->ReadBin(bytes, 8, &got), NoError);
    EXPECT_EQ(std::string(bytes, got), "ef");
    ASSERT_EQ(handle->SetDataPosition(0), NoError);
    ASSERT_EQ(handle->ReadBin(bytes, 8, &got), NoError);
    EXPECT_EQ(std::string(bytes, got), "abXYef");
    ASSERT_EQ(handle->SetDataPosition(6), NoError);
    ASSERT_EQ(handle->WriteBin("gh", 2), NoError);
    EXPECT_EQ(folder.ReadFile("f"), "abXYef");
    EXPECT_EQ(handle->Flush(), NoError);
    EXPECT_EQ(folder.ReadFile("f"), "abXYefgh");
    const std::string big(3 * 65536 + 5, 'z');  // more than a buffer at once
    ASSERT_EQ(handle->WriteBin(big.data(), USize(big.size())), NoError);
    EXPECT_EQ(handle->Sync(), NoError);
    EXPECT_EQ(folder.ReadFile("f"), "abXYefgh" + big);
}

TEST_F(FileTest, FirstReadAfterASeekTakesExactlyTheBytesAskedFor) {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += char('a' + i % 26);
    ASSERT_TRUE(folder.WriteFile("f", text));
    struct Case {
        Int32 position;
        USize count;
        ZRErrCode status;
        USize got;
        UInt64 reads;
    } cases[] = {
        {5, 3, NoError, 3, 1},       {100, 1500, NoError, 1500, 1},
        {1998, 5, NoError, 2, 2},    {2000, 1, IO::ErrEndOfFile, 0, 2},
        {0, 2000, NoError, 2000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        auto handle = OpenFile(folder.LocationOf("f"), IO::File::ReadMode);
        ASSERT_TRUE(handle);
        ASSERT_EQ(handle->SetDataPosition(c.position), NoError);
        IO::FaultInjection::StartCounting();
        std::string bytes(c.count, '\0');
        USize got = 0;
        EXPECT_EQ(handle->ReadBin(bytes.data(), c.count, &got), c.status);
        EXPECT_EQ(IO::FaultInjection::GetCallCount(IO::FaultInjection::Op::Read), c.reads);
        IO::FaultInjection::Reset();
        EXPECT_EQ(got, c.got);
        EXPECT_EQ(bytes.substr(0, got), text.substr(size_t(c.position), got));
        // Reading on continues where the exact read ended, through the buffer.
        char next = 0;
        if (c.position + Int32(got) < 2000) {
            EXPECT_EQ(handle->ReadBin(&next, 1), NoError);
            EXPECT_EQ(next, text[size_t(c.position) + got]);
        }
    }
}

TEST_F(FileTest, WrittenBytesAreSeenByTheFirstReadAfterASeek) {
    ASSERT_TRUE(folder.WriteFile("f", "0123456789"));
    auto handle = OpenFile(folder.LocationOf("f"), IO::File::ReadWriteMode);
    ASSERT_TRUE(handle);
    ASSERT_EQ(handle->SetDataPosition(2), NoError);
    ASSERT_EQ(handle->WriteBin("ab", 2), NoError);  // pending: the read must hand it over first
    ASSERT_EQ(handle->SetDataPosition(1), NoError);
    char bytes[4] = {};
    ASSERT_EQ(handle->ReadBin(bytes, 4), NoError);
    EXPECT_EQ(std::string(bytes, 4), "1ab4");
    ASSERT_EQ(handle->SetDataPosition(8), NoError);
    ASSERT_EQ(handle->WriteBin("xy", 2), NoError);
    ASSERT_EQ(handle->ReadBin(bytes, 1), IO::ErrEndOfFile);  // after the written bytes
    EXPECT_EQ(folder.ReadFile("f"), "01ab4567xy");
}

TEST_F(FileTest, TruncateCutsOrExtendsAndTakesBackAFailedWrite) {
    struct Case {
        std::string name;
        IO::File::OpenMode mode;
        UInt64 length;
        ZRErrCode status;
        std::string after;
    } cases[] = {
        {"cut", IO::File::ReadWriteMode, 4, NoError, "0123"},
        {"same", IO::File::ReadWriteMode, 10, NoError, "0123456789"},
        {"extend", IO::File::ReadWriteMode, 12, NoError, std::string("0123456789\0\0", 12)},
        {"empty", IO::File::ReadWriteMode, 0, NoError, ""},
        {"read only", IO::File::ReadMode, 4, IO::ErrAccessDenied, "0123456789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(folder.WriteFile("f", "0123456789"));
        auto handle = OpenFile(folder.LocationOf("f"), c.mode);
        ASSERT_TRUE(handle);
        char byte = 0;
        ASSERT_EQ(handle->ReadBin(&byte, 1), NoError);  // read-ahead that the cut makes stale
        EXPECT_EQ(handle->Truncate(c.length), c.status);
        UInt32 position = 0;
        EXPECT_EQ(handle->GetDataPosition(&position), NoError);
        EXPECT_EQ(position, 1u);
        USize got = 0;
        char rest[16] = {};
        (void)handle->ReadBin(rest, sizeof rest, &got);
        EXPECT_EQ(std::string(rest, got), c.after.substr(std::min<size_t>(1, c.after.size())));
        EXPECT_EQ(folder.ReadFile("f"), c.after);
    }
    ASSERT_EQ(New("f", IO::File::Fail), NoError);
    EXPECT_EQ(file->Truncate(0), IO::ErrNotOpen);
}

TEST_F(FileTest, TruncateAfterAShortWriteRestoresTheOldEnd) {
    ASSERT_TRUE(folder.WriteFile("f", "old\r"));
    auto handle = OpenFile(folder.LocationOf("f"), IO::File::ReadWriteMode);
    ASSERT_TRUE(handle);
    ASSERT_EQ(handle->SetDataPosition(4), NoError);
    IO::FaultInjection::FailCall(IO::FaultInjection::Op::Write, 1, {ENOSPC, {}, 3});
    ASSERT_EQ(handle->WriteBin("new line\r", 9), NoError);  // buffered
    EXPECT_EQ(handle->Flush(), IO::ErrDiskFull);
    EXPECT_EQ(folder.ReadFile("f"), "old\rnew");
    IO::FaultInjection::FailCall(IO::FaultInjection::Op::Truncate, 1, {EIO});
    EXPECT_EQ(handle->Truncate(4), IO::ErrIO);
    IO::FaultInjection::Reset();
    EXPECT_EQ(handle->Truncate(4), NoError);
    EXPECT_EQ(folder.ReadFile("f"), "old\r");
    EXPECT_EQ(handle->GetOutputStatus(), IO::ErrDiskFull);  // still sticks until reopened
}

// Times are set an hour back or ahead; `nanoseconds` 0 in both times marks a file system that
// keeps whole seconds.
void SetTimes(const std::string& path, std::time_t offset, long nanoseconds) {
    const struct timespec times[2] = {{std::time(nullptr) + offset, nanoseconds},
                                      {std::time(nullptr) + offset, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(FileTest, IdentityFollowsTheContentAndSettlesOnlyInThePast) {
    ASSERT_TRUE(folder.WriteFile("f", "abc"));
    ASSERT_EQ(New("f", IO::File::Fail), NoError);
    IO::FileIdentity before;
    EXPECT_EQ(file->GetIdentity(&before), IO::ErrNotOpen);
    ASSERT_EQ(file->Open(IO::File::ReadMode), NoError);
    SetTimes(folder.PathOf("f"), -3600, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the change time ages a tick
    ASSERT_EQ(file->GetIdentity(&before), NoError);
    EXPECT_TRUE(before.settled);
    IO::FileIdentity same;
    ASSERT_EQ(file->GetIdentity(&same), NoError);
    EXPECT_TRUE(same.SameContent(before));
    // The same bytes with the same modification time: the change time still moves.
    ASSERT_TRUE(folder.WriteFile("f", "abd"));
    SetTimes(folder.PathOf("f"), -3600, 5);
    IO::FileIdentity after;
    ASSERT_EQ(file->GetIdentity(&after), NoError);
    EXPECT_FALSE(after.SameContent(before));
    EXPECT_EQ(after.size, before.size);
    SetTimes(folder.PathOf("f"), 3600, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(file->GetIdentity(&after), NoError);
    EXPECT_FALSE(after.settled);  // modified in the future
}

TEST_F(FileTest, TypeAndCreatorAreKeptWhereTheFileSystemAllows) {
    ASSERT_EQ(New("typed", IO::File::Create), NoError);
    EXPECT_EQ(file->SetTypeAndCreator(FourCharCode("TEXT"), FourCharCode("ZROM")), NoError);
    char value[16];
    const ssize_t size =
        getxattr(folder.PathOf("typed").c_str(), "user.ombra.type", value, sizeof value);
    if (size < 0 && errno == ENOTSUP) GTEST_SKIP() << "no user attributes here";
    EXPECT_EQ(std::string(value, size_t(std::max<ssize_t>(size, 0))), "TEXTZROM");
    EXPECT_EQ(IO::fileSystem.Delete(folder.LocationOf("typed")), NoError);
    EXPECT_EQ(file->SetTypeAndCreator(1, 2), NoError);  // where it cannot be kept, nothing fails
}

}  // namespace
