// INPUT: reads values of one record's fields.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

[[nodiscard]] Int16 InputFromChannel(UInt32 channel, const ZR::UniString& recordKey,
                                     const ZR::UniString& fieldId, Int32 count, Int32* valuesRead,
                                     ZR::Array<OmbraValueRecord>* values,
                                     ZR::Array<ZR::UniString>* strings);

}  // namespace DataOmbraPlugin
