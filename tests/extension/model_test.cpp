// Loading, lookup, OUTPUT, compaction and CLOSE through the loaded module, judged by the data-file
// model: random steps on generated files; after each OUTPUT the key reads back as the model has
// it, the file on disk holds the model's records, and every CLOSE that rewrites the file leaves
// it in saved form.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "host/base/unistring.h"
#include "tests/support/data_file_model.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

using OmbraTest::Records;

struct ModelCase {
    const char* name;
    bool utf8;
    int lines;         // in the generated file
    bool sorted;       // a leading run, then a tail repeating some keys; otherwise shuffled
    int deletedEvery;  // every n-th line of the tail deletes its key (0: none)
    const char* lineEnd;
    int steps;
};

void PrintTo(const ModelCase& c, std::ostream* out) {
    *out << c.name;
}

const char* const Characters[] = {"a", "b", "Z", "7", " ", "\xC3\xA9", "\xC3\xBF"};

class ModelTest : public ::testing::TestWithParam<ModelCase> {
protected:
    // The bytes of UTF-8 `text` in the file's encoding.
    std::string Encode(const std::string& text) const {
        if (GetParam().utf8) return text;
        return ZR::UniString(text.data(), USize(text.size()), CC_UTF8)
            .ToCStr(CC_Default)
            .GetBytes();
    }
    static ZR::UniString Units(const std::string& utf8) {
        return ZR::UniString(utf8.data(), USize(utf8.size()), CC_UTF8);
    }
    std::string RandomKey() { return keys[random() % keys.size()]; }
    std::string RandomText() {  // never read as a number, never empty
        std::string text = "t";
        for (int n = random() % 6; n > 0; --n) text += Characters[random() % 7];
        return text;
    }

    void WriteGeneratedFile() {
        const ModelCase& c = GetParam();
        // Keys of even numbers, so that odd ones fall between them, and a few beyond ASCII.
        for (int i = 0; i < c.lines; ++i) keys.push_back("k" + std::to_string(1000000 + 2 * i));
        for (const char* key : {"\xC3\xA9", "\xC3\xBF", "Zz", "a b"}) keys.push_back(key);
        std::vector<std::string> order = keys;
        if (c.sorted) {
            std::vector<std::pair<std::u16string, std::string>> byUnits;
            for (const std::string& key : keys) byUnits.emplace_back(Units(key).Get(), key);
            std::sort(byUnits.begin(), byUnits.end());
            for (std::size_t i = 0; i < order.size(); ++i) order[i] = byUnits[i].second;
        } else {
            std::shuffle(order.begin(), order.end(), random);
        }
        std::string bytes = c.utf8 ? std::string(OmbraTest::ByteOrderMark) : "";
        for (int i = 0; i < c.lines + c.lines / 8; ++i) {  // a tail of an eighth
            const std::string key = i < c.lines ? order[i] : order[random() % c.lines];
            const bool deletes = i >= c.lines && c.deletedEvery > 0 && i % c.deletedEvery == 0;
            const std::string line = deletes ? OmbraTest::DeletionLine(Encode(key), '\t', c.utf8)
                                             : Encode(key + "\t" + RandomText());
            bytes += line + c.lineEnd;
        }
        ASSERT_TRUE(folder.WriteFile("data.txt", bytes));
        model = OmbraTest::ReadRecords(bytes, '\t').lines;
    }

    // The record as INPUT reads it (its fields are never empty), as the line the file would hold.
    std::string Read(const std::string& key) {
        // Lines hold at most two fields; a third value would be one too many.
        const OmbraTest::InputResult result = host.Input(1, key, "1", 3);
        EXPECT_EQ(result.status, 0) << key;
        if (result.values.empty()) return "";
        std::string line = key;
        for (const OmbraTest::Value& value : result.values) {  // fields past the line's end are 0
            if (const auto* text = std::get_if<std::string>(&value)) line += "\t" + *text;
        }
        return Encode(line);
    }
    void CheckKey(const std::string& key) {
        const auto found = model.find(Encode(key));
        ASSERT_EQ(Read(key), found == model.end() ? "" : found->second) << key;
    }
    void CheckFile() {
        ASSERT_EQ(OmbraTest::ReadRecords(*folder.ReadFile("data.txt"), '\t').lines, model);
    }

    void OutputStep() {
        const std::string key = RandomKey();
        std::vector<OmbraTest::Value> values;
        std::string line = key;
        for (int n = 1 + random() % 2; n > 0; --n) {
            values.emplace_back(RandomText());
            line += "\t" + std::get<std::string>(values.back());
        }
        const bool deletion = random() % 8 == 0;
        ASSERT_EQ(host.Output(1, key, deletion ? "0" : "1", values), 0);
        OmbraTest::Apply(model,
                         {Encode(key), deletion ? std::nullopt : std::optional(Encode(line))});
        ASSERT_NO_FATAL_FAILURE(CheckKey(key));
        if (GetParam().lines < 1000) {
            ASSERT_NO_FATAL_FAILURE(CheckFile());
        }
    }

    // CLOSE, the file judged, and the channel opened again with its records checked: every one
    // when `everyKey` or the file is small, otherwise every 16th (the file itself is judged whole).
    void CloseAndReopen(bool everyKey) {
        const std::string before = *folder.ReadFile("data.txt");
        ASSERT_EQ(host.Close(1), 0);
        const std::string after = *folder.ReadFile("data.txt");
        ASSERT_NO_FATAL_FAILURE(CheckFile());
        if (after != before) {
            ASSERT_EQ(OmbraTest::SavedFormError(after, '\t', GetParam().utf8), "");
        }
        ASSERT_FALSE(folder.Exists("data.txt.tmp"));
        ASSERT_EQ(host.Open(1, "data.txt", "MODE=WA"), 0);
        const std::size_t stride = everyKey || GetParam().lines < 1000 ? 1 : 16;
        for (std::size_t i = 0; i < keys.size(); i += stride)
            ASSERT_NO_FATAL_FAILURE(CheckKey(keys[i]));
    }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
    std::mt19937 random{20240517};
    std::vector<std::string> keys;
    Records model;
};

TEST_P(ModelTest, MatchesTheModelAfterEveryStep) {
    ASSERT_NO_FATAL_FAILURE(WriteGeneratedFile());
    ASSERT_EQ(host.Open(1, "data.txt", "MODE=WA"), 0);
    for (const std::string& key : keys) ASSERT_NO_FATAL_FAILURE(CheckKey(key));
    for (const char* absent : {"", "a", "k", "k1000001", "k9", "z", "K1000000", "\xC3\xA8"})
        ASSERT_EQ(Read(absent), "") << absent;
    for (int step = 0; step < GetParam().steps; ++step) {
        const int choice = random() % 100;
        if (choice < 85) {
            ASSERT_NO_FATAL_FAILURE(OutputStep());
        } else if (choice < 99) {
            ASSERT_NO_FATAL_FAILURE(CheckKey(RandomKey()));
        } else {
            ASSERT_NO_FATAL_FAILURE(CloseAndReopen(false));
        }
    }
    ASSERT_EQ(host.Output(1, "!", "1", {std::string("t")}), 0);  // an append: CLOSE saves
    OmbraTest::Apply(model, {"!", "!\tt"});
    ASSERT_NO_FATAL_FAILURE(CloseAndReopen(true));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ModelTest,
    ::testing::Values(ModelCase{"sorted_codepage", false, 200, true, 3, "\r", 3000},
                      ModelCase{"unsorted_utf8", true, 600, false, 7, "\r\n", 3000},
                      ModelCase{"unsorted_lf", false, 2400, false, 5, "\n", 3000},
                      ModelCase{"beyond_32000_samples_utf8", true, 32001, true, 4, "\r", 600},
                      ModelCase{"beyond_64000_samples", false, 64000, true, 0, "\r\n", 300}),
    [](const auto& info) { return std::string(info.param.name); });

// The model holds whatever the file holds; when OUTPUT compacts is pinned here: once the tail
// index holds 1024 entries, its end entry included, and not one OUTPUT before.
TEST(Compaction, StartsWhenTheTailIndexHolds1024Entries) {
    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
    std::string bytes = "zz\tx\r";  // a run of one line, then 1021 tail lines
    for (int i = 1000; i <= 2020; ++i) bytes += "k" + std::to_string(i) + "\tv\r";
    ASSERT_TRUE(folder.WriteFile("data.txt", bytes));
    ASSERT_EQ(host.Open(1, "data.txt", "MODE=WA"), 0);
    ASSERT_EQ(host.Output(1, "a1", "1", {std::string("n")}), 0);  // 1023 entries
    EXPECT_EQ(folder.ReadFile("data.txt"), bytes + "a1\tn\r");
    ASSERT_EQ(host.Output(1, "a2", "1", {std::string("n")}), 0);  // 1024 entries
    const std::string compacted = *folder.ReadFile("data.txt");
    EXPECT_EQ(OmbraTest::SavedFormError(compacted, '\t', false), "");
    EXPECT_TRUE(compacted.starts_with("a1\tn\ra2\tn\rk1000\tv\r")) << compacted.substr(0, 40);
    EXPECT_EQ(host.Close(1), 0);
}

// Between two samples of a long run the lines are scanned key by key when the separator is no
// single byte of the file: in UTF-8, a separator beyond ASCII.
TEST(LongRun, MultiByteSeparatorFindsTheLinesBetweenSamples) {
    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
    std::string bytes(OmbraTest::ByteOrderMark);
    for (int i = 0; i < 40000; ++i)
        bytes += "k" + std::to_string(100000 + i) + "\xC2\xA6" + std::to_string(i) + "\r";
    ASSERT_TRUE(folder.WriteFile("data.txt", bytes));
    ASSERT_EQ(host.Open(1, "data.txt", "SEPARATOR='\xC2\xA6', MODE=RO"), 0);
    for (int i = 0; i < 40000; i += 3) {
        const std::vector<OmbraTest::Value> value{Int32(i)};
        ASSERT_EQ(host.Input(1, "k" + std::to_string(100000 + i), "1", 1).values, value) << i;
    }
    EXPECT_EQ(host.Close(1), 0);
}

}  // namespace
