// The data store on a data file of arbitrary bytes: OPEN (mode WA), lookups of keys taken from the
// file and from the input, OUTPUTs, and CLOSE with its save. After every step each key read back
// must give the line a plain model of the file gives (the last line of the key counts, deletion
// lines remove it); after CLOSE the file must hold exactly the model's records, every line of a
// key that no OUTPUT touched byte for byte, and a saved file must be sorted with unique keys.
// INPUT is checked against the record's line: the values of the first fields, each the
// evaluator's number when the whole field text is a numeric literal, an integer 0 when the field
// is empty or beyond the record, and the field's own text otherwise.
//
// The input: one byte choosing the separator, the data file's bytes, then, after a line "%%",
// one OUTPUT a line: key, field number and values divided by TAB ("#n" an integer, "~x" a real,
// anything else a string). Keys and values never hold the separator, CR or LF (OUTPUT writes
// them unescaped, which would change the record's shape, as it is meant to).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "extension/entry/close.h"
#include "extension/entry/input.h"
#include "extension/entry/open.h"
#include "extension/entry/output.h"
#include "extension/frame/channel_table.h"
#include "extension/store/loading.h"
#include "extension/store/lookup.h"
#include "fuzz/fuzz_check.h"
#include "tests/support/core_binding.h"
#include "tests/support/data_file_model.h"
#include "tests/support/temp_folder.h"

namespace {

using OmbraTest::Records;

struct FuzzValue {
    std::string text;  // what OUTPUT writes for it (the string itself, or "%g" of the number)
    OmbraValueRecord record{};
    bool isString = false;
};

struct OutputStep {
    std::string key;
    std::string fieldId;
    std::vector<FuzzValue> values;
};

struct DataCase {
    char separator = '\t';
    std::string file;
    std::vector<OutputStep> steps;
};

constexpr size_t MaxSteps = 16;
constexpr size_t MaxValues = 8;

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

std::string WithoutBytes(std::string text, char separator) {
    std::erase_if(text,
                  [separator](char ch) { return ch == separator || ch == '\r' || ch == '\n'; });
    return text;
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

// The line OUTPUT writes for `step`: the key, then the separator and each value's text.
std::string OutputLine(const OutputStep& step, char separator) {
    std::string line = step.key;
    for (const FuzzValue& value : step.values) line += separator + value.text;
    return line;
}

constexpr Int32 Count = 3;  // values each INPUT reads

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

// Reads three values from the field `fieldId` of `key`, whose line is `line` ("" for a record
// that is absent or deleted), and checks each of them.
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
    const std::vector<std::string> fields = Split(line, separator, SIZE_MAX);
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

constexpr UInt32 Channel = 1;
constexpr size_t MaxLookups = 32;

// One folder for the life of the process (scripts/fuzz.sh puts it on the memory file system:
// saves sync their files, which a disk makes slow).
const OmbraTest::TempFolder& WorkFolder() {
    static const OmbraTest::TempFolder folder;
    return folder;
}

ZR::UniString Decode(const std::string& bytes, bool utf8) {
    return ZR::UniString(bytes.data(), USize(bytes.size()), utf8 ? CC_UTF8 : CC_Default);
}

// The line of `key`, or "" when the record is absent or deleted.
std::string LineOf(const Records& model, const std::string& key) {
    const auto found = model.find(key);
    return found == model.end() ? std::string() : found->second;
}

void CheckLookup(const Records& model, const std::string& key, bool utf8) {
    DataOmbraPlugin::RecordLine line;
    DataOmbraPlugin::ChannelInfo* info = DataOmbraPlugin::FindChannelRecord(Channel);
    FUZZ_CHECK(info != nullptr);
    DataOmbraPlugin::EnsureLoaded(*info);
    FUZZ_CHECK(info->loaded);
    FUZZ_CHECK(DataOmbraPlugin::ReadRecordLine(*info, Decode(key, utf8), line) == NoError);
    std::string bytes(line.Bytes());  // a line of ASCII bytes is kept as read
    if (!line.InBytes()) line.Text().AppendBytes(bytes, utf8 ? CC_UTF8 : CC_Default);
    FUZZ_CHECK(bytes == LineOf(model, key));
}

void LookUpKeys(const Records& model, const DataCase& dataCase, bool utf8) {
    size_t looked = 0;
    for (const auto& [key, line] : model) {
        if (++looked > MaxLookups) break;
        CheckLookup(model, key, utf8);
        CheckInputValues(Channel, key, "1", line, dataCase.separator, utf8);
    }
    for (const OutputStep& step : dataCase.steps) CheckLookup(model, step.key, utf8);
}

// One OUTPUT; the model follows what it was asked to do.
void ApplyStep(Records& model, const OutputStep& step, const DataCase& dataCase, bool utf8) {
    // The values as the interpreter hands them over, the strings decoded in the file's encoding
    // so that they are written back byte for byte.
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    for (const FuzzValue& value : step.values) {
        OmbraValueRecord record = value.record;
        if (value.isString) {
            record.value.stringIndex = UInt32(strings.GetSize());
            strings.Push(Decode(value.text, utf8));
        }
        records.Push(record);
    }
    const ZR::UniString fieldId(step.fieldId.data(), USize(step.fieldId.size()), CC_Default);
    const Int16 status = DataOmbraPlugin::OutputToChannel(Channel, Decode(step.key, utf8), fieldId,
                                                          &records, &strings);
    // The field number only counts by its sign: out-of-range numbers keep theirs.
    long field = 0;
    if (std::sscanf(step.fieldId.c_str(), "%ld", &field) != 1) {
        FUZZ_CHECK(status == -1111);
        return;
    }
    FUZZ_CHECK(status == NoError);
    const std::string line = OutputLine(step, dataCase.separator);
    const bool deletes = field <= 0 || line.empty() ||
                         line == OmbraTest::DeletionLine(step.key, dataCase.separator, utf8);
    OmbraTest::Apply(model, {step.key, deletes ? std::nullopt : std::optional(line)});
    CheckLookup(model, step.key, utf8);
    CheckInputValues(Channel, step.key, step.fieldId, LineOf(model, step.key), dataCase.separator,
                     utf8);
}

void CheckClosedFile(const Records& model, const std::string& name, bool saved,
                     const DataCase& dataCase, bool utf8) {
    const std::optional<std::string> bytes = WorkFolder().ReadFile(name);
    FUZZ_CHECK(bytes.has_value());
    if (saved) FUZZ_CHECK(OmbraTest::SavedFormError(*bytes, dataCase.separator, utf8).empty());
    FUZZ_CHECK(OmbraTest::ReadRecords(*bytes, dataCase.separator).lines == model);
    FUZZ_CHECK(!WorkFolder().Exists(name + ".tmp"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FUZZ_CHECK(OmbraTest::BindCore());
    const DataCase dataCase = ReadDataCase(data, size);
    const std::string name = "data.txt";
    FUZZ_CHECK(WorkFolder().WriteFile(name, dataCase.file));
    const std::string path = WorkFolder().PathOf(name);
    const std::string parameters = std::string("SEPARATOR='") + dataCase.separator + "', MODE=WA";
    ZRHandle fileInfo = nullptr;
    FUZZ_CHECK(DataOmbraPlugin::OpenDataChannel(Channel, ZR::UniString(path.c_str(), CC_UTF8),
                                                ZR::UniString(parameters.c_str()),
                                                &fileInfo) == NoError);
    const OmbraTest::FileRecords before = OmbraTest::ReadRecords(dataCase.file, dataCase.separator);
    const bool utf8 = before.utf8;
    Records model = before.lines;
    LookUpKeys(model, dataCase, utf8);
    for (const OutputStep& step : dataCase.steps) ApplyStep(model, step, dataCase, utf8);
    const DataOmbraPlugin::ChannelInfo* info = DataOmbraPlugin::FindChannelRecord(Channel);
    FUZZ_CHECK(info != nullptr);
    const bool saved = info->modified != 0;
    FUZZ_CHECK(DataOmbraPlugin::CloseDataChannel(Channel) == NoError);
    FUZZ_CHECK(DataOmbraPlugin::FindChannelRecord(Channel) == nullptr);
    CheckClosedFile(model, name, saved, dataCase, utf8);
    OmbraTest::TakeCoreReports();
    return 0;
}
