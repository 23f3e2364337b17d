// INPUT in-process through the test binding of the linked module code, the field cutter and the evaluator.
#include "extension/frame/channel_table.h"
#include "extension/frame/host_services.h"
#include "extension/frame/report_error.h"
#include "extension/store/input.h"
#include "extension/store/lookup.h"
#include "extension/store/value_list.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/extension/store/store_fixture.h"
#include "tests/support/core_binding.h"
#include "tests/support/test_host.h"

namespace DataOmbraPlugin {
namespace {

using OmbraTest::Value;
using Values = std::vector<Value>;

std::string ReadError() {
    return OmbraTest::ModuleReport(FileErrorList, 4, "data.txt");
}
std::string FieldIdError() {
    return OmbraTest::ModuleReport(ParameterErrorList, 1, "data.txt");
}
const Values Untouched = {Int32(77)};

struct InputCase {
    std::string key, fieldId;
    Int32 count;
    Int16 status;
    Int32 valuesRead;
    Values values;
    std::vector<std::string> reports;
};

// Named in test messages; without it the test framework prints the case's bytes, padding
// included, which memory checkers rightly report as uninitialised.
void PrintTo(const InputCase& inputCase, std::ostream* out) {
    *out << "key '" << inputCase.key << "', field '" << inputCase.fieldId << "', count "
         << inputCase.count;
}

class InputTest : public StoreTest, public ::testing::WithParamInterface<InputCase> {
protected:
    void SetUp() override {
        OmbraTest::BindCore();
        const std::string deleted = "D\t\xFF Deleted entry";
        const std::string record = "K\t12\tabc\t\t3.5";
        ASSERT_TRUE(folder.WriteFile("data.txt", JoinLines({deleted, record}, "\r")));
        // Channel 2 holds the same records in a run where every line is a sample but the last,
        // the record, which the lookup then takes from the bytes it scanned.
        std::vector<std::string> run = {deleted};
        for (UInt32 i = 1; i < MaxSortedSamples; ++i) {
            run.push_back("J" + std::to_string(100000 + i) + "\tv");
        }
        run.push_back(record);
        ASSERT_TRUE(folder.WriteFile("run.txt", JoinLines(run, "\r")));
        for (const UInt32 channel : {1u, 2u}) {
            std::unique_ptr<IO::File> file =
                std::move(OpenChannel(channel == 1 ? "data.txt" : "run.txt")->file);
            ClaimChannel(channel, file, OpenSettings{}, false, false);
        }
        RecordLine line;
        ASSERT_EQ(ReadChannelRecord(2, Text("K"), line), NoError);
        ASSERT_TRUE(line.InBytes());
    }
    void TearDown() override {
        for (const UInt32 channel : {1u, 2u}) {
            std::unique_ptr<IO::File> file;
            ReleaseChannel(channel, file);
            if (file) file->Close();
        }
    }

    OmbraTest::InputResult Input(UInt32 channel, const std::string& key, const std::string& field,
                                 Int32 count) {
        ZR::Array<OmbraValueRecord> records;
        ZR::Array<ZR::UniString> strings;
        OmbraTest::ToValueArrays(Untouched, records, strings);
        OmbraTest::InputResult result;
        result.status = InputFromChannel(channel, Text(key), Text(field), count, &result.valuesRead,
                                         &records, &strings);
        result.values = OmbraTest::FromValueArrays(records, strings, Int32(records.GetSize()));
        return result;
    }
};

TEST_P(InputTest, StatusValuesAndMessagesFollowTheRecord) {
    const InputCase& c = GetParam();
    for (const UInt32 channel : {1u, 2u}) {
        SCOPED_TRACE(channel);
        OmbraTest::TakeCoreReports();
        const OmbraTest::InputResult result = Input(channel, c.key, c.fieldId, c.count);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.valuesRead, c.valuesRead);
        EXPECT_EQ(result.values, c.values);
        std::vector<std::string> expected = c.reports;
        for (std::string& report : expected) {
            if (channel == 2) report.replace(report.find("data.txt"), 8, "run.txt");
        }
        EXPECT_EQ(OmbraTest::TakeCoreReports(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Record, InputTest,
    ::testing::Values(
        InputCase{"K", "1", 1, 0, 1, {Int32(12)}, {}}, InputCase{"K", "2", 1, 0, 1, {"abc"}, {}},
        InputCase{"K", "3", 2, 0, 2, {Int32(0), 3.5}, {}},
        InputCase{"K", "4", 3, 0, 3, {3.5, Int32(0), Int32(0)}, {}},
        InputCase{"K", "5", 1, 0, 0, Untouched, {}},
        InputCase{"K", "0", 1, 0, 1, {Int32(12)}, {FieldIdError()}},
        InputCase{"K", "-3", 0, 0, 0, {}, {FieldIdError()}},
        InputCase{"K", "x", 1, StatusBadFieldId, 0, Untouched, {}},
        InputCase{"K", "", 1, StatusBadFieldId, 0, Untouched, {}},
        InputCase{"K", " 2", 1, 0, 1, {"abc"}, {}},
        InputCase{"K", "\t\n\v+2", 1, 0, 1, {"abc"}, {}},
        InputCase{"K", "+-2", 1, StatusBadFieldId, 0, Untouched, {}},
        InputCase{"K",
                  "\xC3\xA9"
                  "2",
                  1,
                  StatusBadFieldId,
                  0,
                  Untouched,
                  {}},
        InputCase{"K", "00000000000000000000000000000000002", 1, 0, 1, {"abc"}, {}},
        InputCase{"K", "2x", 2, 0, 2, {"abc", Int32(0)}, {}}, InputCase{"K", "1", -1, 0, 0, {}, {}},
        InputCase{"k", "1", 1, 0, 0, Untouched, {}}, InputCase{"D", "1", 1, 0, 0, Untouched, {}},
        InputCase{"absent", "x", 1, 0, 0, Untouched, {}}));

TEST_F(InputTest, FailuresBeforeTheRecordIsRead) {
    Int32 count = 5;
    EXPECT_EQ(InputFromChannel(1, Text("K"), Text("1"), 1, nullptr, nullptr, nullptr), -50);
    EXPECT_EQ(InputFromChannel(9, Text("K"), Text("1"), 1, &count, nullptr, nullptr), -7003);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(OmbraTest::TakeCoreReports(),
              std::vector<std::string>{OmbraTest::ModuleReport(FileErrorList, 4, "")});
    OmbraTest::SetCoreFetchers(nullptr, nullptr);
    EXPECT_EQ(Input(1, "K", "1", 1).status, -7003);
    EXPECT_TRUE(OmbraTest::TakeCoreReports().empty());
}

TEST_F(InputTest, FailedLoadIsReportedAndRetriedAtTheNextInput) {
    IO::FaultInjection::FailCall(IO::FaultInjection::Op::Read, 1, {});
    const OmbraTest::InputResult failed = Input(1, "K", "1", 1);
    IO::FaultInjection::Reset();
    EXPECT_EQ(failed.status, -7003);
    EXPECT_EQ(failed.values, Untouched);
    EXPECT_EQ(OmbraTest::TakeCoreReports(), std::vector<std::string>{ReadError()});
    EXPECT_EQ(Input(1, "K", "1", 1).values, Values{Int32(12)});
    // A read that fails after the load is a read error too.
    IO::FaultInjection::FailCall(IO::FaultInjection::Op::SetPosition, 1, {});
    EXPECT_EQ(Input(1, "K", "1", 1).status, -7003);
    IO::FaultInjection::Reset();
}

TEST(EvaluateTest, AcceptsNumericLiteralsOnly) {
    for (const char* rejected :
         {"12abc", "1/2", "2024-01-05", "", " ", "inf", "nan", "1e999", "0x10", "+", "."}) {
        OmbraValueRecord record{};
        record.valueType = 9;
        std::string text = rejected;
        EXPECT_NE(EEEvaluate(text.data(), nullptr, nullptr, &record), NoError) << rejected;
        EXPECT_EQ(record.valueType, 9u) << rejected;
    }
    const struct {
        const char* text;
        Value value;
    } accepted[] = {{" 12 ", Int32(12)},
                    {"-2147483648", Int32(-2147483648)},
                    {"2147483648", 2147483648.0},
                    {"3.5", 3.5},
                    {"+.5e1", 5.0},
                    {"7.", 7.0}};
    for (const auto& c : accepted) {
        OmbraValueRecord record{};
        std::string text = c.text;
        ASSERT_EQ(EEEvaluate(text.data(), nullptr, nullptr, &record), NoError) << c.text;
        EXPECT_EQ(record.valueType, ValueTypeNumeric);
        EXPECT_EQ(record.evalFlag, 1);
        ZR::Array<OmbraValueRecord> records;
        records.Push(record);
        EXPECT_EQ(OmbraTest::FromValueArrays(records, {}, 1), Values{c.value}) << c.text;
    }
}

}  // namespace
}  // namespace DataOmbraPlugin
