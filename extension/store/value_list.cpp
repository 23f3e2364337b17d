#include "extension/store/value_list.h"

#include <exception>
#include <utility>

namespace DataOmbraPlugin {

ZRErrCode AddNumericValue(ValueList& list, const OmbraValueRecord& record) {
    try {
        list.values.Push(record);
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
    return NoError;
}

ZRErrCode AddStringValue(ValueList& list, ZR::UniString&& text) {
    OmbraValueRecord record{};
    record.value.stringIndex = list.strings.GetSize();
    record.valueType = ValueTypeString;
    record.numericKind = 0;
    record.evalFlag = 0;
    try {
        list.strings.Push(std::move(text));
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
    try {
        list.values.Push(record);
    } catch (const std::exception&) {
        list.strings.DeleteLast();  // no record refers to the text
        return ErrMemoryFull;
    }
    return NoError;
}

bool ExtractField(ZR::UniString& field, ZR::UniChar separator, ZR::UniString& line, Int32 n) {
    USize start = 0;
    for (Int32 i = 0; i < n; ++i) {
        const USize found = line.FindFirst(separator, start);
        if (found == MaxUIndex) return false;
        start = found + 1;
    }
    const USize end = line.FindFirst(separator, start);
    field = line.GetSubstring(start, end == MaxUIndex ? line.GetLength() - start : end - start);
    if (end == MaxUIndex) {
        line.Clear();
    } else {
        line.Delete(0, end + 1);
    }
    return true;
}

}  // namespace DataOmbraPlugin
