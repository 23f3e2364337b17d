#include "platform/extension_host/value_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Values = std::vector<InterpreterValue>;

OmbraValueRecord Record(UInt32 valueType, UInt32 numericKind, UInt32 low) {
    OmbraValueRecord record{};
    record.valueType = valueType;
    record.numericKind = numericKind;
    record.value.stringIndex = low;
    return record;
}

TEST(ValueRecordsTest, EveryKindOfValueSurvivesTheRoundTrip) {
    const Values values{Int32(7),
                        Int32(-2147483647 - 1),
                        12.5,
                        -0.25,
                        3e9,
                        std::string("red"),
                        std::string(""),
                        "\xC3\xA9t\xC3\xA9",
                        std::string("\xFF\x00x", 3)};
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    EncodeValues(values, records, strings);
    ASSERT_EQ(records.GetSize(), values.size());
    Values decoded;
    ASSERT_EQ(DecodeValues(records, strings, Int32(records.GetSize()), decoded), NoError);
    EXPECT_EQ(decoded, values);
}

TEST(ValueRecordsTest, RecordsHaveTheBoundaryLayout) {
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    strings.Push(ZR::UniString("earlier"));  // new texts go after what the array holds
    EncodeValues({Int32(5), 2.5, std::string("a"), std::string("b")}, records, strings);
    ASSERT_EQ(records.GetSize(), 4u);
    EXPECT_EQ(records[0].valueType, ValueTypeNumeric);
    EXPECT_EQ(records[0].numericKind, NumericKindInteger);
    EXPECT_EQ(records[0].value.integer, 5);
    EXPECT_EQ(records[1].numericKind, NumericKindReal);
    EXPECT_EQ(records[1].value.real, 2.5);
    EXPECT_EQ(records[2].valueType, ValueTypeString);
    EXPECT_EQ(records[2].value.stringIndex, 1u);
    EXPECT_EQ(records[3].value.stringIndex, 2u);
    EXPECT_EQ(records[3].evalFlag, 0);
    EXPECT_EQ(strings.GetSize(), 3u);
    EXPECT_EQ(strings[2], ZR::UniString("b"));
}

TEST(ValueRecordsTest, DecodingFollowsTheBoundaryRules) {
    ZR::Array<ZR::UniString> strings;
    strings.Push(ZR::UniString("zero"));
    struct Case {
        OmbraValueRecord record;
        InterpreterValue expected;
    };
    const Case cases[] = {
        {Record(ValueTypeNumeric, 0, 41), Int32(41)},  // any kind but real is an integer
        {Record(ValueTypeNumeric, NumericKindInteger, UInt32(-3)), Int32(-3)},
        {Record(ValueTypeString, 0, 0), std::string("zero")},
        {Record(9, NumericKindReal, 0), std::string("zero")},  // not numeric: a string
    };
    for (const Case& c : cases) {
        InterpreterValue value;
        EXPECT_EQ(DecodeValue(c.record, strings, value), NoError);
        EXPECT_EQ(value, c.expected);
    }
    OmbraValueRecord real = Record(ValueTypeNumeric, NumericKindReal, 0);
    real.value.real = -1.5;
    InterpreterValue value;
    ASSERT_EQ(DecodeValue(real, strings, value), NoError);
    EXPECT_EQ(value, InterpreterValue(-1.5));
}

TEST(ValueRecordsTest, AMissingTextIsRefusedAndLeavesTheValue) {
    ZR::Array<ZR::UniString> strings;
    strings.Push(ZR::UniString("only"));
    InterpreterValue value = Int32(99);
    EXPECT_EQ(DecodeValue(Record(ValueTypeString, 0, 1), strings, value), ErrParam);
    EXPECT_EQ(value, InterpreterValue(Int32(99)));
}

TEST(ValueRecordsTest, DecodeValuesChecksTheCountAndStopsAtAFault) {
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    EncodeValues({Int32(1), Int32(2)}, records, strings);
    records.Push(Record(ValueTypeString, 0, 5));
    Values values{std::string("stale")};

    EXPECT_EQ(DecodeValues(records, strings, 2, values), NoError);
    EXPECT_EQ(values, (Values{Int32(1), Int32(2)}));
    EXPECT_EQ(DecodeValues(records, strings, 0, values), NoError);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(DecodeValues(records, strings, 3, values), ErrParam);
    EXPECT_EQ(values, (Values{Int32(1), Int32(2)}));
    EXPECT_EQ(DecodeValues(records, strings, 4, values), ErrParam);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(DecodeValues(records, strings, -1, values), ErrParam);
}

}  // namespace
