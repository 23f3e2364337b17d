// Stand-ins for OPEN (replaced by the opening subsystem), INPUT (replaced by the store subsystem)
// and OUTPUT (replaced by the writing subsystem).
#include "extension/frame/pending_operations.h"

namespace DataOmbraPlugin {

Int16 PendingOpenDataChannel(UInt32, const ZR::UniString&, const ZR::UniString&, GSHandle*) {
    return StatusReportedError;
}

Int16 PendingInputFromChannel(UInt32, const ZR::UniString&, const ZR::UniString&, Int32, Int32*,
                              ZR::Array<OmbraValueRecord>*, ZR::Array<ZR::UniString>*) {
    return StatusReportedError;
}

Int16 PendingOutputToChannel(UInt32, const ZR::UniString&, const ZR::UniString&,
                             const ZR::Array<OmbraValueRecord>*, const ZR::Array<ZR::UniString>*) {
    return StatusReportedError;
}

}  // namespace DataOmbraPlugin
