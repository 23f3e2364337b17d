// The save that CLOSE runs: the merged, sorted text, byte for byte.
#include "extension/frame/channel_table.h"
#include "extension/frame/close.h"
#include "tests/extension/write/write_fixture.h"

namespace WriteTest {
namespace {

using namespace DataOmbraPlugin;

struct Change {
    const char* key;
    const char* fieldId;
    std::vector<Value> values;
};

struct SaveCase {
    const char* name;
    std::string before;
    bool utf8;
    std::vector<Change> changes;
    std::string after;  // the data file after CLOSE
};

const std::string Mark = "\xEF\xBB\xBF";
const std::string Abc = "A\t1\rB\t2\rC\t3\r";

std::vector<SaveCase> SaveCases() {
    using S = std::string;
    using namespace std::string_literals;
    return {
        {"newer line of a run record", Abc, false, {{"B", "1", {S("22")}}}, "A\t1\rB\t22\rC\t3\r"},
        {"added then deleted", Abc, false, {{"D", "1", {S("4")}}, {"D", "0", {}}}, Abc},
        {"run record deleted", Abc, false, {{"A", "0", {}}}, "B\t2\rC\t3\r"},
        {"key-only line replaced", "A\rB\rC\r", false, {{"B", "1", {S("x")}}}, "A\rB\tx\rC\r"},
        {"key-only line deleted", "A\rB\rC\r", false, {{"B", "0", {}}}, "A\rC\r"},
        {"third version wins",
         Abc,
         false,
         {{"B", "1", {S("x1")}}, {"B", "1", {S("x22")}}, {"B", "1", {S("x333")}}},
         "A\t1\rB\tx333\rC\t3\r"},
        {"CR LF ends become CR", "A\t1\r\nB\t2\r\n", false, {{"C", "1", {S("3")}}}, Abc},
        {"unsorted LF file",
         "C\t3\nA\t1\nB\t0\n",
         false,
         {{"B", "1", {S("22")}}},
         "A\t1\rB\t22\rC\t3\r"},
        {"UTF-8 keeps its mark",
         Mark + "B\t2\r",
         true,
         {{"A", "1", {S("1")}}},
         Mark + "A\t1\rB\t2\r"},
        {"all deleted", Mark + "A\t1\r", true, {{"A", "0", {}}}, Mark},
        {"empty key stands first", "B\t1\r", false, {{"", "1", {S("0")}}}, "\t0\rB\t1\r"},
        {"bytes of unchanged lines",
         "A\t\0\x81\xFFz\rC\t\xC3\x28\r"s,
         false,
         {{"B", "1", {S("2")}}},
         "A\t\0\x81\xFFz\rB\t2\rC\t\xC3\x28\r"s},
        {"foreign run lines",
         "A\t1\r\nB\t\xFF Deleted entry\rC\t3\nD\t4\r"s,
         false,
         {{"E", "1", {S("5")}}},
         "A\t1\rC\t3\rD\t4\rE\t5\r"},
        {"LF line among CR lines",
         "A\t1\rB\t2\nC\t3\rD\t4\r",
         false,
         {{"E", "1", {S("5")}}},
         "A\t1\rB\t2\rC\t3\rD\t4\rE\t5\r"},
        {"line longer than a buffer",
         "A\t" + S(70000, 'x') + "\rC\t3\r",
         false,
         {{"B", "1", {S("2")}}},
         "A\t" + S(70000, 'x') + "\rB\t2\rC\t3\r"},
        {"invalid UTF-8 kept",
         Mark + "A\t\0\xFF\xC3\x28\rC\t\xED\xA0\x80\r"s,
         true,
         {{"B", "1", {S("2")}}},
         Mark + "A\t\0\xFF\xC3\x28\rB\t2\rC\t\xED\xA0\x80\r"s},
    };
}

void PrintTo(const SaveCase& c, std::ostream* out) {
    *out << c.name;
}

class SaveTest : public WriteFixture, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveTest, CloseWritesTheMergedText) {
    const SaveCase& c = GetParam();
    ASSERT_TRUE(folder.WriteFile("data.txt.tmp", std::string(5000, 'x')));  // an earlier crash
    OpenChannel(3, "data.txt", c.before, c.utf8);
    for (const Change& change : c.changes)
        ASSERT_EQ(Output(3, change.key, change.fieldId, change.values), 0);
    const bool appended = Info(3).modified != 0;
    EXPECT_EQ(CloseDataChannel(3), 0);
    EXPECT_EQ(FindChannel(3), 0u);
    EXPECT_EQ(FileBytes("data.txt"), c.after);
    EXPECT_EQ(folder.Exists("data.txt.tmp"), !appended);  // only a save touches it
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveTest, ::testing::ValuesIn(SaveCases()), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

}  // namespace
}  // namespace WriteTest
