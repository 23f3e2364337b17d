#include "platform/extension_host/value_records.h"

namespace {

OmbraValueRecord NumericRecord(UInt32 kind) {
    OmbraValueRecord record{};
    record.valueType = ValueTypeNumeric;
    record.numericKind = kind;
    return record;
}

// The string is pushed before its record, so a record never refers to a missing text.
void EncodeString(const std::string& text, ZR::Array<OmbraValueRecord>& records,
                  ZR::Array<ZR::UniString>& strings) {
    OmbraValueRecord record{};
    record.valueType = ValueTypeString;
    record.value.stringIndex = strings.GetSize();
    strings.Push(ZR::UniString(text.data(), USize(text.size()), CC_UTF8));
    records.Push(record);
}

}  // namespace

void EncodeValues(const std::vector<InterpreterValue>& values, ZR::Array<OmbraValueRecord>& records,
                  ZR::Array<ZR::UniString>& strings) {
    for (const InterpreterValue& value : values) {
        if (const Int32* integer = std::get_if<Int32>(&value)) {
            OmbraValueRecord record = NumericRecord(NumericKindInteger);
            record.value.integer = *integer;
            records.Push(record);
        } else if (const double* real = std::get_if<double>(&value)) {
            OmbraValueRecord record = NumericRecord(NumericKindReal);
            record.value.real = *real;
            records.Push(record);
        } else {
            EncodeString(std::get<std::string>(value), records, strings);
        }
    }
}

ZRErrCode DecodeValue(const OmbraValueRecord& record, const ZR::Array<ZR::UniString>& strings,
                      InterpreterValue& value) {
    if (record.valueType == ValueTypeNumeric) {
        if (record.numericKind == NumericKindReal) {
            value = record.value.real;
        } else {
            value = record.value.integer;
        }
        return NoError;
    }
    const UInt32 index = record.value.stringIndex;
    if (index >= strings.GetSize()) return ErrParam;
    value = strings[index].ToCStr(CC_UTF8).GetBytes();
    return NoError;
}

ZRErrCode DecodeValues(const ZR::Array<OmbraValueRecord>& records,
                       const ZR::Array<ZR::UniString>& strings, Int32 count,
                       std::vector<InterpreterValue>& values) {
    values.clear();
    if (count < 0 || USize(count) > records.GetSize()) return ErrParam;
    for (USize i = 0; i < USize(count); ++i) {
        InterpreterValue value;
        const ZRErrCode status = DecodeValue(records[i], strings, value);
        if (status != NoError) return status;
        values.push_back(std::move(value));
    }
    return NoError;
}
