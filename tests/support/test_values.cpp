// Conversions between the values tests write and the interpreter's value arrays, through the
// interpreter library's own conversion.
#include <string>

#include "tests/support/test_host.h"

namespace OmbraTest {

void ToValueArrays(const std::vector<Value>& values, ZR::Array<OmbraValueRecord>& records,
                   ZR::Array<ZR::UniString>& strings) {
    EncodeValues(values, records, strings);
}

// Decoded one by one, so that a record with a missing text shows where it stands.
std::vector<Value> FromValueArrays(const ZR::Array<OmbraValueRecord>& records,
                                   const ZR::Array<ZR::UniString>& strings, Int32 count) {
    std::vector<Value> values;
    for (Int32 i = 0; i < count && USize(i) < records.GetSize(); ++i) {
        Value value;
        if (DecodeValue(records[USize(i)], strings, value) != NoError) {
            value = "<string index " + std::to_string(records[USize(i)].value.stringIndex) +
                    " missing>";
        }
        values.push_back(std::move(value));
    }
    return values;
}

}  // namespace OmbraTest
