// Stand-ins for the entry operations whose subsystems are not in the tree yet. Each one is
// replaced in the entry table by its subsystem's operation when that lands.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

// Each reports nothing and returns StatusReportedError.
Int16 PendingOpenDataChannel(UInt32 channel, const ZR::UniString& fileName,
                             const ZR::UniString& parameters, GSHandle* fileInfoHandle);
Int16 PendingInputFromChannel(UInt32 channel, const ZR::UniString& recordKey,
                              const ZR::UniString& fieldId, Int32 count, Int32* valuesRead,
                              ZR::Array<OmbraValueRecord>* values,
                              ZR::Array<ZR::UniString>* strings);
Int16 PendingOutputToChannel(UInt32 channel, const ZR::UniString& recordId,
                             const ZR::UniString& fieldId,
                             const ZR::Array<OmbraValueRecord>* values,
                             const ZR::Array<ZR::UniString>* strings);

}  // namespace DataOmbraPlugin
