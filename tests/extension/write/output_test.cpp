// OUTPUT as the interpreter calls it: statuses, messages and the exact bytes it leaves in the file.
#include "extension/frame/channel_table.h"
#include "extension/write/update.h"
#include "tests/support/core_binding.h"
#include "tests/extension/write/write_fixture.h"

namespace WriteTest {
namespace {

using namespace DataOmbraPlugin;

class OutputTest : public WriteFixture {};

TEST_F(OutputTest, FieldNumbersChooseStoreOrDelete) {
    struct Case {
        const char* fieldId;
        Int16 status;
        const char* file;  // after OUTPUT of key A with the value 9 on "A\t1\rB\t2\r"
    };
    const Case cases[] = {
        {"1", 0, "A\t9\rB\t2\r"},
        {"3", 0, "A\t9\rB\t2\r"},
        {"+7", 0, "A\t9\rB\t2\r"},
        {" 2abc", 0, "A\t9\rB\t2\r"},
        {"0", 0, "A\t1\rB\t2\rA\t\xFF Deleted entry\r"},
        {"-3", 0, "A\t1\rB\t2\rA\t\xFF Deleted entry\r"},
        {"x", -1111, "A\t1\rB\t2\r"},
        {"", -1111, "A\t1\rB\t2\r"},
    };
    for (const Case& c : cases) {
        OpenChannel(1, "data.txt", "A\t1\rB\t2\r");
        EXPECT_EQ(Output(1, "A", c.fieldId, {Int32(9)}), c.status) << c.fieldId;
        EXPECT_EQ(FileBytes("data.txt"), c.file) << c.fieldId;
        EXPECT_TRUE(OmbraTest::TakeCoreReports().empty());
    }
}

TEST_F(OutputTest, DeletionOfAbsentOrDeletedKeyWritesNothing) {
    OpenChannel(1, "data.txt", "A\t1\r");
    EXPECT_EQ(Output(1, "Z", "0", {}), 0);
    EXPECT_EQ(Output(1, "a", "-3", {}), 0);  // keys are case-sensitive
    EXPECT_EQ(FileBytes("data.txt"), "A\t1\r");
    EXPECT_EQ(Info(1).modified, 0);
    EXPECT_EQ(Output(1, "A", "0", {}), 0);
    EXPECT_EQ(Output(1, "A", "0", {}), 0);
    EXPECT_EQ(FileBytes("data.txt"), "A\t1\rA\t\xFF Deleted entry\r");
    EXPECT_EQ(Record(1, "A"), "");
}

TEST_F(OutputTest, SameByteLengthOverwritesInPlaceOtherLengthsAppend) {
    OpenChannel(1, "data.txt", "A\t1\rB\tx\r");
    EXPECT_EQ(Output(1, "A", "1", {Int32(1)}), 0);  // unchanged: nothing written
    EXPECT_EQ(Output(1, "A", "1", {Int32(2)}), 0);
    EXPECT_EQ(FileBytes("data.txt"), "A\t2\rB\tx\r");
    EXPECT_EQ(Info(1).modified, 0);
    EXPECT_EQ(Output(1, "A", "1", {Int32(10)}), 0);
    EXPECT_EQ(FileBytes("data.txt"), "A\t2\rB\tx\rA\t10\r");
    EXPECT_EQ(Info(1).modified, 1);
    EXPECT_EQ(Output(1, "A", "1", {Int32(11)}), 0);  // the appended line, in place
    EXPECT_EQ(FileBytes("data.txt"), "A\t2\rB\tx\rA\t11\r");
    EXPECT_EQ(Record(1, "A"), "A\t11");
}

TEST_F(OutputTest, InPlaceNeedsEqualBytesNotEqualCharacters) {
    OpenChannel(1, "data.txt",
                "\xEF\xBB\xBF"
                "A\tab\rB\t1\r",
                true);
    EXPECT_EQ(Output(1, "A", "1",
                     {std::string("\xE2\x82\xAC"
                                  "a")}),
              0);  // 2 characters, 4 bytes
    EXPECT_EQ(FileBytes("data.txt"),
              "\xEF\xBB\xBF"
              "A\tab\rB\t1\rA\t\xE2\x82\xAC"
              "a\r");
    EXPECT_EQ(Record(1, "B"), "B\t1");
}

TEST_F(OutputTest, RecordText) {
    struct Case {
        std::vector<Value> values;
        const char* line;
    };
    const Case cases[] = {
        {{Int32(5), 3.0, 0.1, 100000.0, 123456.7, -2.5}, "K\t5\t3\t0.1\t100000\t123457\t-2.5"},
        {{1000000.0, Int32(1234567), -0.000012}, "K\t1e+06\t1.23457e+06\t-1.2e-05"},
        {{std::string("a\tb"), std::string("c\rd\ne")}, "K\ta\tb\tc\rd\ne"},
        {{std::string("")}, "K\t"},
        {{}, "K"},
    };
    for (const Case& c : cases) {
        OpenChannel(1, "data.txt", "");
        EXPECT_EQ(Output(1, "K", "1", c.values), 0);
        EXPECT_EQ(FileBytes("data.txt"), std::string(c.line) + "\r");
    }
}

TEST_F(OutputTest, LastLineWithoutLineEnd) {
    OpenChannel(1, "data.txt", "A\t1\rC\t3");
    EXPECT_EQ(Output(1, "C", "1", {Int32(4)}), 0);  // in place: the line gains its end
    EXPECT_EQ(Output(1, "D", "1", {Int32(5)}), 0);
    EXPECT_EQ(Output(1, "B", "1", {}), 0);
    EXPECT_EQ(FileBytes("data.txt"), "A\t1\rC\t4\rD\t5\rB\r");
    EXPECT_EQ(Record(1, "Bz"), "");  // between the samples: a scan that ends cleanly
    EXPECT_EQ(Record(1, "C"), "C\t4");

    OpenChannel(2, "other.txt", "A\t1\rC\t3");
    EXPECT_EQ(Output(2, "B", "1", {Int32(2)}), 0);
    EXPECT_EQ(FileBytes("other.txt"), "A\t1\rC\t3\rB\t2\r");
    EXPECT_EQ(Record(2, "C"), "C\t3");
}

TEST_F(OutputTest, TailKeysInCodeUnitOrder) {
    // By code units z < U+00FF < U+20AC; in the default code page's bytes 0x80 (euro) < 0xFF.
    OpenChannel(1, "data.txt", "");
    const std::vector<std::string> keys = {"\xE2\x82\xAC", "\xC3\xBF", "z", "a", "\xC3\xA9"};
    for (const std::string& key : keys) EXPECT_EQ(Output(1, key, "1", {Int32(1)}), 0);
    for (const std::string& key : keys) EXPECT_EQ(Record(1, key), key + "\t1");
    const ZR::VAArray<RecInfoRec>& tail = Info(1).tailIndex;
    for (USize i = 2; i < tail.GetSize(); ++i) EXPECT_LT(tail[i - 1].GetKey(), tail[i].GetKey());
    EXPECT_EQ(InsertTailEntry(Info(1), tail[1]), StatusDuplicateKey);
}

TEST_F(OutputTest, CompactsAt1024TailEntries) {
    OpenChannel(1, "data.txt", "k0000\tx\r");
    for (int i = 1023; i >= 1; --i) {
        char key[8];
        std::snprintf(key, sizeof key, "k%04d", i);
        ASSERT_EQ(Output(1, key, "1", {Int32(i)}), 0);
        EXPECT_EQ(Info(1).loaded, i == 1 ? 0 : 1) << i;
    }
    std::string expected = "k0000\tx\r";
    for (int i = 1; i <= 1023; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "k%04d\t%d\r", i, i);
        expected += line;
    }
    EXPECT_EQ(FileBytes("data.txt"), expected);
    EXPECT_EQ(Info(1).modified, 0);
    EXPECT_FALSE(folder.Exists("data.txt.tmp"));
    EXPECT_EQ(Record(1, "k0500"), "k0500\t500");
}

}  // namespace
}  // namespace WriteTest
