// Loading and lookup checked against a model: every key maps to its last line in the file.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "extension/store/data_file.h"
#include "extension/store/loading.h"
#include "extension/store/lookup.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/extension/store/store_fixture.h"

namespace DataOmbraPlugin {
namespace {

std::string NumberedKey(int number) {
    char key[16];
    std::snprintf(key, sizeof key, "k%06d", number);
    return key;
}

// `count` ascending keys of even numbers, so that odd numbers fall between them.
std::vector<std::string> AscendingKeys(int count, int from = 0) {
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i) keys.push_back(NumberedKey(2 * (from + i)));
    return keys;
}

struct ModelCase {
    std::string name;
    std::vector<std::string> keys;  // the key of each line, in file order
    std::string terminator = "\r";
    bool utf8 = false;
    // "k000004\tv2" is the start of the line of k000004 (key number 2), not a key.
    std::vector<std::string> absent = {"",        "a", "k",       "k000001",
                                       "k999999", "z", "K000000", "k000004\tv2"};
};

// Named in test messages; without it the test framework prints the case's bytes, padding
// included, which memory checkers rightly report as uninitialised.
void PrintTo(const ModelCase& modelCase, std::ostream* out) {
    *out << modelCase.name;
}

class IndexModelTest : public StoreTest, public ::testing::WithParamInterface<ModelCase> {};

// The line of key number i: key, separator and a field naming the line.
std::string LineOf(const std::string& key, size_t i) {
    return key + "\tv" + std::to_string(i);
}

TEST_P(IndexModelTest, EveryKeyFindsItsLastLineAndAbsentKeysNothing) {
    const ModelCase& c = GetParam();
    std::string text = c.utf8 ? "\xEF\xBB\xBF" : "";
    std::map<std::string, std::pair<UInt32, std::string>> model;
    for (size_t i = 0; i < c.keys.size(); ++i) {
        model[c.keys[i]] = {UInt32(text.size()), LineOf(c.keys[i], i)};
        text += LineOf(c.keys[i], i) + c.terminator;
    }
    auto info = MakeChannel(text, c.utf8);
    EnsureLoaded(*info);
    ASSERT_TRUE(info->loaded);
    EXPECT_LE(info->Index().sortedIndex.GetSize(), MaxSortedSamples + 1);
    EXPECT_EQ(info->Index().tailIndex.GetLast().filePos, text.size());
    const ZRCharCode code = c.utf8 ? CC_UTF8 : CC_Default;
    for (const auto& [key, expected] : model) {
        ZR::UniString line;
        ASSERT_EQ(ReadRecordLine(*info, ZR::UniString(key.c_str(), code), line), NoError) << key;
        EXPECT_EQ(line, ZR::UniString(expected.second.c_str(), code)) << key;
    }
    for (const std::string& key : c.absent) {
        if (model.count(key) != 0) continue;
        UInt32 offset = 0;
        UInt8 sorted = 0;
        EXPECT_EQ(FindRecord(*info, ZR::UniString(key.c_str(), code), offset, nullptr, sorted),
                  NoError);
        EXPECT_EQ(offset, MaxUIndex) << key;
        // The scan over the bytes read between two samples as well.
        ZR::UniString line;
        EXPECT_EQ(
            FindRecordLine(*info, ZR::UniString(key.c_str(), code), offset, nullptr, sorted, line),
            NoError);
        EXPECT_EQ(offset, MaxUIndex) << key;
    }
}

std::vector<ModelCase> ModelCases() {
    std::vector<std::string> withTail = AscendingKeys(40000);
    for (int i : {39999, 5, 7, 40001, 5, 0, 20000, 3}) withTail.push_back(NumberedKey(2 * i));
    withTail.push_back(NumberedKey(1));
    const std::vector<std::string> small = {"m", "b", "a", "m", "b", "z", "a"};
    return {
        {"Ascending32000", AscendingKeys(32000)},
        {"Ascending32001", AscendingKeys(32001)},
        {"Ascending64000", AscendingKeys(64000)},
        {"RunAndTail", withTail},
        {"RunAndTailLf", withTail, "\n"},
        {"RunAndTailCrLf", withTail, "\r\n"},
        {"Utf8RunAndTail", withTail, "\r\n", true},
        {"Utf8Keys",
         {"A", "a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xEF\xBD\x81"},
         "\r",
         true,
         {"\xC3\xA8", "b", "\xEF\xBF\xBF"}},
        {"CodePageKeys", {"A", "a", "\x80", "\x9F", "\xA7", "\xFF"}, "\n", false, {"\x81", "\xFE"}},
        {"DescendingPair", {"b", "a"}},
        {"RepeatedInTail", {"a", "c", "b", "b2", "b"}},
        {"EmptyFirstKey", {"", "x", "a", "x"}},
        {"UnsortedSmall", small, "\r\n"},
        {"Empty", {}},
    };
}

INSTANTIATE_TEST_SUITE_P(Files, IndexModelTest, ::testing::ValuesIn(ModelCases()),
                         [](const auto& info) { return info.param.name; });

// The offsets of the lines of `keys`, each line being LineOf(key, i) + "\r".
std::vector<UInt32> LineOffsets(const std::vector<std::string>& keys, std::string& text) {
    std::vector<UInt32> offsets;
    for (size_t i = 0; i < keys.size(); ++i) {
        offsets.push_back(UInt32(text.size()));
        text += LineOf(keys[i], i) + "\r";
    }
    return offsets;
}

TEST_F(StoreTest, SamplesOfARunOf64000LinesAreLines0Then2jMinus1) {
    std::string text;
    const std::vector<UInt32> offsets = LineOffsets(AscendingKeys(64000), text);
    auto info = MakeChannel(text);
    EnsureLoaded(*info);
    ASSERT_EQ(info->Index().sortedIndex.GetSize(), MaxSortedSamples + 1);
    EXPECT_EQ(info->Index().sortedIndex[1].filePos, offsets[0]);
    for (UInt32 j = 2; j <= MaxSortedSamples; ++j) {
        ASSERT_EQ(info->Index().sortedIndex[j].filePos, offsets[2 * j - 1]) << j;
    }
    EXPECT_TRUE(info->Index().sortedIndex.GetLast().IsEndEntry());
    EXPECT_EQ(info->Index().sortedIndex.GetLast().filePos, text.size());
    ASSERT_EQ(info->Index().tailIndex.GetSize(), 1u);
    EXPECT_EQ(info->Index().tailIndex[1].filePos, text.size());
    EXPECT_EQ(info->Index().recordKeys.GetSize(), MaxSortedSamples);
}

TEST_F(StoreTest, TailKeepsTheLastLineOfEachKeyAndTheRunItsSamples) {
    std::string text;
    const std::vector<UInt32> offsets = LineOffsets({"a", "c", "b", "b2", "b"}, text);
    auto info = MakeChannel(text);
    EnsureLoaded(*info);
    ASSERT_EQ(info->Index().sortedIndex.GetSize(), 3u);
    EXPECT_EQ(info->Index().sortedIndex.GetLast().filePos, offsets[2]);
    ASSERT_EQ(info->Index().tailIndex.GetSize(), 3u);
    EXPECT_EQ(info->Index().tailIndex[1].GetKey(), Text("b"));
    EXPECT_EQ(info->Index().tailIndex[1].filePos, offsets[4]);
    EXPECT_EQ(info->Index().tailIndex[2].GetKey(), Text("b2"));
    UInt32 offset = 0;
    Int32 entry = 0;
    UInt8 sorted = 1;
    EXPECT_EQ(FindRecord(*info, Text("b"), offset, &entry, sorted), NoError);
    EXPECT_EQ(offset, offsets[4]);
    EXPECT_EQ(entry, 0);
    EXPECT_EQ(sorted, 0);
}

TEST_F(StoreTest, DeletionLinesReadAsEmptyInBothEncodings) {
    for (bool utf8 : {false, true}) {
        const std::string marker = utf8 ? "\xC3\xBF Deleted entry" : "\xFF Deleted entry";
        auto info =
            MakeChannel(JoinLines({"a\tx", "b\t" + marker, "c\t" + marker + "!"}, "\r"), utf8);
        ZR::UniString line;
        EXPECT_EQ(ReadRecordLine(*info, Text("b"), line), NoError);
        EXPECT_TRUE(line.IsEmpty());
        EXPECT_EQ(ReadRecordLine(*info, Text("c"), line), NoError);
        EXPECT_FALSE(line.IsEmpty());
    }
}

TEST_F(StoreTest, KeyBelowTheFirstSampleIsAbsentWithoutTouchingTheFile) {
    auto info = MakeChannel(JoinLines(AscendingKeys(100), "\r"));
    EnsureLoaded(*info);
    IO::FaultInjection::StartCounting();
    UInt32 offset = 0;
    UInt8 sorted = 0;
    EXPECT_EQ(FindRecord(*info, Text("a"), offset, nullptr, sorted), NoError);
    EXPECT_EQ(offset, MaxUIndex);
    EXPECT_EQ(IO::FaultInjection::GetTotalCallCount(), 0u);
    IO::FaultInjection::Reset();
}

TEST_F(StoreTest, FailedLoadLeavesNothingAndIsRetriedInFull) {
    // A run longer than the samples: the sampling pass asks the file for the run's end.
    std::string text;
    LineOffsets(AscendingKeys(MaxSortedSamples + 1000), text);
    text += "k000000\tlast\r";
    for (IO::FaultInjection::Op op :
         {IO::FaultInjection::Op::Read, IO::FaultInjection::Op::GetPosition,
          IO::FaultInjection::Op::SetPosition}) {
        auto info = MakeChannel(text);
        IO::FaultInjection::FailCall(op, 1, {});
        EnsureLoaded(*info);
        IO::FaultInjection::Reset();
        EXPECT_FALSE(info->loaded) << IO::FaultInjection::OpName(op);
        EXPECT_TRUE(info->Index().recordKeys.IsEmpty() && info->Index().sortedIndex.IsEmpty());
        EnsureLoaded(*info);
        ASSERT_TRUE(info->loaded);
        ZR::UniString line;
        EXPECT_EQ(ReadRecordLine(*info, Text("k000000"), line), NoError);
        EXPECT_EQ(line, Text("k000000\tlast"));
    }
}

// A line that lies past 2 GiB cannot be indexed: the load fails instead of wrapping its offset.
// The file is sparse, so it costs no disk, and the long line is a field that is never decoded.
TEST_F(StoreTest, LinesBeyondThirtyOneBitOffsetsFailTheLoad) {
    const std::string path = folder.PathOf("huge.txt");
    ASSERT_TRUE(folder.WriteFile("huge.txt", "a\tx\rb\t"));
    std::filesystem::resize_file(path, UInt64(MaxFileOffset) + 16);
    FILE* file = std::fopen(path.c_str(), "ab");
    ASSERT_NE(file, nullptr);
    std::fputs("\rc\ty\r", file);
    std::fclose(file);
    auto info = OpenChannel("huge.txt");
    EnsureLoaded(*info);
    EXPECT_FALSE(info->loaded);
    EXPECT_TRUE(info->Index().recordKeys.IsEmpty());
}

}  // namespace
}  // namespace DataOmbraPlugin
