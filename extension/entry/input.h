// INPUT: reads values of one record's fields.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

// Delivers `count` values from field `fieldId` of the record `recordKey` on; `valuesRead` counts
// them. An absent or deleted record, and a field beyond the record's last, deliver nothing and
// return 0. Returns -50 without `valuesRead`, -1111 for a field number that is not a number,
// -7003 after "Read error" (no such channel, a load or read that failed) and -7003 without a
// message when the last value cannot be stored or no message fetcher is given.
[[nodiscard]] Int16 InputFromChannel(UInt32 channel, const ZR::UniString& recordKey,
                                     const ZR::UniString& fieldId, Int32 count, Int32* valuesRead,
                                     ZR::Array<OmbraValueRecord>* values,
                                     ZR::Array<ZR::UniString>* strings);

}  // namespace DataOmbraPlugin
