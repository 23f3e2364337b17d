// The remembered-location list: its stored form in a memory handle, lookups and updates, and
// blocks that do not read back.
#include <gtest/gtest.h>

#include <string>

#include "extension/open/file_info.h"
#include "platform/base/memory_faults.h"
#include "tests/extension/open/open_core.h"

namespace {

using DataOmbraPlugin::FileInfoList;
using DataOmbraPlugin::FileInfoRec;
using OpenTest::U;

FileInfoRec Entry(const std::string& name, const std::string& path) {
    FileInfoRec entry;
    entry.name = U(name);
    entry.location = IO::Location(U(path));
    return entry;
}

FileInfoList SampleList() {
    FileInfoList list;
    list.Push(Entry("prices.txt", "/data/prices.txt"));
    list.Push(Entry("Prices.txt", "relative/Prices.txt"));
    list.Push(Entry("t\xC3\xA4glich\\x", "/d/\xE2\x82\xAC/t\xC3\xA4gli.ch"));
    list.Push(Entry("", ""));
    return list;
}

void ExpectSameList(const FileInfoList& actual, const FileInfoList& expected) {
    ASSERT_EQ(actual.GetSize(), expected.GetSize());
    for (USize i = 0; i < actual.GetSize(); ++i) {
        EXPECT_EQ(actual[i].name, expected[i].name) << i;
        EXPECT_EQ(actual[i].location, expected[i].location) << i;
    }
}

// A handle owned by the test.
class Block {
public:
    explicit Block(const std::string& bytes = {})
        : handle(BMAllocateHandle(Int32(bytes.size()), 0, 0)) {
        if (!bytes.empty()) BNCopyMemory(*handle, bytes.data(), USize(bytes.size()));
    }
    ~Block() { BMKillHandle(&handle); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    ZRHandle Get() const { return handle; }
    std::string Bytes() const { return std::string(*handle, size_t(BMGetHandleSize(handle))); }

private:
    ZRHandle handle;
};

std::string StoredForm(const FileInfoList& list) {
    Block block;
    EXPECT_EQ(DataOmbraPlugin::WriteFileInfoList(list, block.Get()), NoError);
    return block.Bytes();
}

TEST(FileInfoList, WritesAndReadsBackEveryEntryInOrder) {
    Block block("old content that is replaced");
    ASSERT_EQ(DataOmbraPlugin::WriteFileInfoList(SampleList(), block.Get()), NoError);
    ExpectSameList(DataOmbraPlugin::ReadFileInfoList(block.Get()), SampleList());
}

TEST(FileInfoList, NullEmptyAndForeignBlocksGiveAnEmptyList) {
    EXPECT_EQ(DataOmbraPlugin::ReadFileInfoList(nullptr).GetSize(), 0u);
    for (const std::string& bytes :
         {std::string(), std::string(64, '\0'), std::string("not a stored list at all")}) {
        Block block(bytes);
        EXPECT_EQ(DataOmbraPlugin::ReadFileInfoList(block.Get()).GetSize(), 0u);
    }
}

TEST(FileInfoList, FailedResizeKeepsTheOldContent) {
    FileInfoList one;
    one.Push(Entry("a.txt", "/a.txt"));
    Block block(StoredForm(one));
    std::string before = block.Bytes();
    BMFailNextAllocations(0, 1);
    EXPECT_EQ(DataOmbraPlugin::WriteFileInfoList(SampleList(), block.Get()), ErrMemoryFull);
    BMFailNextAllocations(0, 0);
    EXPECT_EQ(block.Bytes(), before);
    ExpectSameList(DataOmbraPlugin::ReadFileInfoList(block.Get()), one);
}

// Every byte of a valid block set to each of the 256 values: the read never fails, never yields
// more entries than were stored, and an unchanged block reads back whole.
TEST(FileInfoList, EveryByteAtEveryValueReadsWithoutHarm) {
    const FileInfoList original = SampleList();
    const std::string stored = StoredForm(original);
    Block block(stored);
    for (size_t at = 0; at < stored.size(); ++at) {
        for (int value = 0; value < 256; ++value) {
            std::string bytes = stored;
            bytes[at] = char(value);
            BNCopyMemory(*block.Get(), bytes.data(), USize(bytes.size()));
            FileInfoList list = DataOmbraPlugin::ReadFileInfoList(block.Get());
            ASSERT_LE(list.GetSize(), original.GetSize()) << at << " " << value;
            if (bytes == stored) ExpectSameList(list, original);
        }
    }
}

// A block cut short at every length: the entries that read are the stored ones, in order (a cut
// that takes only the frame end keeps them all).
TEST(FileInfoList, TruncatedBlocksReadTheWholeEntriesBeforeTheCut) {
    const FileInfoList original = SampleList();
    const std::string stored = StoredForm(original);
    for (size_t length = 0; length < stored.size(); ++length) {
        Block block(stored.substr(0, length));
        FileInfoList list = DataOmbraPlugin::ReadFileInfoList(block.Get());
        ASSERT_LE(list.GetSize(), original.GetSize()) << length;
        for (USize i = 0; i < list.GetSize(); ++i) {
            EXPECT_EQ(list[i].name, original[i].name) << length;
            EXPECT_EQ(list[i].location, original[i].location) << length;
        }
    }
}

TEST(FileInfoList, FindComparesNamesCaseSensitivelyAndTakesTheFirst) {
    FileInfoList list = SampleList();
    list.Push(Entry("prices.txt", "/second/prices.txt"));
    IO::Location found(U("/untouched"));
    EXPECT_TRUE(DataOmbraPlugin::FindFileInfo(list, U("prices.txt"), found));
    EXPECT_EQ(found, IO::Location(U("/data/prices.txt")));
    EXPECT_TRUE(DataOmbraPlugin::FindFileInfo(list, U("Prices.txt"), found));
    EXPECT_EQ(found, IO::Location(U("relative/Prices.txt")));

    IO::Location untouched(U("/untouched"));
    EXPECT_FALSE(DataOmbraPlugin::FindFileInfo(list, U("PRICES.TXT"), untouched));
    EXPECT_FALSE(DataOmbraPlugin::FindFileInfo(list, U("prices.txt "), untouched));
    EXPECT_EQ(untouched, IO::Location(U("/untouched")));
}

TEST(FileInfoList, SetUpdatesAnEntryInPlaceOrAppendsOne) {
    FileInfoList list = SampleList();
    DataOmbraPlugin::SetFileInfo(list, U("Prices.txt"), IO::Location(U("/moved/Prices.txt")));
    ASSERT_EQ(list.GetSize(), 4u);
    EXPECT_EQ(list[1].name, U("Prices.txt"));
    EXPECT_EQ(list[1].location, IO::Location(U("/moved/Prices.txt")));

    DataOmbraPlugin::SetFileInfo(list, U("PRICES.TXT"), IO::Location(U("/P")));
    ASSERT_EQ(list.GetSize(), 5u);
    EXPECT_EQ(list[4].name, U("PRICES.TXT"));
    EXPECT_EQ(list[0].location, IO::Location(U("/data/prices.txt")));
}

}  // namespace
