// Stand-in for OUTPUT, replaced by the writing subsystem's operation.
#include "extension/frame/pending_operations.h"

namespace DataOmbraPlugin {

Int16 PendingOutputToChannel(UInt32, const ZR::UniString&, const ZR::UniString&,
                             const ZR::Array<OmbraValueRecord>*, const ZR::Array<ZR::UniString>*) {
    return StatusReportedError;
}

}  // namespace DataOmbraPlugin
