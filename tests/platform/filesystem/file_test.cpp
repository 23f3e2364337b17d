// The file system where the module's suites miss branches: buffers, and locations parsed and
// read back from their serialized form.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/filesystem.h"
#include "platform/filesystem/fault_injection.h"
#include "platform/filesystem/file_impl.h"
#include "tests/platform/filesystem/file_helpers.h"

namespace {

using FsTest::OpenFile;

class FileTest : public testing::Test {
protected:
    OmbraTest::TempFolder folder;
};

// New finds regular files only, whatever else the path names, and never waits: a FIFO without a
// writer is no file either. A file the process may not read is still found (its Open fails).
TEST_F(FileTest, NewFindsRegularFilesOnly) {
    ASSERT_TRUE(folder.WriteFile("plain", "x"));
    ASSERT_TRUE(folder.WriteFile("unreadable", "x"));
    ASSERT_EQ(::chmod(folder.PathOf("unreadable").c_str(), 0200), 0);
    ASSERT_EQ(::mkdir(folder.PathOf("folder").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(folder.PathOf("fifo").c_str(), 0600), 0);
    const struct {
        const char* name;
        ZRErrCode status;
    } cases[] = {{"plain", NoError},           {"unreadable", NoError},
                 {"folder", IO::ErrNotAFile},  {"fifo", IO::ErrNotAFile},
                 {"missing", IO::ErrNotFound}, {"plain/below", IO::ErrNotFound}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<IO::File> file;
        EXPECT_EQ(IO::File::New(file, folder.LocationOf(c.name), IO::File::Fail), c.status);
        EXPECT_EQ(file != nullptr, c.status == NoError);
    }
}

// The first Open for reading reads the file New found, through the descriptor New opened; every
// later Open opens the path again, which may name another file by then.
TEST_F(FileTest, OnlyTheFirstOpenReadsTheFileNewFound) {
    ASSERT_TRUE(folder.WriteFile("f", "old"));
    ASSERT_TRUE(folder.WriteFile("g", "new"));
    std::unique_ptr<IO::File> file;
    ASSERT_EQ(IO::File::New(file, folder.LocationOf("f"), IO::File::Fail), NoError);
    ASSERT_EQ(::rename(folder.PathOf("g").c_str(), folder.PathOf("f").c_str()), 0);
    char bytes[3] = {};
    for (const char* expected : {"old", "new", "new"}) {
        SCOPED_TRACE(expected);
        ASSERT_EQ(file->Open(IO::File::ReadMode), NoError);
        EXPECT_EQ(file->ReadBin(bytes, 3), NoError);
        EXPECT_EQ(std::string(bytes, 3), expected);
        EXPECT_EQ(file->Close(), NoError);
    }
}

// The index cache takes an identity for the file's content: it must be what the system reports,
// every field of it.
TEST_F(FileTest, IdentityIsWhatTheSystemReports) {
    ASSERT_TRUE(folder.WriteFile("f", "12345"));
    struct timespec old[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, folder.PathOf("f").c_str(), old, 0), 0);
    const std::unique_ptr<IO::File> file = OpenFile(folder.LocationOf("f"), IO::File::ReadMode);
    ASSERT_NE(file, nullptr);
    IO::FileIdentity identity;
    ASSERT_EQ(file->GetIdentity(&identity), NoError);
    struct stat info;
    ASSERT_EQ(::stat(folder.PathOf("f").c_str(), &info), 0);
    EXPECT_EQ(identity.device, UInt64(info.st_dev));
    EXPECT_EQ(identity.inode, UInt64(info.st_ino));
    EXPECT_EQ(identity.size, 5u);
    EXPECT_EQ(identity.modifiedSeconds, 1000000000);
    EXPECT_EQ(identity.modifiedNanoseconds, 123456789);
    EXPECT_EQ(identity.changedSeconds, info.st_ctim.tv_sec);
    EXPECT_EQ(identity.changedNanoseconds, info.st_ctim.tv_nsec);
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
    std::unique_ptr<IO::File> closed;
    ASSERT_EQ(IO::File::New(closed, folder.LocationOf("f"), IO::File::Fail), NoError);
    EXPECT_EQ(closed->Truncate(0), IO::ErrNotOpen);
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

// A write of a buffer's size or more goes straight to the file: its failure is returned and sticks.
TEST_F(FileTest, FailedWriteThroughIsReturnedAndSticks) {
    ASSERT_TRUE(folder.WriteFile("f", ""));
    auto handle = OpenFile(folder.LocationOf("f"), IO::File::ReadWriteMode);
    ASSERT_TRUE(handle);
    const std::string large(1 << 20, 'x');
    IO::FaultInjection::FailCall(IO::FaultInjection::Op::Write, 1, {ENOSPC});
    EXPECT_EQ(handle->WriteBin(large.data(), USize(large.size())), IO::ErrDiskFull);
    IO::FaultInjection::Reset();
    EXPECT_EQ(handle->GetOutputStatus(), IO::ErrDiskFull);
}

// Each WriteBackStep bytes written in one sequential stretch start their write-back; a write
// anywhere but at the stretch's end starts a new one. The start is only a hint: when it fails,
// every write and the sync succeed and the file holds every byte.
TEST_F(FileTest, WriteBackStartsPerStepOfASequentialStretchAndMayFail) {
    constexpr size_t Step = size_t(IO::WriteBackStep);
    struct Write {
        size_t position;
        size_t count;
    };
    struct Case {
        const char* name;
        std::vector<Write> writes;
        size_t piece;  // bytes per WriteBin: below the buffer's size they are buffered
        UInt64 starts;
    } cases[] = {
        {"buffered", {{0, 2 * Step + Step / 2}}, 1000, 2},
        {"written through", {{0, 2 * Step}}, Step, 2},
        {"continued at its end", {{0, Step / 2}, {Step / 2, Step / 2}}, 1000, 1},
        {"two stretches", {{0, Step - 10}, {3 * Step, Step - 10}}, 1000, 0},
    };
    namespace FI = IO::FaultInjection;
    for (const Case& c : cases) {
        for (const bool fails : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (fails ? ", failing" : ""));
            ASSERT_TRUE(folder.WriteFile("f", ""));
            auto handle = OpenFile(folder.LocationOf("f"), IO::File::WriteEmptyMode);
            ASSERT_TRUE(handle);
            FI::StartCounting();
            if (fails) FI::FailCall(FI::Op::WriteBack, 1, {EIO, FI::Repeat::Persistent});
            std::string expected;
            for (const Write& write : c.writes) {
                const std::string bytes(write.count, char('a' + expected.size() % 26));
                expected.resize(std::max(expected.size(), write.position + write.count), '\0');
                expected.replace(write.position, write.count, bytes);
                ASSERT_EQ(handle->SetDataPosition(Int32(write.position)), NoError);
                for (size_t done = 0; done < bytes.size(); done += c.piece) {
                    const size_t count = std::min(c.piece, bytes.size() - done);
                    ASSERT_EQ(handle->WriteBin(bytes.data() + done, USize(count)), NoError);
                }
            }
            EXPECT_EQ(handle->Sync(), NoError);
            EXPECT_EQ(handle->Close(), NoError);
            EXPECT_EQ(FI::GetCallCount(FI::Op::WriteBack), c.starts);
            FI::Reset();
            EXPECT_TRUE(folder.ReadFile("f") == expected);
        }
    }
}

// A pass that has gone LongPassBytes in one sequential stretch reads and writes through the larger
// buffer; a position set elsewhere starts a new pass. Reads (ending at the end of the file) and
// writes come in 1000-byte pieces.
TEST_F(FileTest, ALongSequentialPassGoesOnWithTheLargerBuffer) {
    constexpr size_t MiB = 1024 * 1024;
    static_assert(IO::LongPassBytes == MiB && IO::LongPassBufferSize == MiB / 4);
    struct Case {
        const char* name;
        std::vector<std::pair<size_t, size_t>> reads;  // from, up to (0: written instead)
        UInt64 calls;                                  // reads or writes
    } cases[] = {
        // 16 of 64 KiB, then 64 KiB, 128 KiB and eight more up to the end, which one more finds
        {"one read pass", {{0, 3 * MiB}}, 27},
        // 12 of 64 KiB; after the seek one exact read, 4 to 32 KiB, then 16 of 64 KiB and the end
        {"two short read passes", {{0, 3 * MiB / 4}, {2 * MiB, 3 * MiB}}, 34},
        // 16 of 64 KiB, then 4 of 256 KiB
        {"one write pass", {{0, 0}}, 20},
    };
    ASSERT_TRUE(folder.WriteFile("f", std::string(3 * MiB, 'r')));
    ASSERT_TRUE(folder.WriteFile("w", ""));
    namespace FI = IO::FaultInjection;
    char piece[1000] = {};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool writes = c.reads.front().second == 0;
        auto handle = writes ? OpenFile(folder.LocationOf("w"), IO::File::WriteEmptyMode)
                             : OpenFile(folder.LocationOf("f"), IO::File::ReadMode);
        ASSERT_TRUE(handle);
        FI::StartCounting();
        for (size_t written = 0; writes && written < 2 * MiB; written += sizeof piece) {
            ASSERT_EQ(handle->WriteBin(piece, USize(std::min(sizeof piece, 2 * MiB - written))),
                      NoError);
        }
        for (const auto& [from, to] : writes ? decltype(c.reads){} : c.reads) {
            if (from > 0) {
                ASSERT_EQ(handle->SetDataPosition(Int32(from)), NoError);
            }
            USize got = 0;
            for (size_t done = from; done < to; done += got) {
                ASSERT_EQ(handle->ReadBin(piece, USize(std::min(sizeof piece, to - done)), &got),
                          NoError);
            }
        }
        if (!writes) {
            EXPECT_EQ(handle->ReadBin(piece, 1), IO::ErrEndOfFile);
        }
        EXPECT_EQ(handle->Close(), NoError);
        EXPECT_EQ(FI::GetCallCount(writes ? FI::Op::Write : FI::Op::Read), c.calls);
        FI::Reset();
    }
}

ZR::UniString Text(const std::string& utf8) {
    return ZR::UniString(utf8.data(), USize(utf8.size()), CC_UTF8);
}

// The components of `location`, first to last, taken apart with the public calls.
std::vector<ZR::UniString> NamesOf(IO::Location location) {
    std::vector<ZR::UniString> names;
    IO::Name name;
    while (location.GetLastLocalName(&name) == NoError) {
        names.insert(names.begin(), name.GetText());
        EXPECT_EQ(location.DeleteLastLocalName(), NoError);
    }
    EXPECT_EQ(location.GetLocalLength(), 0u);
    return names;
}

struct ParseCase {
    std::string text;
    bool absolute;
    std::vector<std::string> names;
    std::string display;
};

TEST(LocationTest, ParsesBothSeparatorsAndDropsEmptyComponents) {
    const std::string longName(300, 'x');
    const std::vector<ParseCase> cases = {
        {"a/b/c", false, {"a", "b", "c"}, "a/b/c"},
        {"/a/b", true, {"a", "b"}, "/a/b"},
        {"\\a\\b", true, {"a", "b"}, "/a/b"},
        {"//a///b//", true, {"a", "b"}, "/a/b"},
        {"", false, {}, ""},
        {"/", true, {}, "/"},
        {"C:\\dir\\f.txt", false, {"C:", "dir", "f.txt"}, "C:/dir/f.txt"},
        {" a /b ", false, {" a ", "b "}, " a /b "},
        {"/" + longName, true, {longName}, "/" + longName},
    };
    for (const ParseCase& test : cases) {
        SCOPED_TRACE(test.text);
        const IO::Location location(Text(test.text));
        EXPECT_EQ(location.IsAbsolute(), test.absolute);
        EXPECT_EQ(location.GetLocalLength(), test.names.size());
        std::vector<ZR::UniString> expected;
        for (const std::string& name : test.names) expected.push_back(Text(name));
        EXPECT_EQ(NamesOf(location), expected);
        EXPECT_EQ(location.ToDisplayText(), Text(test.display));
    }
}
std::string Serialized(const IO::Location& location) {
    IO::MemoryOChannel out;
    EXPECT_EQ(location.Write(out), NoError);
    return std::string(out.GetDestination(), out.GetDataSize());
}

ZRErrCode ReadFrom(const std::string& bytes, IO::Location& location) {
    IO::MemoryIChannel in(bytes.data(), USize(bytes.size()));
    return location.Read(in);
}

TEST(LocationTest, SerializedFormRoundTrips) {
    for (const char* text : {"", "/", "a", "/a/b/c", "rel/\xC3\xA9/..", "/x\\y"}) {
        SCOPED_TRACE(text);
        const IO::Location original(Text(text));
        IO::Location copy(Text("/something/else"));
        EXPECT_EQ(ReadFrom(Serialized(original), copy), NoError);
        EXPECT_EQ(copy, original);
    }
}
TEST(LocationTest, CorruptInputFailsAndLeavesTheLocationUnchanged) {
    const IO::Location sentinel(Text("/keep/me"));
    const std::string valid = Serialized(IO::Location(Text("/ab/cd")));
    std::vector<std::string> corrupt;
    for (size_t size = 0; size < valid.size(); ++size) corrupt.push_back(valid.substr(0, size));
    const auto patched = [&](size_t offset, const std::string& bytes) {
        std::string copy = valid;
        return copy.replace(offset, bytes.size(), bytes);
    };
    corrupt.push_back(patched(0, "\x02"));  // absolute flag neither 0 nor 1
    corrupt.push_back(patched(1, std::string("\xFF\xFF\xFF\xFF")));  // count far beyond the input
    corrupt.push_back(patched(5, std::string("\xFF\xFF\xFF\x7F")));  // huge component length
    corrupt.push_back(patched(9, std::string("/\0", 2)));            // a name holding "/"
    corrupt.push_back(patched(5, std::string("\0\0\0\0", 4)));       // an empty name
    for (const std::string& bytes : corrupt) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        IO::Location location = sentinel;
        EXPECT_NE(ReadFrom(bytes, location), NoError);
        EXPECT_EQ(location, sentinel);
    }
}
}  // namespace
