// Conversions between the values tests write and the interpreter's value arrays.
#include <string>

#include "tests/support/test_host.h"

namespace OmbraTest {

namespace {

OmbraValueRecord NumericRecord(UInt32 kind) {
    OmbraValueRecord record{};
    record.valueType = ValueTypeNumeric;
    record.numericKind = kind;
    return record;
}

Value FromRecord(const OmbraValueRecord& record, const ZR::Array<ZR::UniString>& strings) {
    if (record.valueType == ValueTypeNumeric) {
        if (record.numericKind == NumericKindReal) return record.value.real;
        return record.value.integer;
    }
    const UInt32 index = record.value.stringIndex;
    if (index >= strings.GetSize()) return "<string index " + std::to_string(index) + " missing>";
    return strings[index].ToCStr(CC_UTF8).GetBytes();
}

}  // namespace

void ToValueArrays(const std::vector<Value>& values, ZR::Array<OmbraValueRecord>& records,
                   ZR::Array<ZR::UniString>& strings) {
    for (const Value& value : values) {
        if (const Int32* integer = std::get_if<Int32>(&value)) {
            OmbraValueRecord record = NumericRecord(NumericKindInteger);
            record.value.integer = *integer;
            records.Push(record);
        } else if (const double* real = std::get_if<double>(&value)) {
            OmbraValueRecord record = NumericRecord(NumericKindReal);
            record.value.real = *real;
            records.Push(record);
        } else {
            const std::string& text = std::get<std::string>(value);
            OmbraValueRecord record{};
            record.valueType = ValueTypeString;
            record.value.stringIndex = strings.GetSize();
            strings.Push(ZR::UniString(text.data(), USize(text.size()), CC_UTF8));
            records.Push(record);
        }
    }
}

std::vector<Value> FromValueArrays(const ZR::Array<OmbraValueRecord>& records,
                                   const ZR::Array<ZR::UniString>& strings, Int32 count) {
    std::vector<Value> values;
    for (Int32 i = 0; i < count && USize(i) < records.GetSize(); ++i)
        values.push_back(FromRecord(records[USize(i)], strings));
    return values;
}

}  // namespace OmbraTest
