// Stand-ins for the entry operations whose subsystems are not in the tree yet. Each one is
// replaced in the entry table by its subsystem's operation when that lands.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

// Reports nothing and returns StatusReportedError.
Int16 PendingOutputToChannel(UInt32 channel, const ZR::UniString& recordId,
                             const ZR::UniString& fieldId,
                             const ZR::Array<OmbraValueRecord>* values,
                             const ZR::Array<ZR::UniString>* strings);

}  // namespace DataOmbraPlugin
