// The value list through which INPUT and OUTPUT exchange values with the interpreter: value
// records, and the texts of string values that the records refer to by index.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

struct ValueList {
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
};

// Appends a copy of `record`. 0, or ErrMemoryFull when the list cannot grow.
[[nodiscard]] ZRErrCode AddNumericValue(ValueList& list, const OmbraValueRecord& record);
// Appends `text` (taken over) and a string record referring to it. 0, or ErrMemoryFull.
[[nodiscard]] ZRErrCode AddStringValue(ValueList& list, ZR::UniString&& text);

}  // namespace DataOmbraPlugin
