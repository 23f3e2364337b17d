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

}  // namespace DataOmbraPlugin
