// The shared index cache: reading channels of unchanged content share one index, and every
// change of the file, however it is made, gives the next channel the records the file holds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <thread>

#include "extension/store/index_cache.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

using OmbraTest::Value;
using Values = std::vector<Value>;
using IO::FaultInjection::Op;

constexpr const char* Catalogue = "A\t1\rB\t2\rC\t3\r";
// The read calls of a cycle that loads no index: one read of the record's line with the bytes up
// to the next index entry (the cached index tells the file's encoding: its mark is not read).
constexpr UInt64 LookupReads = 1;

class IndexCacheTest : public ::testing::Test {
public:
    // Gives `name` the modification time `seconds` from now.
    void SetModified(std::time_t seconds, const std::string& name = "data.txt") {
        const struct timespec times[2] = {{std::time(nullptr) + seconds, 123456789},
                                          {std::time(nullptr) + seconds, 123456789}};
        ASSERT_EQ(::utimensat(AT_FDCWD, folder.PathOf(name).c_str(), times, 0), 0);
    }

    // Writes `bytes` as `name` with times an hour old, and waits until the clock that stamps
    // changes has passed its change time too: its identity is then settled.
    void WriteSettled(const std::string& bytes, const std::string& name = "data.txt") {
        ASSERT_TRUE(folder.WriteFile(name, bytes));
        SetModified(-3600, name);
        Settle();
    }

    static void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(30)); }

    // A script's cycle: OPEN read-only, INPUT of field 1 of `key`, CLOSE. `reads` receives the
    // number of the file's read calls the cycle made.
    Values Cycle(const std::string& key, UInt64* reads = nullptr) {
        IO::FaultInjection::StartCounting();
        EXPECT_EQ(host.Open(1, "data.txt", "MODE=RO"), 0);
        const OmbraTest::InputResult result = host.Input(1, key, "1", 1);
        EXPECT_EQ(host.Close(1), 0);
        if (reads != nullptr) *reads = IO::FaultInjection::GetCallCount(Op::Read);
        IO::FaultInjection::Reset();
        return result.values;
    }

    // Loads the settled catalogue once, and checks that the next cycle reads no index: only the
    // record's line.
    void LoadCached() {
        WriteSettled(Catalogue);
        ASSERT_EQ(Cycle("B"), Values{Int32(2)});
        UInt64 reads = 0;
        ASSERT_EQ(Cycle("C", &reads), Values{Int32(3)});
        ASSERT_EQ(reads, LookupReads) << "the cycle did not use the cached index";
    }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
};

struct ChangeCase {
    const char* name;
    std::function<void(IndexCacheTest&, OmbraTest::TempFolder&)> change;
    Int32 newB;
};

class IndexCacheChangeTest : public IndexCacheTest,
                             public ::testing::WithParamInterface<ChangeCase> {};

void PrintTo(const ChangeCase& change, std::ostream* out) {
    *out << change.name;
}

// Each change leaves the size (and, where it can, the modification time) as the cached index
// knew them, except where the change is an append; the others move the lines, so that a stale
// index would read B's line at the wrong offset.
const ChangeCase changes[] = {
    {"Appended",
     [](IndexCacheTest&, OmbraTest::TempFolder& folder) {
         FILE* file = std::fopen(folder.PathOf("data.txt").c_str(), "ab");
         std::fputs("B\t5\r", file);
         std::fclose(file);
     },
     5},
    {"OverwrittenInPlaceWithItsTimesRestored",
     [](IndexCacheTest& test, OmbraTest::TempFolder& folder) {
         folder.WriteFile("data.txt", "A\t12\rB\t7\rC\t\r");
         test.SetModified(-3600);
     },
     7},
    {"ReplacedByRenameWithEqualSizeAndTimes",
     [](IndexCacheTest& test, OmbraTest::TempFolder& folder) {
         test.WriteSettled("A\t12\rB\t8\rC\t\r", "data.new");
         std::rename(folder.PathOf("data.new").c_str(), folder.PathOf("data.txt").c_str());
     },
     8},
    {"DeletedAndWrittenAgainWithEqualSizeAndTimes",
     [](IndexCacheTest& test, OmbraTest::TempFolder& folder) {
         std::remove(folder.PathOf("data.txt").c_str());
         EXPECT_EQ(test.host.Open(1, "data.txt", "MODE=RO"), -7003);  // though its index is cached
         EXPECT_EQ(test.host.TakeReports().size(), 1u);
         test.WriteSettled("A\t12\rB\t9\rC\t\r");
     },
     9},
};

TEST_P(IndexCacheChangeTest, NextChannelReadsTheChangedFile) {
    LoadCached();
    GetParam().change(*this, folder);
    EXPECT_EQ(Cycle("B"), Values{GetParam().newB});
}

INSTANTIATE_TEST_SUITE_P(Changes, IndexCacheChangeTest, ::testing::ValuesIn(changes),
                         [](const auto& info) { return std::string(info.param.name); });

// A file whose times are not safely in the past may change again within the same clock tick
// without moving them: its index is never kept, so every cycle loads the file.
TEST_F(IndexCacheTest, IndexOfUnsettledTimesIsNotKept) {
    ASSERT_TRUE(folder.WriteFile("data.txt", Catalogue));
    SetModified(3600);
    Settle();
    for (int cycle = 0; cycle < 2; ++cycle) {
        UInt64 reads = 0;
        EXPECT_EQ(Cycle("C", &reads), Values{Int32(3)});
        EXPECT_GT(reads, LookupReads) << cycle;
    }
}

TEST_F(IndexCacheTest, WriterChangesReachNewReadersButNeverTheSharedIndex) {
    LoadCached();
    ASSERT_EQ(host.Open(1, "data.txt", "MODE=RO"), 0);
    ASSERT_EQ(host.Input(1, "A", "1", 1).values, Values{Int32(1)});  // shares the cached index
    ASSERT_EQ(host.Open(2, "data.txt", "MODE=WA"), 0);
    EXPECT_EQ(host.Output(2, "B", "1", {Int32(4)}), 0);   // in place
    EXPECT_EQ(host.Output(2, "D", "1", {Int32(44)}), 0);  // appended
    EXPECT_EQ(host.Input(2, "D", "1", 1).values, Values{Int32(44)});
    ASSERT_EQ(host.Open(3, "data.txt", "MODE=RO"), 0);
    EXPECT_EQ(host.Input(3, "B", "1", 1).values, Values{Int32(4)});
    EXPECT_EQ(host.Input(3, "D", "1", 1).values, Values{Int32(44)});
    // The first reader keeps the index it loaded: the appended record is not in it.
    EXPECT_EQ(host.Input(1, "D", "1", 1).values, Values{});
    for (UInt32 channel : {1u, 2u, 3u}) EXPECT_EQ(host.Close(channel), 0);
    EXPECT_EQ(Cycle("D"), Values{Int32(44)});
}

// A reader that finds the index cached takes the file's encoding from it, not from its mark.
TEST_F(IndexCacheTest, CachedIndexGivesTheNextReaderItsEncoding) {
    WriteSettled(
        "\xEF\xBB\xBF"
        "A\t\xC3\xA9t\xC3\xA9\rB\t2\r");
    for (int cycle = 0; cycle < 2; ++cycle)
        EXPECT_EQ(Cycle("A"), Values{std::string("\xC3\xA9t\xC3\xA9")}) << cycle;
}

TEST_F(IndexCacheTest, FailedLoadIsNotKeptAndTheNextLoadIs) {
    WriteSettled(Catalogue);
    EXPECT_EQ(host.Open(1, "data.txt", "MODE=RO"), 0);
    IO::FaultInjection::FailCall(Op::Read, 2, {EIO});  // the load's first, after the mark's
    EXPECT_EQ(host.Input(1, "B", "1", 1).status, -7003);
    IO::FaultInjection::Reset();
    EXPECT_EQ(host.Input(1, "B", "1", 1).values, Values{Int32(2)});
    EXPECT_EQ(host.Close(1), 0);
    UInt64 reads = 0;
    EXPECT_EQ(Cycle("C", &reads), Values{Int32(3)});
    EXPECT_EQ(reads, LookupReads);
}

// A reader that cannot learn its file's identity loads an index of its own, which no later reader
// finds.
TEST_F(IndexCacheTest, ReaderWithoutTheFilesIdentityLoadsItsOwnIndex) {
    WriteSettled(Catalogue);
    EXPECT_EQ(host.Open(1, "data.txt", "MODE=RO"), 0);
    IO::FaultInjection::FailCall(Op::Identity, 1, {EIO});
    EXPECT_EQ(host.Input(1, "B", "1", 1).values, Values{Int32(2)});
    IO::FaultInjection::Reset();
    EXPECT_EQ(host.Close(1), 0);
    UInt64 reads = 0;
    EXPECT_EQ(Cycle("C", &reads), Values{Int32(3)});
    EXPECT_GT(reads, LookupReads) << "an index without an identity was cached";
}

}  // namespace

namespace DataOmbraPlugin {
namespace {

// Indexes of about `bytes` (one key of that size), of file `inode`; two of a third of the budget
// fit, three do not; an unsettled file's, another separator's or one beyond the budget is none.
TEST(IndexCacheBudgetTest, LeastRecentlyUsedGoFirstAndNothingBeyondTheBudgetStays) {
    const auto source = [](UInt64 inode, bool settled = true, ZR::UniChar separator = u'\t') {
        IndexSource source;
        source.identity.inode = inode;
        source.identity.settled = settled;
        source.separator = separator;
        return source;
    };
    const auto remember = [&](const IndexSource& at, UInt64 bytes) {
        auto index = std::make_shared<RecordIndex>();
        index->recordKeys.Push(ZR::UniString(std::u16string(bytes / sizeof(char16_t), u'k')));
        RememberIndex(at, index);
    };
    ClearIndexCache();
    const UInt64 third = IndexCacheBudget / 3 + 1;
    remember(source(1), third);
    remember(source(2), third);
    ASSERT_NE(FindCachedIndex(source(1)), nullptr);  // now the most recently used
    remember(source(3), third);
    remember(source(4), IndexCacheBudget);
    remember(source(5, false), 1);
    for (const IndexSource& gone : {source(2), source(4), source(5), source(1, true, u';')})
        EXPECT_EQ(FindCachedIndex(gone), nullptr) << gone.identity.inode;
    EXPECT_NE(FindCachedIndex(source(1)), nullptr);
    EXPECT_NE(FindCachedIndex(source(3)), nullptr);
    EXPECT_LE(CachedIndexBytes(), IndexCacheBudget);
    EXPECT_GE(CachedIndexBytes(), 2 * third);
    ClearIndexCache();
    EXPECT_EQ(CachedIndexBytes(), 0u);
}

}  // namespace
}  // namespace DataOmbraPlugin
