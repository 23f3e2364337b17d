#include "extension/write/record_text.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace DataOmbraPlugin {
namespace {

// The payload of a numeric value as a double: a real when numericKind says so, otherwise the
// 32-bit integer in the first four bytes. Read by copying, whichever member the sender wrote.
double NumericPayload(const OmbraValueRecord& value) {
    if (value.numericKind == NumericKindReal) {
        double real = 0;
        std::memcpy(&real, value.value.bytes, sizeof real);
        return real;
    }
    Int32 integer = 0;
    std::memcpy(&integer, value.value.bytes, sizeof integer);
    return double(integer);
}

// Appends the text of one value; ErrParam for a string index outside `strings`.
ZRErrCode AppendValueText(const OmbraValueRecord& value, const ZR::Array<ZR::UniString>* strings,
                          ZR::UniString& text) {
    if (value.valueType == ValueTypeNumeric) {
        text.Append(FormatNumber(value));
        return NoError;
    }
    UInt32 index = 0;
    std::memcpy(&index, value.value.bytes, sizeof index);
    if (strings == nullptr || index >= strings->GetSize()) return ErrParam;
    text.Append((*strings)[index]);
    return NoError;
}

}  // namespace

ZR::UniString FormatNumber(const OmbraValueRecord& value) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%g", NumericPayload(value));
    return ZR::UniString(digits, CC_Default);
}

ZRErrCode MakeRecordText(const ZR::UniString& key, ZR::UniChar separator,
                         const ZR::Array<OmbraValueRecord>* values,
                         const ZR::Array<ZR::UniString>* strings, ZR::UniString& text) {
    try {
        text = key;
        if (values == nullptr) return NoError;
        for (const OmbraValueRecord& value : *values) {
            text.Append(separator);
            const ZRErrCode status = AppendValueText(value, strings, text);
            if (status != NoError) return status;
        }
        return NoError;
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
}

}  // namespace DataOmbraPlugin
