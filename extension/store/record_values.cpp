#include "extension/store/record_values.h"

#include <algorithm>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "extension/store/line_scan.h"

namespace DataOmbraPlugin {
namespace {

// A line's fields are cut at positions, without copying the rest of the line. A line is its
// decoded text (ZR::UniString) or its ASCII bytes (std::string_view), whose byte i is character i
// in either encoding; both read alike.

USize LengthOf(const ZR::UniString& line) {
    return line.GetLength();
}

USize LengthOf(std::string_view line) {
    return USize(line.size());
}

// The position of the first separator at or after `from`, or MaxUIndex when there is none.
USize FindSeparator(const ZR::UniString& line, ZR::UniChar separator, USize from) {
    return line.FindFirst(separator, from);
}

USize FindSeparator(std::string_view line, ZR::UniChar separator, USize from) {
    // Only an ASCII separator can stand among ASCII bytes.
    if (separator >= 0x80 || from >= line.size()) return MaxUIndex;
    const char byte = char(separator);
    const size_t found = from + FindFirstOf(line.data() + from, line.size() - from, byte, byte, byte);
    return found == line.size() ? MaxUIndex : USize(found);
}

// The start of field `n` (n >= 1: just after the n-th separator); false when the line holds fewer
// separators.
template <class Line>
bool FindFieldStart(const Line& line, ZR::UniChar separator, Int32 n, USize& start) {
    start = 0;
    for (Int32 i = 0; i < n; ++i) {
        const USize found = FindSeparator(line, separator, start);
        if (found == MaxUIndex) return false;
        start = found + 1;
    }
    return true;
}

// Appends the value of a field given by its text in the default code page (`expression`, which
// the evaluator may change): the integer 0 for an empty field, the evaluator's number, or the
// field's text that `makeText` returns. `record` carries what the last evaluation left from one
// field to the next.
template <class MakeText>
ZRErrCode AddValue(ValueList& list, std::string& expression, MakeText makeText,
                   OmbraValueRecord& record) {
    if (expression.empty()) {
        record.value.integer = 0;
        record.valueType = ValueTypeNumeric;
        record.numericKind = NumericKindInteger;
        return AddNumericValue(list, record);
    }
    // The evaluator reads up to the first NUL: a field holding one is text, not the number before.
    const bool whole = expression.find('\0') == std::string::npos;
    if (whole && EEEvaluate(expression.data(), nullptr, nullptr, &record) == NoError) {
        return AddNumericValue(list, record);
    }
    return AddStringValue(list, makeText());
}

// AddValue for the field of `length` characters at `start`; `expression` is working storage.
ZRErrCode AddFieldValue(ValueList& list, const ZR::UniString& line, USize start, USize length,
                        std::string& expression, OmbraValueRecord& record) {
    ZR::UniString field = line.GetSubstring(start, length);
    expression.clear();
    field.AppendBytes(expression, CC_Default);
    return AddValue(
        list, expression, [&] { return std::move(field); }, record);
}

ZRErrCode AddFieldValue(ValueList& list, std::string_view line, USize start, USize length,
                        std::string& expression, OmbraValueRecord& record) {
    const std::string_view field = line.substr(start, length);
    expression.assign(field);
    // ASCII bytes are their own code units: widened as they are, with no decoder.
    const auto text = [&] { return ZR::UniString(std::u16string(field.begin(), field.end())); };
    return AddValue(list, expression, text, record);
}

// Values that CollectValues makes room for before the first; more grow the lists as usual.
constexpr Int32 MaxReservedValues = 16;

// Collects `count` values from the field at `start` and the fields after it; `valuesRead` counts
// them. Once the line is used up, every further field is empty. Returns the status of the last
// append. An exception ends the collection early.
template <class Line>
ZRErrCode CollectValues(ValueList& list, ZR::UniChar separator, const Line& line, USize start,
                        Int32 count, Int32& valuesRead) {
    OmbraValueRecord record{};
    record.valueType = ValueTypeNumeric;
    record.numericKind = NumericKindInteger;
    try {
        // Every value asked for is delivered (empty fields after the line's end): room for the
        // usual few at once. Without it the first append would fail, and so the call fails.
        const USize expected = USize(std::clamp(count, 0, MaxReservedValues));
        list.values.Reserve(expected);
        list.strings.Reserve(expected);
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
    ZRErrCode appended = NoError;
    try {
        std::string expression;
        const USize length = LengthOf(line);
        USize at = start;  // the next field's start; the line's length once it is used up
        while (count != 0 && valuesRead < count) {
            const USize separatorAt = FindSeparator(line, separator, at);
            const USize end = separatorAt == MaxUIndex ? length : separatorAt;
            appended = AddFieldValue(list, line, at, end - at, expression, record);
            ++valuesRead;
            at = end < length ? end + 1 : end;
        }
    } catch (const std::exception&) {
        // The values collected so far are delivered.
    }
    return appended;
}

template <class Line>
FieldValues ReadFrom(const Line& line, ZR::UniChar separator, Int32 fieldNumber, Int32 count,
                     ValueList& list, Int32& valuesRead) {
    USize start = 0;
    if (!FindFieldStart(line, separator, fieldNumber, start)) return FieldValues::NoSuchField;
    if (CollectValues(list, separator, line, start, count, valuesRead) != NoError)
        return FieldValues::ValueNotStored;
    return FieldValues::Collected;
}

}  // namespace

FieldValues ReadFieldValues(RecordLine& line, ZR::UniChar separator, Int32 fieldNumber, Int32 count,
                            ValueList& list, Int32& valuesRead) {
    if (line.InBytes())
        return ReadFrom(line.Bytes(), separator, fieldNumber, count, list, valuesRead);
    return ReadFrom(line.Text(), separator, fieldNumber, count, list, valuesRead);
}

}  // namespace DataOmbraPlugin
