#include "fuzz/input_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "extension/store/input.h"
#include "fuzz/fuzz_check.h"
#include "host/interpreter.h"

namespace OmbraFuzz {

namespace {

constexpr Int32 Count = 3;

std::vector<std::string> Fields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = line.find(separator, start)) != std::string::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

bool SameNumber(const OmbraValueRecord& actual, const OmbraValueRecord& expected) {
    if (actual.valueType != ValueTypeNumeric) return false;
    if (expected.numericKind == NumericKindReal)
        return actual.numericKind == NumericKindReal && actual.value.real == expected.value.real;
    return actual.numericKind != NumericKindReal && actual.value.integer == expected.value.integer;
}

// A field text is a number only when the evaluator accepts all of it: a text with a NUL byte is
// not, although the evaluator sees only what stands before the NUL.
void CheckValue(const OmbraValueRecord& value, const ZR::Array<ZR::UniString>& strings,
                const ZR::UniString& field) {
    OmbraValueRecord expected{};
    expected.valueType = ValueTypeNumeric;
    expected.numericKind = NumericKindInteger;
    std::string text = field.ToCStr(CC_Default).GetBytes();
    const bool number =
        field.IsEmpty() || (std::strlen(text.c_str()) == text.size() &&
                            EEEvaluate(text.data(), nullptr, nullptr, &expected) == NoError);
    if (number) {
        FUZZ_CHECK(SameNumber(value, expected));
        return;
    }
    FUZZ_CHECK(value.valueType == ValueTypeString);
    FUZZ_CHECK(value.value.stringIndex < strings.GetSize());
    FUZZ_CHECK(strings[value.value.stringIndex] == field);
}

}  // namespace

void CheckInputValues(UInt32 channel, const std::string& key, const std::string& fieldId,
                      const std::string& line, char separator, bool utf8) {
    const ZRCharCode encoding = utf8 ? CC_UTF8 : CC_Default;
    Int32 valuesRead = -1;
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    const Int16 status = DataOmbraPlugin::InputFromChannel(
        channel, ZR::UniString(key.data(), USize(key.size()), encoding),
        ZR::UniString(fieldId.data(), USize(fieldId.size()), CC_Default), Count, &valuesRead,
        &values, &strings);
    // An absent record gives nothing before the field number is looked at; a number below 1
    // reads from field 1.
    long field = 0;
    const bool numbered = std::sscanf(fieldId.c_str(), "%ld", &field) == 1;
    FUZZ_CHECK(status == (line.empty() || numbered ? NoError : -1111));
    // A number beyond 32 bits is taken at the nearest limit: a huge one reads nothing.
    field = std::clamp(field, long(INT32_MIN), long(INT32_MAX));
    const std::vector<std::string> fields = Fields(line, separator);
    const size_t first = size_t(std::max(field, 1L));
    if (line.empty() || !numbered || fields.size() <= first) {
        FUZZ_CHECK(valuesRead == 0);
        return;
    }
    FUZZ_CHECK(valuesRead == Count && values.GetSize() == USize(Count));
    for (size_t i = 0; i < size_t(Count); ++i) {
        const std::string text = first + i < fields.size() ? fields[first + i] : std::string();
        CheckValue(values[USize(i)], strings,
                   ZR::UniString(text.data(), USize(text.size()), encoding));
    }
}

}  // namespace OmbraFuzz
