// OUTPUT: stores or deletes one record.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

// Returns 0 once the record is in the data file (a failed compaction after that stays silent: the
// file holds every record). An OUTPUT that did not store its record, because the file could not
// be opened for writing or a write failed, reports "Write permission error" about the file and
// returns -7003 (the module's interface stays silent there); the file keeps the records it had
// and the channel stays readable. A field number beyond 32 bits is taken at the nearest limit.
[[nodiscard]] Int16 OutputToChannel(UInt32 channel, const ZR::UniString& recordId,
                                    const ZR::UniString& fieldId,
                                    const ZR::Array<OmbraValueRecord>* values,
                                    const ZR::Array<ZR::UniString>* strings);

}  // namespace DataOmbraPlugin
