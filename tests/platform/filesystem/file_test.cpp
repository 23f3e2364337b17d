#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "host/filesystem.h"
#include "tests/platform/filesystem/scratch_folder.h"

namespace {

using FsTest::OpenFile;

class FileTest : public testing::Test {
protected:
    GSErrCode New(const std::string& name, IO::File::OnNotFound onNotFound) {
        return IO::File::New(file, folder.LocationOf(name), onNotFound);
    }
    std::string ReadAll(IO::File& source) {
        std::string bytes;
        char block[1000];
        USize got = 0;
        while (source.ReadBin(block, sizeof block, &got) == NoError) bytes.append(block, got);
        return bytes;
    }

    FsTest::ScratchFolder folder;
    std::unique_ptr<IO::File> file;
};

TEST_F(FileTest, NewFindsCreatesOrRefuses) {
    ASSERT_TRUE(folder.Write("there", "x"));
    ASSERT_EQ(mkdir(folder.PathOf("dir").c_str(), 0755), 0);
    struct Case {
        std::string name;
        IO::File::OnNotFound onNotFound;
        GSErrCode status;
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
    EXPECT_EQ(folder.Read("made"), "");
    EXPECT_EQ(folder.Read("there"), "x");  // Create leaves an existing file as it is
    ASSERT_EQ(New("there", IO::File::Create), NoError);
    IO::Location location;
    EXPECT_EQ(file->GetLocation(&location), NoError);
    EXPECT_EQ(location, folder.LocationOf("there"));
    EXPECT_FALSE(file->IsOpen());
}

TEST_F(FileTest, ModesDecideWhatOpenKeepsAndAllows) {
    ASSERT_TRUE(folder.Write("f", "old text"));
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
    EXPECT_EQ(folder.Read("f"), "new text");

    auto writer = OpenFile(folder.LocationOf("f"), IO::File::WriteEmptyMode);
    ASSERT_TRUE(writer);
    EXPECT_EQ(folder.Read("f"), "");
    char byte;
    EXPECT_EQ(writer->ReadBin(&byte, 1), IO::ErrAccessDenied);
    EXPECT_EQ(writer->WriteBin("abc", 3), NoError);
    writer.reset();  // the destructor flushes and closes
    EXPECT_EQ(folder.Read("f"), "abc");
    EXPECT_EQ(reader->Close(), IO::ErrAccessDenied);  // the refused write is still reported
    EXPECT_EQ(reader->Close(), IO::ErrNotOpen);
    EXPECT_EQ(reader->Open(7), ErrParam);
    EXPECT_FALSE(reader->IsOpen());
}

TEST_F(FileTest, PositionsInsideBeyondAndBeforeTheFile) {
    ASSERT_TRUE(folder.Write("f", "0123456789"));
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
    EXPECT_EQ(folder.Read("f"), std::string("0123456789\0\0!", 13));
}

TEST_F(FileTest, ReadsSeeWrittenBytesAndFlushHandsThemOver) {
    ASSERT_TRUE(folder.Write("f", "abcdef"));
    auto handle = OpenFile(folder.LocationOf("f"), IO::File::ReadWriteMode);
    ASSERT_TRUE(handle);
    char bytes[8] = {};
    ASSERT_EQ(handle->ReadBin(bytes, 2), NoError);
    ASSERT_EQ(handle->WriteBin("XY", 2), NoError);  // at position 2, over the read-ahead
    EXPECT_EQ(folder.Read("f"), "abcdef");          // still in the buffer
    USize got = 0;
    ASSERT_EQ(handle->ReadBin(bytes, 8, &got), NoError);
    EXPECT_EQ(std::string(bytes, got), "ef");
    ASSERT_EQ(handle->SetDataPosition(0), NoError);
    ASSERT_EQ(handle->ReadBin(bytes, 8, &got), NoError);
    EXPECT_EQ(std::string(bytes, got), "abXYef");
    ASSERT_EQ(handle->SetDataPosition(6), NoError);
    ASSERT_EQ(handle->WriteBin("gh", 2), NoError);
    EXPECT_EQ(folder.Read("f"), "abXYef");
    EXPECT_EQ(handle->Flush(), NoError);
    EXPECT_EQ(folder.Read("f"), "abXYefgh");
    const std::string big(3 * 65536 + 5, 'z');  // more than a buffer at once
    ASSERT_EQ(handle->WriteBin(big.data(), USize(big.size())), NoError);
    EXPECT_EQ(handle->Sync(), NoError);
    EXPECT_EQ(folder.Read("f"), "abXYefgh" + big);
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
