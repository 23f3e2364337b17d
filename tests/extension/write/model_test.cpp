// Random OUTPUT, lookup, CLOSE and reopen on generated files, checked after every step against a
// std::map of each key's line; the file after every save checked to be sorted, unique, free of
// deletion lines and ending every line with CR. WRITE_MODEL_SCALE=n makes the runs n times longer.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>

#include "extension/frame/close.h"
#include "tests/extension/write/write_fixture.h"

namespace WriteTest {
namespace {

struct ModelCase {
    const char* name;
    bool utf8;
    int lines;         // in the generated file
    bool sorted;       // a single leading run; otherwise shuffled, with repeated keys
    int deletedEvery;  // every n-th line deletes an earlier key (0: none)
    const char* lineEnd;
    int steps;
};

const std::string Marker = "\xC3\xBF Deleted entry";  // the deletion marker as UTF-8
const char* const Characters[] = {"a", "b", "Z", "7", " ", "\xC3\xA9", "\xE2\x82\xAC"};

int Scale() {
    const char* scale = std::getenv("WRITE_MODEL_SCALE");
    return scale != nullptr && std::atoi(scale) > 0 ? std::atoi(scale) : 1;
}

void PrintTo(const ModelCase& c, std::ostream* out) {
    *out << c.name;
}

class ModelTest : public WriteFixture, public ::testing::WithParamInterface<ModelCase> {
protected:
    std::string Encode(const std::string& utf8) const {
        return GetParam().utf8 ? utf8 : InCodePage(utf8);
    }
    std::string Decode(const std::string& bytes) const {
        const ZRCharCode code = GetParam().utf8 ? CC_UTF8 : CC_Default;
        return ZR::UniString(bytes.data(), USize(bytes.size()), code).ToCStr(CC_UTF8).GetBytes();
    }
    static std::string KeyOf(const std::string& line) { return line.substr(0, line.find('\t')); }
    std::string RandomKey() { return keys[random() % keys.size()]; }

    void MakeKeys(int count) {
        for (int i = 0; i < count; ++i) keys.push_back("k" + std::to_string(100000 + i));
        for (const char* key : {"\xC3\xA9",
                                "\xE2\x82\xAC"
                                "x",
                                "\xC3\xBF", "Zz", "a b"})
            keys.push_back(key);
    }

    // Writes the generated file and fills the model with the last line of every key.
    void WriteGeneratedFile(int lines) {
        const ModelCase& c = GetParam();
        std::vector<std::string> fileKeys = keys;
        std::shuffle(fileKeys.begin(), fileKeys.end(), random);
        fileKeys.resize(lines);
        if (c.sorted) {
            std::sort(fileKeys.begin(), fileKeys.end(),
                      [](const std::string& a, const std::string& b) { return Uni(a) < Uni(b); });
        }
        std::string bytes = c.utf8 ? "\xEF\xBB\xBF" : "";
        for (int i = 0; i < lines; ++i) {
            // An unsorted file repeats keys of its first half in its second half.
            const bool repeat = !c.sorted && i >= lines / 2;
            const std::string& key = repeat ? fileKeys[random() % (lines / 2)] : fileKeys[i];
            const bool deletes = c.deletedEvery > 0 && i % c.deletedEvery == c.deletedEvery - 1;
            ApplyLine(key, key + "\t" + (deletes ? Marker : RandomText()), bytes);
        }
        ASSERT_TRUE(folder.WriteFile("data.txt", bytes));
    }

    void ApplyLine(const std::string& key, const std::string& line, std::string& bytes) {
        bytes += Encode(line) + GetParam().lineEnd;
        if (line == key + "\t" + Marker) {
            model.erase(key);
        } else {
            model[key] = line;
        }
    }

    std::string RandomText() {
        std::string text;
        for (int n = random() % 7; n > 0; --n) text += Characters[random() % 7];
        return text;
    }

    // One OUTPUT of random values (or a deletion) and its check.
    void OutputStep() {
        const std::string key = RandomKey();
        std::vector<Value> values;
        std::string line = key;
        for (int n = random() % 3; n > 0; --n) {
            const Int32 number = Int32(random() % 1000000) - 99999;
            const std::string text = random() % 2 == 0 ? std::to_string(number) : RandomText();
            line += "\t" + text;
            values.emplace_back(std::in_place_type<std::string>, text);
            if (text == std::to_string(number)) values.back().emplace<Int32>(number);
        }
        const bool deletion = random() % 8 == 0;
        ASSERT_EQ(Output(1, key, deletion ? "0" : "1", values), 0);
        if (deletion) {
            model.erase(key);
        } else {
            model[key] = line;
        }
        CheckKey(key);
        if (Info(1).loaded == 0) CheckSavedFile();  // the OUTPUT compacted the file
    }

    void CheckKey(const std::string& key) {
        const auto found = model.find(key);
        ASSERT_EQ(Record(1, key), found == model.end() ? "" : found->second) << key;
    }

    void CheckSavedFile() {
        std::string bytes = FileBytes("data.txt");
        if (GetParam().utf8) {
            ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
            bytes.erase(0, 3);
        }
        ASSERT_TRUE(bytes.empty() || bytes.back() == '\r');
        ASSERT_EQ(bytes.find('\n'), std::string::npos);
        std::map<std::string, std::string> saved;
        ZR::UniString previous;
        for (size_t start = 0, end; start < bytes.size(); start = end + 1) {
            end = bytes.find('\r', start);
            const std::string line = Decode(bytes.substr(start, end - start));
            ASSERT_TRUE(saved.empty() || previous < Uni(KeyOf(line))) << line;
            previous = Uni(KeyOf(line));
            saved[KeyOf(line)] = line;
        }
        ASSERT_EQ(saved, model);  // no deletion line, no record lost or extra
        ASSERT_FALSE(folder.Exists("data.txt.tmp"));
    }

    // CLOSE saves only after an append; the file is then checked, otherwise every record.
    void CloseAndReopen() {
        const bool saves = Info(1).modified != 0;
        ASSERT_EQ(DataOmbraPlugin::CloseDataChannel(1), 0);
        if (saves) {
            ASSERT_NO_FATAL_FAILURE(CheckSavedFile());
        }
        Reopen(1, "data.txt");
        if (!saves) {
            for (const auto& [key, line] : model) ASSERT_NO_FATAL_FAILURE(CheckKey(key));
        }
    }

    std::mt19937 random{20240517};
    std::vector<std::string> keys;
    std::map<std::string, std::string> model;
};

TEST_P(ModelTest, MatchesTheMapAfterEveryStep) {
    const ModelCase& c = GetParam();
    MakeKeys(2 * c.lines * Scale());
    ASSERT_NO_FATAL_FAILURE(WriteGeneratedFile(c.lines * Scale()));
    Reopen(1, "data.txt");
    for (int step = 0; step < c.steps * Scale(); ++step) {
        const int choice = random() % 100;
        if (choice < 85) {
            ASSERT_NO_FATAL_FAILURE(OutputStep());
        } else if (choice < 99) {
            ASSERT_NO_FATAL_FAILURE(CheckKey(RandomKey()));
        } else {
            ASSERT_NO_FATAL_FAILURE(CloseAndReopen());
        }
    }
    for (const auto& [key, line] : model) ASSERT_NO_FATAL_FAILURE(CheckKey(key));
    ASSERT_EQ(Output(1, "!", "1", {}), 0);  // an append, so that CLOSE saves
    model["!"] = "!";
    ASSERT_NO_FATAL_FAILURE(CloseAndReopen());
}

INSTANTIATE_TEST_SUITE_P(
    Files, ModelTest,
    ::testing::Values(ModelCase{"small_sorted_deletions", false, 200, true, 9, "\r", 3000},
                      ModelCase{"unsorted_utf8_deletions", true, 600, false, 7, "\r", 3000},
                      ModelCase{"crlf_unsorted_deletions", false, 2400, false, 5, "\r\n", 3000},
                      ModelCase{"beyond_32000_samples", false, 40000, true, 0, "\r", 2000}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace WriteTest
