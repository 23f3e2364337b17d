// The lookup between two samples: one read of the samples' span, the found line decoded from it,
// the file's buffered reading where the span is too long, and the same answers as a line read.
#include <filesystem>

#include "extension/store/data_file.h"
#include "extension/store/loading.h"
#include "extension/store/lookup.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/extension/store/store_fixture.h"

namespace DataOmbraPlugin {
namespace {

namespace FI = IO::FaultInjection;

// 32001 ascending keys: every line is a sample but line 31999, which lies between the last two.
constexpr int RunLines = 32001;
constexpr int Between = 31999;

std::string KeyOf(int i) {
    char key[16];
    std::snprintf(key, sizeof key, "k%06d", i);
    return key;
}

// The run, line `Between` holding `field`, each line ending with `terminator`.
std::string RunText(const std::string& field, const std::string& terminator) {
    std::string text;
    for (int i = 0; i < RunLines; ++i) {
        text += KeyOf(i) + "\t" + (i == Between ? field : "v" + std::to_string(i)) + terminator;
    }
    return text;
}

struct SpanCase {
    std::string name;
    std::string field;
    std::string terminator;
    UInt64 reads;  // by the lookup of line `Between`
};

TEST_F(StoreTest, LineBetweenSamplesIsFoundWithOneReadOrThroughTheBuffer) {
    const SpanCase cases[] = {
        {"Short", "middle", "\r", 1},
        {"ShortCrLf", "middle", "\r\n", 1},
        {"Lf", "middle", "\n", 1},
        // Beyond the span limit the scan reads through the buffer: 4, 8, 16, 32 and 64 KiB.
        {"Long", std::string(70000, 'x'), "\r", 5},
    };
    for (const SpanCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto info = MakeChannel(RunText(c.field, c.terminator));
        EnsureLoaded(*info);
        ASSERT_TRUE(info->loaded);
        ASSERT_EQ(info->Index().sortedIndex.GetSize(), MaxSortedSamples + 1);
        ZR::UniString line;
        // A sample at the start: the file's buffer then holds no byte of the span.
        ASSERT_EQ(ReadRecordLine(*info, Text(KeyOf(1)), line), NoError);
        FI::StartCounting();
        ASSERT_EQ(ReadRecordLine(*info, Text(KeyOf(Between)), line), NoError);
        EXPECT_EQ(FI::GetCallCount(FI::Op::Read), c.reads);
        FI::Reset();
        EXPECT_EQ(line, Text(KeyOf(Between) + "\t" + c.field));
        // The sample before and after, one near the start (within the length of the span just
        // read), and a key between them that no line has.
        for (int i : {Between - 1, Between + 1, 1}) {
            ASSERT_EQ(ReadRecordLine(*info, Text(KeyOf(i)), line), NoError);
            EXPECT_EQ(line, Text(KeyOf(i) + "\tv" + std::to_string(i)));
        }
        UInt32 offset = 0;
        UInt8 sorted = 0;
        EXPECT_EQ(FindRecord(*info, Text(KeyOf(Between) + "a"), offset, nullptr, sorted), NoError);
        EXPECT_EQ(offset, MaxUIndex);
    }
}

// A file cut short under the index: the scan meets its end and says so, as a line read does.
TEST_F(StoreTest, SpanPastTheEndOfAShrunkFileIsAReadFailure) {
    auto info = MakeChannel(RunText("middle", "\r"));
    EnsureLoaded(*info);
    ASSERT_TRUE(info->loaded);
    const UInt32 between = info->Index().sortedIndex[MaxSortedSamples - 1].filePos;
    for (UInt32 length : {between + 4, between}) {
        std::filesystem::resize_file(folder.PathOf("data.txt"), length);
        ZR::UniString line;
        EXPECT_NE(ReadRecordLine(*info, Text(KeyOf(Between)), line), NoError) << length;
    }
}

TEST_F(StoreTest, FailedSpanReadFailsTheLookup) {
    auto info = MakeChannel(RunText("middle", "\r"));
    EnsureLoaded(*info);
    for (FI::Op op : {FI::Op::SetPosition, FI::Op::Read}) {
        FI::FailCall(op, 1, {});
        ZR::UniString line = Text("unchanged");
        UInt32 offset = 0;
        Int32 entry = 0;
        UInt8 sorted = 0;
        EXPECT_EQ(FindRecordLine(*info, Text(KeyOf(Between)), offset, &entry, sorted, line),
                  IO::ErrIO)
            << FI::OpName(op);
        FI::Reset();
        EXPECT_EQ(line, Text("unchanged"));
    }
}

}  // namespace
}  // namespace DataOmbraPlugin
