#include "fuzz/data_file_case.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace OmbraFuzz {

namespace {

constexpr char Separators[] = {'\t', ';', ',', ' '};
constexpr std::string_view StepsMark = "\n%%\n";

std::vector<std::string> Split(std::string_view text, char divider, size_t limit) {
    std::vector<std::string> parts;
    while (parts.size() < limit) {
        const size_t end = text.find(divider);
        parts.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return parts;
}

std::string WithoutBytes(const std::string& text, char separator) {
    std::string kept;
    for (char ch : text)
        if (ch != separator && ch != '\r' && ch != '\n') kept += ch;
    return kept;
}

std::string FormatNumber(double number) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", number);
    return text;
}

FuzzValue ReadValue(const std::string& text) {
    FuzzValue value;
    value.record.valueType = ValueTypeNumeric;
    if (text.size() > 1 && text[0] == '#') {
        Int32 integer = 0;
        std::from_chars(text.data() + 1, text.data() + text.size(), integer);
        value.record.value.integer = integer;
        value.record.numericKind = NumericKindInteger;
        value.text = FormatNumber(integer);
    } else if (text.size() > 1 && text[0] == '~') {
        double real = std::strtod(text.c_str() + 1, nullptr);
        if (!std::isfinite(real)) real = 0.0;
        value.record.value.real = real;
        value.record.numericKind = NumericKindReal;
        value.text = FormatNumber(real);
    } else {
        value.isString = true;
        value.text = text;
        value.record.valueType = ValueTypeString;
    }
    return value;
}

OutputStep ReadStep(const std::string& line, char separator) {
    std::vector<std::string> parts = Split(line, '\t', 2 + MaxValues);
    OutputStep step;
    step.key = WithoutBytes(parts[0], separator);
    step.fieldId = parts.size() > 1 ? parts[1] : "1";
    for (size_t i = 2; i < parts.size(); ++i)
        step.values.push_back(ReadValue(WithoutBytes(parts[i], separator)));
    return step;
}

}  // namespace

DataCase ReadDataCase(const uint8_t* data, size_t size) {
    DataCase dataCase;
    if (size == 0) return dataCase;
    dataCase.separator = Separators[data[0] % sizeof Separators];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t mark = rest.find(StepsMark);
    dataCase.file = rest.substr(0, mark);
    if (mark == std::string_view::npos) return dataCase;
    for (const std::string& line : Split(rest.substr(mark + StepsMark.size()), '\n', MaxSteps))
        dataCase.steps.push_back(ReadStep(line, dataCase.separator));
    return dataCase;
}

void MakeValueArrays(const OutputStep& step, bool utf8, ZR::Array<OmbraValueRecord>& records,
                     ZR::Array<ZR::UniString>& strings) {
    for (const FuzzValue& value : step.values) {
        OmbraValueRecord record = value.record;
        if (value.isString) {
            record.value.stringIndex = UInt32(strings.GetSize());
            strings.Push(ZR::UniString(value.text.data(), USize(value.text.size()),
                                       utf8 ? CC_UTF8 : CC_Default));
        }
        records.Push(record);
    }
}

std::string RecordLine(const OutputStep& step, char separator) {
    std::string line = step.key;
    for (const FuzzValue& value : step.values) line += separator + value.text;
    return line;
}

}  // namespace OmbraFuzz
